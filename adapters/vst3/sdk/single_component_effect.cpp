#include "single_component_effect.h"

#include <cstring>

namespace vst3 {

SingleComponentEffect::SingleComponentEffect() = default;
SingleComponentEffect::~SingleComponentEffect() = default;

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  // FUnknown and IPluginBase always give the IComponent sub-object: one identity.
  if (FUnknown::iid.Matches(iid) || IPluginBase::iid.Matches(iid) || IComponent::iid.Matches(iid))
    return AnswerQuery<IComponent>(this, obj);
  if (IAudioProcessor::iid.Matches(iid)) return AnswerQuery<IAudioProcessor>(this, obj);
  if (IEditController::iid.Matches(iid)) return AnswerQuery<IEditController>(this, obj);
  if (IEditController2::iid.Matches(iid)) return AnswerQuery<IEditController2>(this, obj);
  if (IConnectionPoint::iid.Matches(iid)) return AnswerQuery<IConnectionPoint>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

bool SingleComponentEffect::IsTypeOf(const char* name) const {
  if (name == nullptr) return false;
  return std::strcmp(name, "SingleComponentEffect") == 0 || std::strcmp(name, "EditController") == 0 ||
         std::strcmp(name, "ComponentBase") == 0 || FObject::IsTypeOf(name);
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) {
  if (initialized_) return kResultFalse;
  initialized_ = true;
  hostContext_.Reset(context);
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::terminate() {
  initialized_ = false;
  componentHandler_.Reset(nullptr);
  hostContext_.Reset(nullptr);
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode) { return kNotImplemented; }

BusList* SingleComponentEffect::Buses(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput ? &audioInputs_ : dir == kOutput ? &audioOutputs_ : nullptr;
  if (type == kEvent) return dir == kInput ? &eventInputs_ : dir == kOutput ? &eventOutputs_ : nullptr;
  return nullptr;
}

void SingleComponentEffect::RemoveAllBuses() {
  audioInputs_.Clear();
  audioOutputs_.Clear();
  eventInputs_.Clear();
  eventOutputs_.Clear();
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  const BusList* list = Buses(type, dir);
  return list != nullptr ? list->Count() : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
  const BusList* list = Buses(type, dir);
  const Bus* found = list != nullptr ? list->At(index) : nullptr;
  if (found == nullptr) return kInvalidArgument;
  found->FillInfo(bus, type, dir);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index, TBool state) {
  const BusList* list = Buses(type, dir);
  Bus* found = list != nullptr ? list->At(index) : nullptr;
  if (found == nullptr) return kInvalidArgument;
  found->SetActive(state != 0);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool) { return kResultOk; }
tresult PLUGIN_API SingleComponentEffect::setState(IBStream*) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::getState(IBStream*) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                             SpeakerArrangement* outputs, int32 numOuts) {
  // Accepted only when it is exactly what the buses already have.
  if (numIns != audioInputs_.Count() || numOuts != audioOutputs_.Count()) return kResultFalse;
  for (int32 i = 0; i < numIns; ++i)
    if (inputs == nullptr || static_cast<AudioBus*>(audioInputs_.At(i))->Arrangement() != inputs[i]) return kResultFalse;
  for (int32 i = 0; i < numOuts; ++i)
    if (outputs == nullptr || static_cast<AudioBus*>(audioOutputs_.At(i))->Arrangement() != outputs[i])
      return kResultFalse;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  const BusList* list = Buses(kAudio, dir);
  const Bus* found = list != nullptr ? list->At(index) : nullptr;
  if (found == nullptr) return kInvalidArgument;
  arr = static_cast<const AudioBus*>(found)->Arrangement();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup) {
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  processSetup_ = setup;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::process(ProcessData&) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::setComponentState(IBStream*) { return kNotImplemented; }

int32 PLUGIN_API SingleComponentEffect::getParameterCount() { return parameters_.Count(); }

tresult PLUGIN_API SingleComponentEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const Parameter* parameter = parameters_.ByIndex(paramIndex);
  if (parameter == nullptr) return kResultFalse;
  info = parameter->Info();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                                String128 string) {
  const Parameter* parameter = parameters_.ById(id);
  if (parameter == nullptr || string == nullptr) return kResultFalse;
  parameter->ToString(valueNormalized, string);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getParamValueByString(ParamID id, TChar* string,
                                                                ParamValue& valueNormalized) {
  const Parameter* parameter = parameters_.ById(id);
  if (parameter == nullptr || string == nullptr) return kResultFalse;
  return parameter->FromString(string, valueNormalized) ? kResultTrue : kResultFalse;
}

ParamValue PLUGIN_API SingleComponentEffect::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  const Parameter* parameter = parameters_.ById(id);
  return parameter != nullptr ? parameter->ToPlain(valueNormalized) : valueNormalized;
}

ParamValue PLUGIN_API SingleComponentEffect::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  const Parameter* parameter = parameters_.ById(id);
  return parameter != nullptr ? parameter->ToNormalized(plainValue) : plainValue;
}

ParamValue PLUGIN_API SingleComponentEffect::getParamNormalized(ParamID id) {
  const Parameter* parameter = parameters_.ById(id);
  return parameter != nullptr ? parameter->Normalized() : 0.0;
}

tresult PLUGIN_API SingleComponentEffect::setParamNormalized(ParamID id, ParamValue value) {
  Parameter* parameter = parameters_.ById(id);
  if (parameter == nullptr) return kResultFalse;
  parameter->SetNormalized(value);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setComponentHandler(IComponentHandler* handler) {
  componentHandler_.Reset(handler);
  return kResultTrue;
}

IPlugView* PLUGIN_API SingleComponentEffect::createView(FIDString) { return nullptr; }

tresult PLUGIN_API SingleComponentEffect::setKnobMode(KnobMode mode) {
  if (mode < IEditController2::kCircularMode || mode > IEditController2::kLinearMode) return kResultFalse;
  knobMode_ = mode;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::openHelp(TBool) { return kResultFalse; }
tresult PLUGIN_API SingleComponentEffect::openAboutBox(TBool) { return kResultFalse; }

tresult PLUGIN_API SingleComponentEffect::connect(IConnectionPoint* other) {
  return other != nullptr ? kResultOk : kInvalidArgument;
}
tresult PLUGIN_API SingleComponentEffect::disconnect(IConnectionPoint* other) {
  return other != nullptr ? kResultOk : kInvalidArgument;
}
tresult PLUGIN_API SingleComponentEffect::notify(IMessage* message) {
  return message != nullptr ? kResultFalse : kInvalidArgument;
}

tresult SingleComponentEffect::BeginEdit(ParamID id) {
  return componentHandler_ ? componentHandler_->beginEdit(id) : kResultFalse;
}
tresult SingleComponentEffect::PerformEdit(ParamID id, ParamValue valueNormalized) {
  return componentHandler_ ? componentHandler_->performEdit(id, valueNormalized) : kResultFalse;
}
tresult SingleComponentEffect::EndEdit(ParamID id) {
  return componentHandler_ ? componentHandler_->endEdit(id) : kResultFalse;
}
tresult SingleComponentEffect::RestartComponent(int32 flags) {
  return componentHandler_ ? componentHandler_->restartComponent(flags) : kResultFalse;
}

}  // namespace vst3
