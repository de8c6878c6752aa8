#pragma once
// Font: draws text into bitmaps. CachedFont (cached_font.h) is the one kind.
// Pixels and blend modes are those of pixel.h and blend_mode.h.

#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/rect.h"
#include "graphics/bitmap/system_font.h"

// DrawString format bits: the system text renderer's own bits plus one.
inline constexpr int kTextCentre = 0x1;
inline constexpr int kTextRight = 0x2;
inline constexpr int kTextVerticalCentre = 0x4;
inline constexpr int kTextBottom = 0x8;
inline constexpr int kTextSingleLine = 0x20;
inline constexpr int kTextNoClip = 0x100;
inline constexpr int kTextCalculateRect = 0x400;
inline constexpr int kTextNoPrefix = 0x800;
inline constexpr int kTextUseColourAlpha = 0x40000000;  // weight the text by its colour's alpha
inline constexpr int kTextAlignmentBits = kTextCentre | kTextRight | kTextVerticalCentre | kTextBottom;

// Font flags.
inline constexpr int kFontVertical = 0x1;
inline constexpr int kFontBottomUp = 0x2;
inline constexpr int kFontPrerenderAscii = 0x4;   // render code points 0..127 at once, cache no others
inline constexpr int kFontBlur = 0x10;
inline constexpr int kFontInvertMask = 0x20;
inline constexpr int kFontOneBitMasks = 0x40;
inline constexpr int kFontOutline = 0x80;
inline constexpr int kFontShadow = 0x100;
inline constexpr int kFontOwnsSystemFont = 0x200;  // delete the system font with the font
inline constexpr int kFontPreferSystemRenderer = 0x400;

// Back modes.
inline constexpr int kBackTransparent = 1;
inline constexpr int kBackOpaque = 2;

class Font {
 public:
  virtual ~Font() = default;
  virtual void SetFromSystemFont(SystemFontHandle font, int flags) = 0;
  virtual Pixel SetTextColour(Pixel colour) = 0;  // each setter returns the previous value
  virtual Pixel SetBackColour(Pixel colour) = 0;
  virtual Pixel SetEffectColour(Pixel colour) = 0;
  virtual int SetBackMode(int mode) = 0;
  virtual void SetCombineMode(int blendMode, float alpha) = 0;
  // Draws (or with kTextCalculateRect measures) length bytes of UTF-8 text
  // (length < 0: up to the NUL) in rect. Returns the text height, 0 when
  // nothing could be done. [editor]
  virtual int DrawString(Bitmap* bitmap, const char* text, int length, Rect* rect, int format) = 0;
  virtual Pixel TextColour() const = 0;
  virtual SystemFontHandle SystemFont() const = 0;
  virtual int LineHeight() const = 0;
};
