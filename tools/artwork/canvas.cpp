#include "canvas.h"

#include <cstddef>

Canvas::Canvas(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)),
      width_(width),
      height_(height) {}

Canvas::~Canvas() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

Canvas::Canvas(Canvas&& other) noexcept
    : surface_(other.surface_), cr_(other.cr_), width_(other.width_), height_(other.height_) {
  other.surface_ = nullptr;
  other.cr_ = nullptr;
}

uint32_t* Canvas::Row(int y) {
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  return reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * cairo_image_surface_get_stride(surface_));
}
