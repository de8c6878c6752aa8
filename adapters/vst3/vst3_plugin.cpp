// Vst3Plugin: construction, initialize/terminate, buses, interface queries and the
// base's host-facing operations.
#include "vst3_plugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "abi/vst3/text16.h"
#include "vst3_plugin_view.h"

using namespace vst3;

namespace {

SpeakerArrangement ArrangementForChannels(int channels) {
  switch (channels) {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return SpeakerArr::k30Music;
    case 4: return SpeakerArr::kAmbi1stOrderACN;
    case 5: return SpeakerArr::k50;
    case 6: return SpeakerArr::k51;
    default: return SpeakerArr::kEmpty;
  }
}

std::u16string Widen(const std::string& text) {
  char16 buffer[128];
  WidenText(buffer, text.c_str());
  return buffer;
}

}  // namespace

Vst3Plugin::Vst3Plugin(const PluginConfig& config, const HostArgs&)
    : PluginBase(config), editorEchoes_(static_cast<size_t>(config.paramCount)) {
  ConnectInputs(0, InputCount(), true);
  ConnectOutputs(0, OutputCount(), true);
  if (InputCount() > 0) CreatePassThroughDelay();
  inputBusLabels_.push_back("Main Input");
  if (sideChainChannels_ > 0) inputBusLabels_.push_back("Aux Input");
  if (IsInstrument()) {
    for (int pair = 0; pair < (OutputCount() + 1) / 2; ++pair) {
      char label[32];
      std::snprintf(label, sizeof label, "Output %i", pair + 1);
      outputBusLabels_.push_back(label);
    }
  } else {
    outputBusLabels_.push_back("Output");
  }
}

Vst3Plugin::~Vst3Plugin() = default;

tresult PLUGIN_API Vst3Plugin::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  if (IUnitInfo::iid.Matches(iid)) return AnswerQuery<IUnitInfo>(this, obj);
  if (IProcessContextRequirements::iid.Matches(iid)) return AnswerQuery<IProcessContextRequirements>(this, obj);
  return SingleComponentEffect::queryInterface(iid, obj);
}

bool Vst3Plugin::IsTypeOf(const char* name) const {
  return (name != nullptr && std::strcmp(name, "Vst3Plugin") == 0) || SingleComponentEffect::IsTypeOf(name);
}

tresult PLUGIN_API Vst3Plugin::initialize(FUnknown* context) {
  const tresult result = SingleComponentEffect::initialize(context);
  if (IHostApplication* host = QueryFrom<IHostApplication>(context)) {
    String128 name16{};
    if (host->getName(name16) == kResultOk) {
      name16[127] = 0;  // a host that fills all 128 units gets cut, not overrun
      char name[129];
      NarrowText(name, sizeof name, name16);
      SetHost(HostFromProductName(name), 0);
    }
    host->release();
  }
  if (result == kResultOk) {
    AddBuses();
    AddHostParameters();
    for (int i = 0; i < ParamCount(); ++i) AddEffectParameter(i);
  }
  OnHostKnown();
  LoadPresetSlot(0);
  return result;
}

tresult PLUGIN_API Vst3Plugin::terminate() {
  Parameters().RemoveAll();
  RemoveAllBuses();
  return SingleComponentEffect::terminate();
}

void Vst3Plugin::AddBuses() {
  const int mainInputs = InputCount() - sideChainChannels_;
  if (mainInputs >= 1 && mainInputs <= 6)
    AudioInputs().Add(std::make_unique<AudioBus>(Widen(inputBusLabels_[0]).c_str(), kMain, BusInfo::kDefaultActive,
                                                 ArrangementForChannels(mainInputs)));
  if (sideChainChannels_ > 0 && inputBusLabels_.size() > 1)
    AudioInputs().Add(std::make_unique<AudioBus>(Widen(inputBusLabels_[1]).c_str(), kAux, 0,
                                                 ArrangementForChannels(std::min(sideChainChannels_, 2))));
  // Output buses are default-active too, so a host that never activates buses still
  // receives audio.
  if (IsInstrument()) {
    for (size_t pair = 0; pair < outputBusLabels_.size(); ++pair)
      AudioOutputs().Add(std::make_unique<AudioBus>(Widen(outputBusLabels_[pair]).c_str(), kMain,
                                                    BusInfo::kDefaultActive, SpeakerArr::kStereo));
  } else if (!outputBusLabels_.empty()) {
    AudioOutputs().Add(std::make_unique<AudioBus>(Widen(outputBusLabels_[0]).c_str(), kMain, BusInfo::kDefaultActive,
                                                  ArrangementForChannels(OutputCount())));
  }
  if (DoesMidi()) EventInputs().Add(std::make_unique<EventBus>(u"MIDI Input", kMain, BusInfo::kDefaultActive, 16));
}

tresult PLUGIN_API Vst3Plugin::setActive(TBool state) {
  ScopedLock hold(InstanceLock());  // the hook runs with the lock, as for every other format
  OnActiveChanged(state != 0);
  return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                  SpeakerArrangement* outputs, int32 numOuts) {
  ScopedLock hold(InstanceLock());
  ConnectInputs(0, InputCount(), false);
  ConnectOutputs(0, OutputCount(), false);
  const int inCount = (numIns > 0 && inputs != nullptr) ? SpeakerCount(inputs[0]) : 0;
  const int outCount = (numOuts > 0 && outputs != nullptr) ? SpeakerCount(outputs[0]) : 0;
  if (!LegalIO(inCount, outCount)) return kResultFalse;
  auto resize = [](BusList& list, int count) {
    Bus* bus = list.At(0);
    if (bus == nullptr || bus->ChannelCount() == count) return;
    list.Replace(0, std::make_unique<AudioBus>(bus->Name().c_str(), bus->Type(), bus->Flags(),
                                               ArrangementForChannels(count)));
  };
  resize(AudioInputs(), inCount);
  resize(AudioOutputs(), outCount);
  if (sideChainChannels_ == 0) return numIns == 1 ? kResultTrue : kResultFalse;
  if (numIns != 2) return kResultFalse;
  Bus* aux = AudioInputs().At(1);
  const int auxCount = SpeakerCount(inputs[1]);
  if (aux != nullptr && aux->ChannelCount() != auxCount)
    AudioInputs().Replace(1, std::make_unique<AudioBus>(aux->Name().c_str(), aux->Type(), aux->Flags(),
                                                        ArrangementForChannels(auxCount)));
  return kResultTrue;
}

tresult PLUGIN_API Vst3Plugin::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API Vst3Plugin::getLatencySamples() { return static_cast<uint32>(std::max(Latency(), 0)); }
// The tail follows the settings, so it is worked out whenever a host asks (hosts ask
// after setActive). VST 3 has no flag that tells a host the tail changed without
// restarting processing (kLatencyChanged reactivates), so none is raised.
uint32 PLUGIN_API Vst3Plugin::getTailSamples() { return static_cast<uint32>(std::max(TailSamples(), 0)); }

tresult PLUGIN_API Vst3Plugin::setupProcessing(ProcessSetup& setup) {
  // Only the two sample sizes exist; a rate or block size the kernel cannot run at
  // is refused too rather than dividing by it later, and so is an absurd block size
  // (the VST2 adapter's limit): its scratch buffers would take gigabytes, and the
  // failed allocation would throw into the host.
  constexpr int32 kMaxBlockSize = 1 << 20;
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  if (!(setup.sampleRate > 0.0 && setup.sampleRate < 1.0e7) || setup.maxSamplesPerBlock <= 0 ||
      setup.maxSamplesPerBlock > kMaxBlockSize)
    return kResultFalse;
  ScopedLock hold(InstanceLock());
  SetSampleRate(setup.sampleRate);
  SetBypassed(false);
  ChangeBlockSize(setup.maxSamplesPerBlock);
  OnReset();
  return SingleComponentEffect::setupProcessing(setup);
}

tresult PLUGIN_API Vst3Plugin::setProcessing(TBool) { return kNotImplemented; }

uint32 PLUGIN_API Vst3Plugin::getProcessContextRequirements() {
  using R = IProcessContextRequirements;
  return R::kNeedTempo | R::kNeedTransportState | R::kNeedTimeSignature | R::kNeedBarPositionMusic |
         R::kNeedCycleMusic | R::kNeedProjectTimeMusic;
}

// ---- Host-facing operations ----------------------------------------------------------

void Vst3Plugin::BeginParamEdit(int index) { BeginEdit(static_cast<ParamID>(index)); }
void Vst3Plugin::ReportParamValue(int index, double normalised) {
  if (index >= 0 && index < static_cast<int>(editorEchoes_.size()))
    editorEchoes_[static_cast<size_t>(index)].Push(normalised);
  PerformEdit(static_cast<ParamID>(index), normalised);
}

void Vst3Plugin::PendingEchoes::Push(double value) {
  if (count == kCapacity) {  // the oldest is dropped
    for (int i = 1; i < kCapacity; ++i) values[i - 1] = values[i];
    --count;
  }
  values[count++] = value;
}

bool Vst3Plugin::PendingEchoes::Consume(double value) {
  if (count == 0) return false;
  if (values[0] != value) {
    count = 0;
    return false;
  }
  for (int i = 1; i < count; ++i) values[i - 1] = values[i];
  --count;
  return true;
}

void Vst3Plugin::EndParamEdit(int index) { EndEdit(static_cast<ParamID>(index)); }

bool Vst3Plugin::IsOfflineRender() { return LastSetup().processMode == kOffline; }
int Vst3Plugin::HostSamplePos() { return static_cast<int>(static_cast<uint32>(processContext_.projectTimeSamples)); }
double Vst3Plugin::HostTempo() { return processContext_.tempo; }

void Vst3Plugin::HostTimeSignature(int* numerator, int* denominator) {
  if (numerator != nullptr) *numerator = processContext_.timeSigNumerator;
  if (denominator != nullptr) *denominator = processContext_.timeSigDenominator;
}

void Vst3Plugin::HostTransport(TransportInfo* info) {
  if (info == nullptr) return;
  const ProcessContext& c = processContext_;
  info->tempoBpm = c.tempo;
  info->samplePos = static_cast<double>(c.projectTimeSamples);
  info->ppqPos = c.projectTimeMusic;
  info->barStartPpq = c.barPositionMusic;
  info->cycleStartPpq = c.cycleStartMusic;
  info->cycleEndPpq = c.cycleEndMusic;
  info->timeSigNumerator = c.timeSigNumerator;
  info->timeSigDenominator = c.timeSigDenominator;
  info->running = (c.state & ProcessContext::kPlaying) != 0;
  info->cycleActive = (c.state & ProcessContext::kCycleActive) != 0;
}

void Vst3Plugin::EditorResized(int width, int height) {
  if (Editor() == nullptr || views_.empty()) return;
  views_.front()->RequestResize(width, height);
}

void Vst3Plugin::ChangeLatency(int samples) {
  PluginBase::ChangeLatency(samples);
  RestartComponent(kLatencyChanged);
}

void Vst3Plugin::ShowHostParamMenu(int index, int x, int y) {
  if (Editor() == nullptr || views_.empty() || ComponentHandler() == nullptr) return;
  IComponentHandler3* handler3 = QueryFrom<IComponentHandler3>(ComponentHandler());
  if (handler3 == nullptr) return;
  const ParamID id = static_cast<ParamID>(index);
  if (IContextMenu* menu = handler3->createContextMenu(views_.front(), &id)) {
    menu->popup(x, y);
    menu->release();
  }
  handler3->release();
}

void Vst3Plugin::AddView(Vst3PluginView* view) { views_.push_back(view); }

void Vst3Plugin::RemoveView(Vst3PluginView* view) {
  const auto found = std::find(views_.begin(), views_.end(), view);
  if (found != views_.end()) views_.erase(found);
}
