// The hand-declared VST 3 interface against the published binary facts: stored ID
// bytes per platform, result codes and vtable slots. Struct sizes and offsets are
// static_asserts in the headers themselves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "abi/vst3/vst3_component.h"
#include "abi/vst3/vst3_controller.h"
#include "abi/vst3/vst3_processor.h"

using namespace vst3;

namespace {

std::string Hex(const Uid& id) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : id.bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// With the Itanium C++ ABI (GCC, also MinGW) a pointer to a virtual member function
// stores 1 + the byte offset of its vtable entry in its first word.
template <typename F>
long Slot(F member) {
  static_assert(sizeof(F) == 16);
  unsigned long long words[2];
  std::memcpy(words, &member, sizeof words);
  return static_cast<long>((words[0] - 1) / sizeof(void*));
}

}  // namespace

TEST(Vst3Ids, StoredBytesFollowThePlatformRule) {
#if defined(_WIN32)
  EXPECT_EQ(Hex(IComponent::iid), "31FF31E8D5F20143928EBBEE25697802");
  EXPECT_EQ(Hex(IAudioProcessor::iid), "993F0442DAB73C45A569E79D9AAEC33D");
  EXPECT_EQ(Hex(IEditController::iid), "E3BBD7DC42778D44A874AACC979C759E");
  EXPECT_EQ(Hex(IPluginFactory3::iid), "ABA2554523C1574E9B12291036878931");
  EXPECT_EQ(Hex(IUnitInfo::iid), "B5D64B3D3A91D24FA886E768A5EB92C1");
  EXPECT_EQ(Hex(IPlugView::iid), "0725C35B60D0EA49A6151B522B755B29");
  EXPECT_EQ(Hex(IBStream::iid), "A26EBFC3993052479B6BF9901EE33E9B");
#else
  EXPECT_EQ(Hex(IComponent::iid), "E831FF31F2D54301928EBBEE25697802");
  EXPECT_EQ(Hex(IAudioProcessor::iid), "42043F99B7DA453CA569E79D9AAEC33D");
  EXPECT_EQ(Hex(IEditController::iid), "DCD7BBE37742448DA874AACC979C759E");
  EXPECT_EQ(Hex(IPluginFactory3::iid), "4555A2ABC1234E579B12291036878931");
  EXPECT_EQ(Hex(IUnitInfo::iid), "3D4BD6B5913A4FD2A886E768A5EB92C1");
  EXPECT_EQ(Hex(IPlugView::iid), "5BC32507D06049EAA6151B522B755B29");
  EXPECT_EQ(Hex(IBStream::iid), "C3BF6EA2309947529B6BF9901EE33E9B");
#endif
}

TEST(Vst3Ids, FUnknownIsTheComIUnknown) {
  EXPECT_EQ(Hex(FUnknown::iid), "0000000000000000C000000000000046");
}

TEST(Vst3Ids, MatchingComparesAllSixteenBytesIncludingZeros) {
  Uid other = FUnknown::iid;
  EXPECT_TRUE(FUnknown::iid.Matches(other.bytes));
  other.bytes[15] = 0x47;  // differs only after the leading zero bytes
  EXPECT_FALSE(FUnknown::iid.Matches(other.bytes));
  EXPECT_FALSE(FUnknown::iid.Matches(nullptr));
}

TEST(Vst3Results, CodesArePerPlatform) {
  EXPECT_EQ(kResultOk, 0);
  EXPECT_EQ(kResultTrue, 0);
  EXPECT_EQ(kResultFalse, 1);
#if defined(_WIN32)
  EXPECT_EQ(kNotImplemented, static_cast<tresult>(0x80004001u));
  EXPECT_EQ(kNoInterface, static_cast<tresult>(0x80004002u));
  EXPECT_EQ(kInvalidArgument, static_cast<tresult>(0x80070057u));
#else
  EXPECT_EQ(kNotImplemented, 3);
  EXPECT_EQ(kNoInterface, -1);
  EXPECT_EQ(kInvalidArgument, 2);
#endif
}

TEST(Vst3Vtables, SlotsAreInDeclarationOrderAfterTheBases) {
  EXPECT_EQ(Slot(&FUnknown::release), 2);
  EXPECT_EQ(Slot(&IPluginBase::terminate), 4);
  EXPECT_EQ(Slot(&IPluginFactory::createInstance), 6);
  EXPECT_EQ(Slot(&IPluginFactory3::getClassInfo2), 7);
  EXPECT_EQ(Slot(&IPluginFactory3::setHostContext), 9);
  EXPECT_EQ(Slot(&IComponent::getControllerClassId), 5);
  EXPECT_EQ(Slot(&IComponent::setActive), 11);
  EXPECT_EQ(Slot(&IComponent::getState), 13);
  EXPECT_EQ(Slot(&IAudioProcessor::setBusArrangements), 3);
  EXPECT_EQ(Slot(&IAudioProcessor::process), 9);
  EXPECT_EQ(Slot(&IAudioProcessor::getTailSamples), 10);
  EXPECT_EQ(Slot(&IEditController::setComponentState), 5);
  EXPECT_EQ(Slot(&IEditController::getParamStringByValue), 10);
  EXPECT_EQ(Slot(&IEditController::createView), 17);
  EXPECT_EQ(Slot(&IEditController2::openAboutBox), 5);
  EXPECT_EQ(Slot(&IUnitInfo::getProgramListInfo), 6);
  EXPECT_EQ(Slot(&IUnitInfo::setUnitProgramData), 14);
  EXPECT_EQ(Slot(&IPlugView::getSize), 9);
  EXPECT_EQ(Slot(&IPlugView::checkSizeConstraint), 14);
  EXPECT_EQ(Slot(&IBStream::tell), 6);
  EXPECT_EQ(Slot(&IParameterChanges::addParameterData), 5);
  EXPECT_EQ(Slot(&IParamValueQueue::addPoint), 6);
  EXPECT_EQ(Slot(&IEventList::addEvent), 5);
  EXPECT_EQ(Slot(&IComponentHandler::restartComponent), 6);
  EXPECT_EQ(Slot(&IComponentHandler3::createContextMenu), 3);
  EXPECT_EQ(Slot(&IContextMenu::popup), 7);
  EXPECT_EQ(Slot(&IHostApplication::createInstance), 4);
  EXPECT_EQ(Slot(&IConnectionPoint::notify), 5);
  EXPECT_EQ(Slot(&IProcessContextRequirements::getProcessContextRequirements), 3);
}

TEST(Vst3Types, SpeakerCountsMatchTheArrangements) {
  EXPECT_EQ(SpeakerCount(SpeakerArr::kMono), 1);
  EXPECT_EQ(SpeakerCount(SpeakerArr::kStereo), 2);
  EXPECT_EQ(SpeakerCount(SpeakerArr::k30Music), 3);
  EXPECT_EQ(SpeakerCount(SpeakerArr::kAmbi1stOrderACN), 4);
  EXPECT_EQ(SpeakerCount(SpeakerArr::k50), 5);
  EXPECT_EQ(SpeakerCount(SpeakerArr::k51), 6);
}
