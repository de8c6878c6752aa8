#pragma once
// The clipped rectangle a blit or fill works on, and the loop that applies a
// per-pixel blend to it. Internal to the blit and fill.

#include "graphics/bitmap/pixel.h"

struct BlendArea {
  Pixel* destination = nullptr;
  int destinationSpan = 0;  // pixels
  const Pixel* source = nullptr;
  int sourceSpan = 0;       // pixels; 0 for a constant source
  int width = 0;
  int height = 0;
};

// blend(sourcePixel, destinationPixel) -> new destination pixel.
template <typename BlendFn>
inline void BlendPixels(const BlendArea& area, BlendFn blend) {
  for (int y = 0; y < area.height; ++y) {
    Pixel* d = area.destination + static_cast<long>(y) * area.destinationSpan;
    if (area.sourceSpan == 0) {
      const Pixel constant = *area.source;
      for (int x = 0; x < area.width; ++x) d[x] = blend(constant, d[x]);
    } else {
      const Pixel* s = area.source + static_cast<long>(y) * area.sourceSpan;
      for (int x = 0; x < area.width; ++x) d[x] = blend(s[x], d[x]);
    }
  }
}

// A value limited to 0..255.
inline int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Applies fn(channelValueOfSource, channelValueOfDestination, byteIndex) to the
// four channels (byte 0 B .. 3 A) and packs the results, each taken modulo 256.
template <typename ChannelFn>
inline Pixel MapChannels(Pixel s, Pixel d, ChannelFn fn) {
  Pixel out = 0;
  for (int i = 0; i < 4; ++i) {
    int v = fn(PixelChannel(s, i), PixelChannel(d, i), i);
    out |= static_cast<Pixel>(v & 255) << (8 * i);
  }
  return out;
}

// The blend of one channel toward the source: src + (dst - src) * keep / 256,
// with the division truncating toward zero.
inline int MixToward(int src, int dst, int keep) { return src + (dst - src) * keep / 256; }

// Colour dodge of one channel with an effective weight k already applied.
inline int DodgeChannel(int dst, int k) { return ClampByte(k > 254 ? dst * 256 : dst * 256 / (256 - k)); }

// Bitwise averages used by the fast paths.
inline Pixel HalfOf(Pixel p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline Pixel QuarterOf(Pixel p) { return (p >> 2) & 0x3F3F3F3Fu; }
