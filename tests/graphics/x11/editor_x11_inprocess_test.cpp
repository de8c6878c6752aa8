// EditorX11 in this process on a small plug-in, in a host window of the test's
// own, driven with real input: the drawn text entry, the drawn popup menus, the
// pointer held through a drag, the clipboard, the folders, and the key mapping.
// Modal loops (menus) are answered from a helper thread that waits for the
// menu's window on a connection of its own and then types.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "editor_in_host.h"
#include "graphics/window_keys.h"
#include "graphics/x11/x11_keys.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

namespace {

TEST(EditorX11Entry, TypedTextIsFilteredAndEnterCommitsIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  EXPECT_EQ(h.editor->EntryText(), "2.0");
  xdesk::Keys("7 x period 5");  // the selected text is replaced; the letter is dropped
  xdesk::PumpUntil(h.step, [&] { return h.editor->EntryText() == "7.5"; });
  EXPECT_EQ(h.editor->EntryText(), "7.5");
  xdesk::Keys("Return");
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !h.EntryOpen(); }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 7.5);
  // Keys typed into the entry never reached the host.
  EXPECT_TRUE(h.host.KeysReceived().empty());
}

TEST(EditorX11Entry, EscapeAndAClickInTheEditorCancel) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  xdesk::Keys("9");
  xdesk::PumpUntil(h.step, [&] { return h.editor->EntryText() == "9"; });
  EXPECT_EQ(h.editor->EntryText(), "9");
  xdesk::Keys("Escape");
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !h.EntryOpen(); }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 2.0);

  ASSERT_TRUE(h.OpenEntry());
  xdesk::Keys("8");
  xdesk::PumpUntil(h.step, [&] { return h.editor->EntryText() == "8"; });
  h.Click(250, 150);  // the editor, outside the entry
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return !h.EntryOpen(); }));
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 2.0);
}

TEST(EditorX11Entry, ClosingTheHostWindowUnderAnOpenEntryIsSafe) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(h.OpenEntry());
  h.host.Destroy();
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.editor->NativeWindow() == nullptr; }));
  EXPECT_FALSE(h.EntryOpen());
  EXPECT_DOUBLE_EQ(h.plugin.Param(0)->Value(), 2.0);
}

TEST(EditorX11Pointer, TheWindowHoldsThePointerUntilRelease) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  xdesk::MoveTo(220, 20);
  xdesk::ButtonDown();
  xdesk::PumpFor(h.step, 50);
  xdesk::MoveTo(220, kHeight + 60);  // below the editor and the host window
  xdesk::PumpUntil(h.step, [&] { return !h.right->drags.empty(); });
  xdesk::ButtonUp();
  xdesk::PumpUntil(h.step, [&] { return !h.right->events.empty() && h.right->events.back().rfind("up@", 0) == 0; });
  ASSERT_GE(h.right->events.size(), 3u);
  EXPECT_EQ(h.right->events.front(), "down@220,20");
  EXPECT_EQ(h.right->events.back(), "up@220," + std::to_string(kHeight + 60));

  h.right->events.clear();
  std::this_thread::sleep_for(std::chrono::milliseconds(EditorX11::kDoubleClickMs + 100));
  h.Click(250, 25, 2);  // the middle button
  xdesk::PumpUntil(h.step, [&] { return h.right->events.size() >= 2; });
  EXPECT_EQ(h.right->events, (std::vector<std::string>{"down@250,25", "up@250,25"}));
}

TEST(EditorX11Menu, TheKeyboardChoosesFromASubmenuAndEscapeDismisses) {
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
    Answerer user([] { xdesk::Keys("Down Down Right Down Return"); });
    chosen = h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40});
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(chosen, &sub);
  EXPECT_EQ(sub.ChosenIndex(), 1);
  EXPECT_EQ(top.ChosenIndex(), -1);
  EXPECT_EQ(xdesk::MappedPopupCount(h.host.Connection()), 0);  // every level went

  // Escape closes the submenu first, then the menu.
  sub.SetChosenIndex(-1);
  {
    Answerer user([] { xdesk::Keys("Down Down Right Escape Escape"); });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), nullptr);
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(sub.ChosenIndex(), -1);
  EXPECT_EQ(top.ChosenIndex(), -1);
}

TEST(EditorX11Menu, ThePointerChoosesOnReleaseAndAPressOutsideDismisses) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  PopupMenu top;
  top.AddItem("Alpha");
  top.AddItem("Beta")->flags = kMenuItemGreyed;
  top.AddItem("Gamma");
  {
    // The menu opens below the rectangle: items of 20 pixels from 2 below its top.
    Answerer user([] {
      xdesk::MoveTo(60, 40 + 2 + 2 * 20 + 10);  // Gamma
      xdesk::Clicks(1, 1);
    });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), &top);
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(top.ChosenIndex(), 2);
  top.SetChosenIndex(-1);
  {
    Answerer user([] {
      xdesk::MoveTo(60, 40 + 2 + 1 * 20 + 10);  // the greyed Beta: nothing
      xdesk::Clicks(1, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      xdesk::MoveTo(350, 180);  // outside the menu
      xdesk::Clicks(1, 1);
    });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), nullptr);
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(top.ChosenIndex(), -1);
}

TEST(EditorX11Menu, DestroyingTheHostWindowUnderAnOpenMenuIsSafe) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  PopupMenu top;
  top.AddItem("Alpha");
  const Window host = h.host.Id();
  {
    Answerer user([host] {
      Display* other = XOpenDisplay(nullptr);
      XDestroyWindow(other, host);
      XCloseDisplay(other);
    });
    EXPECT_EQ(h.editor->ShowPopupMenu(top, Rect{10, 10, 110, 40}), nullptr);
    EXPECT_TRUE(user.Finish());
  }
  h.host.Forget();
  EXPECT_EQ(h.editor->NativeWindow(), nullptr);
  EXPECT_EQ(xdesk::MappedPopupCount(h.host.Connection()), 0);
}

// Owns the CLIPBOARD on a connection and thread of its own, as another program would.
class ClipboardOwner {
 public:
  explicit ClipboardOwner(const std::string& text)
      : thread_([this, text] {
          Display* display = XOpenDisplay(nullptr);
          if (display == nullptr) return;
          const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
          const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
          const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
          XSetSelectionOwner(display, clipboard, window, CurrentTime);
          XSync(display, False);
          owning_ = true;
          while (!stop_) {
            while (XPending(display) > 0) {
              XEvent event;
              XNextEvent(display, &event);
              if (event.type != SelectionRequest) continue;
              const XSelectionRequestEvent& request = event.xselectionrequest;
              XEvent answer{};
              answer.xselection.type = SelectionNotify;
              answer.xselection.requestor = request.requestor;
              answer.xselection.selection = request.selection;
              answer.xselection.target = request.target;
              answer.xselection.time = request.time;
              answer.xselection.property = None;
              if (request.target == utf8) {
                XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
                answer.xselection.property = request.property;
              }
              XSendEvent(display, request.requestor, False, 0, &answer);
              XFlush(display);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
          XDestroyWindow(display, window);
          XCloseDisplay(display);
        }) {
    while (!owning_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ~ClipboardOwner() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> owning_{false};
  std::thread thread_;
};

TEST(EditorX11Clipboard, TheEditorReadsTheClipboardAsUtf8) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  std::string text = "keep";
  {
    ClipboardOwner owner("Hall \xC3\xA9t\xC3\xA9 -3.5 dB");
    EXPECT_TRUE(h.editor->ClipboardText(text));
    EXPECT_EQ(text, "Hall \xC3\xA9t\xC3\xA9 -3.5 dB");
  }
  // Nobody owns it now: nothing, quickly.
  EXPECT_FALSE(h.editor->ClipboardText(text));
  EXPECT_EQ(text, "");
}

TEST(EditorX11Folders, TheFoldersEndInASlashAndTheEditorNamesItsWindowSystem) {
  EditorInHost h;
  std::string host;
  std::string plugin;
  h.editor->HostFolder(host);
  h.editor->PluginFolder(plugin);
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(host.back(), '/');
  EXPECT_EQ(plugin, host);  // this program is both here
  std::string appData;
  h.editor->AppDataFolder(appData, false);
  EXPECT_FALSE(appData.empty());
  std::string desktop;
  h.editor->DesktopFolder(desktop);
  EXPECT_FALSE(desktop.empty());
  EXPECT_STREQ(h.editor->DrawingApiName(), "X11");
  EXPECT_STREQ(h.editor->WindowSystem(), "X11EmbedWindowID");
  EXPECT_EQ(h.editor->IdlePeriodMs(), 40);
  EXPECT_GE(h.editor->EventDescriptor(), 0);
  h.editor->CloseWindow();
  EXPECT_EQ(h.editor->EventDescriptor(), -1);
  EXPECT_EQ(h.editor->OpenWindow(nullptr), nullptr);
}

using xdesk::FakeDialogProgram;

TEST(EditorX11Dialogs, FileDialogsAnswerWithTheProgramsChoiceAndCancelEmptiesIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  std::string file;
  std::string folder = "/tmp/presets/";
  {
    FakeDialogProgram zenity("/tmp/elsewhere/take one.moravellepreset", 0);
    h.editor->ChooseFile(file, FileAction::Save, folder, "moravellepreset");
    EXPECT_TRUE(zenity.Has("--file-selection"));
    EXPECT_TRUE(zenity.Has("--save"));
    EXPECT_TRUE(zenity.Has("--confirm-overwrite"));
    EXPECT_TRUE(zenity.Has("--filename=/tmp/presets/"));
    EXPECT_TRUE(zenity.Has("--file-filter=*.moravellepreset"));
  }
  EXPECT_EQ(file, "/tmp/elsewhere/take one.moravellepreset");
  EXPECT_EQ(folder, "/tmp/elsewhere/");
  {
    FakeDialogProgram zenity("", 1);  // the user cancelled
    file = "keep";
    h.editor->ChooseFile(file, FileAction::Open, folder, "moravellepreset fxp");
    EXPECT_FALSE(zenity.Has("--save"));
    EXPECT_TRUE(zenity.Has("--file-filter=*.moravellepreset *.fxp"));
  }
  EXPECT_EQ(file, "");
  EXPECT_EQ(folder, "/tmp/elsewhere/");
  {
    FakeDialogProgram other("/tmp/x.moravellepreset", 0, "not-zenity");  // no dialog program on PATH
    const char* path = std::getenv("PATH");
    const std::string saved = path != nullptr ? path : "";
    setenv("PATH", "/nonexistent", 1);
    // The path is typed into the editor itself, starting from the folder.
    file = "";
    {
      std::thread user([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        xdesk::TypeText("take one.moravellepreset");
        xdesk::Keys("Return");
      });
      h.editor->ChooseFile(file, FileAction::Save, folder, "moravellepreset");
      user.join();
    }
    EXPECT_EQ(file, "/tmp/elsewhere/take one.moravellepreset");
    {
      std::thread user([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        xdesk::Keys("BackSpace x Escape");
      });
      h.editor->ChooseFile(file, FileAction::Open, folder, "moravellepreset");
      user.join();
    }
    EXPECT_EQ(file, "");
    EXPECT_EQ(folder, "/tmp/elsewhere/");
    EXPECT_TRUE(h.host.KeysReceived().empty());  // the typing never reached the host
    EXPECT_EQ(h.editor->ShowMessage("Replace it?", "Moravelle", 4), 7);  // MB_YESNO: No
    setenv("PATH", saved.c_str(), 1);
  }
  h.editor->CloseWindow();
  {
    FakeDialogProgram zenity("/tmp/x.moravellepreset", 0);
    file = "keep";
    h.editor->ChooseFile(file, FileAction::Open, folder, "moravellepreset");
    EXPECT_EQ(file, "");  // no window, no dialog
    EXPECT_TRUE(zenity.Arguments().empty());
  }
}

TEST(EditorX11Dialogs, WhileADialogRunsTheEditorTakesNoInput) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  setenv("MORAVELLE_FAKE_DIALOG_SECONDS", "1", 1);
  std::string file;
  std::string folder = "/tmp/";
  {
    FakeDialogProgram zenity("", 1);
    std::thread user([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      xdesk::MoveTo(250, 25);
      xdesk::Clicks(1, 1);
    });
    h.editor->ChooseFile(file, FileAction::Open, folder, "moravellepreset");
    user.join();
  }
  unsetenv("MORAVELLE_FAKE_DIALOG_SECONDS");
  xdesk::PumpFor(h.step, 100);
  EXPECT_TRUE(h.right->events.empty());
  // Afterwards it does again.
  std::this_thread::sleep_for(std::chrono::milliseconds(EditorX11::kDoubleClickMs + 100));
  h.Click(250, 25);
  EXPECT_TRUE(xdesk::PumpUntil(h.step, [&] { return h.right->events.size() >= 2; }));
}

TEST(EditorX11Dialogs, MessageBoxesAnswerWithTheWindowsCodes) {
  EditorInHost h;
  {
    FakeDialogProgram zenity("", 0);
    EXPECT_EQ(h.editor->ShowMessage("Saved.", "Moravelle", 0), 1);  // MB_OK: OK
    EXPECT_TRUE(zenity.Has("--info"));
    EXPECT_TRUE(zenity.Has("--text=Saved."));
    EXPECT_TRUE(zenity.Has("--title=Moravelle"));
    EXPECT_EQ(h.editor->ShowMessage("Replace it?", "Moravelle", 4), 6);  // MB_YESNO: Yes
    EXPECT_TRUE(zenity.Has("--question"));
    EXPECT_EQ(h.editor->ShowMessage("Go on?", "Moravelle", 1), 1);  // MB_OKCANCEL: OK
  }
  {
    FakeDialogProgram zenity("", 1);
    EXPECT_EQ(h.editor->ShowMessage("Replace it?", "Moravelle", 4), 7);  // No
    EXPECT_EQ(h.editor->ShowMessage("Go on?", "Moravelle", 1), 2);       // Cancel
    EXPECT_EQ(h.editor->ShowMessage("Save first?", "Moravelle", 3), 7);  // MB_YESNOCANCEL: No
    EXPECT_TRUE(zenity.Has("--extra-button=Cancel"));
  }
  {
    FakeDialogProgram zenity("Cancel", 1);  // the third button
    EXPECT_EQ(h.editor->ShowMessage("Save first?", "Moravelle", 3), 2);
  }
}

TEST(EditorX11Dialogs, WithoutZenityKdialogAnswers) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  const char* path = std::getenv("PATH");
  const std::string saved = path != nullptr ? path : "";
  setenv("PATH", "/nonexistent", 1);  // no zenity; the stand-in comes first
  std::string file;
  std::string folder = "/tmp/presets/";
  {
    FakeDialogProgram kdialog("/tmp/presets/a.moravellepreset", 0, "kdialog");
    h.editor->ChooseFile(file, FileAction::Save, folder, "moravellepreset");
    EXPECT_EQ(kdialog.Arguments(), (std::vector<std::string>{"--title", "Moravelle", "--getsavefilename",
                                                             "/tmp/presets/", "*.moravellepreset"}));
  }
  EXPECT_EQ(file, "/tmp/presets/a.moravellepreset");
  {
    FakeDialogProgram kdialog("", 2, "kdialog");
    EXPECT_EQ(h.editor->ShowMessage("Save first?", "Moravelle", 3), 2);  // Cancel
    EXPECT_TRUE(kdialog.Has("--yesnocancel"));
    EXPECT_EQ(h.editor->ShowMessage("Replace it?", "Moravelle", 4), 7);  // anything but 0 is No
  }
  setenv("PATH", saved.c_str(), 1);
}

TEST(EditorX11Keys, KeySymbolsMapAsTheWindowsKeysDo) {
  const auto code = [](unsigned long keySym) { return KeyCodeForWindowKey(WindowKeyForKeySym(keySym)); };
  EXPECT_EQ(code(XK_space), kKeySpace);
  EXPECT_EQ(code(XK_Up), kKeyUp);
  EXPECT_EQ(code(XK_KP_Down), kKeyDown);
  EXPECT_EQ(code(XK_Left), kKeyLeft);
  EXPECT_EQ(code(XK_Right), kKeyRight);
  EXPECT_EQ(code(XK_0), kKeyDigit0);
  EXPECT_EQ(code(XK_9), kKeyDigit0 + 9);
  EXPECT_EQ(code(XK_a), kKeyLetterA);
  EXPECT_EQ(code(XK_Z), kKeyLetterZ);
  // The keypad's 1..9 and operators and F1..F11 land on the letters, as on Windows.
  EXPECT_EQ(code(XK_KP_1), kKeyLetterA);
  EXPECT_EQ(code(XK_KP_Divide), kKeyLetterA + (111 - 97));
  EXPECT_EQ(code(XK_F1), kKeyLetterA + (112 - 97));
  EXPECT_EQ(code(XK_F11), kKeyLetterZ);
  for (unsigned long other : {XK_KP_0, XK_F12, XK_Return, XK_Escape, XK_Shift_L, XK_eacute})
    EXPECT_EQ(code(other), kNoKeyCode) << other;
}

}  // namespace
