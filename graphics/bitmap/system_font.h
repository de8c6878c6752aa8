#pragma once
// The platform's fonts, as far as this layer needs them: making a font from a
// face name and size, and, for the glyph cache, its line height, the size of
// one character, and drawing one character white on black into a scratch
// surface. GDI fonts on Windows (win/system_font_gdi.cpp); FreeType faces
// found through fontconfig elsewhere (linux/system_font_freetype.cpp).

#include <cstdint>

#include "graphics/bitmap/rect.h"
#include "graphics/bitmap/sys_bitmap.h"

// An HFONT on Windows; elsewhere an object of the FreeType half.
using SystemFontHandle = void*;

enum class FontQuality { Default = 0, NonAntialiased = 1, Antialiased = 2, ClearType = 3 };

struct SystemFontRequest {
  const char* face = "Verdana";
  int height = 12;       // > 0: cell height in pixels; < 0: character (em) height
  int escapement = 0;    // tenths of a degree; only Windows honours it
  int orientation = 0;
  int weight = 400;      // 700 bold
  bool italic = false;
  FontQuality quality = FontQuality::Default;
};

// Returns a new font, or null when none can be made. [any]
SystemFontHandle CreateSystemFont(const SystemFontRequest& request);
void DeleteSystemFont(SystemFontHandle font);

// Gives a scratch surface the state glyph rendering expects (white text,
// opaque black background). [any, font scratch lock held]
void PrepareGlyphSurface(SysBitmap& surface);

// The font's line height (its text metrics' height) in pixels.
int SystemFontLineHeight(SysBitmap& surface, SystemFontHandle font);

// Size of one character drawn on a single line without prefix processing.
void MeasureSystemCharacter(SysBitmap& surface, SystemFontHandle font, uint16_t codePoint, int* width, int* height);

// Draws one character white at the cell's top left, clipped to the cell, into
// a surface whose cell the caller has cleared to opaque black.
void DrawSystemCharacter(SysBitmap& surface, SystemFontHandle font, uint16_t codePoint, const Rect& cell);
