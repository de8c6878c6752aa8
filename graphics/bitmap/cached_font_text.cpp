// CachedFont: measuring and drawing text through the glyph cache.
#include <algorithm>

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/cached_font.h"
#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/font_scratch.h"
#include "graphics/bitmap/utf8_text.h"

namespace {

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B)};
}

// One step of the text walk: false for a carriage return (skipped); a line
// feed reports a new line unless single-line text turns it into a space.
bool NextDrawnCodePoint(const char* text, int length, int& position, int format, uint16_t& codePoint,
                        bool& newLine) {
  codePoint = NextCodePoint(text, length, position);
  newLine = false;
  if (codePoint == '\r') return false;
  if (codePoint == '\n') {
    if (format & kTextSingleLine) codePoint = ' ';
    else newLine = true;
  }
  return true;
}

}  // namespace

void CachedFont::MeasureText(const char* text, int length, int format, int& width, int& height) {
  int lineWidth = 0, widest = 0, lines = 1;
  for (int position = 0; position < length;) {
    uint16_t codePoint = 0;
    bool newLine = false;
    if (!NextDrawnCodePoint(text, length, position, format, codePoint, newLine)) continue;
    if (newLine) {
      widest = std::max(widest, lineWidth);
      lineWidth = 0;
      ++lines;
      continue;
    }
    const GlyphEntry* glyph = RenderedGlyph(codePoint);
    if (glyph) lineWidth += glyph->advance;
  }
  width = std::max(widest, lineWidth);
  height = lines * lineHeight_ + (lines - 1) * extraLineSpacing_;
}

int CachedFont::DrawWithGlyphs(Bitmap* bitmap, const char* text, int length, Rect& rect, int format) {
  float alpha = combineAlpha_;
  if (format & kTextUseColourAlpha) alpha *= static_cast<float>(PixelA(textColour_)) / 255.0f;
  if (!(alpha > 0.0f)) return 0;

  int startX = rect.L, y = rect.T;
  if (format & kTextAlignmentBits) {
    int width = 0, height = 0;
    MeasureText(text, length, format, width, height);
    if (format & kTextCentre) startX = rect.L + (rect.R - rect.L - width) / 2;
    else if (format & kTextRight) startX = rect.R - width;
    if (format & kTextVerticalCentre) y = rect.T + (rect.B - rect.T - height) / 2;
    else if (format & kTextBottom) y = rect.B - height;
  }
  // For this renderer the no-clip bit limits the glyphs to the rect (within
  // the bitmap); without it they may fall anywhere on the bitmap. The editor
  // always sets it, so its text stays inside the control's rect.
  Rect whole{0, 0, bitmap->Width(), bitmap->Height()};
  Rect clip = (format & kTextNoClip) ? Intersect(rect, whole) : whole;

  int x = startX, lines = 1;
  for (int position = 0; position < length;) {
    uint16_t codePoint = 0;
    bool newLine = false;
    if (!NextDrawnCodePoint(text, length, position, format, codePoint, newLine)) continue;
    if (newLine) {
      x = startX;
      y += lineHeight_ + extraLineSpacing_;
      ++lines;
      continue;
    }
    const GlyphEntry* glyph = RenderedGlyph(codePoint);
    if (!glyph) continue;
    if (glyph->maskPosition > 0) BlendGlyph(*bitmap, *glyph, x, y, clip, alpha);
    x += glyph->advance;
  }
  return lines * lineHeight_ + (lines - 1) * extraLineSpacing_;
}

bool CachedFont::DrawGlyph(Bitmap* bitmap, int codePoint, int x, int y, const Rect& clip) {
  if (!bitmap) return false;
  GraphicsLockHold hold(FontScratchLock());
  const GlyphEntry* glyph = RenderedGlyph(codePoint);
  if (!glyph || glyph->maskPosition <= 0) return false;
  BlendGlyph(*bitmap, *glyph, x, y, clip, combineAlpha_);
  return true;
}

void CachedFont::BlendGlyph(Bitmap& bitmap, const GlyphEntry& glyph, int x, int y, const Rect& clip, float alpha) {
  Rect cell{x, y, x + glyph.maskWidth, y + glyph.maskHeight};
  Rect area = Intersect(Intersect(cell, clip), Rect{0, 0, bitmap.Width(), bitmap.Height()});
  if (area.L >= area.R || area.T >= area.B) return;
  if (backMode_ == kBackOpaque)
    FillArea(&bitmap, area.L, area.T, area.R - area.L, area.B - area.T, backColour_, 1.0f, kBlendCopy);

  const int colour[3] = {PixelB(textColour_), PixelG(textColour_), PixelR(textColour_)};
  const bool fullWeight = alpha >= 1.0f;
  const int weight = fullWeight ? 256 : static_cast<int>(alpha * 256.0f);
  const unsigned char* mask = coverage_.data() + (glyph.maskPosition - 1);
  for (int py = area.T; py < area.B; ++py) {
    const unsigned char* maskRow = mask + static_cast<long>(py - y) * glyph.maskWidth;
    auto* row = reinterpret_cast<unsigned char*>(bitmap.Row(py));
    for (int px = area.L; px < area.R; ++px) {
      int v = maskRow[px - x];
      if (v == 0) continue;
      unsigned char* p = row + 4 * px;
      // keep: the share of the destination that stays, over 256 (255 - v at full
      // weight). Alpha is pulled toward opaque by the same share.
      int keep = fullWeight ? 255 - v : 256 - std::min(256, weight * v / 256);
      for (int i = 0; i < 3; ++i) p[i] = static_cast<unsigned char>(colour[i] + (p[i] - colour[i]) * keep / 256);
      p[3] = static_cast<unsigned char>((keep * (p[3] - 255) / 256 - 1) & 255);
    }
  }
}
