#pragma once
// Vst2HostedPlugin: this project's own VST 2.4 host, small and honest. It loads a
// plug-in binary by path exactly as a DAW does (dlopen / LoadLibrary, the entry
// point, effOpen, sample rate, block size, effMainsChanged, the process callbacks,
// effClose) and answers the plug-in's host callback. The test suite and the
// renderer drive plug-ins through it.
//
// Threading: one instance is driven from one thread at a time; the callback hook
// and the logs are not synchronised.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "abi/vst2/vst2_interface.h"
#include "abi/vst2/vst2_opcodes.h"
#include "abi/vst2/vst2_records.h"

class PluginModule;

struct Vst2HostOptions {
  double sampleRate = 44100.0;
  int blockSize = 512;
  // Ardour's Linux loader looks up `main` before VSTPluginMain.
  bool legacyMainFirst = false;
  // Audacity sends the sample rate and block size before effOpen.
  bool setupBeforeOpen = false;
  std::string productName = "Moravelle VST2 Host";
  std::string vendorName = "PellionAudio";
  int32_t vendorVersion = 10000;
  int32_t processLevel = kVstProcessLevelRealtime;
  // Answer audioMasterGetTime with the time record (else with null).
  bool provideTime = true;

  // Odd hosts, for tests of what a plug-in must survive. Each is off in a sound host.
  // Process without resuming first: processReplacing before effMainsChanged(1).
  bool processWhileSuspended = false;
  // Change the sample rate and block size without suspending around the change.
  bool changeSetupWhileRunning = false;
  // Hand the plug-in whole blocks however long, whatever block size was announced.
  bool ignoreAnnouncedBlockSize = false;
};

struct HostedParamInfo {
  int index = 0;
  std::string name;
  std::string label;
  std::string display;
  float normalised = 0.0f;
};

// One host-callback call as the plug-in made it.
struct HostCallbackCall {
  int32_t opcode = 0;
  int32_t index = 0;
  intptr_t value = 0;
  float opt = 0.0f;
};

// A MIDI event to send to, or received from, the plug-in.
struct HostMidiEvent {
  int32_t deltaFrames = 0;
  uint8_t bytes[3] = {0, 0, 0};
};

class Vst2HostedPlugin {
 public:
  // Loads and opens the plug-in at path; null with a reason in *error on failure.
  static std::unique_ptr<Vst2HostedPlugin> Load(const std::string& path, std::string* error,
                                                const Vst2HostOptions& options = {});
  ~Vst2HostedPlugin();  // suspends if active, effClose, then unloads the binary
  Vst2HostedPlugin(const Vst2HostedPlugin&) = delete;
  Vst2HostedPlugin& operator=(const Vst2HostedPlugin&) = delete;

  // ---- Identity --------------------------------------------------------------------
  AEffect* Effect() const { return effect_; }
  int NumParams() const { return effect_->numParams; }
  int NumInputs() const { return effect_->numInputs; }
  int NumOutputs() const { return effect_->numOutputs; }
  int NumPrograms() const { return effect_->numPrograms; }
  bool CanProcessDouble() const;
  std::string EffectName();
  std::string VendorName();
  std::string ProductName();

  // ---- Parameters (normalised 0..1, as the interface sees them) ------------------------
  std::vector<HostedParamInfo> Params();
  HostedParamInfo Param(int index);
  float GetParameter(int index);
  void SetParameter(int index, float normalised);
  bool SetParameterText(int index, const std::string& text);  // effString2Parameter

  // ---- Setup and activation ----------------------------------------------------------
  // While active these suspend, change, and resume, as hosts do.
  void SetSampleRate(double hz);
  void SetBlockSize(int frames);
  double SampleRate() const { return sampleRate_; }
  int BlockSize() const { return blockSize_; }
  void Resume();   // effMainsChanged(1), effStartProcess
  void Suspend();  // effStopProcess, effMainsChanged(0)
  bool Active() const { return active_; }

  // ---- Audio (resumes first if needed; never more than the block size per call,
  // unless the options ask for an odd host) ---------
  // 32-bit through processReplacing (or process into cleared outputs).
  void ProcessFloat(const float* const* inputs, float* const* outputs, int frames);
  // 64-bit through processDoubleReplacing when offered, else converted to 32-bit.
  void ProcessDouble(const double* const* inputs, double* const* outputs, int frames);

  // ---- MIDI -------------------------------------------------------------------------
  // effProcessEvents with these events; they belong to the next processed block.
  intptr_t SendMidi(const std::vector<HostMidiEvent>& events);
  const std::vector<HostMidiEvent>& MidiFromPlugin() const { return midiFromPlugin_; }

  // ---- State ------------------------------------------------------------------------
  std::vector<uint8_t> GetChunk(bool program);  // a copy; empty when none
  bool SetChunk(bool program, const std::vector<uint8_t>& bytes);

  // ---- Raw access for tests ------------------------------------------------------------
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);
  // The host's time record as audioMasterGetTime returns it.
  VstTimeInfo& TimeInfo() { return timeInfo_; }
  Vst2HostOptions& Options() { return options_; }
  // Host-callback calls other than the per-block ones (audioMasterWantMidi and
  // audioMasterGetTime are only counted).
  const std::vector<HostCallbackCall>& CallbackLog() const { return callbackLog_; }
  int WantMidiCount() const { return wantMidiCount_; }
  int GetTimeCount() const { return getTimeCount_; }
  void ClearLogs();
  // Runs at the start of every host-callback call, before it is answered: a test
  // can re-enter the plug-in from inside the callback, as some hosts do.
  void SetCallbackHook(std::function<void(Vst2HostedPlugin&, int32_t opcode)> hook) { hook_ = std::move(hook); }
  // The entry point name that created the instance ("VSTPluginMain" or "main").
  const std::string& EntryPointUsed() const { return entryPointUsed_; }

 private:
  Vst2HostedPlugin() = default;
  static intptr_t HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt);
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  std::string TextOpcode(int32_t opcode, int32_t index);
  void EnsureScratch(int channels, int frames);
  int SliceLength(int remaining) const;

  std::unique_ptr<PluginModule> module_;
  AEffect* effect_ = nullptr;
  Vst2HostOptions options_;
  double sampleRate_ = 0.0;
  int blockSize_ = 0;
  bool active_ = false;
  VstTimeInfo timeInfo_{};
  std::vector<uint8_t> eventBlock_;  // VstEvents with its pointer array
  std::vector<VstMidiEvent> eventStore_;
  std::vector<HostMidiEvent> midiFromPlugin_;
  std::vector<HostCallbackCall> callbackLog_;
  int wantMidiCount_ = 0;
  int getTimeCount_ = 0;
  std::function<void(Vst2HostedPlugin&, int32_t)> hook_;
  std::string entryPointUsed_;
  std::vector<std::vector<float>> scratchIn_;   // 64-bit -> 32-bit fallback
  std::vector<std::vector<float>> scratchOut_;
  std::vector<float> silence_;                  // for plug-ins with more channels than given
};
