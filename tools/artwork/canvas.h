#pragma once
// Canvas: a premultiplied ARGB32 cairo image surface and its drawing context,
// owned together. Images are drawn into one canvas each; strips draw their
// frames one under the other.

#include <cairo.h>

#include <cstdint>

class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(Canvas&& other) noexcept;
  Canvas& operator=(Canvas&&) = delete;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Cr() const { return cr_; }
  cairo_surface_t* Surface() const { return surface_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Direct pixel access for textures: flushes cairo first; call MarkDirty() after writing.
  uint32_t* Row(int y);
  void MarkDirty() { cairo_surface_mark_dirty(surface_); }

 private:
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
