#include "offline_adapter.h"

OfflineAdapter::OfflineAdapter(const PluginConfig& config, const HostArgs& args)
    : PluginBase(config), args_(args) {
  ConnectInputs(0, InputCount(), true);
  ConnectOutputs(0, OutputCount(), true);
  SetHost(kHostStandalone, 0);
}

void OfflineAdapter::Setup(double sampleRate, int blockSize) {
  ScopedLock hold(InstanceLock());
  SetSampleRate(sampleRate);
  ChangeBlockSize(blockSize);
  OnReset();
}

void OfflineAdapter::Process32(const float* const* inputs, float* const* outputs, int frames, bool accumulate) {
  ScopedLock hold(InstanceLock());
  RunHostBlock32(inputs, outputs, frames, accumulate);
}

void OfflineAdapter::Process64(double* const* inputs, double* const* outputs, int frames) {
  ScopedLock hold(InstanceLock());
  RunHostBlock64(inputs, outputs, frames);
}

void OfflineAdapter::SendMidi(const MidiMessage& message) {
  ScopedLock hold(InstanceLock());
  OnMidiMessage(message);
}

void OfflineAdapter::SetParameterFromHost(int index, double normalised) {
  PluginParam* param = Param(index);
  if (param == nullptr) return;
  ScopedLock hold(InstanceLock());
  if (EditorLink* editor = Editor()) editor->UpdateControlsForParam(index, normalised, true);
  param->SetFromNormalized(normalised);
  OnParamChanged(index);
}

void OfflineAdapter::BeginParamEdit(int index) { events_.push_back({HostEvent::Begin, index, 0.0}); }
void OfflineAdapter::ReportParamValue(int index, double normalised) {
  events_.push_back({HostEvent::Value, index, normalised});
}
void OfflineAdapter::EndParamEdit(int index) { events_.push_back({HostEvent::End, index, 0.0}); }
void OfflineAdapter::ReportPresetChange() { events_.push_back({HostEvent::PresetChange, 0, 0.0}); }

void OfflineAdapter::HostTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = transport_.timeSigNumerator;
  if (denominator) *denominator = transport_.timeSigDenominator;
}

void OfflineAdapter::HostTransport(TransportInfo* info) {
  if (info == nullptr) return;
  *info = transport_;
  info->tempoBpm = args_.tempoBpm;
}

void OfflineAdapter::EditorResized(int width, int height) {
  events_.push_back({HostEvent::Resize, width, static_cast<double>(height)});
}

bool OfflineAdapter::EmitMidiMessage(const MidiMessage& message) {
  emittedMidi_.push_back(message);
  return true;
}
