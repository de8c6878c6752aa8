// The process callbacks and the parameter get/set callbacks of the effect record.
// Host blocks longer than the announced block size are processed in slices, so the
// scratch buffers are never overrun.
#include "vst2_callbacks.h"
#include "abi/vst2/vst2_opcodes.h"
#include "vst2_plugin.h"

namespace {
// The host's channel arrays must be there for a block with frames to process.
template <typename Sample>
bool BlockIsUsable(const Vst2Plugin& plugin, Sample** inputs, Sample** outputs, int32_t frames) {
  if (frames <= 0) return false;
  if (plugin.InputCount() > 0 && inputs == nullptr) return false;
  return plugin.OutputCount() == 0 || outputs != nullptr;
}

void AnnounceMidi(Vst2Plugin& plugin) {
  // Deprecated in 2.4 but still honoured by hosts: once per block, as hosts expect.
  if (plugin.DoesMidi()) plugin.CallHost(audioMasterWantMidi);
}
}  // namespace

void Vst2ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return;
  ScopedLock hold(plugin->InstanceLock());
  AnnounceMidi(*plugin);
  if (BlockIsUsable(*plugin, inputs, outputs, frames)) plugin->RunHostBlock32(inputs, outputs, frames, true);
}

void Vst2ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return;
  ScopedLock hold(plugin->InstanceLock());
  AnnounceMidi(*plugin);
  if (BlockIsUsable(*plugin, inputs, outputs, frames)) plugin->RunHostBlock32(inputs, outputs, frames, false);
}

void Vst2ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, int32_t frames) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return;
  ScopedLock hold(plugin->InstanceLock());
  AnnounceMidi(*plugin);
  if (BlockIsUsable(*plugin, inputs, outputs, frames)) plugin->RunHostBlock64(inputs, outputs, frames);
}

void Vst2SetParameter(AEffect* effect, int32_t index, float normalised) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return;
  ScopedLock hold(plugin->InstanceLock());
  PluginParam* param = plugin->Param(index);
  if (param == nullptr) return;
  if (EditorLink* editor = plugin->Editor()) editor->UpdateControlsForParam(index, normalised, true);
  param->SetFromNormalized(normalised);
  plugin->ParamChangedByHost(index);
}

float Vst2GetParameter(AEffect* effect, int32_t index) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return 0.0f;
  ScopedLock hold(plugin->InstanceLock());
  const PluginParam* param = plugin->Param(index);
  return param != nullptr ? static_cast<float>(param->NormalizedValue()) : 0.0f;
}
