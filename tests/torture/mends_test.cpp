// Through the built binaries, both formats: filters stay stable at low sample
// rates, no denormal leaves the effect (while the master switch off still passes
// the input bit for bit), and a flood of controller messages is survived.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "effect/kernel_params.h"
#include "torture_target.h"

namespace {

// The build's binaries, or others named in MORAVELLE_TORTURE_VST2 / _VST3 (to try
// the checks on an older build).
std::string PathOf(PluginFormat format) {
  const char* chosen = std::getenv(format == PluginFormat::Vst2 ? "MORAVELLE_TORTURE_VST2" : "MORAVELLE_TORTURE_VST3");
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  return format == PluginFormat::Vst2 ? MORAVELLE_VST2_BINARY : MORAVELLE_VST3_PATH;
}

std::unique_ptr<TortureTarget> LoadFormat(PluginFormat format) {
  std::string error;
  auto target = TortureTarget::Load(format, PathOf(format), &error);
  EXPECT_TRUE(target) << PathOf(format) << ": " << error;
  return target;
}

template <typename Sample>
struct Stereo {
  std::vector<Sample> left, right;
  explicit Stereo(int frames, Sample value = 0) : left(static_cast<size_t>(frames), value), right(static_cast<size_t>(frames), value) {}
  Sample* Ch(int c) { return c == 0 ? left.data() : right.data(); }
};

// Runs 'in' through the target in blocks of 512 frames.
template <typename Sample>
Stereo<Sample> Render(TortureTarget& target, Stereo<Sample>& in) {
  const int frames = static_cast<int>(in.left.size());
  Stereo<Sample> out(frames);
  for (int done = 0; done < frames; done += 512) {
    const int n = std::min(512, frames - done);
    Sample* i[2] = {in.Ch(0) + done, in.Ch(1) + done};
    Sample* o[2] = {out.Ch(0) + done, out.Ch(1) + done};
    if constexpr (sizeof(Sample) == sizeof(double)) {
      EXPECT_TRUE(target.Process64(i, o, n));
    } else {
      EXPECT_TRUE(target.Process32(i, o, n));
    }
  }
  return out;
}

template <typename Sample>
double PeakOrInfinity(const Stereo<Sample>& s) {
  double peak = 0.0;
  for (const auto* ch : {&s.left, &s.right})
    for (Sample v : *ch) peak = std::isfinite(static_cast<double>(v)) ? std::max(peak, std::fabs(static_cast<double>(v))) : INFINITY;
  return peak;
}

template <typename Sample>
int Subnormals(const Stereo<Sample>& s) {
  int count = 0;
  for (const auto* ch : {&s.left, &s.right})
    for (Sample v : *ch) count += std::fpclassify(v) == FP_SUBNORMAL ? 1 : 0;
  return count;
}

class TortureMends : public ::testing::TestWithParam<PluginFormat> {};

TEST_P(TortureMends, FiltersStayStableBelow44100) {
  // 22050 Hz with every default (the preamp's 20 kHz low-pass), and 32 kHz with the
  // amp's low-pass at its top: cutoffs past half the rate.
  struct Case {
    double rate;
    int index;
    double value;
  };
  for (const Case c : {Case{22050, kReverbOffOn, 1.0}, Case{32000, kAmpFilterLpCutoff, 1.0}, Case{22050, kAmpFilterMode, 0.5}}) {
    for (bool doublePrecision : {true, false}) {
      auto target = LoadFormat(GetParam());
      ASSERT_TRUE(target);
      ASSERT_TRUE(target->Setup(c.rate, 512, doublePrecision));
      target->SetParam(kReverbOffOn, 1.0, 0);
      target->SetParam(c.index, c.value, 0);
      const int frames = static_cast<int>(c.rate * 3);
      double peak = 0.0;
      if (doublePrecision) {
        Stereo<double> in(frames);
        for (int i = 0; i < frames; ++i) in.left[static_cast<size_t>(i)] = in.right[static_cast<size_t>(i)] = (i / 50) % 2 ? 1.0 : -1.0;
        peak = PeakOrInfinity(Render(*target, in));
      } else {
        Stereo<float> in(frames);
        for (int i = 0; i < frames; ++i) in.left[static_cast<size_t>(i)] = in.right[static_cast<size_t>(i)] = (i / 50) % 2 ? 1.0f : -1.0f;
        peak = PeakOrInfinity(Render(*target, in));
      }
      EXPECT_LT(peak, 10.0) << c.rate << " Hz, parameter " << c.index << (doublePrecision ? " 64-bit" : " 32-bit");
      EXPECT_GT(peak, 0.01);
    }
  }
}

TEST_P(TortureMends, NoDenormalLeavesTheEffect) {
  auto target = LoadFormat(GetParam());
  ASSERT_TRUE(target);
  // 64-bit: an input near 1e-303 at a volume of 1e-7 comes out near 1e-310.
  ASSERT_TRUE(target->Setup(44100, 512, true));
  target->SetParam(kReverbOffOn, 1.0, 0);
  target->SetParam(kAmpMainBlend, 0.0, 0);
  target->SetParam(kAmpMainVolume, 1e-7, 0);
  Stereo<double> in64(8192);
  for (int i = 0; i < 8192; ++i) in64.left[static_cast<size_t>(i)] = in64.right[static_cast<size_t>(i)] = (i % 3 - 1) * 1e-303;
  const Stereo<double> out64 = Render(*target, in64);
  EXPECT_EQ(Subnormals(out64), 0);

  // 32-bit: 1e-30 at a volume of 1e-9 is a normal double but a denormal float.
  ASSERT_TRUE(target->Setup(44100, 512, false));
  target->SetParam(kAmpMainVolume, 1e-9, 0);
  Stereo<float> in32(8192);
  for (int i = 0; i < 8192; ++i) in32.left[static_cast<size_t>(i)] = in32.right[static_cast<size_t>(i)] = static_cast<float>((i % 3 - 1) * 1e-30);
  const Stereo<float> out32 = Render(*target, in32);
  EXPECT_EQ(Subnormals(out32), 0);
  // A louder signal still comes through: the flush only takes what is denormal.
  target->SetParam(kAmpMainVolume, 0.5, 0);
  EXPECT_GT(PeakOrInfinity(Render(*target, in32)), 1e-31);
}

TEST_P(TortureMends, MasterSwitchOffStillPassesDenormalsBitForBit) {
  auto target = LoadFormat(GetParam());
  ASSERT_TRUE(target);
  ASSERT_TRUE(target->Setup(44100, 512, false));
  target->SetParam(kReverbOffOn, 0.0, 0);
  Stereo<float> in32(4096);
  for (int i = 0; i < 4096; ++i) in32.left[static_cast<size_t>(i)] = in32.right[static_cast<size_t>(i)] = (i % 5 - 2) * 1e-40f;
  Stereo<float> kept32 = in32;
  const Stereo<float> out32 = Render(*target, in32);
  EXPECT_GT(Subnormals(out32), 0);
  EXPECT_EQ(std::memcmp(out32.left.data(), kept32.left.data(), 4096 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(out32.right.data(), kept32.right.data(), 4096 * sizeof(float)), 0);

  ASSERT_TRUE(target->Setup(44100, 512, true));
  Stereo<double> in64(4096);
  for (int i = 0; i < 4096; ++i) in64.left[static_cast<size_t>(i)] = in64.right[static_cast<size_t>(i)] = (i % 5 - 2) * 1e-310;
  Stereo<double> kept64 = in64;
  const Stereo<double> out64 = Render(*target, in64);
  EXPECT_EQ(std::memcmp(out64.left.data(), kept64.left.data(), 4096 * sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(out64.right.data(), kept64.right.data(), 4096 * sizeof(double)), 0);
}

TEST_P(TortureMends, AbsurdSetupsAreRefusedAndTheEffectGoesOn) {
  auto target = LoadFormat(GetParam());
  ASSERT_TRUE(target);
  // A block size of 2^30 frames would want gigabytes of scratch memory.
  const bool accepted = target->Setup(44100, 1 << 30, false);
  if (GetParam() == PluginFormat::Vst3) {
    EXPECT_FALSE(accepted);
  }
  target->Setup(1e30, 512, false);  // refused; the previous rate stays
  ASSERT_TRUE(target->Setup(48000, 512, false));
  target->SetParam(kReverbOffOn, 1.0, 0);
  Stereo<float> in(4096, 0.5f);
  const double peak = PeakOrInfinity(Render(*target, in));
  EXPECT_LT(peak, 10.0);
  EXPECT_GT(peak, 0.01);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, TortureMends, ::testing::Values(PluginFormat::Vst2, PluginFormat::Vst3),
                         [](const auto& info) { return std::string(FormatName(info.param)); });

TEST(TortureMidi, AFloodOfControllersInOneBlockIsSurvived) {
  auto target = LoadFormat(PluginFormat::Vst2);
  ASSERT_TRUE(target);
  ASSERT_TRUE(target->Setup(44100, 512, true));
  target->SetParam(kReverbOffOn, 1.0, 0);
  target->SendControllers(100000, 512);
  Stereo<double> in(2048, 0.5);
  EXPECT_LT(PeakOrInfinity(Render(*target, in)), 10.0);
}

}  // namespace
