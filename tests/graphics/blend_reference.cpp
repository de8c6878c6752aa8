#include "blend_reference.h"

#include <algorithm>
#include <cstdint>

namespace {

int Channel(Pixel p, int i) { return (p >> (8 * i)) & 255; }
int Clamp(int v) { return std::clamp(v, 0, 255); }
Pixel Pack(const int c[4]) {
  return (Pixel(c[3] & 255) << 24) | (Pixel(c[2] & 255) << 16) | (Pixel(c[1] & 255) << 8) | Pixel(c[0] & 255);
}
int WeightOf(float alpha) { return static_cast<int>(std::min(alpha, 1.0f) * 256.0f); }

Pixel BlitPixel(Pixel s, Pixel d, float alpha, int mode) {
  int op = mode & 0xFF;
  bool byAlpha = mode & 0x10000;
  if (op >= 0xF0) return d;
  if (mode == 0 && alpha == 1.0f) return s;
  if (mode == 0 && alpha == 0.5f) return ((s >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F);
  int ia = WeightOf(alpha);
  if (ia <= 0) return d;
  int sa = Channel(s, 3);
  int out[4];
  for (int i = 0; i < 4; ++i) out[i] = Channel(d, i);
  if (op == 0 && !byAlpha) {
    if (ia == 256) return s;
    for (int i = 0; i < 4; ++i) out[i] = Channel(s, i) + (Channel(d, i) - Channel(s, i)) * (256 - ia) / 256;
  } else if (op == 0) {
    if (sa == 0) return d;
    if (ia == 256 && sa == 255) return s | 0xFF000000u;
    if (ia == 256) {
      out[3] = std::min(255, Channel(d, 3) + sa);
      for (int i = 0; i < 3; ++i) out[i] = Channel(s, i) + (Channel(d, i) - Channel(s, i)) * (255 - sa) / 256;
    } else {
      int w = ia * (sa + 1) / 256;
      out[3] = std::min(255, Channel(d, 3) + w);
      for (int i = 0; i < 3; ++i) out[i] = Channel(s, i) + (Channel(d, i) - Channel(s, i)) * (256 - w) / 256;
    }
  } else if (op == 1) {
    if (byAlpha && sa == 0) return d;
    int w = byAlpha ? ia * (sa + 1) / 256 : ia;
    for (int i = 0; i < 3; ++i) out[i] = Clamp(Channel(d, i) + w * Channel(s, i) / 256);
    out[3] = Clamp(Channel(d, 3) + sa * w / 256);
  } else if (op == 2) {
    int w = byAlpha ? ia * (sa + 1) / 256 : ia;
    for (int i = 0; i < 4; ++i) {
      int k = w * Channel(s, i) / 256;
      out[i] = Clamp(k > 254 ? Channel(d, i) * 256 : Channel(d, i) * 256 / (256 - k));
    }
  } else {
    return d;
  }
  return Pack(out);
}

Pixel FillPixel(Pixel c, Pixel d, int ia, int mode) {
  int op = mode & 0xFF;
  int out[4];
  if (op == 0) {
    if (ia == 256) return c;
    auto half = [](Pixel p) { return (p >> 1) & 0x7F7F7F7Fu; };
    auto quarter = [](Pixel p) { return (p >> 2) & 0x3F3F3F3Fu; };
    if (ia == 128) return half(c) + half(d);
    if (ia == 64) return quarter(c) + quarter(d) + half(d);
    if (ia == 192) return quarter(c) + quarter(d) + half(c);
    for (int i = 0; i < 3; ++i) out[i] = Channel(c, i) + (Channel(d, i) - Channel(c, i)) * (256 - ia) / 256;
    out[3] = ia + (Channel(d, 3) - ia) * (256 - ia) / 256;
  } else if (op == 1) {
    for (int i = 0; i < 3; ++i) out[i] = Clamp(Channel(d, i) + ia * Channel(c, i) / 256);
    out[3] = Clamp(Channel(d, 3) + Channel(c, 3) * ia / 256);
  } else if (op == 2) {
    for (int i = 0; i < 4; ++i) {
      int k = ia * Channel(c, i) / 256;
      out[i] = Clamp(k > 254 ? Channel(d, i) * 256 : Channel(d, i) * 256 / (256 - k));
    }
  } else {
    return d;
  }
  return Pack(out);
}

}  // namespace

Canvas Canvas::Of(Bitmap& bitmap) {
  Canvas canvas;
  canvas.width = bitmap.Width();
  canvas.height = bitmap.Height();
  canvas.span = bitmap.RowSpan();
  for (int y = 0; y < canvas.height; ++y)
    canvas.pixels.insert(canvas.pixels.end(), bitmap.Row(y), bitmap.Row(y) + canvas.span);
  return canvas;
}

void ReferenceBlit(Canvas& destination, Canvas source, int x, int y, const Rect* r, float alpha, int mode) {
  if (!(alpha > 0.0f)) return;
  int64_t left = 0, top = 0, right = source.width, bottom = source.height, toX = x, toY = y;
  if (r) {
    right = std::min<int64_t>(r->R, source.width);
    bottom = std::min<int64_t>(r->B, source.height);
    if (r->L < 0) toX += -int64_t{r->L}; else left = r->L;
    if (r->T < 0) toY += -int64_t{r->T}; else top = r->T;
  }
  if (toX < 0) { left -= toX; toX = 0; }
  if (toY < 0) { top -= toY; toY = 0; }
  if (left >= right || top >= bottom || toX >= destination.width || toY >= destination.height) return;
  for (int64_t sy = top; sy < bottom; ++sy)
    for (int64_t sx = left; sx < right; ++sx) {
      int64_t dx = toX + sx - left, dy = toY + sy - top;
      if (dx >= destination.width || dy >= destination.height) continue;
      Pixel& d = destination.At(static_cast<int>(dx), static_cast<int>(dy));
      d = BlitPixel(source.At(static_cast<int>(sx), static_cast<int>(sy)), d, alpha, mode);
    }
}

void ReferenceFill(Canvas& destination, int x, int y, int width, int height, Pixel pixel, float alpha, int mode) {
  if (mode & 0x10000) alpha *= static_cast<float>(pixel >> 24) / 255.0f;
  int64_t left = x, top = y, w = width, h = height;
  if (left < 0) { w += left; left = 0; }
  if (top < 0) { h += top; top = 0; }
  if (!(alpha > 0.0f) || destination.pixels.empty() || w <= 0 || h <= 0) return;
  if (left >= destination.width || top >= destination.height) return;
  int ia = WeightOf(alpha);
  if (ia <= 0) return;
  for (int py = 0; py < destination.height; ++py)
    for (int px = 0; px < destination.width; ++px)
      if (px >= left && px < left + w && py >= top && py < top + h)
        destination.At(px, py) = FillPixel(pixel, destination.At(px, py), ia, mode);
}
