#include "vst3_host.h"

#include <cstring>

#include "abi/vst3/text16.h"

using namespace vst3;

namespace host3 {
namespace {

constexpr const char* kAudioModuleCategory = "Audio Module Class";

template <typename Interface>
Interface* Query(FUnknown* object) {
  return QueryFrom<Interface>(object);
}

std::string Narrow(const char16* text) {
  char buffer[256];
  NarrowText(buffer, sizeof buffer, text);
  return buffer;
}

}  // namespace

std::unique_ptr<Vst3Host> Vst3Host::Load(const std::string& path, std::string* error, const LoadOptions& options) {
  auto fail = [error](const std::string& why) -> std::unique_ptr<Vst3Host> {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  std::unique_ptr<Vst3Host> host(new Vst3Host());
  host->module_ = Vst3Module::Open(path, error);
  if (!host->module_) return nullptr;
  host->hostApp_ = new HostApplication(options.hostName);
  host->handler_ = new ComponentHandler();
  host->changes_ = new ParameterChanges();
  host->events_ = new EventList();

  IPluginFactory* factory = host->module_->Factory();
  if (IPluginFactory3* factory3 = Query<IPluginFactory3>(factory)) {
    factory3->setHostContext(static_cast<IHostApplication*>(host->hostApp_));
    factory3->release();
  }
  PClassInfo info{};
  if (options.classIndex >= 0) {
    if (factory->getClassInfo(options.classIndex, &info) != kResultOk) return fail("no class at that index");
  } else {
    // A module may also list controller or other classes; an effect host wants the processor.
    bool found = false;
    for (int32 i = 0; i < factory->countClasses() && !found; ++i)
      found = factory->getClassInfo(i, &info) == kResultOk &&
              std::strncmp(info.category, kAudioModuleCategory, sizeof info.category) == 0;
    if (!found) return fail("no \"" + std::string(kAudioModuleCategory) + "\" class in the module");
  }
  host->loadedClass_ = info;
  void* object = nullptr;
  if (factory->createInstance(info.cid, IComponent::iid.bytes, &object) != kResultOk || object == nullptr)
    return fail("createInstance failed");
  host->component_ = static_cast<IComponent*>(object);
  if (host->component_->initialize(static_cast<IHostApplication*>(host->hostApp_)) != kResultOk)
    return fail("initialize failed");  // released without terminate, as the interface asks
  host->initialized_ = true;
  host->controller_ = Query<IEditController>(host->component_);
  host->processor_ = Query<IAudioProcessor>(host->component_);
  if (host->controller_ == nullptr || host->processor_ == nullptr)
    return fail("not a single-component effect with an audio processor");
  host->controller_->setComponentHandler(host->handler_);
  host->componentConnection_ = Query<IConnectionPoint>(host->component_);
  host->controllerConnection_ = Query<IConnectionPoint>(host->controller_);
  if (host->componentConnection_ != nullptr && host->controllerConnection_ != nullptr) {
    host->componentConnection_->connect(host->controllerConnection_);
    host->controllerConnection_->connect(host->componentConnection_);
  }
  // Synchronise the controller with the component, as hosts do after creation.
  MemoryStream* stream = new MemoryStream();
  if (host->component_->getState(stream) == kResultOk) {
    stream->Rewind();
    host->controller_->setComponentState(stream);
  }
  stream->release();
  return host;
}

Vst3Host::~Vst3Host() {
  if (processor_ != nullptr && active_) {
    processor_->setProcessing(0);
    component_->setActive(0);
  }
  if (componentConnection_ != nullptr && controllerConnection_ != nullptr) {
    componentConnection_->disconnect(controllerConnection_);
    controllerConnection_->disconnect(componentConnection_);
  }
  for (FUnknown* held : std::initializer_list<FUnknown*>{componentConnection_, controllerConnection_, processor_,
                                                          controller_}) {
    if (held != nullptr) held->release();
  }
  if (component_ != nullptr) {
    if (initialized_) component_->terminate();
    component_->release();
  }
  for (FObject* own : std::initializer_list<FObject*>{hostApp_, handler_, changes_, events_})
    if (own != nullptr) own->ReleaseReference();
  module_.reset();  // factory release, exit function, unload: after every instance is gone
}

PFactoryInfo Vst3Host::FactoryInfo() const {
  PFactoryInfo info{};
  Factory()->getFactoryInfo(&info);
  return info;
}

int Vst3Host::ClassCount() const { return Factory()->countClasses(); }

bool Vst3Host::ClassInfo2(int index, PClassInfo2* info) const {
  IPluginFactory2* factory2 = Query<IPluginFactory2>(Factory());
  if (factory2 == nullptr) return false;
  const bool ok = factory2->getClassInfo2(index, info) == kResultOk;
  factory2->release();
  return ok;
}

std::vector<ParamSummary> Vst3Host::Params() const {
  std::vector<ParamSummary> list;
  const int32 count = controller_->getParameterCount();
  for (int32 i = 0; i < count; ++i) {
    ParameterInfo info{};
    if (controller_->getParameterInfo(i, info) != kResultOk) continue;
    list.push_back({info.id, Narrow(info.title), Narrow(info.units), info.stepCount, info.defaultNormalizedValue,
                    info.unitId, info.flags});
  }
  return list;
}

double Vst3Host::ParamNormalized(ParamID id) const { return controller_->getParamNormalized(id); }

std::string Vst3Host::ParamText(ParamID id, double normalized) const {
  String128 text{};
  if (controller_->getParamStringByValue(id, normalized, text) != kResultOk) return {};
  return Narrow(text);
}

bool Vst3Host::Setup(double sampleRate, int maxBlock, int sampleSize, int processMode) {
  if (active_) {
    processor_->setProcessing(0);
    component_->setActive(0);
    active_ = false;
  }
  for (MediaType media : {kAudio, kEvent})
    for (BusDirection dir : {kInput, kOutput})
      for (int32 b = 0; b < component_->getBusCount(media, dir); ++b) component_->activateBus(media, dir, b, 1);
  SpeakerArrangement in = SpeakerArr::kStereo;
  SpeakerArrangement out = SpeakerArr::kStereo;
  processor_->setBusArrangements(&in, 1, &out, 1);
  if (processor_->canProcessSampleSize(sampleSize) != kResultTrue) {
    lastError_ = "sample size not supported";
    return false;
  }
  if (IProcessContextRequirements* requirements = Query<IProcessContextRequirements>(processor_)) {
    requirements->getProcessContextRequirements();
    requirements->release();
  }
  ProcessSetup setup{processMode, sampleSize, maxBlock, sampleRate};
  if (processor_->setupProcessing(setup) != kResultOk) {
    lastError_ = "setupProcessing refused";
    return false;
  }
  if (component_->setActive(1) != kResultOk) {
    lastError_ = "setActive refused";
    return false;
  }
  processor_->setProcessing(1);  // a plug-in may answer kNotImplemented; hosts go on
  sampleSize_ = sampleSize;
  processMode_ = processMode;
  active_ = true;
  return true;
}

bool Vst3Host::SetupWhileProcessing(double sampleRate, int maxBlock) {
  if (!active_) {
    lastError_ = "not processing";
    return false;
  }
  ProcessSetup setup{processMode_, sampleSize_, maxBlock, sampleRate};
  if (processor_->setupProcessing(setup) != kResultOk) {
    lastError_ = "setupProcessing refused";
    return false;
  }
  return true;
}

void Vst3Host::QueueParam(ParamID id, double normalized, int sampleOffset) {
  int32 index = 0;
  if (IParamValueQueue* queue = changes_->addParameterData(id, index)) queue->addPoint(sampleOffset, normalized, index);
  controller_->setParamNormalized(id, normalized);
}

void Vst3Host::QueueNoteOn(int channel, int pitch, float velocity, int sampleOffset) {
  Event e{};
  e.sampleOffset = sampleOffset;
  e.type = Event::kNoteOnEvent;
  e.noteOn.channel = static_cast<int16>(channel);
  e.noteOn.pitch = static_cast<int16>(pitch);
  e.noteOn.velocity = velocity;
  e.noteOn.noteId = -1;
  events_->addEvent(e);
}

void Vst3Host::QueueNoteOff(int channel, int pitch, int sampleOffset) {
  Event e{};
  e.sampleOffset = sampleOffset;
  e.type = Event::kNoteOffEvent;
  e.noteOff.channel = static_cast<int16>(channel);
  e.noteOff.pitch = static_cast<int16>(pitch);
  e.noteOff.noteId = -1;
  events_->addEvent(e);
}

void Vst3Host::SetProcessContext(const ProcessContext& context) {
  context_ = context;
  hasContext_ = true;
}

template <typename Sample>
bool Vst3Host::ProcessBlock(Sample* const* inputs, Sample* const* outputs, int frames, int sampleSize) {
  if (!active_ || sampleSize != sampleSize_) {
    lastError_ = "not set up for this sample size";
    return false;
  }
  const int32 inBuses = component_->getBusCount(kAudio, kInput);
  const int32 outBuses = component_->getBusCount(kAudio, kOutput);
  std::vector<AudioBusBuffers> in(static_cast<size_t>(inBuses));
  std::vector<AudioBusBuffers> out(static_cast<size_t>(outBuses));
  auto fill = [&](std::vector<AudioBusBuffers>& buses, BusDirection dir, Sample* const* arrays) {
    for (size_t b = 0; b < buses.size(); ++b) {
      BusInfo info{};
      component_->getBusInfo(kAudio, dir, static_cast<int32>(b), info);
      AudioBusBuffers& bus = buses[b];
      std::memset(&bus, 0, sizeof bus);
      // Only the first bus carries the caller's channels; others get none.
      bus.numChannels = b == 0 && arrays != nullptr ? info.channelCount : 0;
      if constexpr (sizeof(Sample) == sizeof(float)) {
        bus.channelBuffers32 = b == 0 ? const_cast<Sample32**>(arrays) : nullptr;
      } else {
        bus.channelBuffers64 = b == 0 ? const_cast<Sample64**>(arrays) : nullptr;
      }
    }
  };
  fill(in, kInput, inputs);
  fill(out, kOutput, outputs);
  if (!in.empty()) in[0].silenceFlags = inputSilence_;
  for (AudioBusBuffers& bus : out) bus.silenceFlags = staleOutputSilence_;
  ProcessData data{};
  data.processMode = processMode_;
  data.symbolicSampleSize = sampleSize;
  data.numSamples = frames;
  data.numInputs = inBuses;
  data.numOutputs = outBuses;
  data.inputs = in.empty() ? nullptr : in.data();
  data.outputs = out.empty() ? nullptr : out.data();
  data.inputParameterChanges = sendChangeLists_ ? changes_ : nullptr;
  data.inputEvents = sendChangeLists_ ? events_ : nullptr;
  data.processContext = hasContext_ ? &context_ : nullptr;
  const tresult result = processor_->process(data);
  outputSilence_ = out.empty() ? 0 : out[0].silenceFlags;
  if (sendChangeLists_) {
    changes_->Clear();
    events_->Clear();
  }
  if (hasContext_ && frames > 0) context_.projectTimeSamples += frames;
  return result == kResultOk;
}

bool Vst3Host::Process32(const float* const* inputs, float* const* outputs, int frames) {
  return ProcessBlock<float>(const_cast<float* const*>(inputs), outputs, frames, kSample32);
}

bool Vst3Host::Process64(double* const* inputs, double* const* outputs, int frames) {
  return ProcessBlock<double>(inputs, outputs, frames, kSample64);
}

bool Vst3Host::Flush() {
  if (sampleSize_ == kSample64) return ProcessBlock<double>(nullptr, nullptr, 0, kSample64);
  return ProcessBlock<float>(nullptr, nullptr, 0, kSample32);
}

void Vst3Host::SetSilenceFlags(uint64 input, uint64 staleOutput) {
  inputSilence_ = input;
  staleOutputSilence_ = staleOutput;
}

std::vector<unsigned char> Vst3Host::GetState(tresult* result) {
  MemoryStream* stream = new MemoryStream();
  const tresult r = component_->getState(stream);
  if (result != nullptr) *result = r;
  std::vector<unsigned char> bytes = stream->Bytes();
  stream->release();
  return bytes;
}

tresult Vst3Host::SetState(const std::vector<unsigned char>& bytes) {
  MemoryStream* stream = new MemoryStream(bytes);
  const tresult r = component_->setState(stream);
  stream->release();
  return r;
}

}  // namespace host3
