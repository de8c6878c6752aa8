// SysBitmap on Windows: a 32-bit top-down DIB section in a memory DC that is
// compatible with the screen, so GDI draws text straight into our pixels.
#include <windows.h>

#include "graphics/bitmap/sys_bitmap.h"

SysBitmap::SysBitmap(int width, int height) {
  deviceContext_ = CreateCompatibleDC(nullptr);
  Resize(width, height);
}

SysBitmap::~SysBitmap() {
  ReleasePixels();
  if (deviceContext_) DeleteDC(static_cast<HDC>(deviceContext_));
}

void SysBitmap::ReleasePixels() {
  if (section_) {
    SelectObject(static_cast<HDC>(deviceContext_), static_cast<HGDIOBJ>(previousBitmap_));
    DeleteObject(static_cast<HGDIOBJ>(section_));
  }
  section_ = nullptr;
  previousBitmap_ = nullptr;
  bits_ = nullptr;
}

bool SysBitmap::CanAllocate() const { return deviceContext_ != nullptr; }

void SysBitmap::AllocatePixels() {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = allocatedWidth_;
  info.bmiHeader.biHeight = -allocatedHeight_;  // negative: rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = static_cast<HDC>(deviceContext_);
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) {
    section_ = section;
    previousBitmap_ = SelectObject(dc, section);
    bits_ = static_cast<Pixel*>(bits);
  } else if (section) {
    DeleteObject(section);
  }
}
