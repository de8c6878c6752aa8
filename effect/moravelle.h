#pragma once
// Moravelle, the stereo reverb: the effect class on top of the build's host adapter.
// It owns the kernel and the MIDI queue, builds the 31 host parameters from the
// kernel's table and forwards every value change to the kernel.

#include <atomic>
#include <memory>

#include "effect_host_adapter.h"
#include "effect_kernel.h"
#include "midi_event_queue.h"
#include "moravelle_editor.h"

// Identity and layout every adapter constructs the base with.
PluginConfig MoravelleConfig();

class Moravelle : public EffectHostAdapter {
 public:
  explicit Moravelle(const EffectHostAdapter::HostArgs& hostArgs);
  ~Moravelle() override;

  // [host] sample rate or block size changed: re-initialise the kernel and push the
  // user's values back into it (PresetSelector returns to 0).
  void OnReset() override;
  // [any] takes the instance lock; sends the value to the kernel, then runs the
  // preset action of PresetBackward, PresetForward, PresetLoad, PresetSave and
  // PresetSelector (none while the base restores a state or a bank preset).
  void OnParamChanged(int index) override;
  // [audio] controller messages, host tempo, then the kernel.
  void ProcessBlock(double** inputs, double** outputs, int frames) override;
  // [audio] true when the kernel's master switch was off for the last block.
  bool PassedInputsThrough() const override;
  // [audio] queued for the block when it is on the MIDI input channel.
  void OnMidiMessage(const MidiMessage& message) override;
  // [any] no lock: the reverb's tail from the parameters' values (each read
  // atomically) at the rate the kernel runs at.
  int TailSamples() const override;

  // [any] under the instance lock (the preset actions): read the load selector's
  // file into the stored parameters, or write them into the save selector's file.
  void LoadPresetFile();
  void SavePresetFile();
  // [any] under the instance lock: points the load selector at the factory file of
  // the preset number a PresetSelector value names (the library folder otherwise).
  void PointLoaderAtPreset(double selectorValue);
  // The PresetSelector value of the last selection, where the arrows step from.
  float LastPresetSelection() const { return lastPresetSelection_; }

  const EffectKernel& Kernel() const { return *kernel_; }
  const MidiEventQueue& MidiQueue() const { return midiQueue_; }
  // The editor's controls; the editor (owned by the base) owns them. [editor]
  const MoravelleEditorControls& EditorControls() const { return editorControls_; }

 private:
  void ApplyControlChange(const MidiMessage& message);
  void FillInitPreset();
  // The preset actions (moravelle_presets.cpp).
  void RunPresetAction(int index);
  void SetPresetSelector(double value);
  void StepPresetSelection(double step);
  void RunSelectionTail();

  std::unique_ptr<EffectKernel> kernel_;
  MidiEventQueue midiQueue_;
  MoravelleEditorControls editorControls_;
  float lastPresetSelection_ = 0.0f;
  // The kernel's rate, for TailSamples on any thread.
  std::atomic<double> kernelRate_{0.0};
};
