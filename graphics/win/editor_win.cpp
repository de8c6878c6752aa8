// EditorWin: the window's life (class, creation, closing), painting, resizing,
// the cursor and images.
#include "graphics/win/editor_win.h"

#include <windows.h>

#include "framework/plugin_base.h"
#include "graphics/bitmap/png_decode.h"
#include "graphics/image_cache.h"

LRESULT CALLBACK MoravelleEditorWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

// Process-wide, touched only on the user-interface thread: the open windows of
// this module (the class is registered while there are any), whether the class
// is registered, and the frame rate of the window being created, read by its
// creation handler.
int openWindowCount = 0;
bool classRegistered = false;
int creatingFrameRate = Editor::kDefaultFrameRate;

HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }

void RegisterEditorClass(HINSTANCE module) {
  if (classRegistered) return;  // still there from a window its host destroyed
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MoravelleEditorWindowProcedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = EditorWin::kWindowClassName;
  classRegistered = RegisterClassA(&windowClass) != 0;
}

// With no window left the class goes. A window that is still being destroyed
// (its host destroyed it) keeps the class until the next call finds it gone.
void UnregisterUnusedClass(HINSTANCE module) {
  if (openWindowCount == 0 && classRegistered && UnregisterClassA(EditorWin::kWindowClassName, module))
    classRegistered = false;
}

void ReleaseWindowCount(HINSTANCE module) {
  if (openWindowCount > 0) --openWindowCount;
  UnregisterUnusedClass(module);
}

}  // namespace

int EditorWindowCreationFrameRate() { return creatingFrameRate; }

EditorWin::EditorWin(PluginBase* plug, void* moduleInstance)
    : Editor(plug), moduleInstance_(moduleInstance), rules_(*this) {}

EditorWin::~EditorWin() { CloseWindow(); }

int EditorWin::OpenWindowCount() { return openWindowCount; }

NativeWindowHandle EditorWin::OpenWindow(NativeWindowHandle parent) {
  parentWindow_ = parent;
  int x = 0;
  int y = 0;
  int width = Width();
  int height = Height();
  if (window_ != nullptr) {
    // Re-opened in a new parent: same place relative to it, same size.
    RECT bounds{};
    GetWindowRect(AsWindow(window_), &bounds);
    POINT corner{bounds.left, bounds.top};
    ScreenToClient(AsWindow(parent), &corner);
    x = corner.x;
    y = corner.y;
    width = bounds.right - bounds.left;
    height = bounds.bottom - bounds.top;
    CloseWindow();
  }
  HINSTANCE module = static_cast<HINSTANCE>(moduleInstance_);
  if (openWindowCount++ == 0) RegisterEditorClass(module);
  creatingFrameRate = FrameRate();
  HWND window = CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y, width, height,
                                AsWindow(parent), nullptr, module, this);
  if (window == nullptr) {
    window_ = nullptr;
    ReleaseWindowCount(module);
    return nullptr;
  }
  window_ = window;
  for (int i = 0; i < ControlCount(); ++i) ControlAt(i)->MarkDirty(false);
  return window_;
}

void EditorWin::CloseWindow() {
  if (window_ == nullptr) {
    UnregisterUnusedClass(static_cast<HINSTANCE>(moduleInstance_));
    return;
  }
  if (rules_.EntryOpen()) FinishTextEntry(false);
  HWND window = AsWindow(window_);
  // Forget the window first: messages sent while it goes find no editor.
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  window_ = nullptr;
  rules_.CaptureLost();
  DropMouseCapture();
  DestroyWindow(window);
  ReleaseWindowCount(static_cast<HINSTANCE>(moduleInstance_));
}

void EditorWin::WindowDestroyed() {
  // The host destroyed its own window, and ours with it, without closing the
  // editor first: the entry and the window are gone, the class count follows.
  if (rules_.EntryOpen()) FinishTextEntry(false);
  window_ = nullptr;
  rules_.CaptureLost();
  DropMouseCapture();
  ReleaseWindowCount(static_cast<HINSTANCE>(moduleInstance_));
}

bool EditorWin::PresentArea(const Rect& rect) {
  if (window_ == nullptr || Surface() == nullptr) return false;
  PAINTSTRUCT paint{};
  HDC windowContext = BeginPaint(AsWindow(window_), &paint);
  if (windowContext != nullptr)
    BitBlt(windowContext, rect.L, rect.T, rect.R - rect.L, rect.B - rect.T,
           static_cast<HDC>(Surface()->DeviceContext()), rect.L, rect.T, SRCCOPY);
  EndPaint(AsWindow(window_), &paint);
  return true;
}

void EditorWin::ResizeEditor(int width, int height) {
  const int growX = width - Width();
  const int growY = height - Height();
  if (growX == 0 && growY == 0) return;
  Editor::ResizeEditor(width, height);
  if (window_ == nullptr) return;
  HWND window = AsWindow(window_);
  const auto growBy = [&](HWND target) {
    RECT bounds{};
    GetWindowRect(target, &bounds);
    SetWindowPos(target, nullptr, 0, 0, bounds.right - bounds.left + growX, bounds.bottom - bounds.top + growY,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  };
  growBy(window);
  const auto isPlainChild = [](HWND w) {
    return (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) != 0 && (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_MDICHILD) == 0;
  };
  // VST2 hosts leave growing their frame to the plug-in; VST3 hosts size it
  // themselves through the view's frame.
  const int kind = Plug() != nullptr ? Plug()->HostInterfaceKind() : kHostInterfaceVst2;
  if (isPlainChild(window) && kind != kHostInterfaceVst3 && kind != 3) {
    HWND parent = GetParent(window);
    if (parent != nullptr) {
      growBy(parent);
      HWND grandparent = isPlainChild(parent) ? GetParent(parent) : nullptr;
      if (grandparent != nullptr) growBy(grandparent);
    }
  }
  RECT whole{0, 0, Width(), Height()};
  InvalidateRect(window, &whole, FALSE);
}

void EditorWin::HideCursor() {
  if (cursorHidden_) return;
  POINT at{};
  GetCursorPos(&at);
  hiddenCursorX_ = at.x;
  hiddenCursorY_ = at.y;
  ShowCursor(FALSE);
  cursorHidden_ = true;
}

void EditorWin::RestoreCursor() {
  if (!cursorHidden_) return;
  SetCursorPos(hiddenCursorX_, hiddenCursorY_);
  ShowCursor(TRUE);
  cursorHidden_ = false;
}

Bitmap* EditorWin::LoadImageResource(int resourceId, const char* fileName) {
  if (!IsPngFileName(fileName)) return nullptr;
  return DecodePngResource(moduleInstance_, resourceId);
}
