#pragma once
// Vst2Plugin: the VST 2.4 host adapter between the interface's effect record and
// the plug-in base. The effect class derives from it; the entry point (in the
// deliverable's own source) creates the effect and hands the host the record.
//
// Every host entry (dispatcher, the three process callbacks, getParameter and
// setParameter) holds the instance lock for its whole duration. The lock is
// recursive, so a host that calls back into the plug-in from inside the host
// callback (audioMasterUpdateDisplay, audioMasterAutomate, ...) re-enters safely.

#include <cstdint>

#include "framework/plugin_base.h"
#include "abi/vst2/vst2_interface.h"
#include "abi/vst2/vst2_records.h"

class Vst2Plugin : public PluginBase {
 public:
  // What the host passes at creation: its callback.
  struct HostArgs {
    audioMasterCallback hostCallback = nullptr;
  };

  Vst2Plugin(const PluginConfig& config, const HostArgs& args);
  ~Vst2Plugin() override;

  // The record handed to the host; owned by this object.
  AEffect* Effect() { return &effect_; }
  // The instance behind a record, or null when the record carries none.
  static Vst2Plugin* FromEffect(AEffect* effect);

  // [host] one dispatcher call other than effClose; the caller holds the lock.
  intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  // [any] calls the host callback with this instance's record; 0 without a callback.
  intptr_t CallHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  // ---- Host-facing operations of the base -------------------------------------------
  void BeginParamEdit(int index) override;                     // [editor]
  void ReportParamValue(int index, double normalised) override;  // [editor] lock held
  void EndParamEdit(int index) override;                       // [editor]
  void ReportPresetChange() override;                          // [any]
  bool IsOfflineRender() override;                             // [audio]
  int HostSamplePos() override;                                // [audio]
  double HostTempo() override;                                 // [audio]
  void HostTimeSignature(int* numerator, int* denominator) override;  // [audio]
  void HostTransport(TransportInfo* info) override;            // [audio]
  int IdentifyHost() override;                                 // [host]
  int HostInterfaceKind() const override { return kHostInterfaceVst2; }  // [any]
  void EditorResized(int width, int height) override;          // [editor]
  void HostSpecificSetup() override;                           // [host] from effOpen
  void AttachEditor(EditorLink* editor) override;              // [any]
  void ChangeLatency(int samples) override;                    // [host]
  bool EmitMidiMessage(const MidiMessage& message) override;   // [audio]
  bool EmitSysEx(const SysExMessage& message) override;        // [audio]

  const ERect& EditRect() const { return editRect_; }

  // [host] lock held: a parameter value the host set (setParameter). Between
  // effBeginSetProgram and effEndSetProgram the host loads a program value by
  // value, which is a restore: the preset actions do not run on it.
  void ParamChangedByHost(int index);

 private:
  // [editor] Opens the editor inside the host's window (an HWND); false when this
  // build has no window layer or the window cannot be made.
  bool OpenEditorWindow(void* parentWindow);
  // The opcode groups with an algorithm of their own ([host], lock held).
  intptr_t GetChunk(bool bank, void** data);
  intptr_t SetChunk(bool bank, intptr_t size, const void* data);
  intptr_t ProcessEvents(const VstEvents* events);
  intptr_t TextToParameter(int index, const char* text);
  intptr_t PinProperties(bool input, int index, VstPinProperties* properties) const;
  intptr_t SetSpeakerArrangement(const VstSpeakerArrangement* inputs, const VstSpeakerArrangement* outputs);
  intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
  intptr_t CanDo(const char* question) const;
  intptr_t SetProgram(intptr_t program);
  void SetSampleRateFromHost(float hz);
  void SetBlockSizeFromHost(intptr_t frames);
  bool ParamInRange(int32_t index) const { return index >= 0 && index < ParamCount(); }
  // Asks for the host's time record; null when the host gives none.
  const VstTimeInfo* HostTime(int32_t requestMask);

  ERect editRect_{};
  audioMasterCallback hostCallback_ = nullptr;
  VstSpeakerArrangement inputArrangement_{};
  VstSpeakerArrangement outputArrangement_{};
  bool hostSetupDone_ = false;
  bool hostSetsProgram_ = false;  // inside effBeginSetProgram ... effEndSetProgram
  // The bytes last handed to or received from the host; the pointer given out by
  // effGetChunk stays valid until the next chunk call.
  StateChunk programChunk_;
  StateChunk bankChunk_;
  AEffect effect_{};
};

// The dispatcher installed in every record.
intptr_t VSTDispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

// Version packed as 0xMMMMmmpp -> major * 10000 + minor * 100 + patch (1.0.2 -> 10002).
int32_t Vst2VersionNumber(int32_t packedVersion);
