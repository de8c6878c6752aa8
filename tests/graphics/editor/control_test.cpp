// The controls: value and dirty life cycle, frame choice, knobs, switches, text
// and file selectors.
#include <gtest/gtest.h>

#include <cmath>

#include "editor_test_support.h"
#include "graphics/bitmap_control.h"
#include "graphics/file_selector_control.h"
#include "graphics/knob_control.h"
#include "graphics/panel_control.h"
#include "graphics/text_control.h"

namespace {

using Event = OfflineAdapter::HostEvent;

const MouseState kLeft{true, false, false, false, false};
const MouseState kShift{true, false, true, false, false};
const MouseState kControlKey{true, false, false, true, false};

class Controls : public testing::Test {
 protected:
  Controls() : editor(new OffscreenEditor(&plugin)) {}
  // A test that never attaches the editor still owns it.
  ~Controls() override {
    if (plugin.Editor() != editor) delete editor;
  }
  void Attach() {
    plugin.AttachEditor(editor);
    plugin.ClearEvents();
  }
  std::vector<double> SentValues(int index) const {
    std::vector<double> values;
    for (const Event& e : plugin.Events())
      if (e.kind == Event::Value && e.index == index) values.push_back(e.value);
    return values;
  }

  TestPlugin plugin{4};
  OffscreenEditor* editor;
};

TEST(FrameChoice, NearestFrameOfSixtyFour) {
  EXPECT_EQ(FrameForValue(64, 0.0), 1);
  EXPECT_EQ(FrameForValue(64, 0.5), 33);
  EXPECT_EQ(FrameForValue(64, 1.0), 64);
  EXPECT_EQ(FrameForValue(64, -0.3), 1);
  EXPECT_EQ(FrameForValue(64, 7.0), 64);
  EXPECT_EQ(FrameForValue(64, std::nan("")), 1);
  EXPECT_EQ(FrameForValue(2, 0.49), 1);
  EXPECT_EQ(FrameForValue(2, 0.5), 2);
  EXPECT_EQ(FrameForValue(99, 0.5), 50);
  EXPECT_EQ(FrameForValue(1, 0.9), 1);
}

TEST_F(Controls, TheFirstHostValueBecomesTheDoubleClickDefault) {
  auto image = MakeStripImage(10, 50, 8);
  auto* knob = new KnobStripControl(&plugin, 0, 0, 0, StripOf(*image, 8), 0, 4.0);
  auto* loose = new KnobStripControl(nullptr, 20, 0, -1, StripOf(*image, 8), 0, 4.0);
  editor->AddControl(knob);
  editor->AddControl(loose);
  Attach();
  EXPECT_EQ(knob->DefaultValue(), 0.25);
  EXPECT_TRUE(knob->IsDirty());        // from construction
  EXPECT_FALSE(knob->RedrawPending());  // the first value changes no flag

  plugin.SetParameterFromHost(0, 0.9);
  EXPECT_EQ(knob->Value(), 0.9);
  EXPECT_TRUE(knob->RedrawPending());
  EXPECT_EQ(knob->DefaultValue(), 0.25);
  editor->HandleDoubleClick(5, 5, kLeft);
  EXPECT_EQ(knob->Value(), 0.25);
  EXPECT_EQ(SentValues(0), std::vector<double>{0.25});

  loose->SetValue(0.6);  // never received a host value: no default, ignores double clicks
  editor->HandleDoubleClick(25, 5, kLeft);
  EXPECT_EQ(loose->Value(), 0.6);
}

TEST_F(Controls, HostChangesStayDirtyForOneExtraPassGreyingForOne) {
  auto image = MakeStripImage(10, 10, 4);
  auto* knob = new KnobStripControl(&plugin, 0, 0, 0, StripOf(*image, 4), 0, 4.0);
  editor->AddControl(knob);
  Attach();
  editor->OnTimerTick();
  EXPECT_FALSE(knob->NeedsRedraw());
  editor->UpdateControlsForParam(0, 0.5, true);
  EXPECT_TRUE(editor->OnTimerTick());
  EXPECT_TRUE(knob->NeedsRedraw());  // redraw pending carried it over
  EXPECT_TRUE(editor->OnTimerTick());
  EXPECT_FALSE(editor->OnTimerTick());
  editor->UpdateControlsForParam(0, 0.5, true);  // the same value changes nothing
  EXPECT_FALSE(editor->OnTimerTick());

  knob->SetGrayed(true);
  EXPECT_TRUE(editor->OnTimerTick());
  EXPECT_FALSE(editor->OnTimerTick());

  // A NaN from the host is stored as the lower clamp, never as the value.
  editor->UpdateControlsForParam(0, std::nan(""), true);
  EXPECT_EQ(knob->Value(), 0.0);
}

TEST_F(Controls, KnobDragAndWheelWithAndWithoutShift) {
  auto image = MakeStripImage(40, 50, 99);
  auto* knob = new KnobStripControl(&plugin, 0, 0, 0, StripOf(*image, 99), KnobControl::kVertical, 4.0);
  auto* sideways = new KnobStripControl(&plugin, 100, 0, 1, StripOf(*image, 99), 1, 4.0);
  editor->AddControl(knob);
  editor->AddControl(sideways);
  Attach();
  knob->SetValue(0.5);

  knob->Drag(0, 0, 0, -10, kLeft);  // ten pixels up in a 50-pixel control
  EXPECT_NEAR(knob->Value(), 0.55, 1e-12);
  knob->Drag(0, 0, 0, -10, kShift);
  EXPECT_NEAR(knob->Value(), 0.555, 1e-12);
  knob->Drag(0, 0, 0, 10, kControlKey);
  EXPECT_NEAR(knob->Value(), 0.55, 1e-12);
  knob->Drag(0, 0, 0, -1000, kLeft);
  EXPECT_EQ(knob->Value(), 1.0);  // clamped

  knob->SetValue(0.5);
  knob->Wheel(0, 0, kLeft, -3);
  EXPECT_NEAR(knob->Value(), 0.47, 1e-12);
  knob->Wheel(0, 0, kShift, 2);
  EXPECT_NEAR(knob->Value(), 0.472, 1e-12);
  knob->Wheel(0, 0, kLeft, -100);
  EXPECT_EQ(knob->Value(), 0.0);
  EXPECT_EQ(plugin.Param(0)->Value(), 0.0);  // every step reached the plug-in
  EXPECT_EQ(SentValues(0).size(), 7u);

  sideways->SetValue(0.5);
  sideways->Drag(0, 0, 20, 99, kLeft);  // horizontal: only dX counts, over the width of 40
  EXPECT_NEAR(sideways->Value(), 0.5 + 20.0 / 40.0 / 4.0, 1e-12);
}

TEST_F(Controls, SwitchesStepAndWrapAndSendEveryClick) {
  auto two = MakeStripImage(10, 10, 2);
  auto three = MakeStripImage(10, 10, 3);
  auto one = MakeStripImage(10, 10, 1);
  auto* toggle = new SwitchControl(&plugin, 0, 0, 0, StripOf(*two, 2));
  auto* mode = new SwitchControl(&plugin, 20, 0, 1, StripOf(*three, 3));
  auto* contact = new ContactControl(&plugin, 40, 0, 2, StripOf(*one, 1));
  editor->AddControl(toggle);
  editor->AddControl(mode);
  editor->AddControl(contact);
  for (int i = 0; i < 3; ++i) plugin.Param(i)->SetValue(0.0);
  Attach();

  editor->HandleButtonDown(5, 5, kLeft);
  editor->HandleButtonUp(5, 5, kLeft);
  editor->HandleButtonDown(5, 5, kLeft);
  editor->HandleButtonUp(5, 5, kLeft);
  EXPECT_EQ(SentValues(0), (std::vector<double>{1.0, 0.0}));
  EXPECT_EQ(toggle->Value(), 0.0);

  for (int i = 0; i < 4; ++i) mode->ButtonDown(25, 5, kLeft);
  EXPECT_EQ(SentValues(1), (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  // A double click arrives as a button down and then steps once more.
  editor->HandleButtonDown(25, 5, kLeft);
  editor->HandleButtonUp(25, 5, kLeft);
  editor->HandleDoubleClick(25, 5, kLeft);
  EXPECT_EQ(mode->Value(), 0.0);

  plugin.ClearEvents();
  editor->HandleButtonDown(45, 5, kLeft);
  EXPECT_EQ(contact->Value(), 1.0);
  editor->HandleButtonUp(45, 5, kLeft);
  EXPECT_EQ(contact->Value(), 0.0);
  ASSERT_EQ(plugin.Events().size(), 4u);
  EXPECT_EQ(plugin.Events()[0].kind, Event::Begin);
  EXPECT_EQ(plugin.Events()[1].value, 1.0);
  EXPECT_EQ(plugin.Events()[2].value, 0.0);
  EXPECT_EQ(plugin.Events()[3].kind, Event::End);
}

TEST_F(Controls, TextControlIsNotRedrawnForTheSameText) {
  auto* text = new TextControl(&plugin, Rect{0, 0, 100, 20}, TextStyle{}, "Init");
  editor->AddControl(text);
  Attach();
  while (editor->OnTimerTick()) {
  }
  text->SetDisplayText("Init");
  EXPECT_FALSE(text->NeedsRedraw());
  text->SetDisplayText("Hall");
  EXPECT_TRUE(text->NeedsRedraw());
  EXPECT_TRUE(editor->OnTimerTick());
  EXPECT_FALSE(editor->OnTimerTick());  // a text change is drawn once
  text->SetDisplayText("Hall");
  EXPECT_FALSE(editor->OnTimerTick());
  text->SetDisplayText(nullptr);
  EXPECT_EQ(text->DisplayText(), "");
}

TEST_F(Controls, FileSelectorDrawsOnlyWhileItsDialogIsOpen) {
  auto image = MakeStripImage(40, 25, 1);
  auto* selector = new FileSelectorControl(&plugin, Rect{10, 10, 50, 35}, 3, StripOf(*image, 1), FileAction::Save,
                                           "/presets", "moravellepreset");
  editor->AddControl(new PanelControl(&plugin, Rect{0, 0, 100, 100}, kColourBlack));
  editor->AddControl(selector);
  plugin.Param(3)->SetValue(0.0);
  Attach();
  editor->OpenWindow(nullptr);
  editor->OnTimerTick();
  EXPECT_EQ(editor->Window()->Row(20)[20], kColourBlack.ToPixel());

  Pixel duringDialog = 0;
  int stateDuringDialog = -1;
  editor->Script().whileDialogOpen = [&](OffscreenEditor& e) {
    stateDuringDialog = selector->GetState();
    e.OnTimerTick();
    duringDialog = e.Window()->Row(20)[20];
  };
  editor->Script().fileChoices.push_back("/somewhere/else/hall.moravellepreset");
  editor->HandleButtonDown(20, 20, kLeft);
  editor->HandleButtonUp(20, 20, kLeft);
  EXPECT_EQ(stateDuringDialog, FileSelectorControl::kDialogOpen);
  EXPECT_EQ(duringDialog, FrameColour(1));
  EXPECT_EQ(selector->File(), "/somewhere/else/hall.moravellepreset");
  EXPECT_EQ(selector->Folder(), "/somewhere/else/");
  EXPECT_EQ(editor->Script().asked.back(), "file save /presets");
  EXPECT_EQ(SentValues(3), std::vector<double>{1.0});

  EXPECT_TRUE(editor->OnTimerTick());  // the image goes away on the first pass
  EXPECT_EQ(editor->Window()->Row(20)[20], kColourBlack.ToPixel());
  EXPECT_TRUE(editor->OnTimerTick());  // and the chosen state asks for one pass of its own
  EXPECT_EQ(selector->GetState(), FileSelectorControl::kIdle);
  EXPECT_FALSE(editor->OnTimerTick());

  editor->HandleButtonDown(20, 20, kLeft);  // cancelled: "" and the value toggles back
  EXPECT_EQ(selector->File(), "");
  EXPECT_EQ(selector->Value(), 0.0);
}

TEST(ControlsWithoutEditor, FileSelectorIgnoresClicksWhenThePluginHasNoEditor) {
  TestPlugin plugin;
  auto image = MakeStripImage(4, 4, 1);
  FileSelectorControl selector(&plugin, Rect{0, 0, 4, 4}, 0, StripOf(*image, 1), FileAction::Open, "", "x");
  selector.ButtonDown(1, 1, kLeft);
  EXPECT_EQ(selector.GetState(), FileSelectorControl::kIdle);
  EXPECT_EQ(selector.Value(), 0.0);
}

}  // namespace
