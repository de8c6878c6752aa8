#pragma once
// Copies a bitmap's pixels (B, G, R, A bytes in memory) into an X drawable of
// a 24- or 32-bit TrueColor visual with the usual channel masks.


#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/rect.h"
#include "graphics/x11/xlib.h"

// [editor] Whether PutPixels can serve windows of this visual and depth.
bool TakesBitmapPixels(const Visual* visual, int depth);

// [editor] Puts the area of the bitmap (clipped to it) at the same place in the
// drawable. False when the bitmap has no pixels.
bool PutPixels(Display* display, Drawable target, GC gc, int depth, Bitmap& bitmap, const Rect& area);
