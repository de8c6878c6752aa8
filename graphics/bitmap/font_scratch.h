#pragma once
// The surfaces all fonts share: one for rendering glyphs (white text on opaque
// black) and one small one for measuring when DrawString has no target. They
// are made on first need and deleted when the last CachedFont goes away.
// Everything here requires FontScratchLock() to be held.

#include "graphics/bitmap/graphics_lock.h"
#include "graphics/bitmap/sys_bitmap.h"

GraphicsLock& FontScratchLock();

void AddLiveFont();
void RemoveLiveFont();  // the last one deletes both surfaces
int LiveFontCount();

// The glyph surface, grown to at least side × side (never below 256 × 256).
SysBitmap& GlyphSurface(int side);
// The measuring surface, at least 4 × 4.
SysBitmap& MeasuringSurface();
bool ScratchSurfacesExist();
