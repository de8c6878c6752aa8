// The effect's editor: the layout (controls, order, rects, bindings), values
// from the host, MIDI and state reaching the controls, the composition of the
// images at the defaults, and images shared between instances.
#include <gtest/gtest.h>

#include <memory>

#include "effect/moravelle.h"
#include "effect/midi_controller_map.h"
#include "effect/moravelle_editor_images.h"
#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/fill.h"
#include "graphics/image_cache.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "graphics/rect_rules.h"

namespace {

struct Placement {
  Rect rect;
  int param;
};

// Controls 1 to 35 as the layout places them (control 0 is the background).
const Placement kLayout[35] = {
    {{20, 40, 980, 590}, -1},   {{50, 85, 950, 175}, -1},   {{50, 175, 950, 355}, -1},  {{50, 355, 950, 445}, -1},
    {{433, 385, 473, 425}, 1},  {{147, 385, 187, 425}, 4},  {{434, 115, 474, 155}, 12}, {{692, 115, 732, 155}, 14},
    {{160, 115, 200, 155}, 16}, {{85, 184, 117, 196}, 26},  {{548, 385, 588, 425}, 0},  {{312, 385, 352, 425}, 2},
    {{230, 385, 270, 425}, 3},  {{692, 385, 732, 425}, 5},  {{802, 385, 842, 425}, 6},  {{548, 115, 588, 155}, 11},
    {{802, 115, 842, 155}, 13}, {{275, 115, 315, 155}, 15}, {{563, 250, 603, 290}, 22}, {{312, 250, 352, 290}, 23},
    {{692, 250, 732, 290}, 24}, {{802, 250, 842, 290}, 25}, {{433, 250, 473, 290}, 27}, {{147, 250, 187, 290}, 28},
    {{230, 250, 270, 290}, 29}, {{0, 0, 1000, 30}, -1},     {{300, 0, 700, 25}, -1},    {{300, 3, 700, 25}, -1},
    {{300, 0, 700, 25}, -1},    {{280, 0, 300, 25}, 17},    {{700, 0, 720, 25}, 18},    {{240, 0, 280, 25}, -1},
    {{720, 0, 760, 25}, -1},    {{240, 0, 280, 25}, 19},    {{720, 0, 760, 25}, 20}};

class MoravelleEditor : public testing::Test {
 protected:
  MoravelleEditor() : effect(OfflineAdapter::HostArgs{}) { effect.Setup(44100, 256); }
  OffscreenEditor& Editor() { return *dynamic_cast<OffscreenEditor*>(effect.Editor()); }
  bool ImagesBuiltIn() { return Editor().FetchImage(kImageRack, "resources/img/pa_panel_moravellerack_0001.png"); }
  Moravelle effect;
};

TEST_F(MoravelleEditor, ThirtySixControlsInTheLayoutsOrderWithTheirBindings) {
  OffscreenEditor& editor = Editor();
  EXPECT_EQ(editor.Width(), 1000);
  EXPECT_EQ(editor.Height(), 530);
  EXPECT_EQ(editor.FrameRate(), 25);
  EXPECT_EQ(editor.TimerPeriodMs(), 40);
  ASSERT_EQ(editor.ControlCount(), 36);
  EXPECT_EQ(editor.ControlAt(0)->Blend().method, BlendMethod::Replace);
  const bool images = ImagesBuiltIn();
  for (int i = 0; i < 35; ++i) {
    const Control* control = editor.ControlAt(i + 1);
    EXPECT_EQ(control->ParamIndex(), kLayout[i].param) << "control " << i + 1;
    EXPECT_EQ(control->Blend().method, BlendMethod::None);
    // Image controls take their size from the image; the others have fixed rects.
    const bool sizedByImage = dynamic_cast<const BitmapControl*>(control) != nullptr ||
                              dynamic_cast<const KnobStripControl*>(control) != nullptr;
    if (images || !sizedByImage) {
      EXPECT_EQ(control->GetRect(), kLayout[i].rect) << "control " << i + 1;
    }
  }
  const MoravelleEditorControls& c = effect.EditorControls();
  EXPECT_EQ(editor.ControlAt(29), c.presetMenu);
  EXPECT_EQ(editor.ControlAt(28), c.nameDisplay);
  EXPECT_EQ(editor.ControlAt(35), c.saveSelector);
  EXPECT_EQ(c.nameDisplay->DisplayText(), "< Presets Library >");
  EXPECT_EQ(c.nameStrip->GetColour(), (Colour{140, 0, 0, 0}));
  const TextStyle& style = c.nameDisplay->Style();
  EXPECT_STREQ(style.face, "Arial");
  EXPECT_EQ(style.size, 20);
  EXPECT_EQ(style.colour, (Colour{255, 100, 100, 100}));
  EXPECT_EQ(style.style, kTextStyleBold);
  EXPECT_EQ(style.alignment, kAlignCentre);
  EXPECT_NE(c.loadSelector->Folder().find("PellionAudio"), std::string::npos);
  EXPECT_EQ(c.loadSelector->Folder().substr(c.loadSelector->Folder().size() - 7), "Presets");
}

TEST_F(MoravelleEditor, ClicksOnTheHeaderReachTheControlsOnTop) {
  OffscreenEditor& editor = Editor();
  EXPECT_EQ(editor.ControlIndexAt(300, 0), 29);   // the preset menu, above panel and name
  EXPECT_EQ(editor.ControlIndexAt(699, 24), 29);
  EXPECT_EQ(editor.ControlIndexAt(240, 10), 34);  // the load selector, above the LOAD image
  EXPECT_EQ(editor.ControlIndexAt(759, 10), 35);
  const MouseState left{true, false, false, false, false};
  editor.HandleButtonDown(500, 10, left);  // the script has no choice: the menu is dismissed
  editor.HandleButtonUp(500, 10, left);
  ASSERT_EQ(editor.Script().asked.size(), 1u);
  EXPECT_EQ(editor.Script().asked[0], "menu 8");  // title, number 1, six categories
  EXPECT_TRUE(effect.Events().empty());  // no parameter, no edit gesture
}

TEST_F(MoravelleEditor, HostMidiAndStateValuesReachTheControls) {
  const MoravelleEditorControls& c = effect.EditorControls();
  EXPECT_DOUBLE_EQ(c.ampMainVolume->Value(), effect.Param(kAmpMainVolume)->NormalizedValue());
  EXPECT_EQ(FrameForValue(99, c.ampMainVolume->Value()), 50);

  effect.SetParameterFromHost(kReverbRoomSize, 0.3);
  EXPECT_DOUBLE_EQ(c.reverbRoomSize->Value(), 0.3);

  // The first controller the MIDI map knows, at its maximum, on the input channel.
  effect.Param(kMidiChannelInput)->SetValue(1.0);
  int controller = 0;
  while (controller < 128 && ParamForController(controller) < 0) ++controller;
  ASSERT_LT(controller, 128);
  const int index = ParamForController(controller);
  effect.SendMidi(MidiMessage{0, 0xB0, static_cast<uint8_t>(controller), 127});
  double in[2][16] = {};
  double out[2][16] = {};
  double* ins[2] = {in[0], in[1]};
  double* outs[2] = {out[0], out[1]};
  effect.Process64(ins, outs, 16);
  for (int i = 1; i < Editor().ControlCount(); ++i)
    if (Editor().ControlAt(i)->ParamIndex() == index) {
      EXPECT_DOUBLE_EQ(Editor().ControlAt(i)->Value(), 1.0);
    }

  effect.Param(kAmpMainBlend)->SetValue(effect.Param(kAmpMainBlend)->Maximum());
  {
    ScopedLock hold(effect.InstanceLock());
    effect.PushValuesToEditor();
  }
  EXPECT_DOUBLE_EQ(c.ampMainBlend->Value(), 1.0);
}

TEST_F(MoravelleEditor, AtTheDefaultsTheEditorIsTheCompositionOfItsImages) {
  if (!ImagesBuiltIn()) GTEST_SKIP() << "the editor images are not built in";
  OffscreenEditor& editor = Editor();
  editor.OpenWindow(nullptr);
  editor.Redraw(Rect{0, 0, 1000, 530});

  // The same picture put together by hand: each image's frame at its rect.
  MemBitmap expected(1000, 530);
  auto place = [&](int id, const Rect& rect, double value, int mode) {
    const MoravelleImage* entry = FindMoravelleImage(id);
    Bitmap* image = editor.FetchImage(id, entry->fileName);
    ASSERT_NE(image, nullptr) << id;
    const int frameHeight = image->Height() / entry->frames;
    const int frame = FrameForValue(entry->frames, value);
    const int top = static_cast<int>(static_cast<double>(image->Height()) * (frame - 1) / entry->frames + 0.5);
    const Rect source{0, top, rect.R - rect.L, top + std::min(frameHeight, rect.B - rect.T)};
    BlitImage(&expected, image, rect.L, rect.T, &source, 1.0f, mode);
  };
  auto value = [&](int param) { return param >= 0 ? effect.Param(param)->NormalizedValue() : 0.0; };
  place(kImageBackground, Rect{0, 0, 1000, 1000}, 0.0, kBlendCopy);
  const int ids[] = {kImageRack, kImagePreampPanel, kImageReverbPanel, kImageAmpPanel, kImageSwitchLed,
                     kImageSwitchFilterMode, kImageSquareLed, kImageSwitchFilterType, kImageSwitchRouting, kImageLed,
                     kImageKnobWhite, kImageKnobWhite, kImageKnobWhite, kImageKnobWhite, kImageKnobWhite,
                     kImageKnobBlack, kImageKnobBlack, kImageKnobBlack, kImageKnobBlue, kImageKnobBlue, kImageKnobBlue,
                     kImageKnobBlue, kImageKnobBlue, kImageKnobBlue, kImageKnobBlue, kImageHeader};
  for (int i = 0; i < 26; ++i) place(ids[i], kLayout[i].rect, value(kLayout[i].param), kBlendAlphaCopy);
  FillArea(&expected, 300, 0, 400, 25, MakePixel(140, 0, 0, 0), 1.0f, kBlendAlphaCopy);
  // Then the name text, the arrows and the LOAD and SAVE labels; the text is
  // the one part not built from images, so it is drawn into the reference the
  // way the control draws it.
  TextStyle style = effect.EditorControls().nameDisplay->Style();
  Rect textRect{300, 3, 700, 25};
  ASSERT_TRUE(editor.PaintText(style, "< Presets Library >", textRect, true));
  place(kImagePresetBackward, kLayout[29].rect, 0.0, kBlendAlphaCopy);
  place(kImagePresetForward, kLayout[30].rect, 0.0, kBlendAlphaCopy);
  place(kImagePresetLoad, kLayout[31].rect, 0.0, kBlendAlphaCopy);
  place(kImagePresetSave, kLayout[32].rect, 0.0, kBlendAlphaCopy);

  // Only the name text may differ, and only inside its measured extent (with
  // two pixels for glyphs that reach past their advance).
  const Rect textArea{textRect.L - 2, textRect.T, textRect.R + 2, textRect.B};
  MemBitmap& window = *editor.Window();
  int inside = 0;
  int outside = 0;
  for (int y = 0; y < 530; ++y)
    for (int x = 0; x < 1000; ++x) {
      if (window.Row(y)[x] == expected.Row(y)[x]) continue;
      if (RectContains(textArea, x, y)) ++inside;
      else if (++outside <= 5) ADD_FAILURE() << "differs at " << x << "," << y;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 50);  // the name was drawn
}

TEST_F(MoravelleEditor, TheRacksLowerPlateAndTheBackdropFillTheBottomRows) {
  if (!ImagesBuiltIn()) GTEST_SKIP() << "the editor images are not built in";
  OffscreenEditor& editor = Editor();
  editor.OpenWindow(nullptr);
  editor.Redraw(Rect{0, 0, 1000, 530});
  Bitmap* rack = editor.FetchImage(kImageRack, "rack.png");
  Bitmap* backdrop = editor.FetchImage(kImageBackground, "background.png");
  for (int y = 505; y < 530; ++y) {
    EXPECT_EQ(editor.Window()->Row(y)[5], backdrop->Row(y)[5]);
    EXPECT_EQ(editor.Window()->Row(y)[990], backdrop->Row(y)[990]);
    if (PixelA(rack->Row(y - 40)[480]) == 255) {
      EXPECT_EQ(editor.Window()->Row(y)[500], rack->Row(y - 40)[480]);
    }
  }
}

TEST(MoravelleEditorImages, ASecondInstanceDecodesNothing) {
  auto first = std::make_unique<Moravelle>(OfflineAdapter::HostArgs{});
  auto* editor = dynamic_cast<OffscreenEditor*>(first->Editor());
  if (!editor->FetchImage(kImageRack, "resources/img/pa_panel_moravellerack_0001.png"))
    GTEST_SKIP() << "the editor images are not built in";
  const int loads = ImageCacheLoadCount();
  Moravelle second(OfflineAdapter::HostArgs{});
  EXPECT_EQ(ImageCacheLoadCount(), loads);
  auto* other = dynamic_cast<OffscreenEditor*>(second.Editor());
  EXPECT_EQ(other->FetchImage(kImageKnobBlue, "k.png"), editor->FetchImage(kImageKnobBlue, "k.png"));
}

}  // namespace
