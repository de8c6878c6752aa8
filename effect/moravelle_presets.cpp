// The effect's preset actions: stepping and selecting factory presets, loading and
// saving preset files. All of them run inside OnParamChanged, under the instance
// lock, on the thread that changed the parameter; a block that arrives meanwhile
// waits. None of them runs inside ProcessBlock.

#include <algorithm>
#include <string>

#include "effect/factory_preset_location.h"
#include "effect/preset_catalogue.h"
#include "effect/preset_file_io.h"
#include "effect/preset_library_folder.h"
#include "effect/preset_text.h"
#include "moravelle.h"

namespace {

constexpr size_t kSelectorPathLimit = 511;  // the selectors' 512-byte path buffer

}  // namespace

void Moravelle::RunPresetAction(int index) {
  switch (index) {
    case kPresetBackward:
    case kPresetForward:
      // Only the press (1) steps; the release (0) has reached the kernel and stops there.
      if (Param(index)->Value() != 1.0) return;
      SetPresetSelector(lastPresetSelection_);
      StepPresetSelection(index == kPresetForward ? 1.0 : -1.0);
      RunSelectionTail();
      return;
    case kPresetLoad:
      LoadPresetFile();
      return;
    case kPresetSave:
      SavePresetFile();
      return;
    case kPresetSelector:
      RunSelectionTail();
      return;
    default:
      return;
  }
}

void Moravelle::SetPresetSelector(double value) {
  PluginParam* selector = Param(kPresetSelector);
  selector->SetValue(value);  // clamps to -1..10000
  kernel_->SetParameter(kPresetSelector, selector->Value());
}

void Moravelle::StepPresetSelection(double step) {
  // No wrap-around: the clamp stops the steps at -1 and at 10000.
  SetPresetSelector(Param(kPresetSelector)->Value() + step);
}

void Moravelle::RunSelectionTail() {
  const double selection = Param(kPresetSelector)->Value();
  PointLoaderAtPreset(selection);
  LoadPresetFile();
  lastPresetSelection_ = static_cast<float>(selection);
  SetPresetSelector(0.0);
}

void Moravelle::PointLoaderAtPreset(double selectorValue) {
  if (editorControls_.loadSelector == nullptr) return;
  // Without a library folder the selection names nothing at all, not a relative path.
  // A factory file missing from the library comes from a system-wide installation's
  // shared folder: a few existence checks, no search, so the lock is held briefly.
  std::string path = FactoryPresetPath(PresetLibraryFolder(), PresetNumberFromSelector(selectorValue));
  if (path.size() > kSelectorPathLimit) path.resize(kSelectorPathLimit);
  editorControls_.loadSelector->SetFile(path);
}

void Moravelle::LoadPresetFile() {
  if (editorControls_.loadSelector == nullptr) return;
  ScopedLock hold(InstanceLock());
  const std::string path = editorControls_.loadSelector->File();
  std::string record;
  if (ReadPresetRecord(path, record) != PresetReadResult::kRecord) return;
  const PresetRecordValues values = ParsePresetRecord(record);
  for (size_t k = 0; k < values.size(); ++k) {
    if (!values[k]) continue;
    const int index = kPresetStoredParams[k].index;
    const double x = *values[k];
    PluginParam* param = Param(index);
    param->SetValue(x);  // clamps to the parameter's range
    kernel_->SetParameter(index, x);
    // The controls get the clamped value: a knob left at an out-of-range value
    // would need a long drag before it moved again.
    if (EditorLink* editor = Editor()) editor->UpdateControlsForParam(index, param->NormalizedValue(), true);
  }
  if (editorControls_.nameDisplay != nullptr) editorControls_.nameDisplay->SetDisplayText(PresetDisplayName(path).c_str());
}

void Moravelle::SavePresetFile() {
  if (editorControls_.saveSelector == nullptr) return;
  ScopedLock hold(InstanceLock());
  const std::string path = editorControls_.saveSelector->File();
  if (path.empty()) return;  // the dialog was cancelled
  double values[kKernelParamCount];
  for (int i = 0; i < kKernelParamCount; ++i) values[i] = Param(i)->Value();
  // The name shows only a file that was written completely; a failed save leaves
  // the old file (if any) and the name display as they were.
  if (!ReplaceFileWithText(path, ComposePresetText(values))) return;
  const std::string name = PresetDisplayName(path);
  if (!name.empty() && editorControls_.nameDisplay != nullptr) editorControls_.nameDisplay->SetDisplayText(name.c_str());
}
