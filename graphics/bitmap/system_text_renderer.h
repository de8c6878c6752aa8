#pragma once
// The system's own text renderer (GDI's DrawText on Windows), which a
// CachedFont may draw through straight into a SysBitmap's device context. Wine
// renders text differently from Windows, so under Wine the glyph cache is used
// instead; there is no system renderer on other systems.

#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/pixel.h"
#include "graphics/bitmap/rect.h"
#include "graphics/bitmap/system_font.h"

// True where a system renderer exists (Windows). [any]
bool HasSystemTextRenderer();

// Whether the program runs under Wine: the registry key "Software\Wine" under
// the local-machine root opens. Checked once per process. [any]
bool RunningUnderWine();

// Tests force the answer of RunningUnderWine (0 no, 1 yes) or restore the real
// check (-1).
void OverrideWineCheckForTesting(int answer);

struct SystemTextStyle {
  SystemFontHandle font = nullptr;
  Pixel textColour = 0;
  int backMode = 1;
  Pixel backColour = 0;
};

// Draws or measures text with the system into the device context; text with a
// valid multi-byte UTF-8 sequence is drawn as UTF-16, other text byte by byte.
// format is the DrawString format without its own bits. With
// kTextCalculateRect the rect is updated. Returns the system's result (the
// text height). [editor, font scratch lock held]
int DrawTextWithSystem(DeviceContextHandle dc, const SystemTextStyle& style, const char* text, int length, Rect* rect,
                       int format);
