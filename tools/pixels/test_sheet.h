#pragma once
// The test sheet: one surface showing every blit mode, the fills and text in
// the editor's styles, drawn the same way on every platform so that two
// platforms' sheets can be compared.

#include <memory>

#include "graphics/bitmap/sys_bitmap.h"

inline constexpr int kSheetWidth = 1000;
inline constexpr int kSheetHeight = 530;

// Without text only blits and fills are drawn: those must match bit for bit
// between platforms, while text shows each system's fonts.
std::unique_ptr<SysBitmap> RenderTestSheet(bool withText = true);
