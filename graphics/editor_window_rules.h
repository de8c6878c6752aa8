#pragma once
// EditorWindowRules: what an editor window does with its events, apart from the
// window system's own calls, so that every window layer behaves alike. A layer
// owns one per open window and asks it at each timer tick and mouse event; the
// rules call the editor's routing and answer with what the window must do
// (invalidate and paint an area, commit or cancel its text entry, capture or
// release the pointer). [editor] only.
//
// The in-place text entry moves through these states:
//   Running        open, nothing pending
//   Focused        the entry has the keyboard focus: the editor window is idle
//   RedrawnAround  the last tick painted around the entry; the next one rests
//   Cancel, Commit pending for the next tick
// so with an entry open the editor repaints at most every other tick.

#include "graphics/editor.h"

enum class TextEntryState : int { Running = 0, Focused = 1, RedrawnAround = 2, Cancel = 3, Commit = 4 };

class EditorWindowRules {
 public:
  explicit EditorWindowRules(Editor& editor) : editor_(editor) {}

  // ---- The text entry
  void EntryOpened(Control* control, PluginParam* param);
  void EntryClosed();
  bool EntryOpen() const { return entryControl_ != nullptr; }
  Control* EntryControl() const { return entryControl_; }
  PluginParam* EntryParam() const { return entryParam_; }
  TextEntryState EntryState() const { return entryState_; }
  void SetEntryState(TextEntryState state) { entryState_ = state; }
  bool EntryFocused() const { return EntryOpen() && entryState_ == TextEntryState::Focused; }

  // ---- The timer
  struct TimerStep {
    enum Kind { Rest, CommitEntry, CancelEntry, Paint } kind = Rest;
    Rect dirty{};    // Paint: the area to invalidate and paint now
    Rect keepOut{};  // Paint: the entry's area, left alone (empty without an entry)
  };
  // One tick: what the window does now. A Paint with an entry open moves the
  // entry to RedrawnAround.
  TimerStep OnTimer();

  // ---- The pointer. Positions in editor pixels.
  // A button press: true when it went to the editor, and the window then takes
  // the focus and captures the pointer; false when it committed an open entry.
  bool ButtonDown(int x, int y, const MouseState& mouse);
  void ButtonUp(int x, int y, const MouseState& mouse);  // the window releases the pointer
  // A move with a button held: goes to the editor only while the pointer is
  // captured and no entry is open.
  bool Drag(int x, int y, const MouseState& mouse);
  // True when the window must capture the pointer (the control took the double
  // click as a press).
  bool DoubleClick(int x, int y, const MouseState& mouse);
  // A wheel turn by a raw delta (120 a notch, partial notches dropped); an open
  // entry is cancelled instead.
  void Wheel(int x, int y, const MouseState& mouse, int wheelDelta);
  // The window system took the pointer away (a menu, another window).
  void CaptureLost() { captured_ = false; }
  bool Captured() const { return captured_; }

 private:
  Editor& editor_;
  Control* entryControl_ = nullptr;
  PluginParam* entryParam_ = nullptr;
  TextEntryState entryState_ = TextEntryState::Running;
  bool captured_ = false;
};
