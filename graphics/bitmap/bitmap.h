#pragma once
// Bitmap: a 32-bit pixel surface (pixel.h), rows top first, each row RowSpan()
// pixels of which the first Width() are used. A bitmap whose allocation failed
// has no pixels (Bits() null, Width() and Height() 0) and every drawing
// operation on it does nothing.
//
// Nothing here locks: a bitmap belongs to one thread at a time (the editor's
// window thread for everything the editor draws).

#include "graphics/bitmap/pixel.h"

// A GDI device context (HDC) on Windows; always null on other systems.
using DeviceContextHandle = void*;

class Bitmap {
 public:
  virtual ~Bitmap() = default;
  virtual Pixel* Bits() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int RowSpan() const = 0;  // in pixels
  virtual bool IsFlipped() const = 0;
  // Returns whether the size changed; the contents are undefined afterwards
  // unless the concrete class says otherwise.
  virtual bool Resize(int width, int height) = 0;
  virtual DeviceContextHandle DeviceContext() = 0;
  virtual int Extension(int code, void* data) = 0;

  Pixel* Row(int y) { return Bits() + static_cast<long>(y) * RowSpan(); }
};
