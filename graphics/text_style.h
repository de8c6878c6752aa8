#pragma once
// TextStyle: the font and colours a control draws text with, and the colours of
// its text entry. The cached font is filled in by the editor on first use and
// belongs to the process-wide font cache, never to the style.

#include <cstdint>

#include "graphics/colour.h"

class CachedFont;

inline constexpr int kFontFaceSize = 32;

enum TextWeightStyle : int32_t { kTextStyleNormal = 0, kTextStyleBold = 1, kTextStyleItalic = 2 };
enum TextAlignment : int32_t { kAlignNear = 0, kAlignCentre = 1, kAlignFar = 2 };

struct TextStyle {
  char face[kFontFaceSize] = "Verdana";
  int32_t size = 12;  // pixel height
  Colour colour = kColourBlack;
  Colour entryBackground = kColourWhite;
  Colour entryText = kColourBlack;
  int32_t style = kTextStyleNormal;
  int32_t alignment = kAlignCentre;
  int32_t orientation = 0;  // degrees counter-clockwise
  int32_t quality = 0;      // 0 default, 1 non-antialiased, 2 antialiased, 3 ClearType
  CachedFont* cachedFont = nullptr;
};

// A style with the given face (truncated to fit) and the other fields as given.
TextStyle MakeTextStyle(const char* face, int size, Colour colour, int style, int alignment);
