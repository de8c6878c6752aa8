// The platform-neutral half of SysBitmap: when a resize keeps, drops or replaces
// the pixels.
#include "graphics/bitmap/sys_bitmap.h"

bool SysBitmap::Resize(int width, int height) {
  if (!CanAllocate()) {
    bits_ = nullptr;
    return false;
  }
  if (width == width_ && height == height_) return false;
  width_ = width;
  height_ = height;
  // Shrinking, or growing back within the allocation, keeps the pixels in place.
  if (width > 0 && height > 0 && width <= allocatedWidth_ && height <= allocatedHeight_ && bits_) return true;
  allocatedWidth_ = width > 0 ? (width + 3) & ~3 : 0;
  allocatedHeight_ = height > 0 ? height : 0;
  ReleasePixels();
  if (width <= 0 || height <= 0) return false;
  AllocatePixels();
  return true;
}
