// CachedFont: life cycle, settings and the choice between the two renderers.
#include "graphics/bitmap/cached_font.h"

#include <cstring>

#include "graphics/bitmap/font_scratch.h"
#include "graphics/bitmap/system_text_renderer.h"

CachedFont::CachedFont() {
  GraphicsLockHold hold(FontScratchLock());
  AddLiveFont();
}

CachedFont::~CachedFont() {
  GraphicsLockHold hold(FontScratchLock());
  if ((flags_ & kFontOwnsSystemFont) && systemFont_) DeleteSystemFont(systemFont_);
  RemoveLiveFont();
}

void CachedFont::SetFromSystemFont(SystemFontHandle font, int flags) {
  GraphicsLockHold hold(FontScratchLock());
  if ((flags_ & kFontOwnsSystemFont) && systemFont_ && systemFont_ != font) DeleteSystemFont(systemFont_);
  flags_ = flags;
  systemFont_ = font;
  if (font) lineHeight_ = SystemFontLineHeight(GlyphSurface(256), font);
  ClearGlyphs();
  if (flags_ & kFontPrerenderAscii)
    for (int codePoint = 0; codePoint < 128; ++codePoint) RenderedGlyph(codePoint);
}

Pixel CachedFont::SetTextColour(Pixel colour) {
  Pixel previous = textColour_;
  textColour_ = colour;
  return previous;
}

Pixel CachedFont::SetBackColour(Pixel colour) {
  Pixel previous = backColour_;
  backColour_ = colour;
  return previous;
}

Pixel CachedFont::SetEffectColour(Pixel colour) {
  Pixel previous = effectColour_;
  effectColour_ = colour;
  return previous;
}

int CachedFont::SetBackMode(int mode) {
  int previous = backMode_;
  backMode_ = mode;
  return previous;
}

void CachedFont::SetCombineMode(int blendMode, float alpha) {
  combineMode_ = blendMode;
  combineAlpha_ = alpha;
}

bool CachedFont::UsesSystemRenderer(Bitmap* bitmap, int format) const {
  if (!HasSystemTextRenderer() || !systemFont_) return false;
  // The system draws through a device context; a bitmap without one (a
  // MemBitmap) gets the glyph renderer whatever the font prefers.
  DeviceContextHandle dc = bitmap ? bitmap->DeviceContext() : MeasuringSurface().DeviceContext();
  if (!dc) return false;
  if (lineHeight_ > 255) return true;
  constexpr int kGlyphOnlyFlags = kFontPrerenderAscii | kFontVertical | kFontBottomUp | kFontBlur | kFontInvertMask |
                                  kFontOneBitMasks | kFontOutline | kFontShadow;
  if (!(flags_ & kFontPreferSystemRenderer) || (format & kTextUseColourAlpha) || (flags_ & kGlyphOnlyFlags))
    return false;
  if (RunningUnderWine()) return false;
  return extraLineSpacing_ == 0 || (format & kTextSingleLine);
}

int CachedFont::DrawWithSystem(Bitmap* bitmap, const char* text, int length, Rect* rect, int format) {
  DeviceContextHandle dc = bitmap ? bitmap->DeviceContext() : MeasuringSurface().DeviceContext();
  SystemTextStyle style;
  style.font = systemFont_;
  style.textColour = textColour_;
  style.backMode = backMode_;
  style.backColour = backColour_;
  return DrawTextWithSystem(dc, style, text, length, rect, (format & ~kTextUseColourAlpha) | kTextNoPrefix);
}

int CachedFont::DrawString(Bitmap* bitmap, const char* text, int length, Rect* rect, int format) {
  if (!bitmap && !(format & kTextCalculateRect)) return 0;
  if (!text || !rect) return 0;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  GraphicsLockHold hold(FontScratchLock());
  if (UsesSystemRenderer(bitmap, format)) return DrawWithSystem(bitmap, text, length, rect, format);
  if (format & kTextCalculateRect) {
    int width = 0, height = 0;
    MeasureText(text, length, format, width, height);
    rect->R = rect->L + width;
    rect->B = rect->T + height;
    return height;
  }
  return DrawWithGlyphs(bitmap, text, length, *rect, format);
}
