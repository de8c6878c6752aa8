// EditorWin's remaining platform operations in this process: the colour
// dialog, message boxes, links, the clipboard and resizing inside the host's
// windows (a VST2-style host that leaves its windows to the plug-in, and a
// VST3 host that sizes them through the view's frame).
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: wininet.h needs its types.
#include <wininet.h>

#include <cstring>
#include <cwchar>
#include <fstream>

#include "adapters/vst3/vst3_plugin_view.h"
#include "editor_in_host.h"
#include "tests/vst3/recording_plugin.h"

using namespace vst3;

namespace {

constexpr int kColourRedEdit = 706;  // the full colour dialog's "Red" field

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(EditorWinColour, TheDialogShowsThePromptAndTheColourAndCancelKeepsIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  Colour colour{77, 12, 34, 56};
  std::string title;
  std::string redShown;
  {
    desk::Answerer user("#32770", [&](HWND dialog) {
      title = WindowText(dialog);
      HWND red = GetDlgItem(dialog, kColourRedEdit);
      redShown = WindowText(red);
      SendMessageA(red, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("200"));
      desk::Keys("Return");
    }, true);
    EXPECT_TRUE(h.editor->ChooseColour(colour, "Lamp colour"));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(title, "Lamp colour");
  EXPECT_EQ(redShown, "12");
  EXPECT_EQ(colour.R, 200);
  EXPECT_EQ(colour.G, 34);
  EXPECT_EQ(colour.B, 56);
  EXPECT_EQ(colour.A, 77);

  {
    desk::Answerer user("#32770", [](HWND dialog) {
      SendMessageA(GetDlgItem(dialog, kColourRedEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("5"));
      desk::Keys("Escape");
    }, true);
    EXPECT_FALSE(h.editor->ChooseColour(colour, "Lamp colour"));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(colour.R, 200);

  h.editor->CloseWindow();
  EXPECT_FALSE(h.editor->ChooseColour(colour, "Lamp colour"));  // no window, no dialog
}

// Message boxes are answered with posted keys (see desk::PostKey).
TEST(EditorWinMessages, TheBoxBelongsToTheHostsTopWindowAndEnterAnswersIt) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  HWND owner = nullptr;
  std::string caption;
  {
    desk::Answerer user("#32770", [&](HWND box) {
      owner = GetWindow(box, GW_OWNER);
      caption = WindowText(box);
      desk::PostKey(box, VK_RETURN);
    });
    EXPECT_EQ(h.editor->ShowMessage("The file could not be read.", "Moravelle", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(owner, h.host.Handle());
  EXPECT_EQ(caption, "Moravelle");
  {
    desk::Answerer user("#32770", [](HWND box) { desk::PostKey(box, VK_ESCAPE); });
    EXPECT_EQ(h.editor->ShowMessage("Again?", "Moravelle", MB_OKCANCEL), IDCANCEL);
  }
}

// A URL scheme of this test's own, whose "open" command writes the link into a
// file: the shell's hand-over is seen without starting a browser.
class LinkCatcher {
 public:
  LinkCatcher() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    file_ = std::string(temp) + "moravelle-link.txt";
    DeleteFileA(file_.c_str());
    const std::string command = "cmd.exe /c echo %1>" + file_;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "moravelle-wintest", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegSetValueExA(key, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
      RegCloseKey(key);
    }
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "moravelle-wintest\\shell\\open\\command", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
      RegCloseKey(key);
    }
  }
  ~LinkCatcher() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "moravelle-wintest");
    DeleteFileA(file_.c_str());
  }
  // What the command wrote (the link), "" until it has.
  std::string Caught() const {
    std::ifstream in(file_);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
  }

 private:
  std::string file_;
};

TEST(EditorWinLinks, TheLinkGoesToTheShellAfterAYesAndNotAfterANo) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  LinkCatcher catcher;
  std::string confirmText;
  {
    desk::Answerer user("#32770", [&](HWND box) {
      confirmText = WindowText(GetDlgItem(box, 0xFFFF));
      desk::PostKey(box, 'N', 'n');
    });
    EXPECT_FALSE(h.editor->OpenLink("moravelle-wintest:no", "Moravelle", "Open the manual?", "No browser."));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(confirmText, "Open the manual?");

  DWORD connection = 0;
  const bool connected = InternetGetConnectedState(&connection, 0) != FALSE;
  ::testing::Test::RecordProperty("connected", connected ? "yes" : "no");
  std::string errorShown;
  bool opened = false;
  {
    // Yes (the default button); then, on a machine that reports no connection, the error box.
    desk::Answerer user("#32770", [&](HWND box) {
      desk::PostKey(box, VK_RETURN);
      if (connected) return;
      HWND error = nullptr;
      for (int i = 0; i < 500 && (error = desk::FindProcessWindow("#32770")) == nullptr; ++i) Sleep(10);
      if (error == nullptr) return;
      Sleep(150);
      errorShown = WindowText(GetDlgItem(error, 0xFFFF));
      desk::PostKey(error, VK_RETURN);
    });
    opened = h.editor->OpenLink("moravelle-wintest:yes", "Moravelle", "Open the manual?", "No browser.");
    EXPECT_TRUE(user.Finish());
  }
  if (connected) {
    EXPECT_TRUE(opened);
    EXPECT_TRUE(desk::PumpUntil([&] { return !catcher.Caught().empty(); }));
    EXPECT_EQ(catcher.Caught(), "moravelle-wintest:yes");
  } else {
    EXPECT_FALSE(opened);
    EXPECT_EQ(errorShown, "No browser.");
  }
}

bool PutUnicodeOnClipboard(HWND owner, const wchar_t* text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool put = false;
  if (text != nullptr) {
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (void* target = GlobalLock(memory)) {
      memcpy(target, text, bytes);
      GlobalUnlock(memory);
      put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
  } else {
    put = true;
  }
  CloseClipboard();
  return put;
}

TEST(EditorWinClipboard, UnicodeTextComesBackAsUtf8AndAnEmptyClipboardAsNothing) {
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  ASSERT_TRUE(PutUnicodeOnClipboard(h.host.Handle(), L"Gr\u00fc\u00dfe \u2713 1.5"));
  std::string text = "old";
  EXPECT_TRUE(h.editor->ClipboardText(text));
  EXPECT_EQ(text, "Gr\xc3\xbc\xc3\x9f" "e \xe2\x9c\x93 1.5");

  ASSERT_TRUE(PutUnicodeOnClipboard(h.host.Handle(), nullptr));
  EXPECT_FALSE(h.editor->ClipboardText(text));
  EXPECT_EQ(text, "");
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return SIZE{client.right, client.bottom};
}

SIZE OuterSize(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

bool operator==(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

TEST(EditorWinResize, UnderAVst2HostTheEditorGrowsTheHostsWindowsItself) {
  TestPlugin plugin(2);
  desk::HostWindow host(Editor::kDefaultWidth, Editor::kDefaultHeight);
  // The host's own child window between its frame and the editor.
  HWND frame = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, Editor::kDefaultWidth,
                               Editor::kDefaultHeight, host.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(frame, nullptr);
  auto* editor = new EditorWin(&plugin, GetModuleHandleA(nullptr));
  plugin.AttachEditor(editor);
  auto* window = static_cast<HWND>(editor->OpenWindow(frame));
  ASSERT_NE(window, nullptr);
  const SIZE hostBefore = OuterSize(host.Handle());
  const SIZE frameBefore = OuterSize(frame);

  editor->ResizeEditor(Editor::kDefaultWidth + 100, Editor::kDefaultHeight + 50);
  EXPECT_TRUE(ClientSize(window) == (SIZE{Editor::kDefaultWidth + 100, Editor::kDefaultHeight + 50}));
  EXPECT_TRUE(OuterSize(frame) == (SIZE{frameBefore.cx + 100, frameBefore.cy + 50}));
  EXPECT_TRUE(OuterSize(host.Handle()) == (SIZE{hostBefore.cx + 100, hostBefore.cy + 50}));
  ASSERT_EQ(plugin.Events().size(), 1u);
  EXPECT_EQ(plugin.Events()[0].kind, OfflineAdapter::HostEvent::Resize);
  EXPECT_EQ(plugin.Events()[0].index, Editor::kDefaultWidth + 100);

  editor->ResizeEditor(Editor::kDefaultWidth + 100, Editor::kDefaultHeight + 50);  // the same size: nothing
  EXPECT_EQ(plugin.Events().size(), 1u);
  editor->ResizeEditor(Editor::kDefaultWidth, Editor::kDefaultHeight);
  EXPECT_TRUE(OuterSize(host.Handle()) == hostBefore);
  EXPECT_TRUE(OuterSize(frame) == frameBefore);
}

// A VST3 host's frame: sizes the host window's client area to the request (when
// told to) and answers with onSize, as hosts do.
class SizingFrame : public FObject, public IPlugFrame {
 public:
  explicit SizingFrame(HWND host) : host_(host) {}
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknown::iid.Matches(iid) || IPlugFrame::iid.Matches(iid)) return AnswerQuery<IPlugFrame>(this, obj);
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    ++requests;
    last = *newSize;
    if (sizeHost) {
      RECT outer{0, 0, newSize->right - newSize->left, newSize->bottom - newSize->top};
      AdjustWindowRect(&outer, static_cast<DWORD>(GetWindowLongA(host_, GWL_STYLE)), FALSE);
      SetWindowPos(host_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return view->onSize(newSize);
  }
  bool sizeHost = true;
  int requests = 0;
  ViewRect last{};

 private:
  HWND host_;
};

TEST(EditorWinResize, UnderAVst3HostTheViewsFrameSizesTheHostWindow) {
  desk::HostWindow host(Editor::kDefaultWidth, Editor::kDefaultHeight);
  auto* plugin = new RecordingPlugin();
  plugin->initialize(nullptr);
  auto* editor = new EditorWin(plugin, GetModuleHandleA(nullptr));
  plugin->AttachEditor(editor);
  IPlugView* view = plugin->createView("editor");
  ASSERT_NE(view, nullptr);
  auto* frame = new SizingFrame(host.Handle());
  view->setFrame(frame);
  ASSERT_EQ(view->attached(host.Handle(), kPlatformTypeHWND), kResultTrue);
  auto* window = static_cast<HWND>(editor->NativeWindow());
  ASSERT_NE(window, nullptr);

  editor->ResizeEditor(640, 360);
  EXPECT_EQ(frame->requests, 1);
  EXPECT_EQ(frame->last.left, 0);
  EXPECT_EQ(frame->last.top, 0);
  EXPECT_EQ(frame->last.right, 640);
  EXPECT_EQ(frame->last.bottom, 360);
  EXPECT_EQ(plugin->afterResize, 1);
  EXPECT_TRUE(ClientSize(window) == (SIZE{640, 360}));
  EXPECT_TRUE(ClientSize(host.Handle()) == (SIZE{640, 360}));
  ViewRect size{};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right, 640);
  EXPECT_EQ(size.bottom, 360);

  // The host's window is the host's business: a frame that leaves it alone keeps its size.
  frame->sizeHost = false;
  editor->ResizeEditor(700, 400);
  EXPECT_EQ(frame->requests, 2);
  EXPECT_TRUE(ClientSize(window) == (SIZE{700, 400}));
  EXPECT_TRUE(ClientSize(host.Handle()) == (SIZE{640, 360}));

  EXPECT_EQ(view->removed(), kResultOk);
  view->release();
  plugin->terminate();
  EXPECT_EQ(plugin->release(), 0u);
  frame->release();
}

}  // namespace
