#include "moravelle.h"

#include <algorithm>

#include "effect/moravelle_version.h"
#include "framework/four_char_code.h"
#include "framework/text_util.h"
#include "graphics/platform_editor.h"
#include "midi_controller_map.h"
#include "reverb_tail.h"

PluginConfig MoravelleConfig() {
  PluginConfig c;
  c.paramCount = kKernelParamCount;
  c.ioText = "2-2";
  c.presetCount = 1;
  c.effectName = "Moravelle";
  c.productName = "";
  c.makerName = "PellionAudio";
  c.version = kMoravelleVersionPacked;
  c.uniqueId = FourCharCode("Mrv2");
  c.makerId = FourCharCode("Plln");
  c.latency = 0;
  c.midi = true;
  c.stateChunks = false;
  c.instrument = false;
  return c;
}

Moravelle::Moravelle(const EffectHostAdapter::HostArgs& hostArgs)
    : EffectHostAdapter(MoravelleConfig(), hostArgs) {
  // The kernel is built at the base's rate of this moment; each reset sizes it anew.
  kernel_ = EffectKernel::Create(SampleRate());
  kernelRate_.store(kernel_->SampleRate(), std::memory_order_relaxed);
  for (int i = 0; i < kKernelParamCount; ++i) {
    const KernelParamInfo& info = kernel_->ParamTable()[static_cast<size_t>(i)];
    Param(i)->InitContinuous(info.name, info.defaultValue, info.outputMinimum, info.outputMaximum,
                             0.00001, info.units, 1.0);
  }
  // The whole editor exists from here on; hosts only open and close its window.
  BuildMoravelleEditor(*this, CreatePlatformEditor(this), editorControls_);
  FillInitPreset();
}

Moravelle::~Moravelle() = default;

void Moravelle::FillInitPreset() {
  for (int i = 0; i < PresetCount(); ++i) {
    PresetSlot* slot = Preset(i);
    if (slot->initialised) continue;
    slot->initialised = true;
    CopyText(slot->name, "Init");
    slot->state.Clear();
    WriteState(slot->state);
    return;
  }
}

void Moravelle::OnReset() {
  ScopedLock hold(InstanceLock());
  kernel_->Init(SampleRate());
  kernelRate_.store(kernel_->SampleRate(), std::memory_order_relaxed);
  for (int i = 0; i < kKernelParamCount; ++i) kernel_->SetParameter(i, Param(i)->Value());
  Param(kPresetSelector)->SetValue(0.0);
  kernel_->SetParameter(kPresetSelector, 0.0);
  midiQueue_.Resize(BlockSize());
}

void Moravelle::OnParamChanged(int index) {
  const PluginParam* param = Param(index);
  if (param == nullptr) return;
  ScopedLock hold(InstanceLock());
  kernel_->SetParameter(index, param->Value());
  // A restore brings back values, not actions: it reads and writes no preset file,
  // and the restored values stay as they were restored.
  if (!IsRestoringState()) RunPresetAction(index);
}

void Moravelle::OnMidiMessage(const MidiMessage& message) {
  const int channel = static_cast<int>(Param(kMidiChannelInput)->Value()) - 1;
  if (message.Channel() == channel) midiQueue_.Add(message);
}

void Moravelle::ApplyControlChange(const MidiMessage& message) {
  const int index = ParamForController(message.data1);
  if (index < 0) return;
  const double normalised = message.data2 / 127.0;
  Param(index)->SetFromNormalized(normalised);
  kernel_->SetParameter(index, std::clamp(normalised, 0.0, 1.0));
  if (EditorLink* editor = Editor()) editor->UpdateControlsForParam(index, normalised, true);
  OnParamChanged(index);
}

int Moravelle::TailSamples() const {
  double values[kKernelParamCount];
  for (int i = 0; i < kKernelParamCount; ++i) values[i] = Param(i)->Value();
  return ReverbTailSamples(values, kernelRate_.load(std::memory_order_relaxed));
}

bool Moravelle::PassedInputsThrough() const {
  // The master selector is the whole part of 1 + ReverbOffOn: below 1 the raw input
  // is the output.
  return kernel_->Parameter(kReverbOffOn) < 1.0;
}

void Moravelle::ProcessBlock(double** inputs, double** outputs, int frames) {
  // Every message of the block applies before the kernel runs, whatever its offset.
  while (!midiQueue_.Empty() && midiQueue_.Front().frameOffset <= frames - 1) {
    const MidiMessage message = midiQueue_.Front();
    midiQueue_.PopFront();
    if (message.IsControlChange()) ApplyControlChange(message);
  }
  midiQueue_.Flush(frames);

  double tempo = HostTempo();
  tempo = tempo > 0.0 ? std::min(tempo, 1000.0) : 0.0;  // NaN and no tempo give 0
  Param(kHostTempoBpm)->SetValue(tempo);
  kernel_->SetParameter(kHostTempoBpm, tempo);

  kernel_->Process(inputs, outputs, frames);
}
