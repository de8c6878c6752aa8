#pragma once
// Bounded copies into fixed-size, NUL-terminated text fields.

#include <cstddef>

// Copies at most size - 1 bytes of src into dst and terminates it; a null src gives "".
// Does nothing when size is 0.
void CopyText(char* dst, size_t size, const char* src);

template <size_t N>
void CopyText(char (&dst)[N], const char* src) {
  CopyText(dst, N, src);
}
