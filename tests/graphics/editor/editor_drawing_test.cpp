// Drawing: what a pass touches, frames, blends, text measuring, missing images
// and the shared image cache.
#include <gtest/gtest.h>

#include <cmath>

#include "editor_test_support.h"
#include "graphics/bitmap_control.h"
#include "graphics/image_cache.h"
#include "graphics/knob_control.h"
#include "graphics/panel_control.h"
#include "graphics/rect_rules.h"
#include "graphics/text_control.h"

namespace {

// Pixels that differ between two bitmaps of the same size, as their bounding rect
// (all zero when none differ).
Rect DifferingArea(MemBitmap& a, MemBitmap& b) {
  Rect area{};
  bool any = false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      if (a.Row(y)[x] == b.Row(y)[x]) continue;
      area = any ? RectUnion(area, Rect{x, y, x + 1, y + 1}) : Rect{x, y, x + 1, y + 1};
      any = true;
    }
  return area;
}

std::unique_ptr<MemBitmap> Copy(MemBitmap& source) {
  auto copy = std::make_unique<MemBitmap>(source.Width(), source.Height());
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) copy->Row(y)[x] = source.Row(y)[x];
  return copy;
}

class EditorDrawing : public testing::Test {
 protected:
  EditorDrawing() : editor(new OffscreenEditor(&plugin)) {}
  // A test that never attaches the editor still owns it.
  ~EditorDrawing() override {
    if (plugin.Editor() != editor) delete editor;
  }
  void AttachAndSettle() {
    plugin.AttachEditor(editor);
    editor->OpenWindow(nullptr);
    // Draw everything once (a window's first paint), then let the flags settle.
    editor->Redraw(Rect{0, 0, editor->Width(), editor->Height()});
    while (editor->OnTimerTick()) {
    }
  }
  TestPlugin plugin{4};
  OffscreenEditor* editor;
};

TEST_F(EditorDrawing, ARedrawAfterOneKnobChangesTouchesOnlyThatKnob) {
  auto image = MakeStripImage(40, 40, 64);
  editor->AddControl(new PanelControl(&plugin, Rect{0, 0, 1000, 530}, Colour{255, 20, 30, 40}));
  auto* first = new KnobStripControl(&plugin, 100, 100, 0, StripOf(*image, 64), 0, 4.0);
  auto* second = new KnobStripControl(&plugin, 140, 100, 1, StripOf(*image, 64), 0, 4.0);  // touching
  editor->AddControl(first);
  editor->AddControl(second);
  AttachAndSettle();
  auto before = Copy(*editor->Window());
  const int presents = editor->PresentCount();

  plugin.SetParameterFromHost(1, 1.0);
  EXPECT_TRUE(editor->OnTimerTick());
  EXPECT_EQ(editor->PresentCount(), presents + 1);
  EXPECT_EQ(editor->LastPresented(), (Rect{140, 100, 180, 140}));
  EXPECT_EQ(DifferingArea(*before, *editor->Window()), (Rect{140, 100, 180, 140}));
  EXPECT_EQ(editor->Window()->Row(120)[160], FrameColour(64));
  EXPECT_EQ(editor->Window()->Row(120)[120], FrameColour(FrameForValue(64, 0.25)));
}

TEST_F(EditorDrawing, FramesOneThirtyThreeAndSixtyFourAndBeyond) {
  auto image = MakeStripImage(10, 10, 64);
  auto* knob = new KnobStripControl(&plugin, 0, 0, 0, StripOf(*image, 64), 0, 4.0);
  editor->AddControl(knob);
  AttachAndSettle();
  for (double value : {0.0, 0.5, 1.0}) {
    plugin.SetParameterFromHost(0, value);
    editor->OnTimerTick();
    EXPECT_EQ(editor->Window()->Row(5)[5], FrameColour(FrameForValue(64, value))) << value;
  }
  EXPECT_EQ(FrameForValue(64, 0.5), 33);

  // Frame k > N lies past the end of the strip: the blit is clipped to the
  // image, so nothing is drawn (callers clamp first).
  editor->PaintRect(kColourBlack, Rect{0, 0, 10, 10}, nullptr);
  editor->Redraw(Rect{0, 0, 10, 10});  // leaves the redraw area on the knob
  editor->PaintRect(kColourBlack, Rect{0, 0, 10, 10}, nullptr);
  ASSERT_TRUE(editor->PaintImageFrame(StripOf(*image, 64), Rect{0, 0, 10, 10}, 65, nullptr));
  EXPECT_EQ(editor->Surface()->Row(5)[5], kColourBlack.ToPixel());
  ASSERT_TRUE(editor->PaintImageFrame(StripOf(*image, 64), Rect{0, 0, 10, 10}, 64, nullptr));
  EXPECT_EQ(editor->Surface()->Row(5)[5], FrameColour(64));
  ASSERT_TRUE(editor->PaintImageFrame(StripOf(*image, 64), Rect{0, 0, 10, 10}, 0, nullptr));
  EXPECT_EQ(editor->Surface()->Row(5)[5], FrameColour(1));
}

TEST_F(EditorDrawing, GreyedControlsDrawAtAQuarterAndHiddenOnesNotAtAll) {
  editor->AddControl(new PanelControl(&plugin, Rect{0, 0, 100, 100}, kColourBlack));
  auto* panel = new PanelControl(&plugin, Rect{10, 10, 20, 20}, Colour{255, 200, 200, 200});
  editor->AddControl(panel);
  AttachAndSettle();
  EXPECT_EQ(PixelR(editor->Window()->Row(15)[15]), 200);
  panel->SetGrayed(true);
  editor->OnTimerTick();
  EXPECT_NEAR(PixelR(editor->Window()->Row(15)[15]), 50, 1);
  panel->SetHidden(true);
  editor->OnTimerTick();
  EXPECT_EQ(editor->Window()->Row(15)[15], kColourBlack.ToPixel());
}

TEST_F(EditorDrawing, MissingImagesLeaveTheirControlsUndrawn) {
  editor->SetBackground(9999, "resources/img/missing.png");
  editor->AddControl(new BitmapControl(&plugin, 5, 5, 0, MakeImageStrip(editor->FetchImage(9998, "no.png"), 3)));
  editor->AddControl(new KnobStripControl(&plugin, 5, 5, 1, MakeImageStrip(nullptr, 99), 0, 4.0));
  EXPECT_EQ(editor->ControlAt(0)->GetRect(), (Rect{0, 0, 0, 0}));  // empty: never drawn
  EXPECT_EQ(editor->ControlAt(1)->GetRect(), (Rect{5, 5, 5, 5}));  // no pixels, no hits
  AttachAndSettle();
  const MouseState left{true, false, false, false, false};
  EXPECT_FALSE(editor->HandleButtonDown(5, 5, left));
  plugin.SetParameterFromHost(1, 0.7);
  editor->OnTimerTick();
  EXPECT_EQ(editor->ControlAt(2)->Value(), 0.7);
}

TEST(ImageCache, TwoEditorsShareOneDecodedImage) {
  TestPlugin first;
  TestPlugin second;
  OffscreenEditor a(&first);
  OffscreenEditor b(&second);
  const int loads = ImageCacheLoadCount();
  Bitmap* image = a.FetchImage(9001, "images/rgba_3x2.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 3);
  EXPECT_EQ(b.FetchImage(9001, "images/rgba_3x2.png"), image);
  EXPECT_EQ(ImageCacheLoadCount(), loads + 1);

  // Failures are not cached: a missing resource, a name that is not a PNG.
  EXPECT_EQ(a.FetchImage(9004, "nothing.png"), nullptr);
  EXPECT_EQ(a.FetchImage(9002, "images/palette_2x2.bmp"), nullptr);
  EXPECT_EQ(a.FetchImage(9003, "images/too_short.png"), nullptr);
  EXPECT_EQ(ImageCacheLoadCount(), loads + 4);
  EXPECT_NE(b.FetchImage(9002, "images/palette_2x2.PNG"), nullptr);
  EXPECT_TRUE(IsPngFileName("a.b.Png"));
  EXPECT_FALSE(IsPngFileName("png"));
  EXPECT_FALSE(IsPngFileName("a.pngx"));
}

TEST_F(EditorDrawing, MeasuringCentredTextInAnOddWidthRect) {
  TextStyle style;
  Rect left{0, 0, 101, 20};
  style.alignment = kAlignNear;
  ASSERT_TRUE(editor->MeasureText(style, "Moravelle", left));
  const int w = left.R - left.L;
  const int h = left.B - left.T;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);

  style.alignment = kAlignCentre;
  Rect centred{0, 7, 101, 20};
  ASSERT_TRUE(editor->MeasureText(style, "Moravelle", centred));
  EXPECT_EQ(centred.L, 50 - w / 2);  // 101 / 2 and w / 2 both truncate
  EXPECT_EQ(centred.R, centred.L + w);
  EXPECT_EQ(centred.B, 7 + h);

  Rect negative{-101, 0, 0, 20};  // truncation toward zero on the negative side too
  ASSERT_TRUE(editor->MeasureText(style, "Moravelle", negative));
  EXPECT_EQ(negative.L, -50 - w / 2);

  style.alignment = kAlignFar;
  Rect far{0, 0, 101, 20};
  ASSERT_TRUE(editor->MeasureText(style, "Moravelle", far));
  EXPECT_EQ(far.L, 101 - w);

  Rect untouched{1, 2, 3, 4};
  EXPECT_TRUE(editor->MeasureText(style, "", untouched));
  EXPECT_EQ(untouched, (Rect{1, 2, 3, 4}));
}

TEST_F(EditorDrawing, TextDrawsInsideItsRect) {
  editor->AddControl(new PanelControl(&plugin, Rect{0, 0, 200, 60}, kColourWhite));
  auto* text = new TextControl(&plugin, Rect{10, 10, 110, 30}, TextStyle{}, "WWWW");
  editor->AddControl(text);
  AttachAndSettle();
  auto window = editor->Window();
  int dark = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool inside = RectContains(Rect{10, 10, 110, 30}, x, y);
      if (PixelR(window->Row(y)[x]) < 128) {
        ++dark;
        EXPECT_TRUE(inside) << x << "," << y;
      }
    }
  EXPECT_GT(dark, 20);
}

}  // namespace
