#include "in_process_target.h"

#include <string>

#include "effect/moravelle.h"

InProcessTarget::InProcessTarget() : effect_(std::make_unique<Moravelle>(OfflineAdapter::HostArgs{})) {}

InProcessTarget::~InProcessTarget() = default;

int InProcessTarget::ParamCount() const { return effect_->ParamCount(); }

TargetParamInfo InProcessTarget::DescribeParam(int index) const {
  const PluginParam* param = effect_->Param(index);
  if (param == nullptr) return {};
  TargetParamInfo info;
  info.name = param->Name();
  info.minimum = param->Minimum();
  info.maximum = param->Maximum();
  info.defaultValue = param->Default();
  return info;
}

double InProcessTarget::ParamValue(int index) const {
  const PluginParam* param = effect_->Param(index);
  return param != nullptr ? param->Value() : 0.0;
}

Status InProcessTarget::SetParamValue(int index, double plain) {
  PluginParam* param = effect_->Param(index);
  if (param == nullptr) return Status::Error("no parameter " + std::to_string(index));
  // A host's parameter change: value and notification under the instance lock.
  ScopedLock hold(effect_->InstanceLock());
  if (EditorLink* editor = effect_->Editor()) editor->UpdateControlsForParam(index, plain, false);
  param->SetValue(plain);
  effect_->OnParamChanged(index);
  return Status::Ok();
}

void InProcessTarget::Prepare(double sampleRate, int blockSize) { effect_->Setup(sampleRate, blockSize); }

void InProcessTarget::Process64(double* const* inputs, double* const* outputs, int frames) {
  effect_->Process64(inputs, outputs, frames);
}

void InProcessTarget::Process32(const float* const* inputs, float* const* outputs, int frames) {
  effect_->Process32(inputs, outputs, frames);
}
