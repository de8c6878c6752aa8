#pragma once
// Rect: L, T, R, B in pixels, origin top left, R and B exclusive. A plain value
// shared by the whole graphics layer.

#include <cstdint>

struct Rect {
  int32_t L = 0;
  int32_t T = 0;
  int32_t R = 0;
  int32_t B = 0;
};
