// Loading, opening, setup and closing of a hosted VST2 plug-in.
#include <cstring>

#include "hosts/common/plugin_module.h"
#include "vst2_host.h"

namespace {
// The instance whose entry point is running: the plug-in may call the host before
// the host has had a chance to put its pointer into the record.
thread_local Vst2HostedPlugin* tLoading = nullptr;
}  // namespace

std::unique_ptr<Vst2HostedPlugin> Vst2HostedPlugin::Load(const std::string& path, std::string* error,
                                                         const Vst2HostOptions& options) {
  std::string ignored;
  std::string& reason = error != nullptr ? *error : ignored;
  std::unique_ptr<Vst2HostedPlugin> host(new Vst2HostedPlugin());
  host->options_ = options;
  host->module_ = PluginModule::Open(path, &reason);
  if (!host->module_) return nullptr;

  const char* names[2] = {"VSTPluginMain", "main"};
  if (options.legacyMainFirst) std::swap(names[0], names[1]);
  VstPluginMainProc entry = nullptr;
  for (const char* name : names) {
    entry = reinterpret_cast<VstPluginMainProc>(host->module_->Symbol(name));
    if (entry != nullptr) {
      host->entryPointUsed_ = name;
      break;
    }
  }
  if (entry == nullptr) {
    reason = "no VSTPluginMain or main: not a VST2 plug-in";
    return nullptr;
  }

  tLoading = host.get();
  AEffect* effect = entry(&Vst2HostedPlugin::HostCallback);
  tLoading = nullptr;
  if (effect == nullptr) {
    reason = "the entry point returned no effect";
    return nullptr;
  }
  if (effect->magic != kEffectMagic) {
    reason = "the effect record has the wrong magic";
    return nullptr;  // an unknown record is not closed: we cannot trust its dispatcher
  }
  host->effect_ = effect;
  // Like real hosts, keep our own pointer in the record; each of these fields is
  // taken by some host, so a plug-in must survive all three being written.
  effect->resvd1 = reinterpret_cast<intptr_t>(host.get());
  effect->resvd2 = reinterpret_cast<intptr_t>(host.get());
  effect->user = host.get();

  host->timeInfo_.sampleRate = options.sampleRate;
  host->timeInfo_.tempo = 120.0;
  host->timeInfo_.timeSigNumerator = 4;
  host->timeInfo_.timeSigDenominator = 4;
  host->timeInfo_.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
  if (options.setupBeforeOpen) {
    host->SetSampleRate(options.sampleRate);
    host->SetBlockSize(options.blockSize);
  }
  host->Dispatch(effOpen);
  host->Dispatch(effGetVstVersion);
  host->SetSampleRate(options.sampleRate);
  host->SetBlockSize(options.blockSize);
  return host;
}

Vst2HostedPlugin::~Vst2HostedPlugin() {
  if (effect_ != nullptr) {
    if (active_) Suspend();
    Dispatch(effClose);
    effect_ = nullptr;
  }
  module_.reset();
}

intptr_t Vst2HostedPlugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

intptr_t Vst2HostedPlugin::HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                        void* ptr, float opt) {
  Vst2HostedPlugin* host = nullptr;
  if (effect != nullptr && effect->resvd1 != 0 && effect->magic == kEffectMagic) {
    host = reinterpret_cast<Vst2HostedPlugin*>(effect->resvd1);
  } else {
    host = tLoading;
  }
  if (host == nullptr) {
    // Before any instance is known only the host's version can be told.
    return opcode == audioMasterVersion ? kVstVersion : 0;
  }
  return host->Answer(opcode, index, value, ptr, opt);
}

void Vst2HostedPlugin::SetSampleRate(double hz) {
  const bool wasActive = active_ && !options_.changeSetupWhileRunning;
  if (wasActive) Suspend();
  sampleRate_ = hz;
  timeInfo_.sampleRate = hz;
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(hz));
  if (wasActive) Resume();
}

void Vst2HostedPlugin::SetBlockSize(int frames) {
  const bool wasActive = active_ && !options_.changeSetupWhileRunning;
  if (wasActive) Suspend();
  blockSize_ = frames;
  Dispatch(effSetBlockSize, 0, frames);
  if (wasActive) Resume();
}

void Vst2HostedPlugin::Resume() {
  if (active_) return;
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  active_ = true;
}

void Vst2HostedPlugin::Suspend() {
  if (!active_) return;
  Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  active_ = false;
}

bool Vst2HostedPlugin::CanProcessDouble() const {
  return (effect_->flags & effFlagsCanDoubleReplacing) != 0 && effect_->processDoubleReplacing != nullptr;
}

void Vst2HostedPlugin::ClearLogs() {
  callbackLog_.clear();
  midiFromPlugin_.clear();
  wantMidiCount_ = 0;
  getTimeCount_ = 0;
}
