// Editor: construction, the control list, images and surfaces, host values.
#include "graphics/editor.h"

#include "framework/plugin_base.h"
#include "graphics/bitmap_control.h"
#include "graphics/image_cache.h"

Editor::Editor(PluginBase* plug) : plug_(plug) {}

Editor::~Editor() {
  keyCatcher_.reset();
  while (!controls_.empty()) controls_.pop_back();  // last to first
  surface_.reset();
  scratch_.reset();
}

int Editor::AddControl(Control* control) {
  controls_.emplace_back(control);
  return ControlCount() - 1;
}

void Editor::SetBackground(int resourceId, const char* fileName) {
  Bitmap* image = FetchImage(resourceId, fileName);
  const ImageStrip strip = MakeImageStrip(image, 1);
  auto* background = new BitmapControl(plug_, Rect{0, 0, strip.width, strip.height}, -1, strip,
                                       BlendSpec{BlendMethod::Replace, 1.0f});
  controls_.insert(controls_.begin(), std::unique_ptr<Control>(background));
}

Bitmap* Editor::FetchImage(int resourceId, const char* fileName) {
  return FetchCachedImage(resourceId, [&] { return LoadImageResource(resourceId, fileName); });
}

void Editor::SetKeyCatcher(Control* control) { keyCatcher_.reset(control); }

Control* Editor::ControlAt(int index) const {
  return index >= 0 && index < ControlCount() ? controls_[static_cast<size_t>(index)].get() : nullptr;
}

void Editor::UpdateControlsForParam(int index, double value, bool valueIsNormalised) {
  if (!valueIsNormalised) {
    const PluginParam* param = plug_ != nullptr ? plug_->Param(index) : nullptr;
    if (param == nullptr) return;  // an index outside the list selects nothing
    value = param->ToNormalized(value);
  }
  for (const std::unique_ptr<Control>& control : controls_) {
    if (control->ParamIndex() == index) control->SetValueFromHost(value);
    for (int position = 0; position < control->AuxBindingCount(); ++position) {
      if (control->AuxBindingParam(position) != index) continue;
      control->SetAuxValueFromHost(position, value);
      break;
    }
  }
}

void Editor::PrepareSurfaces() {
  surface_ = std::make_unique<SysBitmap>(width_, height_);
  scratch_ = std::make_unique<MemBitmap>();
}

bool Editor::EditorSize(int* width, int* height) const {
  if (width == nullptr || height == nullptr) return false;
  *width = width_;
  *height = height_;
  return true;
}

void Editor::ChooseFileThen(const std::string& file, FileAction action, const std::string& folder,
                            const std::string& extensions, FileChoiceDone done) {
  FileChoice choice;
  choice.file = file;
  choice.folder = folder;
  ChooseFile(choice.file, action, choice.folder, extensions);
  if (done) done(choice);
}

void Editor::ResizeEditor(int width, int height) {
  width_ = width;
  height_ = height;
  DropMouseCapture();
  {
    // Host threads walk the control list under the instance lock
    // (UpdateControlsForParam), so the list is only emptied while holding it.
    std::unique_ptr<ScopedLock> hold;
    if (plug_ != nullptr) hold = std::make_unique<ScopedLock>(plug_->InstanceLock());
    controls_.clear();
  }
  surface_.reset();
  scratch_.reset();
  PrepareSurfaces();
  if (plug_ != nullptr) plug_->EditorResized(width, height);
}
