// The value prompt, text entry commits and popup menu numbering.
#include <gtest/gtest.h>

#include <clocale>

#include "editor_test_support.h"
#include "recording_control.h"
#include "tests/support/decimal_comma_locale.h"

namespace {

const MouseState kRight{false, true, false, false, false};

TEST(ValuePrompt, RightClickOpensATextEntryWithTheValueAtItsPrecision) {
  TestPlugin plugin(2);
  plugin.Param(1)->InitContinuous("Size", 10.0, 0.0, 20.0, 1.0, "m", 1.0);  // precision 0
  auto* editor = new OffscreenEditor(&plugin);
  auto* fine = new RecordingControl(&plugin, Rect{0, 0, 41, 21}, 0);
  auto* coarse = new RecordingControl(&plugin, Rect{50, 0, 90, 20}, 1);
  auto* silent = new RecordingControl(&plugin, Rect{100, 0, 140, 20}, 1);
  fine->SetPromptDisabled(false);
  coarse->SetPromptDisabled(false);
  editor->AddControl(fine);
  editor->AddControl(coarse);
  editor->AddControl(silent);
  plugin.AttachEditor(editor);
  plugin.ClearEvents();

  editor->Script().textEntries.push_back(std::string("0.8x"));
  editor->HandleButtonDown(5, 5, kRight);
  editor->HandleButtonUp(5, 5, kRight);
  EXPECT_EQ(editor->Script().asked.back(), "text 0.25000");
  EXPECT_DOUBLE_EQ(plugin.Param(0)->Value(), 0.8);  // the filter dropped the "x"
  EXPECT_DOUBLE_EQ(fine->Value(), 0.8);
  EXPECT_TRUE(fine->RedrawPending());

  editor->Script().textEntries.push_back(std::nullopt);  // cancelled
  editor->HandleButtonDown(60, 5, kRight);
  EXPECT_EQ(editor->Script().asked.back(), "text 10");
  EXPECT_DOUBLE_EQ(plugin.Param(1)->Value(), 10.0);

  const size_t asked = editor->Script().asked.size();
  editor->HandleButtonDown(110, 5, kRight);  // prompt disabled: nothing opens
  EXPECT_EQ(editor->Script().asked.size(), asked);
}

TEST(ValuePrompt, TheEntryShowsAndReadsAPointInADecimalCommaLocale) {
  // A host that switched to a decimal-comma locale must not turn "0,25" into 0
  // when the user just presses Enter on the text the entry opened with.
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  TestPlugin plugin(1);
  auto* editor = new OffscreenEditor(&plugin);
  auto* control = new RecordingControl(&plugin, Rect{0, 0, 41, 21}, 0);
  control->SetPromptDisabled(false);
  editor->AddControl(control);
  plugin.AttachEditor(editor);
  editor->Script().textEntries.push_back(std::string("0.75"));
  editor->HandleButtonDown(5, 5, kRight);
  editor->HandleButtonUp(5, 5, kRight);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(editor->Script().asked.back(), "text 0.25000");
  EXPECT_DOUBLE_EQ(plugin.Param(0)->Value(), 0.75);
}

TEST(ValuePrompt, CommittedTextBecomesAValue) {
  TestPlugin plugin(1);
  plugin.Param(0)->InitContinuous("Gain", 0.0, -10.0, 10.0, 0.1, "dB", 1.0);
  RecordingControl control(&plugin, Rect{0, 0, 10, 10}, 0);
  PluginParam* param = plugin.Param(0);
  Editor::CommitTextEntry(&control, param, "5 dB");
  EXPECT_DOUBLE_EQ(control.Value(), 0.75);
  Editor::CommitTextEntry(&control, param, "-2.5");
  EXPECT_DOUBLE_EQ(control.Value(), 0.375);
  Editor::CommitTextEntry(&control, param, "nan");  // no leading number: 0
  EXPECT_DOUBLE_EQ(control.Value(), 0.5);
  Editor::CommitTextEntry(&control, param, "99");  // clamped to the range
  EXPECT_DOUBLE_EQ(control.Value(), 1.0);
  EXPECT_TRUE(Editor::TextEntryAccepts(param, '.'));
  EXPECT_TRUE(Editor::TextEntryAccepts(param, '-'));
  EXPECT_FALSE(Editor::TextEntryAccepts(param, 'e'));
  EXPECT_TRUE(Editor::TextEntryAccepts(nullptr, 'e'));
  Editor::CommitTextEntry(nullptr, param, "1");  // no control: nothing
}

TEST(PopupMenus, CommandIdsAreNumberedDepthFirst) {
  PopupMenu top;
  PopupMenu rooms(PopupMenu::kNumbering2);
  PopupMenu plates;
  top.AddSubmenu("Rooms", &rooms);
  top.AddItem("Init");
  top.AddSubmenu("Plates", &plates);
  rooms.AddItem("Small");
  rooms.AddItem("Large");
  plates.AddItem("Bright")->flags = kMenuItemChecked;

  const std::vector<MenuIdRange> ranges = NumberMenuTree(top);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].firstId, 0);
  EXPECT_EQ(ranges[1].menu, &rooms);
  EXPECT_EQ(ranges[1].firstId, 3);
  EXPECT_EQ(ranges[2].firstId, 5);

  EXPECT_EQ(ChooseByCommandId(top, 4), &rooms);
  EXPECT_EQ(rooms.ChosenIndex(), 1);
  EXPECT_EQ(ChooseByCommandId(top, 1), &top);
  EXPECT_EQ(top.ChosenIndex(), 1);
  EXPECT_EQ(ChooseByCommandId(top, 5), &plates);
  EXPECT_EQ(ChooseByCommandId(top, 6), nullptr);
  EXPECT_EQ(ChooseByCommandId(top, -1), nullptr);
  EXPECT_EQ(rooms.VisibleText(1), "02: Large");
  EXPECT_EQ(top.VisibleText(1), "Init");
  EXPECT_EQ(top.Item(3), nullptr);
}

TEST(PopupMenus, TheOffscreenEditorAnswersFromItsScript) {
  TestPlugin plugin;
  OffscreenEditor editor(&plugin);
  PopupMenu menu;
  menu.AddItem("a");
  menu.AddItem("b");
  editor.Script().menuChoices = {1, -1};
  EXPECT_EQ(editor.ShowPopupMenu(menu, Rect{}), &menu);
  EXPECT_EQ(menu.ChosenIndex(), 1);
  EXPECT_EQ(editor.ShowPopupMenu(menu, Rect{}), nullptr);  // dismissed
  EXPECT_EQ(editor.ShowPopupMenu(menu, Rect{}), nullptr);  // no answers left
  EXPECT_EQ(editor.Script().asked, (std::vector<std::string>{"menu 2", "menu 2", "menu 2"}));
}

}  // namespace
