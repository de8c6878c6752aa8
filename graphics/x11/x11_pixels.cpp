#include "graphics/x11/x11_pixels.h"


#include <algorithm>
#include "graphics/x11/xlib.h"

bool TakesBitmapPixels(const Visual* visual, int depth) {
  return visual != nullptr && (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
         visual->green_mask == 0x00FF00 && visual->blue_mask == 0x0000FF;
}

bool PutPixels(Display* display, Drawable target, GC gc, int depth, Bitmap& bitmap, const Rect& area) {
  if (bitmap.Bits() == nullptr) return false;
  const int left = std::max(area.L, 0);
  const int top = std::max(area.T, 0);
  const int right = std::min(area.R, bitmap.Width());
  const int bottom = std::min(area.B, bitmap.Height());
  if (left >= right || top >= bottom) return true;
  // An image header around the bitmap's own pixels; Xlib reorders the bytes
  // for a server of the other byte order.
  XImage image{};
  image.width = bitmap.Width();
  image.height = bitmap.Height();
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(bitmap.Bits());
  image.byte_order = LSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = LSBFirst;
  image.bitmap_pad = 32;
  image.depth = depth;
  image.bytes_per_line = bitmap.RowSpan() * 4;
  image.bits_per_pixel = 32;
  image.red_mask = 0xFF0000;
  image.green_mask = 0x00FF00;
  image.blue_mask = 0x0000FF;
  if (XInitImage(&image) == 0) return false;
  XPutImage(display, target, gc, &image, left, top, left, top, static_cast<unsigned>(right - left),
            static_cast<unsigned>(bottom - top));
  return true;
}
