#pragma once
// PluginBase: the host-neutral core between a host adapter and the effect.
//
// Class chain: effect -> host adapter (Vst2Plugin, Vst3Plugin, or a test or render
// adapter) -> PluginBase. The effect overrides the hooks (OnReset, OnParamChanged,
// ProcessBlock, OnMidiMessage); the adapter implements the host-facing operations.
//
// Thread tags used below and in the adapters, the editor and the effect:
//   [audio]      audio thread, instance lock held by the adapter
//   [host]       any host thread, instance lock held by the adapter
//   [controller] a VST 3 host thread calling the edit controller or the component's
//                set-up (initialize, terminate, queries of fixed facts); no instance
//                lock: such calls touch only parameter records and fixed facts
//   [editor]     the editor window's thread
//   [any]        any thread; the function takes the lock itself where it needs it
//
// Nothing reached from the block path allocates: scratch buffers are sized by
// ChangeBlockSize, outside the audio thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio_channels.h"
#include "editor_link.h"
#include "midi_message.h"
#include "pass_through_delay.h"
#include "plugin_param.h"
#include "recursive_lock.h"
#include "state_chunk.h"
#include "transport_info.h"

inline constexpr int kPluginNameSize = 128;

// The fixed facts a plug-in is constructed with.
struct PluginConfig {
  int paramCount = 0;
  const char* ioText = "2-2";
  int presetCount = 1;
  const char* effectName = "";
  const char* productName = "";
  const char* makerName = "";
  int32_t version = 0;
  int32_t uniqueId = 0;
  int32_t makerId = 0;
  int latency = 0;
  bool midi = true;
  bool stateChunks = false;
  bool instrument = false;
};

// Host codes from HostFromProductName; 6, 10, 11 and 19 are never produced.
enum HostCode : int32_t {
  kHostNotAsked = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAuLab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPreSonus = 26,
  kHostVst3TestHost = 27,
  kHostArdour = 28,
};

// Host interface kinds, read by the editor (a VST 3 host shows its own parameter
// menu on a right click); each adapter answers for its format.
enum HostInterfaceKindCode : int32_t { kHostInterfaceVst2 = 0, kHostInterfaceVst3 = 1 };

class PluginBase {
 public:
  explicit PluginBase(const PluginConfig& config);
  virtual ~PluginBase();
  PluginBase(const PluginBase&) = delete;
  PluginBase& operator=(const PluginBase&) = delete;

  // ---- Hooks, overridden by the effect -------------------------------------------------
  virtual void OnReset() {}  // [host] after sample rate or block size changes
  // [host] or [editor] with the lock held (host and MIDI changes, restores, editor
  // edits): after a parameter's value changed.
  virtual void OnParamChanged(int /*index*/) {}
  // [audio] 64-bit block. Base: inputs copied to outputs, remaining outputs zeroed.
  virtual void ProcessBlock(double** inputs, double** outputs, int frames);
  // [audio] true when the block just processed passed its inputs through unchanged:
  // the 32-bit conversion then keeps every bit, denormals included; otherwise it
  // turns results below the smallest normal float into 0.
  virtual bool PassedInputsThrough() const { return false; }
  // [any] How many samples the output goes on sounding once the input falls silent,
  // for the current settings and rate (0: it ends with the input). Base: 0.
  virtual int TailSamples() const { return 0; }
  virtual void OnEditorOpened() {}                  // [editor] the host opened the window
  virtual void OnEditorClosed() {}                  // [editor] the host closed it
  virtual void OnActiveChanged(bool /*active*/) {}  // [host] processing switched on or off
  virtual void OnMidiMessage(const MidiMessage& message);  // [audio] base: MIDI thru
  virtual void OnSysEx(const SysExMessage& /*message*/) {}  // [audio]
  virtual bool NameForMidiNote(int note, char* out, int outSize);  // [host] base: "" and false
  virtual bool WriteState(StateChunk& chunk) { return SerializeParams(chunk); }  // [host]
  virtual int ReadState(const StateChunk& chunk, int pos) { return UnserializeParams(chunk, pos); }  // [host]
  virtual bool StateMatches(const double* values, int firstIndex) const;  // [any] reads values only
  virtual void AfterEditorResize() {}  // [editor] after the host resized the window
  virtual void OnHostKnown() {}        // [host] once the host has been identified
  // [editor] a right click on a control under a VST 3 host: the host's own menu
  // for that parameter. Base: nothing.
  virtual void ShowHostParamMenu(int /*index*/, int /*x*/, int /*y*/) {}
  // [editor] user moved a control: set, report to the host, notify, all under the lock.
  virtual void SetParamFromEditor(int index, double normalised);

  // ---- Host-facing operations, implemented by the adapter -----------------------------
  virtual void BeginParamEdit(int index) = 0;                   // [editor]
  virtual void ReportParamValue(int index, double normalised) = 0;  // [editor] lock held
  virtual void EndParamEdit(int index) = 0;                     // [editor]
  virtual void ReportPresetChange() = 0;                        // [any]
  virtual bool IsOfflineRender() { return false; }              // [audio]
  virtual int HostSamplePos() = 0;                              // [audio]
  virtual double HostTempo() = 0;  // [audio] beats per minute; 0 when the host gives none
  virtual void HostTimeSignature(int* numerator, int* denominator) = 0;  // [audio]
  virtual void HostTransport(TransportInfo* info) = 0;                   // [audio]
  virtual int IdentifyHost() { return host_; }                  // [host]
  virtual int HostInterfaceKind() const = 0;                    // [any] a fixed fact
  virtual void EditorResized(int width, int height) = 0;        // [editor]
  virtual void HostSpecificSetup() {}                           // [host]
  virtual void AttachEditor(EditorLink* editor);                // [any] takes ownership and the lock
  virtual void ChangeLatency(int samples);                      // [host]
  virtual bool EmitMidiMessage(const MidiMessage& message) = 0;  // [audio]
  virtual bool EmitSysEx(const SysExMessage& /*message*/) { return false; }  // [audio]
  virtual void PushValuesToEditor();  // [host] lock held by the caller
  virtual void OnPresetsChanged() {}  // [host] after a preset slot is loaded or renamed
  virtual void ChangeBlockSize(int frames);  // [host] never on the audio thread

  // ---- Identity, channels, settings ----------------------------------------------------
  int ParamCount() const { return static_cast<int>(params_.size()); }
  PluginParam* Param(int index);
  const PluginParam* Param(int index) const;
  int PresetCount() const { return static_cast<int>(presets_.size()); }
  int CurrentPreset() const { return currentPreset_; }
  int InputCount() const { return static_cast<int>(inChannels_.size()); }
  int OutputCount() const { return static_cast<int>(outChannels_.size()); }
  double SampleRate() const { return sampleRate_; }
  int BlockSize() const { return blockSize_; }
  int Latency() const { return latency_; }
  bool Bypassed() const { return bypassed_.load(std::memory_order_relaxed); }
  EditorLink* Editor() const { return editor_.get(); }
  const char* EffectName() const { return effectName_; }
  const char* ProductName() const { return productName_; }
  const char* MakerName() const { return makerName_; }
  int32_t UniqueId() const { return uniqueId_; }
  int32_t MakerId() const { return makerId_; }
  int32_t Version() const { return version_; }
  int32_t HostVersion() const { return hostVersion_; }
  bool UsesStateChunks() const { return stateChunks_; }
  bool IsInstrument() const { return instrument_; }
  bool DoesMidi() const { return midi_; }
  const std::vector<IOConfig>& IOConfigs() const { return ioConfigs_; }

  bool LegalIO(int inputs, int outputs) const;  // [any] a negative count matches anything
  static int HostFromProductName(const char* text);
  void NotifyAllParamsChanged();  // [host] OnParamChanged for every index, in order

  RecursiveLock& InstanceLock() { return lock_; }

  // ---- Buffer plumbing for the adapters ([audio]) --------------------------------------
  // Host arrays go, in order, to the connected channels only. 32-bit binds convert
  // through the scratch buffers; frames must not exceed the block size (the
  // RunHostBlock* calls below slice longer blocks).
  void BindInputs32(const float* const* arrays, int frames);
  void BindOutputs32(float* const* arrays);
  void BindInputs64(double* const* arrays);
  void BindOutputs64(double* const* arrays);
  void RunBlock32(int frames);
  void RunBlock32Accumulating(int frames);
  void BypassBlock32(int frames);
  void ClearScratch();

  // A whole host block, bound and processed in slices of at most the block size, so
  // that a host passing more frames than it announced never overruns the scratch
  // buffers. 'accumulate' adds into the host's outputs (VST2's legacy process call).
  void RunHostBlock32(const float* const* inputs, float* const* outputs, int frames, bool accumulate);
  void RunHostBlock64(double* const* inputs, double* const* outputs, int frames);

  void ConnectInputs(int first, int count, bool connected);
  void ConnectOutputs(int first, int count, bool connected);

  // ---- State and preset bank ([host]) -------------------------------------------------
  bool SerializeParams(StateChunk& chunk);
  // Reads a parameter state; parameters without data keep their values. Returns the
  // new position, or -1 when the data ran out.
  int UnserializeParams(const StateChunk& chunk, int pos);
  bool SerializePresets(StateChunk& chunk);
  int UnserializePresets(const StateChunk& chunk, int pos);
  void ModifyCurrentPreset(const char* name = nullptr);
  bool LoadPresetSlot(int index);
  const char* PresetName(int index) const;
  void FillEmptyPresets(const char* name, int count);
  static void WriteChunkHeader(StateChunk& chunk);
  static int32_t ReadChunkHeader(const StateChunk& chunk, int* pos);
  static constexpr int32_t kChunkMagic = 0x70666674;  // bytes 74 66 66 70, "tffp"
  static constexpr int32_t kChunkVersion = 0x00010000;

  // True while a host state, bank or preset slot is being restored: hooks use it to
  // tell a restore from a user or host change (preset actions must not run then).
  bool IsRestoringState() const { return restoreDepth_ > 0; }

 protected:
  // Adapters and tests set these; each change should be followed by OnReset.
  void SetSampleRate(double hz) { sampleRate_ = hz; }
  void SetHost(int code, int32_t version) { host_ = code; hostVersion_ = version; }
  void SetBypassed(bool bypassed) { bypassed_.store(bypassed, std::memory_order_relaxed); }
  PassThroughDelay* PassThrough() { return passThrough_.get(); }
  // The pointer arrays ProcessBlock receives, for adapters that run a bound block
  // themselves (the VST3 64-bit path).
  double** InputPointers() { return inputPtrs_.data(); }
  double** OutputPointers() { return outputPtrs_.data(); }
  void CreatePassThroughDelay();
  PresetSlot* Preset(int index);

  // Marks a restore for its scope (nests).
  class RestoreScope {
   public:
    explicit RestoreScope(PluginBase& base) : base_(base) { ++base_.restoreDepth_; }
    ~RestoreScope() { --base_.restoreDepth_; }
    RestoreScope(const RestoreScope&) = delete;
    RestoreScope& operator=(const RestoreScope&) = delete;

   private:
    PluginBase& base_;
  };

 private:
  void RunBlock32Impl(int frames, bool accumulate, bool flushDenormals);
  void ParseIOText(const char* ioText);

  std::vector<IOConfig> ioConfigs_;
  RecursiveLock lock_;
  char effectName_[kPluginNameSize] = {};
  char productName_[kPluginNameSize] = {};
  char makerName_[kPluginNameSize] = {};
  int32_t uniqueId_ = 0;
  int32_t makerId_ = 0;
  int32_t version_ = 0;
  int32_t host_ = kHostNotAsked;
  int32_t hostVersion_ = 0;
  bool stateChunks_ = false;
  bool instrument_ = false;
  bool midi_ = true;
  // Read by the VST3 controller without the lock, hence atomic (relaxed).
  std::atomic<bool> bypassed_{false};
  int currentPreset_ = 0;
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_ = 0;
  int restoreDepth_ = 0;
  std::unique_ptr<PassThroughDelay> passThrough_;
  std::unique_ptr<EditorLink> editor_;
  std::vector<std::unique_ptr<PluginParam>> params_;
  std::vector<std::unique_ptr<PresetSlot>> presets_;
  std::vector<double*> inputPtrs_;
  std::vector<double*> outputPtrs_;
  std::vector<InChannel> inChannels_;
  std::vector<OutChannel> outChannels_;
};
