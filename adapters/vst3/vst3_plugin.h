#pragma once
// Vst3Plugin: the VST 3 host adapter. One object is the plug-in base, the
// component, the audio processor, the edit controller and the unit information.
// The effect class derives from it (see effect/effect_host_adapter.h).
//
// Buses and host parameters are built in initialize, not in the constructor.
// process, getState and setState take the instance lock; the controller's parameter
// calls, initialize and terminate take none ([controller]: they touch parameter
// records and fixed facts only).

#include <string>
#include <vector>

#include "adapters/vst3/sdk/single_component_effect.h"
#include "framework/plugin_base.h"

class Vst3PluginView;

class Vst3Plugin : public PluginBase,
                   public vst3::SingleComponentEffect,
                   public vst3::IUnitInfo,
                   public vst3::IProcessContextRequirements {
 public:
  // VST 3 hosts pass nothing at creation.
  struct HostArgs {};

  static constexpr vst3::ParamID kPresetParamId = 0x70727374;  // "prst"
  static constexpr vst3::ParamID kBypassParamId = 0x62706173;  // "bpas"

  Vst3Plugin(const PluginConfig& config, const HostArgs& args);
  ~Vst3Plugin() override;

  // ---- FUnknown: IUnitInfo and IProcessContextRequirements here, the rest in the base.
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }

  // ---- Plug-in base [controller]
  vst3::tresult PLUGIN_API initialize(vst3::FUnknown* context) override;
  vst3::tresult PLUGIN_API terminate() override;

  // ---- Component
  vst3::tresult PLUGIN_API setActive(vst3::TBool state) override;  // [host] takes the lock
  // [host] takes the lock. One implementation serves the component and the
  // controller: the whole state, parameter values then the bypass flag.
  vst3::tresult PLUGIN_API setState(vst3::IBStream* state) override;
  vst3::tresult PLUGIN_API getState(vst3::IBStream* state) override;

  // ---- Audio processor
  // [host] takes the lock.
  vst3::tresult PLUGIN_API setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                              vst3::SpeakerArrangement* outputs, vst3::int32 numOuts) override;
  vst3::tresult PLUGIN_API canProcessSampleSize(vst3::int32 symbolicSampleSize) override;  // [controller]
  vst3::uint32 PLUGIN_API getLatencySamples() override;                                    // [controller]
  // [host] inactive only; takes the lock.
  vst3::tresult PLUGIN_API setupProcessing(vst3::ProcessSetup& setup) override;
  vst3::tresult PLUGIN_API setProcessing(vst3::TBool state) override;  // [controller]
  vst3::tresult PLUGIN_API process(vst3::ProcessData& data) override;  // [audio] takes the lock
  vst3::uint32 PLUGIN_API getTailSamples() override;                   // [controller]

  // ---- Edit controller [controller]
  vst3::tresult PLUGIN_API getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                 vst3::String128 string) override;
  vst3::ParamValue PLUGIN_API plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
  vst3::ParamValue PLUGIN_API getParamNormalized(vst3::ParamID id) override;
  vst3::tresult PLUGIN_API setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
  // "editor": a new view carrying one reference for the caller; anything else: null.
  vst3::IPlugView* PLUGIN_API createView(vst3::FIDString name) override;

  // ---- Unit information [controller]
  vst3::int32 PLUGIN_API getUnitCount() override;
  vst3::tresult PLUGIN_API getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
  vst3::int32 PLUGIN_API getProgramListCount() override;
  vst3::tresult PLUGIN_API getProgramListInfo(vst3::int32 listIndex, vst3::ProgramListInfo& info) override;
  vst3::tresult PLUGIN_API getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                          vst3::String128 name) override;
  vst3::tresult PLUGIN_API getProgramInfo(vst3::ProgramListID, vst3::int32, vst3::CString, vst3::String128) override;
  vst3::tresult PLUGIN_API hasProgramPitchNames(vst3::ProgramListID, vst3::int32) override;
  vst3::tresult PLUGIN_API getProgramPitchName(vst3::ProgramListID, vst3::int32, vst3::int16, vst3::String128) override;
  vst3::UnitID PLUGIN_API getSelectedUnit() override { return vst3::kRootUnitId; }
  vst3::tresult PLUGIN_API selectUnit(vst3::UnitID) override;
  vst3::tresult PLUGIN_API getUnitByBus(vst3::MediaType, vst3::BusDirection, vst3::int32, vst3::int32,
                                        vst3::UnitID&) override;
  vst3::tresult PLUGIN_API setUnitProgramData(vst3::int32, vst3::int32, vst3::IBStream*) override;

  // ---- Process context requirements [controller], asked once before activation
  vst3::uint32 PLUGIN_API getProcessContextRequirements() override;

  const char* ClassName() const override { return "Vst3Plugin"; }
  bool IsTypeOf(const char* name) const override;

  // ---- Host-facing operations of the plug-in base
  void BeginParamEdit(int index) override;                       // [editor]
  void ReportParamValue(int index, double normalised) override;  // [editor]
  void EndParamEdit(int index) override;                         // [editor]
  void ReportPresetChange() override {}  // [any]
  bool IsOfflineRender() override;    // [audio]
  int HostInterfaceKind() const override { return kHostInterfaceVst3; }  // [any]
  int HostSamplePos() override;       // [audio]
  double HostTempo() override;        // [audio]
  void HostTimeSignature(int* numerator, int* denominator) override;  // [audio]
  void HostTransport(TransportInfo* info) override;                   // [audio]
  void EditorResized(int width, int height) override;                 // [editor]
  void ChangeLatency(int samples) override;                           // [host]
  void ShowHostParamMenu(int index, int x, int y) override;           // [editor]
  bool EmitMidiMessage(const MidiMessage&) override { return false; }  // [audio] no MIDI output
  bool EmitSysEx(const SysExMessage&) override { return false; }        // [audio]

  // The view list: views add and remove themselves; the plug-in does not own them.
  void AddView(Vst3PluginView* view);
  void RemoveView(Vst3PluginView* view);
  int ViewCount() const { return static_cast<int>(views_.size()); }

  const vst3::ProcessContext& LastProcessContext() const { return processContext_; }

 private:
  void AddBuses();
  void AddHostParameters();
  void AddEffectParameter(int index);
  int UnitForGroup(const char* group);
  void ApplyParameterChanges(vst3::IParameterChanges* changes);  // [audio]
  void DeliverNoteEvents(vst3::IEventList* events);             // [audio]
  int ConnectHostBuses(const vst3::ProcessData& data, bool* outputConnected);  // [audio]
  void RunAudio32(const vst3::ProcessData& data);                // [audio]
  void RunAudio64(const vst3::ProcessData& data);                // [audio]

  std::vector<std::string> inputBusLabels_;   // "Main Input", and "Aux Input" with a side chain
  std::vector<std::string> outputBusLabels_;  // "Output", or "Output 1", "Output 2", ... for an instrument
  int sideChainChannels_ = 0;
  bool sideChainActive_ = false;
  vst3::ProcessContext processContext_{};
  std::vector<Vst3PluginView*> views_;
  std::vector<std::string> unitNames_;
  // Per parameter, the values the editor reported that the host has not handed back
  // yet. Hosts return each edit through process(), in order; such an echo has acted
  // already (an arrow has stepped, a file has loaded). Under the instance lock.
  struct PendingEchoes {
    static constexpr int kCapacity = 4;
    double values[kCapacity] = {};
    int count = 0;
    void Push(double value);
    // True, and the echo consumed, when value is the oldest pending one; any
    // other value means the host does not echo (or overrode): forget them all.
    bool Consume(double value);
  };
  std::vector<PendingEchoes> editorEchoes_;
};
