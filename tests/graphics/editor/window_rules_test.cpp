// The rules every editor window follows: key mapping, the redraw cycle around a
// text entry, pointer capture and the wheel.
#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "graphics/editor_window_rules.h"
#include "graphics/window_keys.h"
#include "recording_control.h"

namespace {

const MouseState kLeft{true, false, false, false, false};

TEST(WindowKeys, SpaceArrowsDigitsAndLettersMapAndOthersDoNot) {
  EXPECT_EQ(KeyCodeForWindowKey(32), kKeySpace);
  EXPECT_EQ(KeyCodeForWindowKey(37), kKeyLeft);
  EXPECT_EQ(KeyCodeForWindowKey(38), kKeyUp);
  EXPECT_EQ(KeyCodeForWindowKey(39), kKeyRight);
  EXPECT_EQ(KeyCodeForWindowKey(40), kKeyDown);
  EXPECT_EQ(KeyCodeForWindowKey('0'), 5);
  EXPECT_EQ(KeyCodeForWindowKey('9'), 14);
  EXPECT_EQ(KeyCodeForWindowKey('A'), 15);
  EXPECT_EQ(KeyCodeForWindowKey('Z'), 40);
  EXPECT_EQ(KeyCodeForWindowKey(97), 15);   // keypad 1
  EXPECT_EQ(KeyCodeForWindowKey(122), 40);  // F11
  for (int key : {13, 27, 31, 36, 41, 47, 58, 64, 91, 96, 123, 200}) EXPECT_EQ(KeyCodeForWindowKey(key), kNoKeyCode) << key;
}

struct RulesFixture {
  TestPlugin plugin{2};
  OffscreenEditor* editor = new OffscreenEditor(&plugin);
  RecordingControl* first = new RecordingControl(&plugin, Rect{0, 0, 50, 20}, 0);
  RecordingControl* second = new RecordingControl(&plugin, Rect{100, 0, 150, 20}, 1);
  EditorWindowRules rules{*editor};
  RulesFixture() {
    editor->AddControl(first);
    editor->AddControl(second);
    plugin.AttachEditor(editor);
    Rect all{};
    editor->CollectDirtyArea(all);
    for (int i = 0; i < editor->ControlCount(); ++i) editor->ControlAt(i)->MarkClean();
  }
};

TEST(WindowRules, WithAnEntryOpenTheEditorRepaintsAtMostEveryOtherTick) {
  RulesFixture f;
  using Step = EditorWindowRules::TimerStep;
  EXPECT_EQ(f.rules.OnTimer().kind, Step::Rest);  // nothing dirty
  f.second->SetValueFromHost(0.9);
  Step paint = f.rules.OnTimer();
  EXPECT_EQ(paint.kind, Step::Paint);
  EXPECT_EQ(paint.dirty.L, 100);
  EXPECT_EQ(paint.keepOut.R, 0);  // no entry: nothing kept out

  f.rules.EntryOpened(f.first, f.plugin.Param(0));
  f.second->MarkClean();
  f.second->SetValueFromHost(0.1);
  paint = f.rules.OnTimer();
  EXPECT_EQ(paint.kind, Step::Paint);
  EXPECT_EQ(paint.keepOut.R, 50);  // the entry's control is left alone
  EXPECT_EQ(f.rules.EntryState(), TextEntryState::RedrawnAround);
  EXPECT_EQ(f.rules.OnTimer().kind, Step::Rest);  // the resting tick
  EXPECT_EQ(f.rules.EntryState(), TextEntryState::Running);

  f.rules.SetEntryState(TextEntryState::Commit);
  EXPECT_EQ(f.rules.OnTimer().kind, Step::CommitEntry);
  f.rules.SetEntryState(TextEntryState::Cancel);
  EXPECT_EQ(f.rules.OnTimer().kind, Step::CancelEntry);
}

TEST(WindowRules, APressCommitsAnOpenEntryAndAWheelCancelsIt) {
  RulesFixture f;
  f.rules.EntryOpened(f.first, f.plugin.Param(0));
  EXPECT_FALSE(f.rules.ButtonDown(10, 10, kLeft));
  EXPECT_EQ(f.rules.EntryState(), TextEntryState::Commit);
  EXPECT_TRUE(f.first->events.empty());  // the press only ended the entry
  f.rules.Wheel(10, 10, kLeft, 240);
  EXPECT_EQ(f.rules.EntryState(), TextEntryState::Cancel);
  EXPECT_TRUE(f.first->events.empty());
  f.rules.EntryClosed();
  EXPECT_FALSE(f.rules.EntryOpen());
}

TEST(WindowRules, DragsNeedTheCaptureAndWheelsDropPartialNotches) {
  RulesFixture f;
  EXPECT_FALSE(f.rules.Drag(12, 5, kLeft));  // no press, no capture
  EXPECT_TRUE(f.rules.ButtonDown(10, 10, kLeft));
  EXPECT_TRUE(f.rules.Captured());
  EXPECT_TRUE(f.rules.Drag(10, 4, kLeft));
  f.rules.CaptureLost();  // a menu took the pointer
  EXPECT_FALSE(f.rules.Drag(10, 0, kLeft));
  f.rules.ButtonUp(10, 0, kLeft);
  EXPECT_EQ(f.first->drags.size(), 1u);
  f.rules.Wheel(10, 10, kLeft, 119);
  f.rules.Wheel(10, 10, kLeft, -360);
  EXPECT_EQ(f.first->events.back(), "wheel-3@10,10");
  EXPECT_EQ(f.first->events[f.first->events.size() - 2], "wheel0@10,10");
  f.first->SetDoubleClickAsButtonDown(true);
  EXPECT_TRUE(f.rules.DoubleClick(10, 10, kLeft));
  EXPECT_TRUE(f.rules.Captured());
}

}  // namespace
