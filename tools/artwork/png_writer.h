#pragma once
// Writes a canvas as a PNG file that depends on nothing but its pixels: no time,
// text or gamma chunks, fixed compression settings. Opaque canvases are written
// as RGB, others as straight (non-premultiplied) RGBA.

#include <string>

#include "canvas.h"

// Returns false (and leaves no file behind) when the file cannot be written.
bool WritePng(Canvas& canvas, const std::string& path);
