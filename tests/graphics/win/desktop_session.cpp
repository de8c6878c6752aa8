#include "desktop_session.h"

#include <cstring>

namespace desk {

namespace {

const char* const kHostClass = "MoravelleTestHostWindow";

// Starts xdotool with the arguments. Wine runs the Unix program directly; it
// cannot be waited for, so callers watch for its effect.
void Xdotool(const std::string& arguments) {
  std::string commandLine = "xdotool " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // For a Unix program Wine hands back no usable handles (the fields hold
  // leftovers), so they are neither waited for nor closed.
  CreateProcessA("Z:\\usr\\bin\\xdotool", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process);
}

bool IsDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

// Waits (dispatching messages) until Wine reports the key or button state.
void AwaitKeyState(int virtualKey, bool down) {
  PumpUntil([&] { return IsDown(virtualKey) == down; }, 5000);
}

}  // namespace

HostWindow::HostWindow(int width, int height, const char* title) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kHostClass;
  RegisterClassA(&windowClass);  // fails harmlessly once registered
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  window_ = CreateWindowExA(0, kHostClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  SetForegroundWindow(window_);
  PumpFor(100);
}

HostWindow::~HostWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK HostWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_KEYDOWN) self->keys_.push_back(static_cast<int>(wParam));
    if (message == WM_CLOSE) {
      if (self->onClose) self->onClose();
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_NCDESTROY) self->window_ = nullptr;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (GetTickCount64() >= deadline) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }

void MoveTo(int x, int y) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
  PumpUntil([&] {
    POINT at{};
    GetCursorPos(&at);
    return at.x == x && at.y == y;
  }, 5000);
}

void ButtonDown(bool right) {
  Xdotool(right ? "mousedown 3" : "mousedown 1");
  AwaitKeyState(right ? VK_RBUTTON : VK_LBUTTON, true);
}

void ButtonUp(bool right) {
  Xdotool(right ? "mouseup 3" : "mouseup 1");
  AwaitKeyState(right ? VK_RBUTTON : VK_LBUTTON, false);
}

void MiddleClick() { Xdotool("click 2"); }

void Wheel(int notches) {
  if (notches == 0) return;
  Xdotool("click --repeat " + std::to_string(notches > 0 ? notches : -notches) + (notches > 0 ? " 4" : " 5"));
}

void KeyDown(const char* keyName, int virtualKey) {
  Xdotool(std::string("keydown ") + keyName);
  AwaitKeyState(virtualKey, true);
}

void KeyUp(const char* keyName, int virtualKey) {
  Xdotool(std::string("keyup ") + keyName);
  AwaitKeyState(virtualKey, false);
}

void Keys(const char* keyNames) { Xdotool(std::string("key --delay 80 ") + keyNames); }

void TypeText(const char* text) { Xdotool(std::string("type --delay 40 \"") + text + "\""); }

bool TypeIntoFocus(HWND window, const char* text) {
  TypeText(text);
  for (int waited = 0; waited < kWaitMs; waited += 20) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    char shown[256] = {};
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus != nullptr &&
        GetWindowTextA(thread.hwndFocus, shown, sizeof shown) > 0 && std::strcmp(shown, text) == 0)
      return true;
    Sleep(20);
  }
  return false;
}

void PointAtCaption(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  MoveTo((bounds.left + bounds.right) / 2,
         bounds.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
}

void PostKey(HWND window, int virtualKey, char character) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus != nullptr)
    target = thread.hwndFocus;
  const WPARAM key = static_cast<WPARAM>(virtualKey);
  PostMessageA(target, WM_KEYDOWN, key, 1);
  if (character != 0) PostMessageA(target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(character)), 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

bool SetFocusText(HWND window, const char* text) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) || thread.hwndFocus == nullptr)
    return false;
  SendMessageA(thread.hwndFocus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  char shown[256] = {};
  GetWindowTextA(thread.hwndFocus, shown, sizeof shown);
  return std::strcmp(shown, text) == 0;
}

POINT ScreenPoint(HWND window, int x, int y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  return at;
}

std::vector<uint32_t> CaptureClient(HWND window, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  HDC windowContext = GetDC(window);
  HDC memory = CreateCompatibleDC(windowContext);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(windowContext, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, windowContext, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFFu;
  SelectObject(memory, previous);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(window, windowContext);
  return pixels;
}

HWND FindProcessWindow(const char* className) {
  struct Search {
    const char* className;
    HWND found;
  } search{className, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::strcmp(name, s->className) == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace desk
