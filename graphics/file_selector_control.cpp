#include "graphics/file_selector_control.h"

#include "framework/plugin_base.h"

namespace {

// Holds the plug-in's instance lock; a control that belongs to no plug-in holds none.
class PluginLockHold {
 public:
  explicit PluginLockHold(PluginBase* plug) : lock_(plug != nullptr ? &plug->InstanceLock() : nullptr) {
    if (lock_ != nullptr) lock_->Lock();
  }
  ~PluginLockHold() {
    if (lock_ != nullptr) lock_->Unlock();
  }
  PluginLockHold(const PluginLockHold&) = delete;
  PluginLockHold& operator=(const PluginLockHold&) = delete;

 private:
  RecursiveLock* lock_;
};

}  // namespace

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
  // The dialog starts from the current file; no lock is held while it is open.
  std::string file = File();
  editor->ChooseFile(file, action_, folder_, extensions_);
  SetFile(file);
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

std::string FileSelectorControl::File() const {
  const PluginLockHold hold(Plug());
  return file_;
}

void FileSelectorControl::SetFile(const std::string& file) {
  const PluginLockHold hold(Plug());
  file_ = file;
}
