#pragma once
// A slow, per-pixel model of BlitImage and FillArea, written straight from
// their rules, that the optimised versions are checked against.

#include <cstddef>
#include <vector>

#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/rect.h"

// A copy of a bitmap's whole allocation (row padding included).
struct Canvas {
  int width = 0;
  int height = 0;
  int span = 0;
  std::vector<Pixel> pixels;

  static Canvas Of(Bitmap& bitmap);
  Pixel& At(int x, int y) { return pixels[static_cast<size_t>(y) * span + x]; }
  Pixel At(int x, int y) const { return pixels[static_cast<size_t>(y) * span + x]; }
};

void ReferenceBlit(Canvas& destination, Canvas source, int x, int y, const Rect* sourceRect, float alpha, int mode);
void ReferenceFill(Canvas& destination, int x, int y, int width, int height, Pixel pixel, float alpha, int mode);
