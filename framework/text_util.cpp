#include "text_util.h"

#include <cstring>

void CopyText(char* dst, size_t size, const char* src) {
  if (dst == nullptr || size == 0) return;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && src[n] != '\0') ++n;
    std::memmove(dst, src, n);
  }
  dst[n] = '\0';
}
