// SysBitmap without a window system: the pixels live in plain memory and there
// is no device context.
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

bool SysBitmap::CanAllocate() const { return true; }

void SysBitmap::AllocatePixels() {
  const int64_t bytes = int64_t{allocatedWidth_} * allocatedHeight_ * 4;
  if (bytes <= kMaxSurfaceBytes) bits_ = static_cast<Pixel*>(std::malloc(static_cast<size_t>(bytes)));
}
