// CachedFont: text walking (UTF-8 rules, line breaks), measuring, the glyph
// cache, the arithmetic of glyph blending, alignment, clipping, the choice of
// renderer and the shared scratch surfaces. The system font is GDI's Arial on
// Windows (under Wine) and a metric-compatible FreeType face elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "graphics/bitmap/cached_font.h"
#include "graphics/bitmap/font_scratch.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/sys_bitmap.h"
#include "graphics/bitmap/system_text_renderer.h"

namespace {

constexpr int kEditorFontFlags = kFontOwnsSystemFont | kFontPreferSystemRenderer;

std::unique_ptr<CachedFont> MakeFont(int height = 20, int flags = kEditorFontFlags, const char* face = "Arial") {
  SystemFontRequest request;
  request.face = face;
  request.height = height;
  request.quality = FontQuality::Antialiased;
  SystemFontHandle system = CreateSystemFont(request);
  EXPECT_NE(system, nullptr);
  auto font = std::make_unique<CachedFont>();
  font->SetFromSystemFont(system, flags);
  return font;
}

void Paint(Bitmap& bitmap, Pixel pixel) {
  for (int y = 0; y < bitmap.Height(); ++y) std::fill(bitmap.Row(y), bitmap.Row(y) + bitmap.Width(), pixel);
}

std::vector<Pixel> PixelsOf(Bitmap& bitmap) {
  std::vector<Pixel> pixels;
  for (int y = 0; y < bitmap.Height(); ++y) pixels.insert(pixels.end(), bitmap.Row(y), bitmap.Row(y) + bitmap.Width());
  return pixels;
}

int MeasureWidth(CachedFont& font, const char* text, int format = 0) {
  Rect rect{10, 20, 10, 20};
  font.DrawString(nullptr, text, -1, &rect, format | kTextCalculateRect);
  return rect.R - rect.L;
}

// The Windows system renderer is only chosen outside Wine; tests that need a
// decision pin the answer and restore the real check afterwards.
class WineAnswer {
 public:
  explicit WineAnswer(int answer) { OverrideWineCheckForTesting(answer); }
  ~WineAnswer() { OverrideWineCheckForTesting(-1); }
};

class CachedFontTest : public ::testing::Test {
 protected:
  WineAnswer underWine_{1};  // glyph renderer unless a test says otherwise
};

TEST_F(CachedFontTest, LineHeightComesFromTheSystemFont) {
  auto font = MakeFont(20);
  EXPECT_EQ(font->LineHeight(), 20);
  EXPECT_NE(font->SystemFont(), nullptr);
}

TEST_F(CachedFontTest, TwoByteSequenceDrawsOneGlyph) {
  auto font = MakeFont();
  MemBitmap bitmap(60, 30);
  Paint(bitmap, MakePixel(255, 255, 255, 255));
  Rect rect{0, 0, 60, 30};
  font->DrawString(&bitmap, "\xC3\xA9", -1, &rect, 0);
  EXPECT_EQ(font->CachedGlyphCount(), 1);
  EXPECT_GT(font->GlyphAdvance(0xE9), 0);
  EXPECT_EQ(MeasureWidth(*font, "\xC3\xA9"), font->GlyphAdvance(0xE9));
  EXPECT_NE(PixelsOf(bitmap), std::vector<Pixel>(60 * 30, MakePixel(255, 255, 255, 255)));
}

TEST_F(CachedFontTest, FourByteSequenceDrawsASpace) {
  auto font = MakeFont();
  MemBitmap bitmap(60, 30);
  Paint(bitmap, MakePixel(255, 255, 255, 255));
  Rect rect{0, 0, 60, 30};
  font->DrawString(&bitmap, "\xF0\x9F\x98\x80", -1, &rect, 0);
  EXPECT_EQ(font->CachedGlyphCount(), 1);
  EXPECT_EQ(MeasureWidth(*font, "\xF0\x9F\x98\x80"), font->GlyphAdvance(' '));
  EXPECT_EQ(PixelsOf(bitmap), std::vector<Pixel>(60 * 30, MakePixel(255, 255, 255, 255)));
}

TEST_F(CachedFontTest, InvalidBytesStandForThemselves) {
  auto font = MakeFont();
  EXPECT_EQ(MeasureWidth(*font, "\xE9"), font->GlyphAdvance(0xE9));
  EXPECT_EQ(MeasureWidth(*font, "\xC3(x"), font->GlyphAdvance(0xC3) + font->GlyphAdvance('(') + font->GlyphAdvance('x'));
}

TEST_F(CachedFontTest, MeasuringGivesWidestLineAndTotalHeightAndDrawsNothing) {
  auto font = MakeFont();
  int a = font->GlyphAdvance('A'), b = font->GlyphAdvance('B'), c = font->GlyphAdvance('C');
  MemBitmap bitmap(40, 40);
  Paint(bitmap, 0x11223344u);
  Rect rect{5, 7, 5, 7};
  int height = font->DrawString(&bitmap, "AB\r\nC", -1, &rect, kTextCalculateRect);
  EXPECT_EQ(rect.L, 5);
  EXPECT_EQ(rect.T, 7);
  EXPECT_EQ(rect.R, 5 + std::max(a + b, c));
  EXPECT_EQ(rect.B, 7 + 2 * font->LineHeight());
  EXPECT_EQ(height, 2 * font->LineHeight());
  EXPECT_EQ(PixelsOf(bitmap), std::vector<Pixel>(40 * 40, 0x11223344u));

  // On a single line the line feed counts as a space.
  rect = Rect{0, 0, 0, 0};
  font->DrawString(nullptr, "AB\nC", -1, &rect, kTextCalculateRect | kTextSingleLine);
  EXPECT_EQ(rect.R, a + b + font->GlyphAdvance(' ') + c);
  EXPECT_EQ(rect.B, font->LineHeight());
}

TEST_F(CachedFontTest, NothingWithoutTargetUnlessMeasuring) {
  auto font = MakeFont();
  Rect rect{0, 0, 50, 50};
  EXPECT_EQ(font->DrawString(nullptr, "A", -1, &rect, 0), 0);
  EXPECT_EQ(font->CachedGlyphCount(), 0);
}

TEST_F(CachedFontTest, GlyphsAboveAsciiAreKeptInCodePointOrder) {
  std::vector<int> codePoints;
  for (int cp = 0x400; cp < 0x450; ++cp) codePoints.push_back(cp);
  auto inOrder = MakeFont();
  std::vector<int> advances;
  for (int cp : codePoints) advances.push_back(inOrder->GlyphAdvance(cp));
  std::shuffle(codePoints.begin(), codePoints.end(), std::mt19937(5));
  auto shuffled = MakeFont();
  for (int cp : codePoints) shuffled->GlyphAdvance(cp);
  EXPECT_EQ(shuffled->CachedGlyphCount(), 0x50);
  for (int cp = 0x400; cp < 0x450; ++cp) EXPECT_EQ(shuffled->GlyphAdvance(cp), advances[cp - 0x400]) << cp;
  EXPECT_EQ(shuffled->CachedGlyphCount(), 0x50);  // found again, not added twice
}

TEST_F(CachedFontTest, PrerenderFlagRendersAsciiOnlyAndAtOnce) {
  auto font = MakeFont(20, kEditorFontFlags | kFontPrerenderAscii);
  EXPECT_EQ(font->CachedGlyphCount(), 128);
  EXPECT_EQ(font->GlyphAdvance(0xE9), 0);
  EXPECT_EQ(font->CachedGlyphCount(), 128);
}

TEST_F(CachedFontTest, HugeFontsRenderNoGlyphs) {
  auto font = MakeFont(1100);
  ASSERT_GT(font->LineHeight(), 1023);
  MemBitmap bitmap(50, 50);
  Paint(bitmap, 0);
  Rect rect{0, 0, 50, 50};
  font->DrawString(&bitmap, "I", -1, &rect, 0);
  EXPECT_EQ(font->CachedGlyphCount(), 0);
  EXPECT_EQ(PixelsOf(bitmap), std::vector<Pixel>(50 * 50, 0u));
}

// The blend of each coverage value, worked out per pixel from the mask.
void CheckGlyphBlend(float combineAlpha) {
  auto font = MakeFont(24);
  font->SetTextColour(MakePixel(255, 30, 140, 250));
  font->SetCombineMode(0, combineAlpha);
  const unsigned char* mask = nullptr;
  int mw = 0, mh = 0;
  ASSERT_TRUE(font->GlyphMask('W', &mask, &mw, &mh));
  std::vector<unsigned char> coverage(mask, mask + mw * mh);

  MemBitmap bitmap(mw + 10, mh + 10);
  std::mt19937 random(3);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) bitmap.Row(y)[x] = static_cast<Pixel>(random());
  std::vector<Pixel> before = PixelsOf(bitmap);
  const int gx = 3, gy = 2;
  Rect clip{5, 0, gx + mw - 2, gy + mh};  // cuts both sides of the glyph
  EXPECT_TRUE(font->DrawGlyph(&bitmap, 'W', gx, gy, clip));

  const int colour[3] = {250, 140, 30};
  int covered = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      Pixel old = before[static_cast<size_t>(y) * bitmap.Width() + x];
      Pixel want = old;
      bool inside = x >= clip.L && x < clip.R && y >= clip.T && y < clip.B && x >= gx && x < gx + mw && y >= gy &&
                    y < gy + mh;
      int v = inside ? coverage[static_cast<size_t>(y - gy) * mw + (x - gx)] : 0;
      if (v > 0) {
        ++covered;
        int h = combineAlpha >= 1.0f ? 255 - v : 256 - std::min(256, static_cast<int>(combineAlpha * 256) * v / 256);
        int channels[4];
        for (int i = 0; i < 3; ++i) {
          int d = (old >> (8 * i)) & 255;
          channels[i] = colour[i] + (d - colour[i]) * h / 256;
        }
        int a = static_cast<int>(old >> 24);
        channels[3] = (h * (a - 255) / 256 - 1) & 255;
        want = MakePixel(channels[3], channels[2], channels[1], channels[0]);
      }
      ASSERT_EQ(bitmap.Row(y)[x], want) << x << "," << y << " coverage " << v;
    }
  EXPECT_GT(covered, 20);
}

TEST_F(CachedFontTest, DrawGlyphBlendsEachCoverageValueAtFullWeight) { CheckGlyphBlend(1.0f); }
TEST_F(CachedFontTest, DrawGlyphBlendsEachCoverageValueAtPartialWeight) { CheckGlyphBlend(0.6f); }

TEST_F(CachedFontTest, OpaqueBackModeFillsTheGlyphCell) {
  auto font = MakeFont();
  font->SetBackMode(kBackOpaque);
  font->SetBackColour(MakePixel(255, 0, 0, 200));
  MemBitmap bitmap(40, 40);
  Paint(bitmap, 0);
  EXPECT_TRUE(font->DrawGlyph(&bitmap, '.', 0, 0, Rect{0, 0, 40, 40}));
  EXPECT_EQ(bitmap.Row(0)[0], MakePixel(255, 0, 0, 200));  // no coverage in the top-left corner of '.'
  EXPECT_EQ(bitmap.Row(39)[39], 0u);
}

TEST_F(CachedFontTest, AlignmentMovesTheStartByTheMeasuredSize) {
  auto font = MakeFont();
  const char* text = "Hello\nyou";
  Rect probe{0, 0, 0, 0};
  font->DrawString(nullptr, text, -1, &probe, kTextCalculateRect);
  int w = probe.R, h = probe.B;
  const Rect box{3, 4, 124, 97};
  struct Case {
    int format, x, y;
  } cases[] = {{kTextCentre | kTextVerticalCentre, box.L + (box.R - box.L - w) / 2, box.T + (box.B - box.T - h) / 2},
               {kTextRight | kTextBottom, box.R - w, box.B - h}};
  for (const Case& c : cases) {
    MemBitmap aligned(130, 100), placed(130, 100);
    Paint(aligned, 0);
    Paint(placed, 0);
    Rect rect = box;
    font->DrawString(&aligned, text, -1, &rect, c.format);
    Rect at{c.x, c.y, c.x + 500, c.y + 500};
    font->DrawString(&placed, text, -1, &at, 0);
    EXPECT_EQ(PixelsOf(aligned), PixelsOf(placed)) << c.format;
  }
}

TEST_F(CachedFontTest, NoClipBitKeepsGlyphsInsideTheRect) {
  auto font = MakeFont();
  MemBitmap clipped(100, 30), free(100, 30);
  Paint(clipped, 0);
  Paint(free, 0);
  Rect rect{0, 0, 20, 30};
  font->DrawString(&clipped, "WWWWW", -1, &rect, kTextNoClip);
  font->DrawString(&free, "WWWWW", -1, &rect, 0);
  int outsideClipped = 0, outsideFree = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 20; x < 100; ++x) {
      outsideClipped += clipped.Row(y)[x] != 0;
      outsideFree += free.Row(y)[x] != 0;
    }
  EXPECT_EQ(outsideClipped, 0);
  EXPECT_GT(outsideFree, 0);
}

TEST_F(CachedFontTest, ColourAlphaGoesThroughTheGlyphRendererAndZeroDrawsNothing) {
  WineAnswer notWine(0);  // on Windows the system renderer would be chosen otherwise
  auto font = MakeFont();
  SysBitmap bitmap(80, 30);
  Paint(bitmap, MakePixel(255, 255, 255, 255));
  Rect rect{0, 0, 80, 30};
  font->SetTextColour(MakePixel(0, 0, 0, 0));
  EXPECT_EQ(font->DrawString(&bitmap, "Text", -1, &rect, kTextUseColourAlpha), 0);
  EXPECT_EQ(PixelsOf(bitmap), std::vector<Pixel>(80 * 30, MakePixel(255, 255, 255, 255)));

  font->SetTextColour(MakePixel(128, 0, 0, 0));
  font->DrawString(&bitmap, "Text", -1, &rect, kTextUseColourAlpha);
  EXPECT_GT(font->CachedGlyphCount(), 0);

  // The same as a glyph-only font blending at weight 128/255.
  auto glyphOnly = MakeFont(20, kFontOwnsSystemFont);
  glyphOnly->SetTextColour(MakePixel(255, 0, 0, 0));
  glyphOnly->SetCombineMode(0, 128.0f / 255.0f);
  MemBitmap reference(80, 30);
  Paint(reference, MakePixel(255, 255, 255, 255));
  glyphOnly->DrawString(&reference, "Text", -1, &rect, 0);
  EXPECT_EQ(PixelsOf(bitmap), PixelsOf(reference));
}

TEST_F(CachedFontTest, RendererChoiceFollowsPlatformAndWineCheck) {
  WineAnswer notWine(0);
  auto font = MakeFont();
  SysBitmap bitmap(80, 30);
  Paint(bitmap, MakePixel(255, 255, 255, 255));
  Rect rect{0, 0, 80, 30};
  font->DrawString(&bitmap, "Text", -1, &rect, 0);
  EXPECT_NE(PixelsOf(bitmap), std::vector<Pixel>(80 * 30, MakePixel(255, 255, 255, 255)));
#ifdef _WIN32
  EXPECT_EQ(font->CachedGlyphCount(), 0);  // GDI drew it
  Rect measured{0, 0, 0, 0};
  EXPECT_EQ(font->DrawString(nullptr, "Text", -1, &measured, kTextCalculateRect), font->LineHeight());
  EXPECT_GT(measured.R, 20);
  EXPECT_EQ(font->CachedGlyphCount(), 0);
#else
  EXPECT_GT(font->CachedGlyphCount(), 0);  // no system renderer here
#endif
  // A MemBitmap has no device context: the glyph renderer draws on it.
  auto second = MakeFont();
  MemBitmap memory(80, 30);
  second->DrawString(&memory, "Text", -1, &rect, 0);
  EXPECT_GT(second->CachedGlyphCount(), 0);
}

TEST_F(CachedFontTest, ScratchSurfacesLiveAsLongAsAnyFont) {
  int before = LiveFontCount();
  ASSERT_EQ(before, 0);
  auto first = MakeFont();
  auto second = MakeFont();
  EXPECT_EQ(LiveFontCount(), 2);
  second->GlyphAdvance('x');
  EXPECT_TRUE(ScratchSurfacesExist());
  second.reset();
  EXPECT_EQ(LiveFontCount(), 1);
  EXPECT_TRUE(ScratchSurfacesExist());
  first.reset();
  EXPECT_EQ(LiveFontCount(), 0);
  EXPECT_FALSE(ScratchSurfacesExist());
}

}  // namespace
