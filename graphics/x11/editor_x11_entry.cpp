// EditorX11: the in-place text entry, drawn by the editor over the control. It
// opens with its text selected (the first key replaces it) and the keyboard to
// itself, which leaves the editor idle; typed characters pass the entry's
// filter, Backspace takes the last one back, Enter commits, Escape and a click
// in the editor cancel, each on the next tick, as in every window layer.

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
  if (!rules_.EntryOpen() || Surface() == nullptr) return;
  const Rect& r = entryRect_;
  PaintRect(entryStyle_.entryBackground, r, nullptr);
  if (entryAllSelected_ && !entryText_.empty()) {
    // The selection: the text's extent in the entry's text colour, drawn inverted.
    Rect selected{r.L + kEntryPadding, r.T, r.R - kEntryPadding, r.B};
    TextStyle measure = entryStyle_;
    measure.cachedFont = nullptr;
    MeasureText(measure, entryText_.c_str(), selected);
    PaintRect(entryStyle_.entryText, Rect{selected.L, r.T + 1, selected.R, r.B - 1}, nullptr);
  }
  TextStyle style = entryStyle_;
  style.colour = entryAllSelected_ ? entryStyle_.entryBackground : entryStyle_.entryText;
  style.cachedFont = nullptr;
  Rect textRect{r.L + kEntryPadding, r.T, r.R - kEntryPadding, r.B};
  // The caret: a one-pixel bar after the text.
  Rect extent = textRect;
  MeasureText(style, entryText_.c_str(), extent);
  if (!entryText_.empty()) PaintText(style, entryText_.c_str(), textRect, false);
  if (entryAllSelected_ && !entryText_.empty()) {
    PresentArea(r);
    return;
  }
  const int caretX = entryText_.empty() ? (style.alignment == kAlignCentre ? (r.L + r.R) / 2 : textRect.L) : extent.R;
  PaintRect(entryStyle_.entryText, Rect{caretX, r.T + kEntryPadding, caretX + 1, r.B - kEntryPadding}, nullptr);
  PresentArea(r);
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
