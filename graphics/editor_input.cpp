// Editor: routing mouse and key events to controls, with the host's edit gestures.
#include "framework/plugin_base.h"
#include "graphics/editor.h"

int Editor::ControlIndexAt(int x, int y) const {
  for (int index = ControlCount() - 1; index >= 0; --index) {
    const Control& control = *controls_[static_cast<size_t>(index)];
    if (!control.IsHidden() && !control.IsGreyed() && control.HitTest(x, y)) return index;
  }
  return -1;
}

Control* Editor::ControlUnderOrCaptured(int x, int y) const {
  if (Control* captured = ControlAt(captureIndex_)) return captured;
  return ControlAt(ControlIndexAt(x, y));
}

void Editor::DropMouseCapture() {
  captureIndex_ = -1;
  lastMouseX_ = -1;
  lastMouseY_ = -1;
}

bool Editor::HandleButtonDown(int x, int y, const MouseState& mouse) {
  DropMouseCapture();
  const int index = ControlIndexAt(x, y);
  Control* control = ControlAt(index);
  if (control == nullptr) return false;
  captureIndex_ = index;
  lastMouseX_ = x;
  lastMouseY_ = y;
  const int param = control->ParamIndex();
  if (plug_ != nullptr && param >= 0) {
    // VST3 hosts offer their own parameter menu on a right click; the control
    // never sees that click.
    if (plug_->HostInterfaceKind() == kHostInterfaceVst3 && mouse.right) {
      DropMouseCapture();
      plug_->ShowHostParamMenu(param, x, y);
      return true;
    }
    if (openEditParam_ >= 0) plug_->EndParamEdit(openEditParam_);  // a lost button up
    plug_->BeginParamEdit(param);
    openEditParam_ = param;
  }
  control->ButtonDown(x, y, mouse);
  return true;
}

bool Editor::HandleDrag(int x, int y, const MouseState& mouse) {
  Control* control = ControlAt(captureIndex_);
  if (control == nullptr || (x == lastMouseX_ && y == lastMouseY_)) return false;
  const int dX = x - lastMouseX_;
  const int dY = y - lastMouseY_;
  lastMouseX_ = x;
  lastMouseY_ = y;
  control->Drag(x, y, dX, dY, mouse);
  return true;
}

bool Editor::HandleButtonUp(int x, int y, const MouseState& mouse) {
  Control* control = ControlUnderOrCaptured(x, y);
  DropMouseCapture();
  if (control == nullptr) return false;
  control->ButtonUp(x, y, mouse);
  // The end of the gesture goes to the host only when it had the beginning: a
  // release over a control that was never pressed sends nothing.
  if (plug_ != nullptr && control->ParamIndex() >= 0 && openEditParam_ == control->ParamIndex()) {
    openEditParam_ = -1;
    plug_->EndParamEdit(control->ParamIndex());
  }
  return true;
}

bool Editor::HandleDoubleClick(int x, int y, const MouseState& mouse) {
  DropMouseCapture();
  const int index = ControlIndexAt(x, y);
  Control* control = ControlAt(index);
  if (control == nullptr) return false;
  if (!control->DoubleClickAsButtonDown()) {
    control->DoubleClick(x, y, mouse);
    return false;
  }
  captureIndex_ = index;
  lastMouseX_ = x;
  lastMouseY_ = y;
  control->ButtonDown(x, y, mouse);
  return true;
}

void Editor::HandleWheel(int x, int y, const MouseState& mouse, int notches) {
  if (Control* control = ControlUnderOrCaptured(x, y)) control->Wheel(x, y, mouse, notches);
}

bool Editor::HandleKey(int x, int y, KeyCode key) {
  int index = captureIndex_;
  if (ControlAt(index) == nullptr) index = ControlIndexAt(x, y);
  if (index <= 0) return keyCatcher_ ? keyCatcher_->KeyDown(x, y, key) : false;
  return controls_[static_cast<size_t>(index)]->KeyDown(x, y, key);
}
