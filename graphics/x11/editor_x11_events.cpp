// EditorX11: the window's events and its redraw cycle.

#include <cstdlib>

#include "graphics/window_keys.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/x11_keys.h"
#include "graphics/x11/xlib.h"

namespace {

// One wheel notch, in the raw units the window rules count in.
constexpr int kWheelNotch = 120;

// The buttons and modifiers held, as they are after this event: X reports the
// state from before it, so a press adds its own button and a release takes it away.
MouseState MouseStateOf(unsigned int state, unsigned int button, bool pressed) {
  MouseState mouse;
  mouse.left = (state & Button1Mask) != 0;
  mouse.right = (state & Button3Mask) != 0;
  if (button == Button1) mouse.left = pressed;
  if (button == Button3) mouse.right = pressed;
  mouse.shift = (state & ShiftMask) != 0;
  mouse.control = (state & ControlMask) != 0;
  mouse.alt = (state & Mod1Mask) != 0;
  return mouse;
}

// Whether a FocusOut means the keyboard went to another window; not when the
// focus went to a window inside ours, or followed the pointer, or went nowhere.
bool KeyboardLeft(int detail) {
  return detail == NotifyAncestor || detail == NotifyVirtual || detail == NotifyNonlinear ||
         detail == NotifyNonlinearVirtual;
}

}  // namespace

void EditorX11::HandlePendingEvents() {
  // An event can close the window (and with it the connection).
  while (display_ != nullptr && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    HandleEvent(event);
  }
}

void EditorX11::HandleEvent(XEvent& event) {
  if (window_ == 0 || event.xany.window != window_) return;
  if (dialogRunning_ && (event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify ||
                         event.type == KeyPress || event.type == KeyRelease))
    return;
  if (rules_.EntryFocused()) {
    // The entry has the keyboard: a click in the editor cancels it, keys go
    // to it, and the editor takes no other input meanwhile.
    if (event.type == ButtonPress && (event.xbutton.button == Button1 || event.xbutton.button == Button3)) {
      rules_.SetEntryState(TextEntryState::Cancel);
      return;
    }
    if (event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify) return;
    // The keyboard went elsewhere (not to a grab or a window inside ours): the
    // entry commits what it holds.
    if (event.type == FocusOut && event.xfocus.mode == NotifyNormal && KeyboardLeft(event.xfocus.detail)) {
      Window focus = 0;
      int revert = 0;
      XGetInputFocus(display_, &focus, &revert);
      if (focus != window_) rules_.SetEntryState(TextEntryState::Commit);
      return;
    }
  }
  switch (event.type) {
    case Expose:
      PresentArea(Rect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                       event.xexpose.y + event.xexpose.height});
      if (rules_.EntryOpen()) DrawTextEntry();
      return;
    case ButtonPress:
      HandleButtonPress(event);
      return;
    case ButtonRelease:
      HandleButtonRelease(event);
      return;
    case MotionNotify:
      // Only moves with a button held are selected; X grabs the pointer for
      // the window from the press to the release.
      while (XCheckTypedWindowEvent(display_, window_, MotionNotify, &event)) {
      }
      rules_.Drag(event.xmotion.x, event.xmotion.y, MouseStateOf(event.xmotion.state, 0, false));
      return;
    case KeyPress:
      HandleKeyPress(event);
      return;
    case KeyRelease:
      if (!rules_.EntryOpen()) PassKeyToHost(event);
      return;
    case DestroyNotify:
      // The host destroyed its window, and ours with it, before closing the
      // editor: the entry and the window are gone; the connection stays until
      // the editor closes.
      if (event.xdestroywindow.window != window_) return;
      AbandonFileDialog();
      if (rules_.EntryOpen()) FinishTextEntry(false);
      rules_.CaptureLost();
      DropMouseCapture();
      ForgetWindow();
      return;
    default:
      return;
  }
}

void EditorX11::HandleButtonPress(XEvent& event) {
  const XButtonEvent& press = event.xbutton;
  if (press.button == Button4 || press.button == Button5) {
    rules_.Wheel(press.x, press.y, MouseStateOf(press.state, 0, false),
                 press.button == Button4 ? kWheelNotch : -kWheelNotch);
    return;
  }
  if (press.button != Button1 && press.button != Button2 && press.button != Button3) return;
  const MouseState mouse = MouseStateOf(press.state, press.button, true);
  if (press.button == Button1) {
    // A second press soon after the first, close to it, is a double click; a
    // third starts over.
    const bool isDouble = !lastPressWasDouble_ && lastPressTime_ != 0 &&
                          press.time - lastPressTime_ <= static_cast<unsigned long>(kDoubleClickMs) &&
                          std::abs(press.x - lastPressX_) <= kDoubleClickDistance &&
                          std::abs(press.y - lastPressY_) <= kDoubleClickDistance;
    lastPressTime_ = press.time;
    lastPressX_ = press.x;
    lastPressY_ = press.y;
    lastPressWasDouble_ = isDouble;
    if (isDouble && !rules_.EntryOpen()) {
      rules_.DoubleClick(press.x, press.y, mouse);
      return;
    }
  }
  if (!rules_.EntryOpen()) XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  rules_.ButtonDown(press.x, press.y, mouse);
}

void EditorX11::HandleButtonRelease(XEvent& event) {
  const XButtonEvent& release = event.xbutton;
  if (release.button != Button1 && release.button != Button2 && release.button != Button3) return;
  rules_.ButtonUp(release.x, release.y, MouseStateOf(release.state, release.button, false));
}

void EditorX11::HandleKeyPress(XEvent& event) {
  if (rules_.EntryOpen()) {
    if (HandleEntryKey(event)) return;
  } else {
    const int key = KeyCodeForWindowKey(WindowKeyForKeySym(XLookupKeysym(&event.xkey, 0)));
    if (key != kNoKeyCode && HandleKey(event.xkey.x, event.xkey.y, static_cast<KeyCode>(key))) return;
  }
  PassKeyToHost(event);
}

void EditorX11::PassKeyToHost(XEvent& event) {
  if (parentWindow_ == 0) return;
  XEvent copy = event;
  copy.xkey.window = parentWindow_;
  copy.xkey.subwindow = window_;
  XSendEvent(display_, parentWindow_, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &copy);
  XFlush(display_);
}

void EditorX11::OnTimer() {
  if (rules_.EntryFocused()) return;  // the editor rests while the entry has the keyboard
  const EditorWindowRules::TimerStep step = rules_.OnTimer();
  switch (step.kind) {
    case EditorWindowRules::TimerStep::CommitEntry:
      FinishTextEntry(true);
      return;
    case EditorWindowRules::TimerStep::CancelEntry:
      FinishTextEntry(false);
      return;
    case EditorWindowRules::TimerStep::Paint:
      PaintArea(step.dirty);
      return;
    case EditorWindowRules::TimerStep::Rest:
      return;
  }
}

void EditorX11::PaintArea(const Rect& rect) {
  Redraw(rect);
  // The entry lies on top of whatever was redrawn under it.
  if (rules_.EntryOpen()) DrawTextEntry();
}
