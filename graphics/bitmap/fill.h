#pragma once
// FillArea: fills a rectangle of a bitmap with one pixel value, blended by a
// mode (blend_mode.h) and weight. With the source-alpha bit the weight is
// scaled by the pixel's own alpha. Clipped to the bitmap. [editor]

#include "graphics/bitmap/bitmap.h"

// alpha: 0..1 (above 1 acts as 1; 0, negative or NaN draw nothing).
void FillArea(Bitmap* destination, int x, int y, int width, int height, Pixel pixel, float alpha, int mode);
