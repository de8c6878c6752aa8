#pragma once
// Colour: A, R, G, B, each 0..255, alpha first. Converts to the bitmap layer's
// 32-bit pixel (A·2^24 + R·2^16 + G·2^8 + B).

#include <cstdint>

#include "graphics/bitmap/pixel.h"

struct Colour {
  int32_t A = 255;
  int32_t R = 0;
  int32_t G = 0;
  int32_t B = 0;

  constexpr Pixel ToPixel() const { return MakePixel(A, R, G, B); }
  friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kColourBlack{255, 0, 0, 0};
inline constexpr Colour kColourWhite{255, 255, 255, 255};
