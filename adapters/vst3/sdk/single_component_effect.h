#pragma once
// SingleComponentEffect: one object that is at the same time the component, the
// audio processor and the edit controller (with edit controller 2 and the
// connection point), with its parameter container and bus lists.
//
// Each interface method here gives the plain behaviour of the interface on the
// lists it keeps; the plug-in class overrides what it does differently. Methods that
// IComponent and IEditController share (initialize, terminate, setState, getState)
// have one implementation that serves both interfaces.
//
// Threads follow the interface: [audio] process and setProcessing, [host] all else
// (the host's UI thread).

#include "buses.h"
#include "abi/vst3/fobject.h"
#include "parameters.h"
#include "abi/vst3/vst3_component.h"
#include "abi/vst3/vst3_controller.h"
#include "abi/vst3/vst3_processor.h"

namespace vst3 {

class SingleComponentEffect : public FObject,
                              public IComponent,
                              public IAudioProcessor,
                              public IEditController,
                              public IEditController2,
                              public IConnectionPoint {
 public:
  SingleComponentEffect();
  ~SingleComponentEffect() override;

  // FUnknown
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }

  // IPluginBase (component and controller). initialize keeps the host context;
  // a second initialize answers kResultFalse.
  tresult PLUGIN_API initialize(FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // IComponent
  tresult PLUGIN_API getControllerClassId(TUID classId) override;
  tresult PLUGIN_API setIoMode(IoMode mode) override;
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override;
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override;
  tresult PLUGIN_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) override;
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override;
  tresult PLUGIN_API setActive(TBool state) override;
  tresult PLUGIN_API setState(IBStream* state) override;
  tresult PLUGIN_API getState(IBStream* state) override;

  // IAudioProcessor
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                        int32 numOuts) override;
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) override;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override { return 0; }
  tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override;
  tresult PLUGIN_API setProcessing(TBool state) override;
  tresult PLUGIN_API process(ProcessData& data) override;
  uint32 PLUGIN_API getTailSamples() override { return kNoTail; }

  // IEditController
  tresult PLUGIN_API setComponentState(IBStream* state) override;
  int32 PLUGIN_API getParameterCount() override;
  tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) override;
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) override;
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
  tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) override;
  IPlugView* PLUGIN_API createView(FIDString name) override;

  // IEditController2
  tresult PLUGIN_API setKnobMode(KnobMode mode) override;
  tresult PLUGIN_API openHelp(TBool onlyCheck) override;
  tresult PLUGIN_API openAboutBox(TBool onlyCheck) override;

  // IConnectionPoint: with one object both ends are this object; connecting it to
  // itself (as hosts do for component and controller) is accepted.
  tresult PLUGIN_API connect(IConnectionPoint* other) override;
  tresult PLUGIN_API disconnect(IConnectionPoint* other) override;
  tresult PLUGIN_API notify(IMessage* message) override;

  const char* ClassName() const override { return "SingleComponentEffect"; }
  bool IsTypeOf(const char* name) const override;

 protected:
  // [host] The component handler's edit and restart calls; kResultFalse without a handler.
  tresult BeginEdit(ParamID id);
  tresult PerformEdit(ParamID id, ParamValue valueNormalized);
  tresult EndEdit(ParamID id);
  tresult RestartComponent(int32 flags);

  FUnknown* HostContext() const { return hostContext_.Get(); }
  IComponentHandler* ComponentHandler() const { return componentHandler_.Get(); }
  BusList* Buses(MediaType type, BusDirection dir);
  BusList& AudioInputs() { return audioInputs_; }
  BusList& AudioOutputs() { return audioOutputs_; }
  BusList& EventInputs() { return eventInputs_; }
  ParameterContainer& Parameters() { return parameters_; }
  const ProcessSetup& LastSetup() const { return processSetup_; }
  void RemoveAllBuses();

 private:
  SharedInterface<FUnknown> hostContext_;
  SharedInterface<IComponentHandler> componentHandler_;
  bool initialized_ = false;
  ProcessSetup processSetup_{kRealtime, kSample32, 1024, 44100.0};
  KnobMode knobMode_ = IEditController2::kCircularMode;
  BusList audioInputs_{kAudio, kInput};
  BusList audioOutputs_{kAudio, kOutput};
  BusList eventInputs_{kEvent, kInput};
  BusList eventOutputs_{kEvent, kOutput};
  ParameterContainer parameters_;
};

}  // namespace vst3
