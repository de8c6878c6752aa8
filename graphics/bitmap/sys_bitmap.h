#pragma once
// SysBitmap: the bitmap the system can draw into. On Windows a 32-bit top-down
// DIB section selected into its own memory device context, so GDI text and
// BitBlt work on it; elsewhere plain memory with the same contract and no
// device context. Shrinking keeps the allocation (and the pixels at their
// place, since the row span stays), so a window that shrinks and grows again
// does not reallocate.
//
// sys_bitmap.cpp holds the sizing and reuse rules; the platform halves,
// win/sys_bitmap_win.cpp and linux/sys_bitmap_linux.cpp, only make and free pixels.

#include "graphics/bitmap/bitmap.h"

class SysBitmap final : public Bitmap {
 public:
  SysBitmap(int width, int height);
  ~SysBitmap() override;
  SysBitmap(const SysBitmap&) = delete;
  SysBitmap& operator=(const SysBitmap&) = delete;

  Pixel* Bits() override { return bits_; }
  int Width() const override { return bits_ ? width_ : 0; }
  int Height() const override { return bits_ ? height_ : 0; }
  int RowSpan() const override { return allocatedWidth_; }
  bool IsFlipped() const override { return false; }
  bool Resize(int width, int height) override;
  DeviceContextHandle DeviceContext() override { return deviceContext_; }
  int Extension(int, void*) override { return 0; }

 private:
  void ReleasePixels();
  // Platform: whether pixels can be made at all (Windows needs its device context).
  bool CanAllocate() const;
  // Platform: pixels for allocatedWidth_ x allocatedHeight_ into bits_, which stays
  // null when the system refuses.
  void AllocatePixels();

  int width_ = 0;
  int height_ = 0;
  DeviceContextHandle deviceContext_ = nullptr;  // HDC; null off Windows
  Pixel* bits_ = nullptr;
  int allocatedWidth_ = 0;   // the row span, a multiple of 4
  int allocatedHeight_ = 0;
  void* section_ = nullptr;          // HBITMAP of the DIB section (Windows)
  void* previousBitmap_ = nullptr;   // what the DC held before the section
};
