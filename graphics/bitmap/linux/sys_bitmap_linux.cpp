// SysBitmap without a window system: the pixels live in plain memory and there
// is no device context. Sizes and reuse follow the Windows half exactly.
#include <cstdint>
#include <cstdlib>

#include "graphics/bitmap/sys_bitmap.h"

namespace {
constexpr int64_t kMaxSurfaceBytes = int64_t{1} << 30;
}

SysBitmap::SysBitmap(int width, int height) { Resize(width, height); }

SysBitmap::~SysBitmap() { ReleasePixels(); }

void SysBitmap::ReleasePixels() {
  std::free(bits_);
  bits_ = nullptr;
}

bool SysBitmap::Resize(int width, int height) {
  if (width == width_ && height == height_) return false;
  width_ = width;
  height_ = height;
  if (width > 0 && height > 0 && width <= allocatedWidth_ && height <= allocatedHeight_ && bits_) return true;
  allocatedWidth_ = width > 0 ? (width + 3) & ~3 : 0;
  allocatedHeight_ = height > 0 ? height : 0;
  ReleasePixels();
  if (width <= 0 || height <= 0) return false;
  int64_t bytes = int64_t{allocatedWidth_} * allocatedHeight_ * 4;
  if (bytes <= kMaxSurfaceBytes) bits_ = static_cast<Pixel*>(std::malloc(static_cast<size_t>(bytes)));
  return true;
}
