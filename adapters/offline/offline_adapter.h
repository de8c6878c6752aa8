#pragma once
// A host adapter for hosts that live in this process: the offline renderer and the
// tests. It plays the host's part honestly (connects every channel, sets rate and
// block size, then resets) and records what the plug-in tells its host.

#include <vector>

#include "framework/plugin_base.h"

class OfflineAdapter : public PluginBase {
 public:
  struct HostArgs {
    double tempoBpm = 0.0;  // 0: the host gives no tempo
    bool offlineRender = true;
  };

  struct HostEvent {
    enum Kind { Begin, Value, End, PresetChange, Resize, Midi } kind;
    int index = 0;
    double value = 0.0;
  };

  OfflineAdapter(const PluginConfig& config, const HostArgs& args);

  // Main thread: what a host does before processing. Sets the sample rate and block
  // size, then OnReset, under the instance lock.
  void Setup(double sampleRate, int blockSize);

  // Audio thread: one host block, 32- or 64-bit, in slices of at most the block size.
  void Process32(const float* const* inputs, float* const* outputs, int frames, bool accumulate = false);
  void Process64(double* const* inputs, double* const* outputs, int frames);
  void SendMidi(const MidiMessage& message);

  // Host automation as a host sends it: normalised, under the lock.
  void SetParameterFromHost(int index, double normalised);

  void SetTempo(double bpm) { args_.tempoBpm = bpm; }
  void SetTransport(const TransportInfo& transport) { transport_ = transport; }
  const std::vector<HostEvent>& Events() const { return events_; }
  const std::vector<MidiMessage>& EmittedMidi() const { return emittedMidi_; }
  void ClearEvents() { events_.clear(); }

  void BeginParamEdit(int index) override;
  void ReportParamValue(int index, double normalised) override;
  void EndParamEdit(int index) override;
  void ReportPresetChange() override;
  bool IsOfflineRender() override { return args_.offlineRender; }
  int HostSamplePos() override { return static_cast<int>(transport_.samplePos); }
  double HostTempo() override { return args_.tempoBpm; }
  void HostTimeSignature(int* numerator, int* denominator) override;
  void HostTransport(TransportInfo* info) override;
  void EditorResized(int width, int height) override;
  bool EmitMidiMessage(const MidiMessage& message) override;

 private:
  HostArgs args_;
  TransportInfo transport_;
  std::vector<HostEvent> events_;
  std::vector<MidiMessage> emittedMidi_;
};
