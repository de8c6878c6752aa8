// CachedFont: the glyph cache. Masks are rendered once per code point with the
// system font, white on black in the shared glyph surface, and kept as 8-bit
// coverage.
#include <algorithm>
#include <climits>

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/cached_font.h"
#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/font_scratch.h"

namespace {
constexpr int kMaxLineHeightForGlyphs = 1023;
constexpr int kMaxCellWidth = 4096;
constexpr size_t kListGrowthBytes = 4096;
constexpr size_t kCoverageGrowthBytes = 65536;
}  // namespace

void CachedFont::ClearGlyphs() {
  for (int codePoint = 0; codePoint < 128; ++codePoint) {
    direct_[codePoint] = GlyphEntry{};
    direct_[codePoint].codePoint = static_cast<uint16_t>(codePoint);
  }
  sorted_.clear();
  coverage_.clear();
}

CachedFont::GlyphEntry* CachedFont::FindEntry(int codePoint) {
  if (codePoint < 0 || codePoint > 0xFFFF) return nullptr;
  if (codePoint < 128) return &direct_[codePoint];
  auto at = std::lower_bound(sorted_.begin(), sorted_.end(), codePoint,
                             [](const GlyphEntry& entry, int wanted) { return entry.codePoint < wanted; });
  if (at != sorted_.end() && at->codePoint == codePoint) return &*at;
  if (flags_ & kFontPrerenderAscii) return nullptr;  // such fonts hold 0..127 only
  auto index = at - sorted_.begin();  // growing moves the list
  if (sorted_.size() == sorted_.capacity()) {
    constexpr size_t step = kListGrowthBytes / sizeof(GlyphEntry);
    sorted_.reserve(sorted_.capacity() + step);
  }
  GlyphEntry entry;
  entry.codePoint = static_cast<uint16_t>(codePoint);
  return &*sorted_.insert(sorted_.begin() + index, entry);
}

const CachedFont::GlyphEntry* CachedFont::RenderedGlyph(int codePoint) {
  if (!systemFont_ || lineHeight_ > kMaxLineHeightForGlyphs) return nullptr;
  GlyphEntry* entry = FindEntry(codePoint);
  if (entry && entry->maskPosition == 0) Render(*entry);
  return entry;
}

void CachedFont::Render(GlyphEntry& entry) {
  int side = std::max(lineHeight_, 1) * 2 + 8;
  SysBitmap* surface = &GlyphSurface(side);
  int measuredWidth = 0, measuredHeight = 0;
  MeasureSystemCharacter(*surface, systemFont_, entry.codePoint, &measuredWidth, &measuredHeight);
  entry.advance = std::max(measuredWidth, 0);
  entry.maskPosition = -1;
  if (measuredWidth <= 0 || measuredHeight <= 0) return;
  int cellWidth = measuredWidth + (lineHeight_ >= 16 ? lineHeight_ / 16 : 0) + 2;
  int cellHeight = measuredHeight;
  if (cellWidth > kMaxCellWidth || cellHeight > kMaxCellWidth) return;
  if (cellWidth > surface->Width() || cellHeight > surface->Height())
    surface = &GlyphSurface(std::max(cellWidth, cellHeight));
  if (!surface->Bits()) return;

  FillArea(surface, 0, 0, cellWidth, cellHeight, MakePixel(255, 0, 0, 0), 1.0f, kBlendCopy);
  DrawSystemCharacter(*surface, systemFont_, entry.codePoint, Rect{0, 0, cellWidth, cellHeight});

  size_t maskBytes = static_cast<size_t>(cellWidth) * cellHeight;
  size_t offset = coverage_.size();
  if (offset + maskBytes >= INT_MAX) return;
  if (coverage_.capacity() < offset + maskBytes)
    coverage_.reserve((offset + maskBytes + kCoverageGrowthBytes) / kCoverageGrowthBytes * kCoverageGrowthBytes);
  int lastCoveredColumn = -1;
  for (int y = 0; y < cellHeight; ++y) {
    const Pixel* row = surface->Row(y);
    for (int x = 0; x < cellWidth; ++x) {
      int value = PixelR(row[x]);
      if (flags_ & kFontInvertMask) value = 255 - value;
      if (value > 0) lastCoveredColumn = std::max(lastCoveredColumn, x);
      coverage_.push_back(static_cast<unsigned char>(value));
    }
  }
  entry.maskPosition = static_cast<int>(offset) + 1;
  entry.maskWidth = cellWidth;
  entry.maskHeight = cellHeight;
  entry.advance = std::max(measuredWidth, lastCoveredColumn + 1);
}

int CachedFont::GlyphAdvance(int codePoint) {
  GraphicsLockHold hold(FontScratchLock());
  const GlyphEntry* glyph = RenderedGlyph(codePoint);
  return glyph ? glyph->advance : 0;
}

int CachedFont::CachedGlyphCount() const {
  int count = 0;
  for (const GlyphEntry& entry : direct_) count += entry.maskPosition != 0;
  for (const GlyphEntry& entry : sorted_) count += entry.maskPosition != 0;
  return count;
}

bool CachedFont::GlyphMask(int codePoint, const unsigned char** mask, int* width, int* height) {
  GraphicsLockHold hold(FontScratchLock());
  const GlyphEntry* glyph = RenderedGlyph(codePoint);
  if (!glyph || glyph->maskPosition <= 0) return false;
  *mask = coverage_.data() + (glyph->maskPosition - 1);
  *width = glyph->maskWidth;
  *height = glyph->maskHeight;
  return true;
}
