#pragma once
// What the Windows editor tests need of a desktop: a host's top-level window,
// real input from the X server, message pumping until a condition holds, and
// reading back a window's pixels.
//
// Every wait is bounded by a generous deadline and ends as soon as its
// condition holds, so a loaded machine only makes the tests slower.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace desk {

inline constexpr int kWaitMs = 15000;

// A top-level window whose client area is width x height, at the screen's top
// left; it records the keys that reach it and destroys itself on WM_CLOSE.
class HostWindow {
 public:
  HostWindow(int width, int height, const char* title = "Moravelle test host");
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return window_; }
  // Virtual-key codes of the WM_KEYDOWN messages the window received.
  const std::vector<int>& KeysReceived() const { return keys_; }
  bool Destroyed() const { return window_ == nullptr; }
  // Called from the window's WM_CLOSE before it is destroyed.
  std::function<void()> onClose;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::vector<int> keys_;
};

// Dispatches messages until done() holds or timeoutMs passes; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs);
// Dispatches messages for about ms milliseconds.
void PumpFor(int ms);

// Real input, made by the X server (xdotool through XTEST, started from this
// Windows process as the Unix program it is), so Wine sees it exactly as a
// user's: pointer, buttons, wheel and keys, modifiers included. Each call waits
// until Wine has taken the input in where that can be seen (pointer position,
// button and key state); the tests wait for the effects of the rest.
// Positions are screen pixels; keys are X key names ("Return", "shift", "q").
void MoveTo(int x, int y);
void ButtonDown(bool right = false);
void ButtonUp(bool right = false);
void MiddleClick();
void Wheel(int notches);  // positive: away from the user
void KeyDown(const char* keyName, int virtualKey);  // held until KeyUp; waits for Wine to see it
void KeyUp(const char* keyName, int virtualKey);
void Keys(const char* keyNames);   // "Down Down Return": pressed and released in order
void TypeText(const char* text);
// From a thread other than the window's (a modal window's loop dispatches its
// messages): types the text and waits until the keyboard focus of that
// window's thread shows it; false when it never does.
bool TypeIntoFocus(HWND window, const char* text);

// Puts the pointer on a window's caption: with no window manager on the
// display, the X server gives the keys to the window under the pointer.
void PointAtCaption(HWND window);

// Posts a key press (down, character when given, up) to the control that has
// the keyboard focus in that window's thread, for a modal window's loop to
// read. For message boxes: under Xvfb, Wine shows them without the X
// server's keyboard focus, so real keys never reach them.
void PostKey(HWND window, int virtualKey, char character = 0);

// Puts the text into the control that has the keyboard focus in that window's
// thread; false when it does not show it.
bool SetFocusText(HWND window, const char* text);

// The screen position of a point in a window's client area.
POINT ScreenPoint(HWND window, int x, int y);

// A window's client area as 0xRRGGBB values, rows top first.
std::vector<uint32_t> CaptureClient(HWND window, int width, int height);

// The first visible top-level window of this process with that class ("#32768"
// menus, "#32770" dialogs), or null.
HWND FindProcessWindow(const char* className);

// Plays the user at a modal window (menus, dialogs, message boxes), from a
// thread of its own while the modal loop runs on the window's thread: waits
// for a window of the class, then acts.
class Answerer {
 public:
  // activate: put the pointer on the window first, for a dialog that may show
  // up away from the pointer and would not get the keys.
  Answerer(const char* className, std::function<void(HWND)> act, bool activate = false)
      : thread_([this, className, act, activate] {
          HWND found = nullptr;
          for (int i = 0; i < 1500 && found == nullptr && !stop_; ++i) {
            found = desk::FindProcessWindow(className);
            if (found == nullptr) Sleep(10);
          }
          if (found == nullptr) return;
          if (activate) PointAtCaption(found);
          Sleep(150);  // let it take the keyboard
          act(found);
          answered_ = true;
        }) {}
  ~Answerer() { Finish(); }
  // Whether the user has acted (the window came and the act is done).
  bool Answered() const { return answered_; }
  // Ends the wait (if the window never came) and tells whether the user acted.
  bool Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return answered_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

}  // namespace desk
