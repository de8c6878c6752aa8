#pragma once
// Writes a bitmap to a PNG file (8-bit RGBA, alpha kept), so that what the
// pixel layer draws can be looked at.

#include "graphics/bitmap/bitmap.h"

bool WritePngFile(Bitmap& bitmap, const char* path);
