#include "graphics/editor_window_rules.h"

void EditorWindowRules::EntryOpened(Control* control, PluginParam* param) {
  entryControl_ = control;
  entryParam_ = param;
  entryState_ = TextEntryState::Running;
}

void EditorWindowRules::EntryClosed() {
  entryControl_ = nullptr;
  entryParam_ = nullptr;
  entryState_ = TextEntryState::Running;
}

EditorWindowRules::TimerStep EditorWindowRules::OnTimer() {
  TimerStep step;
  if (EntryOpen()) {
    switch (entryState_) {
      case TextEntryState::RedrawnAround:
        entryState_ = TextEntryState::Running;
        return step;
      case TextEntryState::Commit:
        step.kind = TimerStep::CommitEntry;
        return step;
      case TextEntryState::Cancel:
        step.kind = TimerStep::CancelEntry;
        return step;
      default:
        break;
    }
  }
  if (!editor_.CollectDirtyArea(step.dirty)) return step;
  step.kind = TimerStep::Paint;
  if (EntryOpen()) {
    step.keepOut = entryControl_->GetRect();
    entryState_ = TextEntryState::RedrawnAround;
  }
  return step;
}

bool EditorWindowRules::ButtonDown(int x, int y, const MouseState& mouse) {
  if (EntryOpen()) {
    entryState_ = TextEntryState::Commit;
    return false;
  }
  captured_ = true;
  editor_.HandleButtonDown(x, y, mouse);
  return true;
}

void EditorWindowRules::ButtonUp(int x, int y, const MouseState& mouse) {
  captured_ = false;
  editor_.HandleButtonUp(x, y, mouse);
}

bool EditorWindowRules::Drag(int x, int y, const MouseState& mouse) {
  if (!captured_ || EntryOpen()) return false;
  return editor_.HandleDrag(x, y, mouse);
}

bool EditorWindowRules::DoubleClick(int x, int y, const MouseState& mouse) {
  if (!editor_.HandleDoubleClick(x, y, mouse)) return false;
  captured_ = true;
  return true;
}

void EditorWindowRules::Wheel(int x, int y, const MouseState& mouse, int wheelDelta) {
  if (EntryOpen()) {
    entryState_ = TextEntryState::Cancel;
    return;
  }
  editor_.HandleWheel(x, y, mouse, wheelDelta / 120);
}
