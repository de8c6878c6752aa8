#pragma once
// CachedFont: a system font that draws either through the system's own text
// renderer (Windows GDI, straight into a SysBitmap's device context) or from a
// cache of per-character coverage masks, rendered once with the system and
// blended by this class. The editor makes one per text style and keeps it for
// the life of the module.
//
// Fonts are used on the editor's window thread; the scratch surfaces they
// share with other fonts are guarded by FontScratchLock().

#include <cstdint>
#include <vector>

#include "graphics/bitmap/font.h"

class CachedFont final : public Font {
 public:
  CachedFont();
  ~CachedFont() override;
  CachedFont(const CachedFont&) = delete;
  CachedFont& operator=(const CachedFont&) = delete;

  // Takes the font (owning it with kFontOwnsSystemFont), reads its line height
  // and empties the glyph cache. [editor]
  void SetFromSystemFont(SystemFontHandle font, int flags) override;
  Pixel SetTextColour(Pixel colour) override;
  Pixel SetBackColour(Pixel colour) override;
  Pixel SetEffectColour(Pixel colour) override;
  int SetBackMode(int mode) override;
  // Glyphs always blend with the copy arithmetic; the mode is kept for callers.
  void SetCombineMode(int blendMode, float alpha) override;
  int DrawString(Bitmap* bitmap, const char* text, int length, Rect* rect, int format) override;
  Pixel TextColour() const override { return textColour_; }
  SystemFontHandle SystemFont() const override { return systemFont_; }
  int LineHeight() const override { return lineHeight_; }

  // Blends the glyph of codePoint at (x, y) within clip; false when the glyph
  // has nothing to draw. [editor]
  bool DrawGlyph(Bitmap* bitmap, int codePoint, int x, int y, const Rect& clip);

  // The pen advance of a glyph (rendering it on first use); 0 when it has none.
  int GlyphAdvance(int codePoint);
  int CachedGlyphCount() const;  // entries rendered so far (direct table and list)
  // The coverage mask of a glyph (rendering it on first use): width × height
  // bytes, valid until the next glyph is rendered. False when it has none.
  bool GlyphMask(int codePoint, const unsigned char** mask, int* width, int* height);

 private:
  struct GlyphEntry {
    int maskPosition = 0;  // offset in coverage_ + 1; 0 not rendered yet, -1 nothing to draw
    int maskWidth = 0;
    int maskHeight = 0;
    int advance = 0;
    uint16_t codePoint = 0;
  };

  bool UsesSystemRenderer(Bitmap* bitmap, int format) const;
  int DrawWithSystem(Bitmap* bitmap, const char* text, int length, Rect* rect, int format);
  void MeasureText(const char* text, int length, int format, int& width, int& height);
  int DrawWithGlyphs(Bitmap* bitmap, const char* text, int length, Rect& rect, int format);
  void BlendGlyph(Bitmap& bitmap, const GlyphEntry& glyph, int x, int y, const Rect& clip, float alpha);
  const GlyphEntry* RenderedGlyph(int codePoint);  // null when no entry can exist
  GlyphEntry* FindEntry(int codePoint);
  void Render(GlyphEntry& entry);
  void ClearGlyphs();

  Pixel textColour_ = 0;
  Pixel backColour_ = 0xFFFFFFFFu;
  Pixel effectColour_ = 0xFFFFFFFFu;
  int backMode_ = kBackTransparent;
  int combineMode_ = 0;
  float combineAlpha_ = 1.0f;
  int flags_ = 0;
  int lineHeight_ = 0;
  int extraLineSpacing_ = 0;
  GlyphEntry direct_[128];
  std::vector<GlyphEntry> sorted_;     // code points above 127, ascending
  std::vector<unsigned char> coverage_;  // all masks, row after row each
  SystemFontHandle systemFont_ = nullptr;
};
