#include "text16.h"

namespace vst3 {

void WidenText(char16* out, int capacity, const char* in) {
  if (out == nullptr || capacity <= 0) return;
  int n = 0;
  for (; in != nullptr && in[n] != '\0' && n < capacity - 1; ++n)
    out[n] = static_cast<char16>(static_cast<unsigned char>(in[n]));
  out[n] = 0;
}

void NarrowText(char* out, int capacity, const char16* in) {
  if (out == nullptr || capacity <= 0) return;
  int n = 0;
  for (; in != nullptr && in[n] != 0 && n < capacity - 1; ++n) out[n] = static_cast<char>(in[n] & 0xFF);
  out[n] = '\0';
}

void CopyText8(char* out, int capacity, const char* in) {
  if (out == nullptr || capacity <= 0) return;
  int n = 0;
  for (; in != nullptr && in[n] != '\0' && n < capacity - 1; ++n) out[n] = in[n];
  out[n] = '\0';
}

}  // namespace vst3
