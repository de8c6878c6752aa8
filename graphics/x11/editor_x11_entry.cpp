// EditorX11: the in-place text entry, drawn by the editor over the control. It
// opens with its text selected (the first key replaces it) and the keyboard to
// itself, which leaves the editor idle; typed characters pass the entry's
// filter, Backspace takes the last one back, Enter commits, Escape and a click
// in the editor cancel, each on the next tick, as in every window layer.
// AskForPath is the same box, modal, for a file's path where no dialog program
// is installed.

#include <poll.h>

#include "graphics/rect_rules.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/xlib.h"

namespace {

constexpr int kEntryPadding = 2;

}  // namespace

void EditorX11::OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                              PluginParam* param) {
  if (control == nullptr || rules_.EntryOpen() || window_ == 0) return;
  entryText_ = text.substr(0, static_cast<size_t>(control->TextEntryLimit() > 0 ? control->TextEntryLimit() : 0));
  entryRect_ = rect;
  entryStyle_ = style;
  entryAllSelected_ = true;
  rules_.EntryOpened(control, param);
  rules_.SetEntryState(TextEntryState::Focused);
  XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  DrawTextEntry();
}

bool EditorX11::HandleEntryKey(XEvent& event) {
  KeySym keySym = NoSymbol;
  char typed[8] = {};
  const int length = XLookupString(&event.xkey, typed, sizeof typed - 1, &keySym, nullptr);
  switch (keySym) {
    case XK_Return:
    case XK_KP_Enter:
      rules_.SetEntryState(TextEntryState::Commit);
      return true;
    case XK_Escape:
      rules_.SetEntryState(TextEntryState::Cancel);
      return true;
    case XK_BackSpace:
      if (entryAllSelected_) entryText_.clear();
      else if (!entryText_.empty()) entryText_.pop_back();
      entryAllSelected_ = false;
      DrawTextEntry();
      return true;
    default:
      break;
  }
  Control* control = rules_.EntryControl();
  bool changed = false;
  for (int i = 0; i < length; ++i) {
    const char c = typed[i];
    if (static_cast<unsigned char>(c) < 32 || c == 127) continue;
    if (!TextEntryAccepts(rules_.EntryParam(), c)) continue;
    if (entryAllSelected_) entryText_.clear();
    entryAllSelected_ = false;
    if (control != nullptr && static_cast<int>(entryText_.size()) >= control->TextEntryLimit()) break;
    entryText_ += c;
    changed = true;
  }
  if (changed) DrawTextEntry();
  // The entry has the keyboard: nothing typed while it is open reaches the host.
  return true;
}

void EditorX11::DrawTextEntry() {
  if (!rules_.EntryOpen()) return;
  PaintEntryBox(entryRect_, entryStyle_, entryText_, entryAllSelected_);
}

void EditorX11::PaintEntryBox(const Rect& r, const TextStyle& look, const std::string& text, bool allSelected) {
  if (Surface() == nullptr) return;
  PaintRect(look.entryBackground, r, nullptr);
  TextStyle style = look;
  style.cachedFont = nullptr;
  const Rect inner{r.L + kEntryPadding, r.T, r.R - kEntryPadding, r.B};
  // Text wider than the box shows its end, where the caret is.
  size_t from = 0;
  Rect extent = inner;
  MeasureText(style, text.c_str(), extent);
  while (from < text.size() && extent.R - extent.L > inner.R - inner.L) {
    ++from;
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;  // whole characters
    extent = inner;
    MeasureText(style, text.c_str() + from, extent);
  }
  const char* shown = text.c_str() + from;
  if (allSelected && *shown != '\0') {
    // The selection: the text's extent in the entry's text colour, the text inverted.
    PaintRect(look.entryText, Rect{extent.L, r.T + 1, extent.R, r.B - 1}, nullptr);
    style.colour = look.entryBackground;
  } else {
    style.colour = look.entryText;
  }
  Rect textRect = inner;
  if (*shown != '\0') PaintText(style, shown, textRect, false);
  if (!allSelected || *shown == '\0') {
    // The caret: a one-pixel bar after the text.
    const int caretX = *shown == '\0' ? (style.alignment == kAlignCentre ? (r.L + r.R) / 2 : inner.L) : extent.R;
    PaintRect(look.entryText, Rect{caretX, r.T + kEntryPadding, caretX + 1, r.B - kEntryPadding}, nullptr);
  }
  PresentArea(r);
}

std::string EditorX11::AskForPath(const std::string& initial) {
  if (display_ == nullptr || window_ == 0) return {};
  const Rect box{8, 2, Width() - 8, 24};
  const TextStyle look = MakeTextStyle("Verdana", 14, kColourBlack, kTextStyleNormal, kAlignNear);
  std::string text = initial;
  bool answered = false;
  bool cancelled = false;
  XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync, CurrentTime);
  PaintEntryBox(box, look, text, false);
  while (!answered && !cancelled && window_ != 0) {
    while (!answered && !cancelled && XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.xany.window != window_) continue;
      if (event.type == Expose || event.type == DestroyNotify) {
        HandleEvent(event);
        if (window_ != 0) PaintEntryBox(box, look, text, false);
        continue;
      }
      if (event.type != KeyPress) continue;  // the pointer does nothing meanwhile
      KeySym keySym = NoSymbol;
      char typed[8] = {};
      const int length = XLookupString(&event.xkey, typed, sizeof typed - 1, &keySym, nullptr);
      if (keySym == XK_Return || keySym == XK_KP_Enter) answered = true;
      else if (keySym == XK_Escape) cancelled = true;
      else if (keySym == XK_BackSpace && !text.empty()) text.pop_back();
      else
        for (int i = 0; i < length; ++i)
          if (static_cast<unsigned char>(typed[i]) >= 32 && typed[i] != 127) text += typed[i];
      PaintEntryBox(box, look, text, false);
    }
    if (answered || cancelled || window_ == 0) break;
    const Clock::time_point now = Clock::now();
    if (now - lastTick_ >= std::chrono::milliseconds(TimerPeriodMs())) {
      lastTick_ = now;
      OnTimer();
      PaintEntryBox(box, look, text, false);
    }
    pollfd waiting{ConnectionNumber(display_), POLLIN, 0};
    poll(&waiting, 1, TimerPeriodMs());
  }
  if (display_ != nullptr) XUngrabKeyboard(display_, CurrentTime);
  // Whatever lies under the box redraws on the next tick.
  for (int i = 0; i < ControlCount(); ++i)
    if (RectsOverlap(ControlAt(i)->GetRect(), box)) ControlAt(i)->MarkDirty(false);
  return answered && window_ != 0 ? text : std::string();
}

void EditorX11::CancelTextEntry() { rules_.SetEntryState(TextEntryState::Cancel); }

void EditorX11::FinishTextEntry(bool commit) {
  Control* control = rules_.EntryControl();
  PluginParam* param = rules_.EntryParam();
  const std::string text = entryText_;
  entryText_.clear();
  rules_.EntryClosed();
  // Whatever lies where the entry was redraws on the next tick.
  for (int i = 0; i < ControlCount(); ++i)
    if (RectsOverlap(ControlAt(i)->GetRect(), entryRect_)) ControlAt(i)->MarkDirty(false);
  // The value goes last: it may start a drawing pass or a host call.
  if (commit) CommitTextEntry(control, param, text);
}
