#include "graphics/file_selector_control.h"

FileSelectorControl::FileSelectorControl(PluginBase* plug, const Rect& rect, int paramIndex, const ImageStrip& image,
                                         FileAction action, const std::string& folder, const std::string& extensions,
                                         const BlendSpec& blend)
    : Control(plug, rect, paramIndex, blend), image_(image), folder_(folder), extensions_(extensions), action_(action) {}

FileSelectorControl::~FileSelectorControl() = default;

void FileSelectorControl::ButtonDown(int, int, const MouseState&) {
  Editor* editor = EditorOf(Plug());
  if (editor == nullptr) return;
  state_ = kDialogOpen;
  MarkDirty(false);
  editor->ChooseFile(file_, action_, folder_, extensions_);
  double value = Value() + 1.0;
  if (value > 1.0) value = 0.0;
  SetValue(value);
  state_ = kJustChosen;
  MarkDirty(true);
}

bool FileSelectorControl::Draw(Editor& editor) {
  if (state_ == kDialogOpen) editor.PaintImage(image_, GetRect(), 0, 0, nullptr);
  return true;
}

bool FileSelectorControl::NeedsRedraw() {
  if (Control::NeedsRedraw()) return true;
  if (state_ != kJustChosen) return false;
  state_ = kIdle;
  return true;
}
