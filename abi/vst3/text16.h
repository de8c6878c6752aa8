#pragma once
// Conversions between the framework's 8-bit texts and the interface's 16-bit texts.
// Every output is bounded by its field and always terminated.

#include "vst3_base.h"

namespace vst3 {

// Widens each byte (as an unsigned character) into at most capacity - 1 units.
void WidenText(char16* out, int capacity, const char* in);
// Narrows each unit to its low 8 bits, at most capacity - 1 characters.
void NarrowText(char* out, int capacity, const char16* in);
// Bounded 8-bit copy into a fixed field.
void CopyText8(char* out, int capacity, const char* in);

template <int N>
void WidenText(char16 (&out)[N], const char* in) {
  WidenText(out, N, in);
}

}  // namespace vst3
