#pragma once
// The 32-bit pixel of every bitmap: A·2^24 + R·2^16 + G·2^8 + B, stored
// little-endian (bytes B, G, R, A in memory). Colour is not premultiplied.

#include <cstdint>

using Pixel = uint32_t;

constexpr Pixel MakePixel(int a, int r, int g, int b) {
  return (static_cast<Pixel>(a & 255) << 24) | (static_cast<Pixel>(r & 255) << 16) |
         (static_cast<Pixel>(g & 255) << 8) | static_cast<Pixel>(b & 255);
}
constexpr int PixelA(Pixel p) { return static_cast<int>(p >> 24); }
constexpr int PixelR(Pixel p) { return static_cast<int>((p >> 16) & 255); }
constexpr int PixelG(Pixel p) { return static_cast<int>((p >> 8) & 255); }
constexpr int PixelB(Pixel p) { return static_cast<int>(p & 255); }
// Channel by byte position in memory: 0 B, 1 G, 2 R, 3 A.
constexpr int PixelChannel(Pixel p, int byteIndex) { return static_cast<int>((p >> (8 * byteIndex)) & 255); }
