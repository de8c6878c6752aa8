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
  // One dialog at a time: a click while any of the editor's is open does nothing.
  if (editor == nullptr || state_ == kDialogOpen || editor->FileChoicePending()) return;
  state_ = kDialogOpen;
  MarkDirty(false);
  // The dialog starts from the current file; no lock is held while it is open.
  // The editor answers before returning or from a later idle call, always on
  // the editor's thread, and never after this control is gone.
  insideClick_ = true;
  editor->ChooseFileThen(File(), action_, folder_, extensions_, [this](const FileChoice& choice) { Finish(choice); });
  insideClick_ = false;
}

void FileSelectorControl::Finish(const FileChoice& choice) {
  if (!choice.answered) {
    // The window closed under the dialog: nothing was chosen, nothing is sent.
    state_ = kIdle;
    return;
  }
  folder_ = choice.folder;
  SetFile(choice.file);
  double value = Value() + 1.0;
  if (value > 1.0) value = 0.0;
  SetValue(value);
  state_ = kJustChosen;
  // An answer within the click lies inside the gesture the editor opened for
  // it; a later one, with the button long released, brings a gesture of its own.
  PluginBase* plug = Plug();
  const bool ownGesture = !insideClick_ && plug != nullptr && ParamIndex() >= 0;
  if (ownGesture) plug->BeginParamEdit(ParamIndex());
  MarkDirty(true);
  if (ownGesture) plug->EndParamEdit(ParamIndex());
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
