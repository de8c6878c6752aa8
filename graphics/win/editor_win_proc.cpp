// EditorWin: the editor window's procedure and its redraw cycle.
#include <windows.h>

#include "graphics/win/editor_win.h"
#include "graphics/window_keys.h"

int EditorWindowCreationFrameRate();

namespace {

HWND AsWindow(void* handle) { return static_cast<HWND>(handle); }

MouseState MouseStateOf(WPARAM keys) {
  MouseState mouse;
  mouse.left = (keys & MK_LBUTTON) != 0;
  mouse.right = (keys & MK_RBUTTON) != 0;
  mouse.shift = (keys & MK_SHIFT) != 0;
  mouse.control = (keys & MK_CONTROL) != 0;
  mouse.alt = GetKeyState(VK_MENU) < 0;
  return mouse;
}

int SignedX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int SignedY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}
bool IsButtonUp(UINT message) {
  return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

}  // namespace

LRESULT CALLBACK MoravelleEditorWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* editor = reinterpret_cast<EditorWin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (editor == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return editor->HandleWindowMessage(window, message, wParam, lParam);
}

intptr_t EditorWin::HandleWindowMessage(void* windowHandle, unsigned message, uintptr_t wParam, intptr_t lParam) {
  HWND window = AsWindow(windowHandle);
  if (message == WM_CREATE) {
    window_ = window;
    const int frameRate = EditorWindowCreationFrameRate();
    SetTimer(window, kRedrawTimerId, static_cast<UINT>(frameRate > 0 ? 1000 / frameRate : 40), nullptr);
    SetFocus(window);
    return 0;
  }
  if (window != window_) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    WindowDestroyed();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (rules_.EntryFocused()) {
    // The entry has the keyboard: a click in the editor cancels it, and the
    // editor neither paints nor ticks meanwhile.
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
      rules_.SetEntryState(TextEntryState::Cancel);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case WM_PAINT: {
      RECT update{};
      if (GetUpdateRect(window, &update, FALSE)) Redraw(Rect{update.left, update.top, update.right, update.bottom});
      // Whatever Redraw did, nothing stays invalid (or the paints never end).
      ValidateRect(window, nullptr);
      return 0;
    }
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_KEYDOWN: {
      const int key = KeyCodeForWindowKey(static_cast<int>(wParam));
      if (key != kNoKeyCode) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window, &at);
        if (HandleKey(at.x, at.y, static_cast<KeyCode>(key))) return 0;
      }
      return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    }
    case WM_KEYUP:
      return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_TIMER:
      if (wParam == static_cast<WPARAM>(kRedrawTimerId)) OnTimer();
      return 0;
    case WM_CTLCOLOREDIT: {
      Control* control = rules_.EntryControl();
      if (control == nullptr) break;
      const TextStyle& style = control->Style();
      HDC context = reinterpret_cast<HDC>(wParam);
      const COLORREF background = RGB(style.entryBackground.R, style.entryBackground.G, style.entryBackground.B);
      SetBkColor(context, background);
      SetTextColor(context, RGB(style.entryText.R, style.entryText.G, style.entryText.B));
      SetBkMode(context, OPAQUE);
      SetDCBrushColor(context, background);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_MOUSEMOVE:
      if ((wParam & (MK_LBUTTON | MK_RBUTTON)) != 0 && GetCapture() == window)
        rules_.Drag(SignedX(lParam), SignedY(lParam), MouseStateOf(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (rules_.DoubleClick(SignedX(lParam), SignedY(lParam), MouseStateOf(wParam))) SetCapture(window);
      return 0;
    case WM_MOUSEWHEEL: {
      RECT bounds{};
      GetWindowRect(window, &bounds);
      const int delta = static_cast<short>(HIWORD(wParam));
      rules_.Wheel(SignedX(lParam) - bounds.left, SignedY(lParam) - bounds.top, MouseStateOf(LOWORD(wParam)), delta);
      return 0;
    }
    case WM_CAPTURECHANGED:
      rules_.CaptureLost();
      return 0;
    default:
      break;
  }
  if (IsButtonDown(message)) {
    if (!rules_.EntryOpen()) {
      SetFocus(window);
      SetCapture(window);
    }
    rules_.ButtonDown(SignedX(lParam), SignedY(lParam), MouseStateOf(wParam));
    return 0;
  }
  if (IsButtonUp(message)) {
    ReleaseCapture();
    rules_.ButtonUp(SignedX(lParam), SignedY(lParam), MouseStateOf(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void EditorWin::OnTimer() {
  const EditorWindowRules::TimerStep step = rules_.OnTimer();
  switch (step.kind) {
    case EditorWindowRules::TimerStep::CommitEntry:
      FinishTextEntry(true);
      return;
    case EditorWindowRules::TimerStep::CancelEntry:
      FinishTextEntry(false);
      return;
    case EditorWindowRules::TimerStep::Paint: {
      HWND window = AsWindow(window_);
      RECT dirty{step.dirty.L, step.dirty.T, step.dirty.R, step.dirty.B};
      InvalidateRect(window, &dirty, FALSE);
      if (step.keepOut.R > step.keepOut.L) {
        RECT keepOut{step.keepOut.L, step.keepOut.T, step.keepOut.R, step.keepOut.B};
        ValidateRect(window, &keepOut);
      }
      UpdateWindow(window);
      return;
    }
    case EditorWindowRules::TimerStep::Rest:
      return;
  }
}
