#pragma once
// MemBitmap: a bitmap in plain memory, rows padded to a multiple of 4 pixels
// and the first pixel aligned to 64 bytes. Growing keeps a quarter in reserve
// so that repeated resizes do not reallocate.

#include <cstddef>

#include "graphics/bitmap/bitmap.h"

class MemBitmap final : public Bitmap {
 public:
  MemBitmap() = default;
  MemBitmap(int width, int height);  // empty unless both are positive
  ~MemBitmap() override;
  MemBitmap(const MemBitmap&) = delete;
  MemBitmap& operator=(const MemBitmap&) = delete;

  Pixel* Bits() override;
  int Width() const override { return allocation_ ? width_ : 0; }
  int Height() const override { return allocation_ ? height_ : 0; }
  int RowSpan() const override { return (width_ + kRowAlignment) & ~kRowAlignment; }
  bool IsFlipped() const override { return false; }
  bool Resize(int width, int height) override;
  DeviceContextHandle DeviceContext() override { return nullptr; }
  int Extension(int, void*) override { return 0; }

  size_t AllocatedBytes() const { return allocatedBytes_; }

 private:
  static constexpr int kRowAlignment = 3;  // rows are a multiple of 4 pixels
  static constexpr size_t kAlignSlack = 63;

  void Release();

  unsigned char* allocation_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  size_t allocatedBytes_ = 0;  // usable bytes, without the alignment slack
};
