#pragma once
// BlitImage: copies or blends a source bitmap (or a part of it) into a
// destination bitmap at (x, y), clipped to both. The arithmetic per blend mode
// (blend_mode.h) is integer and exact, so results are reproducible bit for bit
// on every platform. [editor]

#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/rect.h"

// sourceRect: the part of the source to draw, or null for all of it. alpha is
// the overall weight, 0..1 (values above 1 act as 1; 0, negative or NaN draw
// nothing). Drawing a bitmap onto itself is allowed.
void BlitImage(Bitmap* destination, Bitmap* source, int x, int y, const Rect* sourceRect, float alpha, int mode);
