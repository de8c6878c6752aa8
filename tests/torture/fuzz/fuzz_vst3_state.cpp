// libFuzzer target: the VST3 component state (setState) from a stream that
// behaves as the fuzzer says: honest, in short reads, failing part way, or
// claiming more bytes than it gave. The state is then read back and a block of
// 32-bit and 64-bit audio processed.
#include <cstdint>
#include <cstring>
#include <vector>

#include "adapters/vst3/vst3_entry.h"
#include "fuzz_input.h"
#include "host_objects.h"

using namespace vst3;

namespace {

class FuzzStream : public FObject, public IBStream {
 public:
  FuzzStream(const uint8_t* data, size_t size, uint8_t behaviour)
      : bytes_(data, data + size), behaviour_(behaviour) {}
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknown::iid.Matches(iid) || IBStream::iid.Matches(iid)) return AnswerQuery<IBStream>(this, obj);
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    if (numBytes < 0) return kInvalidArgument;
    const size_t left = bytes_.size() - pos_;
    size_t n = static_cast<size_t>(numBytes) < left ? static_cast<size_t>(numBytes) : left;
    const int mode = behaviour_ & 3;
    if (mode == 1 && n > 3) n = 1 + (behaviour_ >> 2) % 3;  // short reads
    if (mode == 2 && pos_ >= static_cast<size_t>(behaviour_ >> 2)) return kResultFalse;
    if (n > 0) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (numBytesRead != nullptr) *numBytesRead = static_cast<int32>(mode == 3 ? n + (behaviour_ >> 2) : n);
    return kResultOk;
  }
  tresult PLUGIN_API write(void*, int32, int32* written) override {
    if (written != nullptr) *written = 0;
    return kResultFalse;
  }
  tresult PLUGIN_API seek(int64, int32, int64*) override { return kResultFalse; }
  tresult PLUGIN_API tell(int64* pos) override {
    if (pos != nullptr) *pos = static_cast<int64>(pos_);
    return kResultOk;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
  uint8_t behaviour_;
};

struct Instance {
  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  host3::HostApplication* host = nullptr;

  Instance() {
    IPluginFactory* factory = GetPluginFactory();
    void* object = nullptr;
    const Uid cid = MoravelleClassId();
    factory->createInstance(cid.bytes, IComponent::iid.bytes, &object);
    factory->release();
    component = static_cast<IComponent*>(object);
    host = new host3::HostApplication(u"Fuzz");
    component->initialize(static_cast<IHostApplication*>(host));
    void* p = nullptr;
    component->queryInterface(IAudioProcessor::iid.bytes, &p);
    processor = static_cast<IAudioProcessor*>(p);
    SpeakerArrangement in = SpeakerArr::kStereo, out = SpeakerArr::kStereo;
    processor->setBusArrangements(&in, 1, &out, 1);
    ProcessSetup setup{kRealtime, kSample32, 64, 44100.0};
    processor->setupProcessing(setup);
    component->setActive(1);
  }

  template <typename Sample>
  void Process() {
    Sample l[64] = {}, r[64] = {};
    for (int i = 0; i < 64; ++i) l[i] = r[i] = static_cast<Sample>((i % 5) * 0.2 - 0.4);
    Sample* channels[2] = {l, r};
    AudioBusBuffers bus{};
    bus.numChannels = 2;
    if constexpr (sizeof(Sample) == 4) {
      bus.channelBuffers32 = channels;
    } else {
      bus.channelBuffers64 = channels;
    }
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = sizeof(Sample) == 4 ? kSample32 : kSample64;
    data.numSamples = 64;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &bus;
    data.outputs = &bus;  // in place
    processor->process(data);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Instance instance;
  static std::vector<unsigned char> defaults = [] {
    auto* stream = new host3::MemoryStream();
    instance.component->getState(stream);
    std::vector<unsigned char> bytes = stream->Bytes();
    stream->release();
    return bytes;
  }();
  {
    auto* reset = new host3::MemoryStream(defaults);
    instance.component->setState(reset);
    reset->release();
  }
  if (size == 0) return 0;
  auto* stream = new FuzzStream(data + 1, size - 1, data[0]);
  instance.component->setState(stream);
  stream->release();

  auto* out = new host3::MemoryStream();
  instance.component->getState(out);
  if (out->Bytes().size() != defaults.size()) __builtin_trap();  // the state's size never changes
  out->release();
  instance.Process<float>();
  return 0;
}
