#include "graphics/bitmap/mem_bitmap.h"

#include <cstdint>
#include <cstdlib>

namespace {
// Larger surfaces are refused as if the allocation had failed, so that a
// nonsensical size never reaches the allocator (the editor's are ~2 MB).
constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;
}  // namespace

MemBitmap::MemBitmap(int width, int height) {
  if (width > 0 && height > 0) Resize(width, height);
}

MemBitmap::~MemBitmap() { Release(); }

void MemBitmap::Release() {
  std::free(allocation_);
  allocation_ = nullptr;
  allocatedBytes_ = 0;
}

Pixel* MemBitmap::Bits() {
  if (!allocation_) return nullptr;
  auto address = reinterpret_cast<uintptr_t>(allocation_);
  return reinterpret_cast<Pixel*>((address + kAlignSlack) & ~uintptr_t{kAlignSlack});
}

bool MemBitmap::Resize(int width, int height) {
  if (width == width_ && height == height_) return false;
  width_ = width;
  height_ = height;
  int64_t need = 0;
  if (width > 0 && height > 0) need = int64_t{height} * ((int64_t{width} + kRowAlignment) & ~int64_t{kRowAlignment}) * 4;
  if (need <= 0 || need > kMaxBitmapBytes) {
    Release();
    return true;
  }
  auto needBytes = static_cast<size_t>(need);
  if (!allocation_) {
    allocation_ = static_cast<unsigned char*>(std::malloc(needBytes + kAlignSlack));
    allocatedBytes_ = allocation_ ? needBytes : 0;
  } else if (allocatedBytes_ < needBytes) {
    size_t grown = needBytes * 5 / 4;
    auto* moved = static_cast<unsigned char*>(std::realloc(allocation_, grown + kAlignSlack));
    if (moved) {
      allocation_ = moved;
      allocatedBytes_ = grown;
    } else {
      Release();
      allocation_ = static_cast<unsigned char*>(std::malloc(needBytes + kAlignSlack));
      allocatedBytes_ = allocation_ ? needBytes : 0;
    }
  }
  return true;
}
