// Mouse and key routing of the editor core: which control gets an event, and
// which edit gestures the host hears.
#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "recording_control.h"

namespace {

using Event = OfflineAdapter::HostEvent;

const MouseState kLeft{true, false, false, false, false};
const MouseState kRight{false, true, false, false, false};

class EditorRouting : public testing::Test {
 protected:
  explicit EditorRouting(int32_t hostKind = kHostInterfaceVst2) : plugin(4, hostKind) {
    editor = new OffscreenEditor(&plugin);
    background = Add(Rect{0, 0, 200, 100});
    lower = Add(Rect{10, 10, 60, 60}, 0);
    upper = Add(Rect{40, 40, 90, 90}, 1);
    plugin.AttachEditor(editor);
    plugin.ClearEvents();
  }
  RecordingControl* Add(const Rect& rect, int param = -1) {
    auto* control = new RecordingControl(&plugin, rect, param);
    editor->AddControl(control);
    return control;
  }

  TestPlugin plugin;
  OffscreenEditor* editor;
  RecordingControl* background;
  RecordingControl* lower;
  RecordingControl* upper;
};

TEST_F(EditorRouting, OverlapGoesToTheLaterControlUntilItIsHiddenOrGreyed) {
  EXPECT_EQ(editor->ControlIndexAt(50, 50), 2);
  EXPECT_EQ(editor->ControlIndexAt(20, 20), 1);
  EXPECT_EQ(editor->ControlIndexAt(150, 50), 0);
  EXPECT_EQ(editor->ControlIndexAt(250, 50), -1);  // outside every control
  EXPECT_EQ(editor->ControlIndexAt(60, 20), 0);    // right edge is exclusive

  upper->SetHidden(true);
  EXPECT_EQ(editor->ControlIndexAt(50, 50), 1);
  upper->SetHidden(false);
  upper->SetGrayed(true);
  EXPECT_EQ(upper->Blend().weight, 0.25f);
  editor->HandleButtonDown(50, 50, kLeft);
  EXPECT_TRUE(upper->events.empty());
  EXPECT_EQ(lower->events, std::vector<std::string>{"down@50,50"});
  upper->SetGrayed(false);
  EXPECT_EQ(upper->Blend().weight, 1.0f);
}

TEST_F(EditorRouting, ADragOutsideTheEditorStaysWithTheCapturedControl) {
  EXPECT_TRUE(editor->HandleButtonDown(45, 45, kLeft));
  EXPECT_EQ(editor->CaptureIndex(), 2);
  EXPECT_FALSE(editor->HandleDrag(45, 45, kLeft));  // no movement, nothing delivered
  editor->HandleDrag(-30, 500, kLeft);
  editor->HandleDrag(-31, 490, kLeft);
  editor->HandleButtonUp(-31, 490, kLeft);
  EXPECT_EQ(upper->events,
            (std::vector<std::string>{"down@45,45", "drag@-30,500", "drag@-31,490", "up@-31,490"}));
  ASSERT_EQ(upper->drags.size(), 2u);
  EXPECT_EQ(upper->drags[0].dX, -75);
  EXPECT_EQ(upper->drags[0].dY, 455);
  EXPECT_EQ(upper->drags[1].dX, -1);
  EXPECT_EQ(upper->drags[1].dY, -10);
  EXPECT_EQ(editor->CaptureIndex(), -1);
  ASSERT_EQ(plugin.Events().size(), 2u);
  EXPECT_EQ(plugin.Events()[0].kind, Event::Begin);
  EXPECT_EQ(plugin.Events()[0].index, 1);
  EXPECT_EQ(plugin.Events()[1].kind, Event::End);
  EXPECT_EQ(plugin.Events()[1].index, 1);

  // Moves with no capture do nothing.
  EXPECT_FALSE(editor->HandleDrag(50, 50, kLeft));
  EXPECT_EQ(upper->drags.size(), 2u);
}

TEST_F(EditorRouting, AReleaseOverAControlThatWasNeverPressedSendsNoEndEdit) {
  editor->HandleButtonDown(150, 50, kLeft);  // background, no parameter
  editor->HandleButtonUp(150, 50, kLeft);
  editor->DropMouseCapture();
  editor->HandleButtonUp(20, 20, kLeft);  // no capture: the control under the point
  EXPECT_EQ(lower->events, std::vector<std::string>{"up@20,20"});
  EXPECT_TRUE(plugin.Events().empty());
}

TEST_F(EditorRouting, DoubleClickWithAndWithoutTheButtonDownFlag) {
  EXPECT_FALSE(editor->HandleDoubleClick(20, 20, kLeft));
  EXPECT_EQ(lower->events, std::vector<std::string>{"double@20,20"});
  EXPECT_EQ(editor->CaptureIndex(), -1);

  lower->SetDoubleClickAsButtonDown(true);
  EXPECT_TRUE(editor->HandleDoubleClick(21, 22, kLeft));
  EXPECT_EQ(lower->events.back(), "down@21,22");
  EXPECT_EQ(editor->CaptureIndex(), 1);
  editor->HandleDrag(25, 22, kLeft);
  EXPECT_EQ(lower->events.back(), "drag@25,22");
  EXPECT_TRUE(plugin.Events().empty());  // no begin edit either way
  EXPECT_FALSE(editor->HandleDoubleClick(500, 500, kLeft));
}

TEST_F(EditorRouting, KeysGoToTheControlUnderThePointerElseToTheKeyCatcher) {
  EXPECT_TRUE(editor->HandleKey(20, 20, kKeyUp));
  EXPECT_EQ(lower->events, std::vector<std::string>{"key1@20,20"});
  // Background and empty space: no catcher, so not handled.
  EXPECT_FALSE(editor->HandleKey(150, 50, kKeySpace));
  EXPECT_FALSE(editor->HandleKey(500, 50, kKeySpace));
  EXPECT_TRUE(background->events.empty());

  auto* catcher = new RecordingControl(&plugin, Rect{});
  editor->SetKeyCatcher(catcher);
  EXPECT_TRUE(editor->HandleKey(150, 50, kKeyLetterA));
  EXPECT_TRUE(editor->HandleKey(500, 50, kKeyDigit0));
  EXPECT_EQ(catcher->events, (std::vector<std::string>{"key15@150,50", "key5@500,50"}));
  catcher->takesKeys = false;
  EXPECT_FALSE(editor->HandleKey(500, 50, kKeyDown));

  lower->takesKeys = false;
  EXPECT_FALSE(editor->HandleKey(20, 20, kKeyLeft));  // the control's own answer

  // The captured control gets the keys wherever the pointer is.
  editor->HandleButtonDown(50, 50, kLeft);
  editor->HandleKey(150, 50, kKeyRight);
  EXPECT_EQ(upper->events.back(), "key4@150,50");
}

TEST_F(EditorRouting, WheelGoesToTheControlUnderThePointerWithoutEditMessages) {
  editor->HandleWheel(20, 20, kLeft, -3);
  editor->HandleWheel(500, 20, kLeft, 1);
  EXPECT_EQ(lower->events, std::vector<std::string>{"wheel-3@20,20"});
  EXPECT_TRUE(plugin.Events().empty());
}

TEST_F(EditorRouting, RightClickUnderVst2ReachesTheControlWithAnEditGesture) {
  editor->HandleButtonDown(20, 20, kRight);
  editor->HandleButtonUp(20, 20, kRight);
  EXPECT_EQ(lower->events, (std::vector<std::string>{"down@20,20", "up@20,20"}));
  EXPECT_TRUE(plugin.hostMenus.empty());
  ASSERT_EQ(plugin.Events().size(), 2u);
}

class EditorRoutingVst3 : public EditorRouting {
 protected:
  EditorRoutingVst3() : EditorRouting(kHostInterfaceVst3) {}
};

TEST_F(EditorRoutingVst3, RightClickOnAParameterControlOpensTheHostMenuInstead) {
  editor->HandleButtonDown(20, 22, kRight);
  EXPECT_TRUE(lower->events.empty());
  EXPECT_EQ(editor->CaptureIndex(), -1);
  ASSERT_EQ(plugin.hostMenus.size(), 1u);
  EXPECT_EQ(plugin.hostMenus[0].index, 0);
  EXPECT_EQ(plugin.hostMenus[0].x, 20);
  EXPECT_EQ(plugin.hostMenus[0].y, 22);
  EXPECT_TRUE(plugin.Events().empty());

  // Without a parameter, or with the left button, the control gets the click.
  editor->HandleButtonDown(150, 50, kRight);
  EXPECT_EQ(background->events, std::vector<std::string>{"down@150,50"});
  editor->HandleButtonDown(20, 20, kLeft);
  EXPECT_EQ(lower->events, std::vector<std::string>{"down@20,20"});
}

TEST_F(EditorRouting, HostValuesReachEveryBoundControlEvenWhenHidden) {
  auto* twin = Add(Rect{100, 10, 120, 30}, 0);
  twin->SetHidden(true);
  editor->UpdateControlsForParam(0, 0.75, true);
  EXPECT_EQ(lower->Value(), 0.75);
  EXPECT_EQ(twin->Value(), 0.75);
  EXPECT_EQ(upper->Value(), 0.25);  // the attach value of parameter 1

  plugin.Param(2)->InitContinuous("Plain", 10.0, 0.0, 20.0, 0.01, "", 1.0);
  auto* plain = Add(Rect{130, 10, 150, 30}, 2);
  editor->UpdateControlsForParam(2, 15.0, false);
  EXPECT_EQ(plain->Value(), 0.75);
  // Indices outside the parameter list select nothing.
  editor->UpdateControlsForParam(-1, 3.0, false);
  editor->UpdateControlsForParam(99, 3.0, false);
  editor->UpdateControlsForParam(99, 0.5, true);
  EXPECT_EQ(editor->ControlAt(-1), nullptr);
  EXPECT_EQ(editor->ControlAt(editor->ControlCount()), nullptr);
}

TEST_F(EditorRouting, ResizingEmptiesTheEditorAndTellsTheHost) {
  editor->HandleButtonDown(20, 20, kLeft);
  editor->ResizeEditor(640, 480);
  EXPECT_EQ(editor->ControlCount(), 0);
  EXPECT_EQ(editor->CaptureIndex(), -1);
  ASSERT_NE(editor->Surface(), nullptr);
  EXPECT_EQ(editor->Surface()->Width(), 640);
  EXPECT_EQ(editor->Surface()->Height(), 480);
  ASSERT_FALSE(plugin.Events().empty());
  EXPECT_EQ(plugin.Events().back().kind, Event::Resize);
  EXPECT_EQ(plugin.Events().back().index, 640);
  EXPECT_EQ(plugin.Events().back().value, 480.0);
  editor->UpdateControlsForParam(0, 0.5, true);  // nothing left to reach
  EXPECT_TRUE(editor->Redraw(Rect{0, 0, 10, 10}));
}

}  // namespace
