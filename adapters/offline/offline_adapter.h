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
    int hostInterfaceKind = kHostInterfaceVst2;  // the kind of host this one plays
  };

  struct HostEvent {
    enum Kind { Begin, Value, End, PresetChange, Resize, Midi } kind;
    int index = 0;
    double value = 0.0;
  };

  OfflineAdapter(const PluginConfig& config, const HostArgs& args);

  // [host] What a host does before processing. Sets the sample rate and block
  // size, then OnReset, under the instance lock.
  void Setup(double sampleRate, int blockSize);

  // [audio] One host block, 32- or 64-bit, in slices of at most the block size; takes the lock.
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

  // Host-facing operations of the base.
  void BeginParamEdit(int index) override;                       // [editor]
  void ReportParamValue(int index, double normalised) override;  // [editor] lock held
  void EndParamEdit(int index) override;                         // [editor]
  void ReportPresetChange() override;                            // [any]
  bool IsOfflineRender() override { return args_.offlineRender; }  // [audio]
  int HostSamplePos() override { return static_cast<int>(transport_.samplePos); }  // [audio]
  double HostTempo() override { return args_.tempoBpm; }          // [audio]
  void HostTimeSignature(int* numerator, int* denominator) override;  // [audio]
  void HostTransport(TransportInfo* info) override;                   // [audio]
  int HostInterfaceKind() const override { return args_.hostInterfaceKind; }  // [any]
  void EditorResized(int width, int height) override;                 // [editor]
  bool EmitMidiMessage(const MidiMessage& message) override;          // [audio]

 private:
  HostArgs args_;
  TransportInfo transport_;
  std::vector<HostEvent> events_;
  std::vector<MidiMessage> emittedMidi_;
};
