// The tail estimate's rules, on the function itself; reported_tail_test holds it
// against rendered audio through the built plug-ins.
#include "effect/reverb_tail.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "effect/kernel_params.h"

namespace {

std::array<double, kKernelParamCount> Defaults() {
  std::array<double, kKernelParamCount> p{};
  for (int i = 0; i < kKernelParamCount; ++i) p[static_cast<size_t>(i)] = kKernelParamSpecs[static_cast<size_t>(i)].defaultValue;
  return p;
}

TEST(ReverbTail, IsNoneUnlessTheMasterSwitchIsOn) {
  auto p = Defaults();
  for (double off : {0.0, 0.5, 0.999}) {
    p[kReverbOffOn] = off;
    EXPECT_EQ(ReverbTailSamples(p.data(), 44100), 0) << off;
  }
  p[kReverbOffOn] = 1;
  EXPECT_GE(ReverbTailSamples(p.data(), 44100), 1);
  EXPECT_EQ(ReverbTailSamples(p.data(), 0), 0);  // a rate that runs nothing
  // Values beyond their ranges count as the kernel clamps them; NaN as the default.
  p[kReverbOffOn] = -1.6e30;
  EXPECT_EQ(ReverbTailSamples(p.data(), 44100), 0);
  p[kReverbOffOn] = 7e30;
  p[kReverbDecayTime] = std::nan("");
  p[kReverbRoomSize] = -5.0;
  auto q = Defaults();
  q[kReverbOffOn] = 1;
  EXPECT_EQ(ReverbTailSamples(p.data(), 44100), ReverbTailSamples(q.data(), 44100));
}

TEST(ReverbTail, LastsTheSameTimeAtEveryRateAndGrowsWithEachSetting) {
  auto p = Defaults();
  p[kReverbOffOn] = 1;
  p[kReverbLateReverberation] = 0.8;
  p[kReverbRoomSize] = 0.4;
  p[kReverbDecayTime] = 0.3;
  const double base = ReverbTailSeconds(p.data(), 44100);
  for (double rate : {48000.0, 96000.0, 192000.0}) EXPECT_NEAR(ReverbTailSeconds(p.data(), rate), base, 0.01 * base) << rate;
  // The decay sets it: 60 dB per decay time, 100 dB to fall.
  EXPECT_GT(base, (0.1 + 19.9 * 0.3) * 100.0 / 60.0);
  auto longer = [&](int index, double value) {
    auto q = p;
    q[static_cast<size_t>(index)] = value;
    return ReverbTailSeconds(q.data(), 44100);
  };
  EXPECT_NEAR(longer(kReverbPreDelay, 1.0) - base, 2.0, 1e-9);  // two seconds of pre-delay
  EXPECT_GT(longer(kReverbDecayTime, 0.6), base);
  EXPECT_GT(longer(kReverbRoomSize, 0.9), base);
  EXPECT_GT(longer(kPreampInputGain, 1.0), base);  // +6 dB more to fall
  EXPECT_LT(longer(kReverbDamp, 0.9), base);  // only the low band keeps ringing
  // Damping 1 holds the network's states: only the diffusers and taps ring on.
  EXPECT_LT(longer(kReverbDamp, 1.0), 2.0);
  EXPECT_EQ(ReverbTailSamples(p.data(), 1e9), INT32_MAX);  // saturates
}

}  // namespace
