// Vst3BinaryTarget against the built bundle: which paths count as VST3, the class
// recognised as Moravelle's, and the plain values the plug-in ends up holding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "hosts/vst3/vst3_host.h"
#include "tools/render/param_assignment.h"
#include "tools/render/target_choice.h"
#include "tools/render/vst3_binary_target.h"

namespace {

std::unique_ptr<Vst3BinaryTarget> LoadBundle() {
  std::unique_ptr<Vst3BinaryTarget> target;
  const Status status = Vst3BinaryTarget::Load(MORAVELLE_VST3_BUNDLE_PATH, &target);
  EXPECT_TRUE(status.ok()) << status.message();
  return target;
}

// The plain value of effect parameter i as the plug-in stores it in its state.
double HeldValue(Vst3BinaryTarget& target, int effectIndex) {
  const std::vector<unsigned char> state = target.Host().GetState();
  double value = 0.0;
  EXPECT_GE(state.size(), static_cast<size_t>(effectIndex + 1) * sizeof value);
  if (state.size() >= static_cast<size_t>(effectIndex + 1) * sizeof value)
    std::memcpy(&value, state.data() + static_cast<size_t>(effectIndex) * sizeof value, sizeof value);
  return value;
}

TEST(Vst3TargetChoice, VstThreePathsAreBundleFoldersAndDotVst3Files) {
  EXPECT_TRUE(IsVst3Path("/x/Moravelle.vst3"));
  EXPECT_TRUE(IsVst3Path("/x/Moravelle.vst3/"));
  EXPECT_TRUE(IsVst3Path("Moravelle.vst3"));
  EXPECT_FALSE(IsVst3Path("/x/Moravelle.so"));
  EXPECT_FALSE(IsVst3Path("/x/Moravelle.vst3/Contents/x86_64-linux/Moravelle.so"));
  EXPECT_FALSE(IsVst3Path(".vst3"));
  EXPECT_FALSE(IsVst3Path("/x/vst3"));
}

TEST(Vst3BinaryTarget, RecognisesMoravelleAndOffersSixtyFourBits) {
  std::unique_ptr<Vst3BinaryTarget> target = LoadBundle();
  ASSERT_TRUE(target);
  EXPECT_TRUE(target->IsMoravelle());
  EXPECT_TRUE(target->ProcessesDouble());
  EXPECT_EQ(target->Units(), ParamUnits::Plain);
  ASSERT_EQ(target->ParamCount(), 33);
  EXPECT_EQ(FindParamByName(*target, "ReverbRoomSize"), 31);
  EXPECT_EQ(target->DescribeParam(31).id, 29u);
}

TEST(Vst3BinaryTarget, PlainValuesArriveAfterTheFirstBlockAsCloseAsANormalisedValueAllows) {
  std::unique_ptr<Vst3BinaryTarget> target = LoadBundle();
  ASSERT_TRUE(target);
  // Values on 0..1, whole numbers and many others arrive exactly. For ranges other than
  // 0..1 some do not: no normalised value maps back to 1.95 on 0..3 or 8.9 on 1..16;
  // the nearest values the plug-in can hold are one unit in the last place away.
  struct Case {
    const char* name;
    int effectIndex;
    double plain;
    bool exact;
  } cases[] = {{"PreampInputMode", 16, 1.95, false},
               {"ReverbRoomSize", 29, 0.123456789, true},
               {"HostBarStartPulse", 7, 0.3, true},
               {"AmpFilterMode", 4, 1.0, true},
               {"MidiChannelInput", 10, 8.9, false},
               {"PresetSelector", 21, 0.1, false}};
  for (const Case& c : cases) {
    const int index = FindParamByName(*target, c.name);
    ASSERT_GE(index, 0) << c.name;
    EXPECT_TRUE(target->SetParamValue(index, c.plain).ok()) << c.name;
  }
  target->Prepare(44100.0, 64);
  std::vector<double> left(64, 0.0), right(64, 0.0), outLeft(64), outRight(64);
  double* in[] = {left.data(), right.data()};
  double* out[] = {outLeft.data(), outRight.data()};
  target->Process64(in, out, 64);
  for (const Case& c : cases) {
    // The reset sets PresetSelector back to 0, as it does in every host.
    if (c.effectIndex == 21) {
      EXPECT_EQ(HeldValue(*target, c.effectIndex), 0.0);
      continue;
    }
    const double held = HeldValue(*target, c.effectIndex);
    if (c.exact) {
      EXPECT_EQ(held, c.plain) << c.name;
    } else {
      EXPECT_GE(held, std::nextafter(c.plain, -HUGE_VAL)) << c.name;
      EXPECT_LE(held, std::nextafter(c.plain, HUGE_VAL)) << c.name;
    }
  }
  // A change between blocks goes with the next block.
  ASSERT_TRUE(target->SetParamValue(FindParamByName(*target, "ReverbDamp"), 0.7).ok());
  target->Process64(in, out, 64);
  EXPECT_EQ(HeldValue(*target, 22), 0.7);
}

}  // namespace
