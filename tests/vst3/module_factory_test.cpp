// The module's entry point, factory and class, through the built binary.
#include <cstring>
#include <string>

#include "module_path.h"

using namespace vst3;

namespace {

std::string Bytes(const char* p, int n) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(p[i]);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

#if defined(_WIN32)
constexpr const char* kClassIdBytes = "0DE7AEF2DE004E4F" "506C6C6E" "4D727632";  // ... "Plln" "Mrv2"
#else
constexpr const char* kClassIdBytes = "F2AEE70D00DE4F4E" "506C6C6E" "4D727632";
#endif

}  // namespace

TEST(Vst3Factory, DescribesTheVendorAndOneReverbClass) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  const PFactoryInfo factory = host->FactoryInfo();
  EXPECT_STREQ(factory.vendor, "PellionAudio");
  EXPECT_EQ(factory.flags, PFactoryInfo::kUnicode);
  ASSERT_EQ(host->ClassCount(), 1);

  PClassInfo info{};
  ASSERT_EQ(host->Factory()->getClassInfo(0, &info), kResultOk);
  EXPECT_EQ(Bytes(info.cid, 16), kClassIdBytes);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_STREQ(info.category, "Audio Module Class");
  EXPECT_STREQ(info.name, "Moravelle");
  EXPECT_NE(host->Factory()->getClassInfo(1, &info), kResultOk);

  PClassInfo2 info2{};
  ASSERT_TRUE(host->ClassInfo2(0, &info2));
  EXPECT_EQ(Bytes(info2.cid, 16), kClassIdBytes);
  EXPECT_EQ(info2.classFlags, 2u);
  EXPECT_STREQ(info2.subCategories, "Fx|Reverb");
  EXPECT_STREQ(info2.vendor, "");
  EXPECT_STREQ(info2.version, "1.0.2");
  EXPECT_STREQ(info2.sdkVersion, "VST 3.6.0");
}

TEST(Vst3Factory, AnswersAllThreeVersionsAndUnicodeInfo) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  void* factory3 = nullptr;
  ASSERT_EQ(host->Factory()->queryInterface(IPluginFactory3::iid.bytes, &factory3), kResultOk);
  PClassInfoW info{};
  ASSERT_EQ(static_cast<IPluginFactory3*>(factory3)->getClassInfoUnicode(0, &info), kResultOk);
  EXPECT_EQ(std::u16string(info.name), u"Moravelle");
  EXPECT_EQ(std::u16string(info.sdkVersion), u"VST 3.6.0");
  EXPECT_STREQ(info.subCategories, "Fx|Reverb");
  EXPECT_EQ(Bytes(info.cid, 16), kClassIdBytes);
  static_cast<IPluginFactory3*>(factory3)->release();

  void* unknown = reinterpret_cast<void*>(1);
  EXPECT_EQ(host->Factory()->queryInterface(IComponent::iid.bytes, &unknown), kNoInterface);
  EXPECT_EQ(unknown, nullptr);
}

TEST(Vst3Factory, CreatesInstancesForEveryInterfaceAndRefusesUnknownIds) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  PClassInfo info{};
  ASSERT_EQ(host->Factory()->getClassInfo(0, &info), kResultOk);
  for (const Uid* iid : {&FUnknown::iid, &IComponent::iid, &IAudioProcessor::iid, &IEditController::iid}) {
    void* object = nullptr;
    ASSERT_EQ(host->Factory()->createInstance(info.cid, iid->bytes, &object), kResultOk);
    ASSERT_NE(object, nullptr);
    // The last reference goes with this release.
    EXPECT_EQ(static_cast<FUnknown*>(object)->release(), 0u);
  }
  void* object = reinterpret_cast<void*>(1);
  char wrongClass[16];
  std::memcpy(wrongClass, info.cid, 16);
  wrongClass[15] ^= 1;
  EXPECT_NE(host->Factory()->createInstance(wrongClass, IComponent::iid.bytes, &object), kResultOk);
  EXPECT_EQ(object, nullptr);
  EXPECT_NE(host->Factory()->createInstance(info.cid, IPlugView::iid.bytes, &object), kResultOk);
  EXPECT_EQ(object, nullptr);
}

TEST(Vst3Factory, LoadsFromTheBundleFolderToo) {
  std::string error;
  auto host = host3::Vst3Host::Load(BundlePath(), &error);
  ASSERT_TRUE(host) << error;
  EXPECT_EQ(host->ClassCount(), 1);
}

TEST(Vst3Component, AnswersTheSingleComponentInterfacesWithOneIdentity) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  FUnknown* component = host->Component();
  void* identity = nullptr;
  ASSERT_EQ(component->queryInterface(FUnknown::iid.bytes, &identity), kResultOk);
  for (const Uid* iid : {&IPluginBase::iid, &IComponent::iid, &IAudioProcessor::iid, &IEditController::iid,
                         &IEditController2::iid, &IConnectionPoint::iid, &IUnitInfo::iid,
                         &IProcessContextRequirements::iid}) {
    void* answer = nullptr;
    ASSERT_EQ(component->queryInterface(iid->bytes, &answer), kResultOk);
    void* back = nullptr;
    ASSERT_EQ(static_cast<FUnknown*>(answer)->queryInterface(FUnknown::iid.bytes, &back), kResultOk);
    EXPECT_EQ(back, identity);
    static_cast<FUnknown*>(back)->release();
    static_cast<FUnknown*>(answer)->release();
  }
  static_cast<FUnknown*>(identity)->release();
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(component->queryInterface(IPlugView::iid.bytes, &none), kNoInterface);
  EXPECT_EQ(none, nullptr);

  TUID controllerClass{};
  EXPECT_EQ(host->Component()->getControllerClassId(controllerClass), kNotImplemented);
  EXPECT_EQ(host->Controller()->setComponentState(nullptr), kNotImplemented);
  EXPECT_EQ(host->Component()->setIoMode(kOfflineProcessing), kNotImplemented);
}

TEST(Vst3Component, AsksForTempoTransportTimeSignatureBarAndCycle) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  auto* requirements = QueryFrom<IProcessContextRequirements>(host->Component());
  ASSERT_NE(requirements, nullptr);
  const uint32 flags = requirements->getProcessContextRequirements();
  requirements->release();
  using R = IProcessContextRequirements;
  for (uint32 needed : {uint32(R::kNeedTempo), uint32(R::kNeedTransportState), uint32(R::kNeedTimeSignature),
                        uint32(R::kNeedBarPositionMusic), uint32(R::kNeedCycleMusic)})
    EXPECT_NE(flags & needed, 0u) << needed;
}

TEST(Vst3Component, HasStereoInOutAndAMidiInputBus) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  IComponent* c = host->Component();
  ASSERT_EQ(c->getBusCount(kAudio, kInput), 1);
  ASSERT_EQ(c->getBusCount(kAudio, kOutput), 1);
  ASSERT_EQ(c->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(c->getBusCount(kEvent, kOutput), 0);
  BusInfo bus{};
  ASSERT_EQ(c->getBusInfo(kAudio, kInput, 0, bus), kResultOk);
  EXPECT_EQ(std::u16string(bus.name), u"Main Input");
  EXPECT_EQ(bus.channelCount, 2);
  EXPECT_EQ(bus.busType, kMain);
  EXPECT_EQ(bus.flags, BusInfo::kDefaultActive);
  ASSERT_EQ(c->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
  EXPECT_EQ(std::u16string(bus.name), u"Output");
  EXPECT_EQ(bus.channelCount, 2);
  ASSERT_EQ(c->getBusInfo(kEvent, kInput, 0, bus), kResultOk);
  EXPECT_EQ(std::u16string(bus.name), u"MIDI Input");
  EXPECT_NE(c->getBusInfo(kAudio, kInput, 1, bus), kResultOk);
  EXPECT_NE(c->getBusInfo(kAudio, kOutput, -1, bus), kResultOk);
  SpeakerArrangement arrangement = 0;
  ASSERT_EQ(host->Processor()->getBusArrangement(kOutput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, SpeakerArr::kStereo);
}

TEST(Vst3Component, RefusesBusArrangementsNoConfigurationAllows) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  IAudioProcessor* p = host->Processor();
  SpeakerArrangement mono = SpeakerArr::kMono;
  SpeakerArrangement surround = SpeakerArr::k51;
  SpeakerArrangement stereoIn = SpeakerArr::kStereo;
  SpeakerArrangement stereoOut = SpeakerArr::kStereo;
  EXPECT_EQ(p->setBusArrangements(&mono, 1, &surround, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(&mono, 1, &stereoOut, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(&stereoIn, 1, &surround, 1), kResultFalse);
  SpeakerArrangement arrangement = 0;
  ASSERT_EQ(p->getBusArrangement(kInput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, SpeakerArr::kStereo);
  EXPECT_EQ(p->setBusArrangements(&stereoIn, 1, &stereoOut, 1), kResultTrue);
  // The accepted request leaves a plug-in that still processes.
  ASSERT_TRUE(host->Setup(44100.0, 64, kSample32));
  float left[64] = {0.5f}, right[64] = {0.25f}, outL[64], outR[64];
  const float* in[2] = {left, right};
  float* out[2] = {outL, outR};
  EXPECT_TRUE(host->Process32(in, out, 64));
}

TEST(Vst3Component, SampleSizesAreThirtyTwoAndSixtyFourBitOnly) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  IAudioProcessor* p = host->Processor();
  EXPECT_EQ(p->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(2), kResultFalse);
  EXPECT_EQ(p->canProcessSampleSize(-1), kResultFalse);
  ProcessSetup wrong{kRealtime, 2, 512, 48000.0};
  EXPECT_EQ(p->setupProcessing(wrong), kResultFalse);
  ProcessSetup noRate{kRealtime, kSample32, 512, 0.0};
  EXPECT_EQ(p->setupProcessing(noRate), kResultFalse);
  ProcessSetup noBlock{kRealtime, kSample32, 0, 48000.0};
  EXPECT_EQ(p->setupProcessing(noBlock), kResultFalse);
  EXPECT_EQ(p->getLatencySamples(), 0u);
}
