// The artwork program's pieces: the PNG writer (straight colour from cairo's
// premultiplied pixels, nothing in the file but the pixels), the textures (valid
// premultiplied pixels, transparent stays transparent, the same seed gives the
// same result), the layout the captions are placed by, and centred text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "canvas.h"
#include "control_places.h"
#include "font_book.h"
#include "graphics/bitmap/png_decode.h"
#include "png_writer.h"
#include "texture.h"

namespace {

std::string ScratchPath(const char* name) { return testing::TempDir() + name; }

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The chunk types of a PNG file, in order.
std::vector<std::string> ChunkTypes(const std::vector<unsigned char>& png) {
  std::vector<std::string> types;
  for (size_t at = 8; at + 8 <= png.size();) {
    const size_t length = (size_t{png[at]} << 24) | (size_t{png[at + 1]} << 16) | (size_t{png[at + 2]} << 8) | png[at + 3];
    types.emplace_back(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
    at += 12 + length;
  }
  return types;
}

std::vector<uint32_t> Pixels(Canvas& canvas) {
  std::vector<uint32_t> out;
  for (int y = 0; y < canvas.Height(); ++y) out.insert(out.end(), canvas.Row(y), canvas.Row(y) + canvas.Width());
  return out;
}

TEST(ArtworkPngWriter, WritesStraightColourAndOnlyThePixels) {
  Canvas canvas(3, 1);
  uint32_t* row = canvas.Row(0);
  row[0] = 0xFF204060u;  // opaque
  row[1] = 0x80402000u;  // half covered: straight colour is twice the stored one
  row[2] = 0x00000000u;  // transparent
  canvas.MarkDirty();
  const std::string path = ScratchPath("artwork_writer_rgba.png");
  ASSERT_TRUE(WritePng(canvas, path));
  const std::vector<unsigned char> bytes = ReadAll(path);
  std::remove(path.c_str());
  EXPECT_EQ(ChunkTypes(bytes), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::unique_ptr<MemBitmap> decoded(DecodePngMemory(bytes.data(), bytes.size()));
  ASSERT_NE(decoded, nullptr);
  const Pixel* px = decoded->Row(0);
  EXPECT_EQ(px[0], MakePixel(255, 0x20, 0x40, 0x60));
  EXPECT_EQ(PixelA(px[1]), 0x80);
  EXPECT_EQ(PixelR(px[1]), 0x80);  // 0x40 · 255 / 128, rounded
  EXPECT_EQ(PixelG(px[1]), 0x40);
  EXPECT_EQ(PixelB(px[1]), 0);
  EXPECT_EQ(PixelA(px[2]), 0);
}

TEST(ArtworkPngWriter, OpaqueCanvasBecomesRgbAndBadPathLeavesNothing) {
  Canvas canvas(2, 2);
  cairo_set_source_rgb(canvas.Cr(), 0.5, 0.25, 1);
  cairo_paint(canvas.Cr());
  const std::string path = ScratchPath("artwork_writer_rgb.png");
  ASSERT_TRUE(WritePng(canvas, path));
  const std::vector<unsigned char> bytes = ReadAll(path);
  std::remove(path.c_str());
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes[25], 2);  // colour type: RGB
  EXPECT_FALSE(WritePng(canvas, ScratchPath("no-such-folder/x.png")));
  EXPECT_TRUE(ReadAll(ScratchPath("no-such-folder/x.png")).empty());
}

// A canvas whose left half is transparent and right half an opaque mid grey,
// with one half-covered column between them.
Canvas HalfCovered() {
  Canvas canvas(64, 16);
  cairo_t* cr = canvas.Cr();
  cairo_rectangle(cr, 31.5, 0, 32.5, 16);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_fill(cr);
  return canvas;
}

TEST(ArtworkTextures, KeepPixelsValidAndTransparentPixelsTransparent) {
  using Texture = void (*)(Canvas&);
  const Texture textures[] = {
      [](Canvas& c) { AddGrain(c, {0, 0, 64, 16}, 1, 200); },
      [](Canvas& c) { AddBrushing(c, {-5, -5, 80, 30}, 2, 200, 9); },  // clipped to the canvas
      [](Canvas& c) { AddMottle(c, {0, 0, 64, 16}, 3, 200, 4); },
      [](Canvas& c) { AddWeave(c, {0, 0, 64, 16}, 200, 3); },
  };
  for (Texture texture : textures) {
    Canvas canvas = HalfCovered();
    texture(canvas);
    int changed = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 64; ++x) {
        const uint32_t p = canvas.Row(y)[x];
        const uint32_t a = p >> 24;
        if (x < 31) {
          EXPECT_EQ(p, 0u) << x << "," << y;
        }
        // Premultiplied: no channel may exceed the coverage.
        EXPECT_LE((p >> 16) & 255, a);
        EXPECT_LE((p >> 8) & 255, a);
        EXPECT_LE(p & 255, a);
        changed += x >= 32 && (p & 0xFFFFFF) != 0x808080u;
      }
    EXPECT_GT(changed, 100);
  }
}

TEST(ArtworkTextures, SameSeedSamePixelsOtherSeedOthers) {
  Canvas a = HalfCovered(), b = HalfCovered(), c = HalfCovered();
  AddBrushing(a, {0, 0, 64, 16}, 42, 8, 20);
  AddBrushing(b, {0, 0, 64, 16}, 42, 8, 20);
  AddBrushing(c, {0, 0, 64, 16}, 43, 8, 20);
  EXPECT_EQ(Pixels(a), Pixels(b));
  EXPECT_NE(Pixels(a), Pixels(c));
}

TEST(ArtworkLayout, PanelsFillTheBayAndEveryPlaceLiesOnItsPanel) {
  const EditorRect preamp = SectionPanelRect(Section::kPreamp);
  const EditorRect reverb = SectionPanelRect(Section::kReverb);
  const EditorRect amp = SectionPanelRect(Section::kAmp);
  EXPECT_EQ(preamp.bottom, reverb.top);
  EXPECT_EQ(reverb.bottom, amp.top);
  // Rack rows 45..404 from its top at editor row 40, rack x 30..929.
  EXPECT_EQ(preamp.top - kRackRect.top, 45);
  EXPECT_EQ(amp.bottom - kRackRect.top, 405);
  for (const EditorRect& panel : {preamp, reverb, amp}) {
    EXPECT_EQ(panel.left - kRackRect.left, 30);
    EXPECT_EQ(panel.right - kRackRect.left, 930);
  }
  std::set<int> panelIds;
  int places = 0;
  for (const ControlPlace& place : ControlPlaces()) {
    SCOPED_TRACE(place.caption);
    const EditorRect panel = SectionPanelRect(place.section);
    EXPECT_GE(place.rect.left, panel.left);
    EXPECT_LE(place.rect.right, panel.right);
    EXPECT_GE(place.rect.top, panel.top);
    EXPECT_LE(place.rect.bottom, panel.bottom);
    const int size = place.kind == PlaceKind::kLed ? 32 : 40;
    EXPECT_EQ(place.rect.Width(), size);
    EXPECT_EQ(place.rect.Height(), place.kind == PlaceKind::kLed ? 12 : 40);
    panelIds.insert(SectionPanelImageId(place.section));
    ++places;
  }
  EXPECT_EQ(places, 21);  // every knob, switch and LED that sits on a panel
  EXPECT_EQ(panelIds, (std::set<int>{116, 117, 118}));
}

TEST(ArtworkText, CentredWordsSitOnTheirCentre) {
  FontBook fonts;
  {
    Canvas canvas(120, 20);
    cairo_set_source_rgb(canvas.Cr(), 1, 1, 1);
    fonts.Draw(canvas.Cr(), {Typeface::kCaption, 9, 0.7}, "ROOM SIZE", 60, 14, Align::kCentre);
    int left = 120, right = -1;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 120; ++x)
        if ((canvas.Row(y)[x] >> 24) > 64) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right + 1) / 2.0, 60, 1.5);
    EXPECT_NEAR(right + 1 - left, fonts.Width(canvas.Cr(), {Typeface::kCaption, 9, 0.7}, "ROOM SIZE"), 2.5);
  }
}

}  // namespace
