#include "plugin_base.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "text_util.h"

PluginBase::PluginBase(const PluginConfig& config)
    : uniqueId_(config.uniqueId),
      makerId_(config.makerId),
      version_(config.version),
      stateChunks_(config.stateChunks),
      instrument_(config.instrument),
      midi_(config.midi),
      latency_(config.latency) {
  params_.reserve(static_cast<size_t>(std::max(config.paramCount, 0)));
  for (int i = 0; i < config.paramCount; ++i) params_.push_back(std::make_unique<PluginParam>());
  for (int i = 0; i < config.presetCount; ++i) presets_.push_back(std::make_unique<PresetSlot>());
  CopyText(effectName_, config.effectName);
  CopyText(productName_, config.productName);
  CopyText(makerName_, config.makerName);
  ParseIOText(config.ioText);
}

PluginBase::~PluginBase() {
  // The editor goes first: its controls may still refer to parameters.
  editor_.reset();
  params_.clear();
  presets_.clear();
}

void PluginBase::ParseIOText(const char* ioText) {
  int maxIn = 0;
  int maxOut = 0;
  const char* p = ioText ? ioText : "";
  while (*p != '\0') {
    IOConfig config;
    // A pair that does not parse yields 0 for the numbers it lacks.
    std::sscanf(p, "%d-%d", &config.inputs, &config.outputs);
    ioConfigs_.push_back(config);
    maxIn = std::max(maxIn, config.inputs);
    maxOut = std::max(maxOut, config.outputs);
    const char* space = std::strchr(p, ' ');
    if (space == nullptr) break;
    p = space + 1;
  }
  inputPtrs_.assign(static_cast<size_t>(maxIn), nullptr);
  outputPtrs_.assign(static_cast<size_t>(maxOut), nullptr);
  inChannels_.resize(static_cast<size_t>(maxIn));
  outChannels_.resize(static_cast<size_t>(maxOut));
  for (int i = 0; i < maxIn; ++i) inChannels_[static_cast<size_t>(i)].slot = i;
  for (int i = 0; i < maxOut; ++i) outChannels_[static_cast<size_t>(i)].slot = i;
}

PluginParam* PluginBase::Param(int index) {
  return index >= 0 && index < ParamCount() ? params_[static_cast<size_t>(index)].get() : nullptr;
}

const PluginParam* PluginBase::Param(int index) const {
  return index >= 0 && index < ParamCount() ? params_[static_cast<size_t>(index)].get() : nullptr;
}

PresetSlot* PluginBase::Preset(int index) {
  return index >= 0 && index < PresetCount() ? presets_[static_cast<size_t>(index)].get() : nullptr;
}

void PluginBase::ProcessBlock(double** inputs, double** outputs, int frames) {
  const int shared = std::min(InputCount(), OutputCount());
  for (int ch = 0; ch < shared; ++ch)
    if (inputs[ch] != outputs[ch]) std::copy(inputs[ch], inputs[ch] + frames, outputs[ch]);
  for (int ch = shared; ch < OutputCount(); ++ch) std::fill(outputs[ch], outputs[ch] + frames, 0.0);
}

void PluginBase::OnMidiMessage(const MidiMessage& message) { EmitMidiMessage(message); }

bool PluginBase::NameForMidiNote(int /*note*/, char* out, int outSize) {
  if (out != nullptr && outSize > 0) out[0] = '\0';
  return false;
}

bool PluginBase::StateMatches(const double* values, int firstIndex) const {
  for (int i = 0; i < ParamCount(); ++i) {
    const float mine = static_cast<float>(params_[static_cast<size_t>(i)]->Value());
    const float theirs = static_cast<float>(values[firstIndex + i]);
    if (!(std::abs(mine - theirs) < 0.00001f)) return false;
  }
  return true;
}

void PluginBase::SetParamFromEditor(int index, double normalised) {
  PluginParam* param = Param(index);
  if (param == nullptr) return;
  ScopedLock hold(lock_);
  param->SetFromNormalized(normalised);
  ReportParamValue(index, normalised);
  OnParamChanged(index);
}

void PluginBase::AttachEditor(EditorLink* editor) {
  if (editor == nullptr) return;
  ScopedLock hold(lock_);
  for (int i = 0; i < ParamCount(); ++i)
    editor->UpdateControlsForParam(i, params_[static_cast<size_t>(i)]->NormalizedValue(), true);
  editor->PrepareSurfaces();
  editor_.reset(editor);
}

void PluginBase::PushValuesToEditor() {
  if (!editor_) return;
  for (int i = 0; i < ParamCount(); ++i)
    editor_->UpdateControlsForParam(i, params_[static_cast<size_t>(i)]->Value(), false);
}

void PluginBase::NotifyAllParamsChanged() {
  for (int i = 0; i < ParamCount(); ++i) OnParamChanged(i);
}

bool PluginBase::LegalIO(int inputs, int outputs) const {
  return std::any_of(ioConfigs_.begin(), ioConfigs_.end(), [&](const IOConfig& c) {
    return (inputs < 0 || c.inputs == inputs) && (outputs < 0 || c.outputs == outputs);
  });
}

void PluginBase::ChangeBlockSize(int frames) {
  if (frames == blockSize_ || frames < 0) return;
  for (InChannel& ch : inChannels_) ch.scratch.assign(static_cast<size_t>(frames), 0.0);
  for (OutChannel& ch : outChannels_) ch.scratch.assign(static_cast<size_t>(frames), 0.0);
  blockSize_ = frames;
  // Unconnected channels point at their scratch buffers, which just moved.
  for (InChannel& ch : inChannels_)
    if (!ch.connected) inputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
  for (OutChannel& ch : outChannels_)
    if (!ch.connected) outputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
}

void PluginBase::ChangeLatency(int samples) {
  latency_ = samples;
  if (passThrough_) passThrough_->SetLength(samples);
}

void PluginBase::CreatePassThroughDelay() {
  if (InputCount() == 0) return;
  passThrough_ = std::make_unique<PassThroughDelay>(InputCount(), OutputCount());
  passThrough_->SetLength(latency_);
}
