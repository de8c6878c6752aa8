// The committed editor images, read the way the editor reads them (our own PNG
// decoder): sizes and frame counts, knob pointers that sweep from the lower left
// to the lower right, LEDs that light up, captions under the control places, the
// logo on the header. The Windows build's decoder must see the same pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap/png_decode.h"
#include "graphics/bitmap/png_decoders.h"

namespace {

struct ImageSpec {
  const char* file;
  int width, height, frames;
};

const ImageSpec kImages[] = {
    {"pa_background_0001.png", 1000, 1000, 1},
    {"pa_button_0011.png", 32, 24, 2},
    {"pa_button_0015.png", 40, 160, 4},
    {"pa_button_0016.png", 40, 120, 3},
    {"pa_button_0017.png", 40, 80, 2},
    {"pa_button_0018.png", 40, 80, 2},
    {"pa_button_0019.png", 40, 80, 2},
    {"pa_button_preset_backward_0001.png", 20, 25, 1},
    {"pa_button_preset_forward_0001.png", 20, 25, 1},
    {"pa_button_preset_load_0001.png", 40, 25, 1},
    {"pa_button_preset_save_0001.png", 40, 25, 1},
    {"pa_knob_0018_blue.png", 40, 3960, 99},
    {"pa_knob_0019_black.png", 40, 3960, 99},
    {"pa_knob_0019_white.png", 40, 3960, 99},
    {"pa_panel_header_0001.png", 1000, 30, 1},
    {"pa_panel_korvath_0001.png", 900, 90, 1},
    {"pa_panel_tavrin_0001.png", 900, 90, 1},
    {"pa_panel_solvandra_0001.png", 900, 180, 1},
    {"pa_panel_moravellerack_0001.png", 960, 550, 1},
};

std::vector<unsigned char> ReadFile(const std::string& name) {
  std::string path = MORAVELLE_ARTWORK_DIR;
  path += '/';
  path += name;
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<MemBitmap> Load(const std::string& name) {
  const std::vector<unsigned char> bytes = ReadFile(name);
  return std::unique_ptr<MemBitmap>(DecodePngMemory(bytes.data(), bytes.size()));
}

double Luminance(Pixel p) { return 0.299 * PixelR(p) + 0.587 * PixelG(p) + 0.114 * PixelB(p); }

// How a two-frame strip's second frame differs from its first where they differ
// at all (the LED and its glow): total gains in light and in red, in levels summed
// over those pixels and weighted by coverage.
struct LightUp {
  int pixels = 0;
  double luminance = 0, redness = 0;
};
LightUp MeasureLightUp(MemBitmap& strip) {
  const int h = strip.Height() / 2;
  LightUp up;
  auto redness = [](Pixel p) { return PixelR(p) - (PixelG(p) + PixelB(p)) / 2.0; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < strip.Width(); ++x) {
      const Pixel off = strip.Row(y)[x], on = strip.Row(h + y)[x];
      if (off == on) continue;
      ++up.pixels;
      up.luminance += Luminance(on) * PixelA(on) / 255 - Luminance(off) * PixelA(off) / 255;
      up.redness += redness(on) * PixelA(on) / 255 - redness(off) * PixelA(off) / 255;
    }
  return up;
}

// Where a knob frame's pointer points: the centroid of the opaque face pixels of
// the pointer's colour, relative to the knob's centre (y grows downwards).
struct PointerPlace {
  int count = 0;
  double dx = 0, dy = 0;
};
PointerPlace FindPointer(MemBitmap& strip, int frame, bool darkPointer) {
  PointerPlace place;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const double dx = x + 0.5 - 20, dy = y + 0.5 - 20;
      if (dx * dx + dy * dy > 12.0 * 12.0) continue;  // the face only, not the ring or the shadow
      const Pixel p = strip.Row(frame * 40 + y)[x];
      if (PixelA(p) != 255) continue;
      const int lo = std::min({PixelR(p), PixelG(p), PixelB(p)}), hi = std::max({PixelR(p), PixelG(p), PixelB(p)});
      if (darkPointer ? hi > 70 : lo < 200) continue;
      ++place.count;
      place.dx += dx;
      place.dy += dy;
    }
  if (place.count > 0) {
    place.dx /= place.count;
    place.dy /= place.count;
  }
  return place;
}

TEST(Artwork, EveryImageHasItsSizeAndWholeFramesAndBothDecodersAgree) {
  for (const ImageSpec& spec : kImages) {
    SCOPED_TRACE(spec.file);
    const std::vector<unsigned char> bytes = ReadFile(spec.file);
    std::unique_ptr<MemBitmap> image(DecodePngMemory(bytes.data(), bytes.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), spec.width);
    EXPECT_EQ(image->Height(), spec.height);
    EXPECT_EQ(image->Height() % spec.frames, 0);
    std::unique_ptr<MemBitmap> viaStb(DecodePngWithStb(bytes.data(), bytes.size()));
    ASSERT_NE(viaStb, nullptr);
    int mismatches = 0;
    for (int y = 0; y < image->Height(); ++y)
      for (int x = 0; x < image->Width(); ++x) mismatches += image->Row(y)[x] != viaStb->Row(y)[x];
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(Artwork, KnobPointersSweep270DegreesFromLowerLeftToLowerRight) {
  struct Knob {
    const char* file;
    bool darkPointer;
  };
  for (const Knob& knob : {Knob{"pa_knob_0018_blue.png", false}, Knob{"pa_knob_0019_black.png", false},
                           Knob{"pa_knob_0019_white.png", true}}) {
    SCOPED_TRACE(knob.file);
    std::unique_ptr<MemBitmap> strip = Load(knob.file);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->Height(), 99 * 40);
    const PointerPlace first = FindPointer(*strip, 0, knob.darkPointer);
    const PointerPlace middle = FindPointer(*strip, 49, knob.darkPointer);
    const PointerPlace last = FindPointer(*strip, 98, knob.darkPointer);
    ASSERT_GT(first.count, 5);
    ASSERT_GT(last.count, 5);
    EXPECT_LT(first.dx, -2);  // frame 1: lower left
    EXPECT_GT(first.dy, 2);
    EXPECT_GT(last.dx, 2);    // frame 99: lower right
    EXPECT_GT(last.dy, 2);
    EXPECT_NEAR(middle.dx, 0, 1);  // frame 50: straight up
    EXPECT_LT(middle.dy, -3);
    // Every frame points where its share of the clockwise 270° sweep says.
    for (int frame = 0; frame < 99; ++frame) {
      const PointerPlace p = FindPointer(*strip, frame, knob.darkPointer);
      const double measured = std::atan2(p.dx, -p.dy) * 180 / M_PI;  // clockwise from up
      const double wanted = -135 + 270.0 * frame / 98;
      EXPECT_NEAR(measured, wanted, 6) << "frame " << frame + 1;
    }
  }
}

TEST(Artwork, KnobFramesAreTransparentAroundTheKnob) {
  for (const char* file : {"pa_knob_0018_blue.png", "pa_knob_0019_black.png", "pa_knob_0019_white.png"}) {
    SCOPED_TRACE(file);
    std::unique_ptr<MemBitmap> strip = Load(file);
    ASSERT_NE(strip, nullptr);
    for (int frame = 0; frame < 99; frame += 7) {
      const int top = frame * 40;
      EXPECT_EQ(PixelA(strip->Row(top)[0]), 0);
      EXPECT_EQ(PixelA(strip->Row(top)[39]), 0);
      EXPECT_EQ(PixelA(strip->Row(top + 39)[0]), 0);
      EXPECT_EQ(PixelA(strip->Row(top + 20)[20]), 255);
      // Antialiased: the rim has partly covered pixels.
      int partial = 0;
      for (int x = 0; x < 40; ++x) partial += PixelA(strip->Row(top + 20)[x]) > 0 && PixelA(strip->Row(top + 20)[x]) < 255;
      EXPECT_GT(partial, 0);
    }
  }
}

TEST(Artwork, LedsAndLedButtonsLightUpRed) {
  for (const char* file : {"pa_button_0011.png", "pa_button_0018.png", "pa_button_0019.png"}) {
    SCOPED_TRACE(file);
    std::unique_ptr<MemBitmap> strip = Load(file);
    ASSERT_NE(strip, nullptr);
    const LightUp up = MeasureLightUp(*strip);
    // At least as much as forty pixels brightening by 50 levels and turning 60 levels redder.
    EXPECT_GE(up.pixels, 40);
    EXPECT_GT(up.luminance, 40 * 50);
    EXPECT_GT(up.redness, 40 * 60);
  }
}

TEST(Artwork, SwitchDisplaysShowADifferentLegendInEveryFrame) {
  for (const ImageSpec& spec : {kImages[2], kImages[3], kImages[4]}) {
    SCOPED_TRACE(spec.file);
    std::unique_ptr<MemBitmap> strip = Load(spec.file);
    ASSERT_NE(strip, nullptr);
    for (int a = 0; a < spec.frames; ++a)
      for (int b = a + 1; b < spec.frames; ++b) {
        int differing = 0;
        for (int y = 0; y < 16; ++y)  // the display, above the button
          for (int x = 0; x < 40; ++x) differing += strip->Row(a * 40 + y)[x] != strip->Row(b * 40 + y)[x];
        EXPECT_GT(differing, 10) << "frames " << a + 1 << " and " << b + 1;
        int buttonDiffers = 0;
        for (int y = 20; y < 40; ++y)
          for (int x = 0; x < 40; ++x) buttonDiffers += strip->Row(a * 40 + y)[x] != strip->Row(b * 40 + y)[x];
        EXPECT_EQ(buttonDiffers, 0) << "the button itself is the same in every state";
      }
  }
}

TEST(Artwork, HeaderCarriesTheLogoAtItsLeftEnd) {
  std::unique_ptr<MemBitmap> header = Load("pa_panel_header_0001.png");
  ASSERT_NE(header, nullptr);
  // The bar itself is dark; the mark and the maker's name stand out from it.
  int bright = 0, plain = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 230; ++x) bright += Luminance(header->Row(y)[x]) > 140;
  for (int y = 2; y < 28; ++y)
    for (int x = 780 - 200; x < 780 - 120; ++x) plain += Luminance(header->Row(y)[x]) > 140;
  EXPECT_GT(bright, 150);
  EXPECT_EQ(plain, 0);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(PixelA(header->Row(y)[0]), 255);
}

TEST(Artwork, BackdropIsNearBlackAndTextured) {
  std::unique_ptr<MemBitmap> backdrop = Load("pa_background_0001.png");
  ASSERT_NE(backdrop, nullptr);
  double sum = 0;
  int changes = 0;
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 1000; ++x) {
      const Pixel p = backdrop->Row(y)[x];
      ASSERT_EQ(PixelA(p), 255);
      sum += Luminance(p);
      if (x > 0) changes += p != backdrop->Row(y)[x - 1];
    }
  EXPECT_LT(sum / 1e6, 30);
  EXPECT_GT(changes, 1000 * 999 / 4);  // not a flat fill or a plain gradient
}

TEST(Artwork, RackHasItsBayWithPerforatedRailsAndALitFrame) {
  std::unique_ptr<MemBitmap> rack = Load("pa_panel_moravellerack_0001.png");
  ASSERT_NE(rack, nullptr);
  auto lum = [&](int x, int y) { return Luminance(rack->Row(y)[x]); };
  // The bay is black where the panels go and along the rows just outside them.
  for (int x = 30; x < 930; x += 50) {
    EXPECT_LT(lum(x, 44), 30);
    EXPECT_LT(lum(x, 225), 30);
    EXPECT_LT(lum(x, 405), 30);
  }
  // Grey metal above the bay and on the plate below.
  EXPECT_GT(lum(200, 30), 80);
  EXPECT_GT(lum(200, 470), 80);
  // The rails beside the panels alternate between metal and holes.
  for (int x : {21, 939}) {
    int edges = 0;
    for (int y = 46; y < 404; ++y) edges += (lum(x, y) < 30) != (lum(x, y + 1) < 30);
    EXPECT_GE(edges, 2 * 20) << "rail at x " << x;
  }
}

TEST(Artwork, PanelCaptionsSitUnderTheControlPlaces) {
  struct Place {
    const char* panel;
    int left, right, bottom;  // control place in panel pixels
  };
  // The layout's control rects, less the panel's editor position.
  const Place places[] = {
      {"pa_panel_tavrin_0001.png", 110, 150, 70},     {"pa_panel_tavrin_0001.png", 225, 265, 70},
      {"pa_panel_tavrin_0001.png", 384, 424, 70},     {"pa_panel_tavrin_0001.png", 498, 538, 70},
      {"pa_panel_tavrin_0001.png", 642, 682, 70},     {"pa_panel_tavrin_0001.png", 752, 792, 70},
      {"pa_panel_solvandra_0001.png", 97, 137, 115},  {"pa_panel_solvandra_0001.png", 180, 220, 115},
      {"pa_panel_solvandra_0001.png", 262, 302, 115}, {"pa_panel_solvandra_0001.png", 383, 423, 115},
      {"pa_panel_solvandra_0001.png", 513, 553, 115}, {"pa_panel_solvandra_0001.png", 642, 682, 115},
      {"pa_panel_solvandra_0001.png", 752, 792, 115}, {"pa_panel_korvath_0001.png", 97, 137, 70},
      {"pa_panel_korvath_0001.png", 180, 220, 70},    {"pa_panel_korvath_0001.png", 262, 302, 70},
      {"pa_panel_korvath_0001.png", 383, 423, 70},    {"pa_panel_korvath_0001.png", 498, 538, 70},
      {"pa_panel_korvath_0001.png", 642, 682, 70},    {"pa_panel_korvath_0001.png", 752, 792, 70},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(std::string(place.panel) + " at x " + std::to_string(place.left));
    std::unique_ptr<MemBitmap> panel = Load(place.panel);
    ASSERT_NE(panel, nullptr);
    // Ink contrasts with the metal: count pixels far from the panel's colour just
    // beside the caption band, left and right of the caption, balanced about the centre.
    const int bandTop = place.bottom + 3, bandBottom = place.bottom + 15;
    const double metal = Luminance(panel->Row(bandTop - 1)[place.left - 20]);
    int inkLeft = 0, inkRight = 0;
    const int centre = (place.left + place.right) / 2;
    for (int y = bandTop; y < bandBottom; ++y)
      for (int x = centre - 12; x < centre + 12; ++x)
        if (std::fabs(Luminance(panel->Row(y)[x]) - metal) > 60) (x < centre ? inkLeft : inkRight)++;
    EXPECT_GT(inkLeft, 6);
    EXPECT_GT(inkRight, 6);
    EXPECT_LT(std::abs(inkLeft - inkRight), (inkLeft + inkRight) / 2 + 4);
  }
}

}  // namespace
