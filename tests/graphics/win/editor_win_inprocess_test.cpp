// EditorWin in this process on a small plug-in: the text entry, popup menus,
// the file dialogs and closing under them, driven with real input.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>

#include "editor_in_host.h"

namespace {

TEST(EditorWinEntry, TypedTextIsFilteredAndEnterCommitsIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  char text[32] = {};
  GetWindowTextA(h.Entry(), text, sizeof text);
  EXPECT_STREQ(text, "2.0");
  EXPECT_EQ(GetDlgCtrlID(h.Entry()), EditorWin::kTextEntryControlId);
  desk::TypeText("7x.5");  // selected text is replaced; the letter is dropped
  desk::PumpUntil([&] {
    GetWindowTextA(h.Entry(), text, sizeof text);
    return std::string(text) == "7.5";
  });
  EXPECT_STREQ(text, "7.5");
  desk::Keys("Return");
  EXPECT_TRUE(desk::PumpUntil([&] { return h.Entry() == nullptr; }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 7.5);
}

TEST(EditorWinEntry, EscapeAndAClickInTheEditorCancel) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  desk::TypeText("9");
  desk::PumpUntil([&] {
    char typed[8] = {};
    GetWindowTextA(h.Entry(), typed, sizeof typed);
    return std::string(typed) == "9";
  });
  desk::Keys("Escape");
  EXPECT_TRUE(desk::PumpUntil([&] { return h.Entry() == nullptr; }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 2.0);

  ASSERT_TRUE(h.OpenEntry());
  desk::TypeText("8");
  desk::PumpUntil([&] {
    char typed[8] = {};
    GetWindowTextA(h.Entry(), typed, sizeof typed);
    return std::string(typed) == "8";
  });
  h.Click(250, 150);  // the editor, outside the entry
  EXPECT_TRUE(desk::PumpUntil([&] { return h.Entry() == nullptr; }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 2.0);
}

TEST(EditorWinEntry, ClosingTheHostWindowUnderAnOpenEntryIsSafe) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  PostMessageA(h.host.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(desk::PumpUntil([&] { return h.host.Destroyed(); }));
  EXPECT_EQ(h.editor->NativeWindow(), nullptr);
  EXPECT_EQ(h.Entry(), nullptr);
  EXPECT_FALSE(h.editor->Rules().EntryOpen());
  EXPECT_EQ(EditorWin::OpenWindowCount(), 0);
}

TEST(EditorWinPointer, TheWindowHoldsThePointerUntilRelease) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const POINT inside = desk::ScreenPoint(h.window, 220, 20);
  desk::MoveTo(inside.x, inside.y);
  desk::ButtonDown();
  desk::PumpUntil([&] { return GetCapture() == h.window; });
  const POINT outside = desk::ScreenPoint(h.window, 220, kHeight + 60);
  desk::MoveTo(outside.x, outside.y);
  desk::PumpUntil([&] { return !h.right->drags.empty(); });
  desk::ButtonUp();
  desk::PumpUntil([&] { return !h.right->events.empty() && h.right->events.back().rfind("up@", 0) == 0; });
  ASSERT_GE(h.right->events.size(), 3u);
  EXPECT_EQ(h.right->events.front(), "down@220,20");
  EXPECT_EQ(h.right->events.back(), "up@220," + std::to_string(kHeight + 60));

  h.right->events.clear();
  const POINT middle = desk::ScreenPoint(h.window, 250, 25);
  desk::MoveTo(middle.x, middle.y);
  desk::MiddleClick();
  desk::PumpUntil([&] { return h.right->events.size() >= 2; });
  EXPECT_EQ(h.right->events, (std::vector<std::string>{"down@250,25", "up@250,25"}));
}

TEST(EditorWinMenu, TheKeyboardChoosesFromASubmenuAndEscapeDismisses) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  PopupMenu sub;
  sub.AddItem("One");
  sub.AddItem("Two");
  PopupMenu top;
  top.AddItem("Alpha");
  top.AddSubmenu("Beta", &sub);
  top.AddItem("Gamma");
  PopupMenu* chosen = nullptr;
  {
    desk::Answerer user("#32768", [](HWND) { desk::Keys("Down Down Right Down Return"); });
    chosen = h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40});
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(chosen, &sub);
  EXPECT_EQ(sub.ChosenIndex(), 1);
  EXPECT_EQ(top.ChosenIndex(), -1);

  sub.SetChosenIndex(-1);
  {
    desk::Answerer user("#32768", [](HWND) { desk::Keys("Escape"); });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), nullptr);
  }
  EXPECT_EQ(sub.ChosenIndex(), -1);
}

TEST(EditorWinMenu, ClosingTheHostWindowUnderAnOpenMenuIsSafe) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  PopupMenu top;
  top.AddItem("Alpha");
  HWND host = h.host.Handle();
  {
    desk::Answerer user("#32768", [host](HWND) {
      PostMessageA(host, WM_CLOSE, 0, 0);
      Sleep(300);
      desk::Keys("Escape");  // in case the menu outlived its owner
    });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), nullptr);
  }
  desk::PumpUntil([&] { return h.host.Destroyed(); });
  EXPECT_TRUE(h.host.Destroyed());
  EXPECT_EQ(h.editor->NativeWindow(), nullptr);
}

constexpr const char* kTypedName = "take one";
constexpr const char* kSavedName = "take one.moravellepreset";

// An empty folder for the dialogs (a run that was stopped may have left a file).
std::string FreshFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "moravelle-dialog\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFileA((folder + kSavedName).c_str());
  return folder;
}

// The filter the dialog shows (its file-type list's first entry).
std::string FilterShown(HWND dialog) {
  HWND types = GetDlgItem(dialog, 0x470);  // cmb1
  char text[256] = {};
  if (types != nullptr) SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(EditorWinDialogs, SaveAndOpenAnswerWithTheTypedNameAndCancelEmptiesIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const std::string folder = FreshFolder();

  std::string file = "";
  std::string where = folder;
  std::string filter;
  bool typed = false;  // checked here: assertions belong to the test's own thread
  {
    desk::Answerer user("#32770", [&filter, &typed](HWND dialog) {
      filter = FilterShown(dialog);
      typed = desk::TypeIntoFocus(dialog, kTypedName);
      desk::Keys("Return");
    });
    h.editor->ChooseFile(file, FileAction::Save, where, "moravellepreset");
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_TRUE(typed);
  EXPECT_EQ(filter, "*.moravellepreset");
  EXPECT_EQ(file, folder + kSavedName);  // the default extension appended
  EXPECT_EQ(where, folder);

  std::ofstream(file) << "saved\n";
  std::string opened;
  std::string openFolder = folder;
  {
    // Wine's open dialog looks for the name as typed: the extension goes with it.
    desk::Answerer user("#32770", [&typed](HWND dialog) {
      typed = desk::TypeIntoFocus(dialog, kSavedName);
      desk::Keys("Return");
    });
    h.editor->ChooseFile(opened, FileAction::Open, openFolder, "moravellepreset");
  }
  EXPECT_TRUE(typed);
  EXPECT_EQ(opened, file);

  std::string cancelled = "keep";
  {
    desk::Answerer user("#32770", [](HWND) { desk::Keys("Escape"); });
    h.editor->ChooseFile(cancelled, FileAction::Open, openFolder, "moravellepreset");
  }
  EXPECT_EQ(cancelled, "");
  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());

  h.editor->CloseWindow();
  std::string closed = "keep";
  h.editor->ChooseFile(closed, FileAction::Open, openFolder, "moravellepreset");
  EXPECT_EQ(closed, "");  // no window, no dialog
}

TEST(EditorWinFolders, TheFoldersEndInABackslashAndTheEditorNamesItsDrawing) {
  EditorInHost h;
  std::string host;
  std::string plugin;
  h.editor->HostFolder(host);
  h.editor->PluginFolder(plugin);
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(host.back(), '\\');
  EXPECT_EQ(plugin, host);  // this program is both here
  std::string appData;
  h.editor->AppDataFolder(appData, true);
  EXPECT_FALSE(appData.empty());
  EXPECT_STREQ(h.editor->DrawingApiName(), "Windows GDI");
  EXPECT_STREQ(h.editor->WindowSystem(), "HWND");
}

}  // namespace
