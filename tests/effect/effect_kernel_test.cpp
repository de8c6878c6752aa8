#include "effect/effect_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "effect/biquad_filter.h"
#include "effect/delay_line.h"
#include "effect/dsp_guards.h"
#include "reference_kernel.h"
#include "test_signals.h"

namespace {

using Settings = std::initializer_list<std::pair<int, double>>;
using Isa = EffectKernel::InstructionSet;

// Every implementation this processor runs: the baseline always, AVX2 and FMA where present.
std::vector<Isa> RunnableIsas() {
  std::vector<Isa> isas = {Isa::Baseline};
  if (EffectKernel::ProcessorHasAvx2Fma()) isas.push_back(Isa::Avx2Fma);
  return isas;
}

void Apply(EffectKernel& k, Settings s) {
  for (auto [i, v] : s) k.SetParameter(i, v);
}

StereoBuffer RunKernel(EffectKernel& k, const StereoBuffer& in, int block) {
  StereoBuffer out(in.Frames());
  for (int at = 0; at < in.Frames(); at += block) {
    const int n = std::min(block, in.Frames() - at);
    const double* ins[2] = {in.left.data() + at, in.right.data() + at};
    double* outs[2] = {out.left.data() + at, out.right.data() + at};
    EXPECT_EQ(k.Process(ins, outs, n), 0);
  }
  return out;
}

// The plain evaluation of the whole of 'in' under the given settings.
template <typename SettingList>
StereoBuffer RunReference(double rate, const SettingList& settings, const StereoBuffer& in) {
  ReferenceKernel reference(rate);
  for (auto [i, v] : settings) reference.SetParameter(i, v);
  StereoBuffer slow(in.Frames());
  const double* ins[2] = {in.left.data(), in.right.data()};
  double* outs[2] = {slow.left.data(), slow.right.data()};
  reference.Process(ins, outs, in.Frames());
  return slow;
}

void CheckGlidingAgainstReference(Isa isa);

// Long enough for the smoothed parameters to settle and the tail to build.
constexpr int kFrames = 44100 * 2;

const Settings kRichSettings = {{kReverbOffOn, 1},        {kReverbRoomSize, 0.5}, {kReverbDecayTime, 0.5},
                                {kReverbEarlyReflections, 0.6}, {kReverbLateReverberation, 0.8},
                                {kReverbDamp, 0.3},       {kReverbPanorama, 0.8}, {kReverbPreDelay, 0.1},
                                {kPreampClippingOffOn, 1}, {kPreampClippingGain, 0.6},
                                {kAmpClippingOffOn, 1},   {kAmpClippingGain, 0.4},  {kAmpFilterMode, 1},
                                {kAmpMainBlend, 0.7},     {kPreampFilterType, 1},   {kPreampFilterCutoff, 0.1}};

TEST(EffectKernel, MatchesThePlainEvaluationOfTheFormulas) {
  const StereoBuffer in = MakeProgramme(kFrames);
  for (Settings s : {Settings{{kReverbOffOn, 1}}, kRichSettings,
                     Settings{{kReverbOffOn, 1}, {kReverbRoomSize, 1}, {kReverbDecayTime, 1}, {kReverbLateReverberation, 1},
                              {kReverbPanorama, 0}, {kAmpFilterMode, 2}, {kPreampInputMode, 3}},
                     Settings{{kReverbOffOn, 0.5}, {kPreampInputMode, 1}, {kReverbLateReverberation, 1}}}) {
    const StereoBuffer slow = RunReference(44100, s, in);
    ASSERT_GT(Peak(slow), 0.01);
    for (Isa isa : RunnableIsas()) {
      auto kernel = EffectKernel::Create(44100, isa);
      ASSERT_EQ(kernel->Isa(), isa);
      Apply(*kernel, s);
      const StereoBuffer fast = RunKernel(*kernel, in, 512);
      EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow)) << static_cast<int>(isa);
    }
  }
}

TEST(EffectKernel, CutoffsPastTheStableLimitAreHeldUnderItBelow44100) {
  // Past half the sample rate the filters would diverge; at these rates the top of
  // every cutoff range lies there. Both evaluations hold the cutoffs at 0.46 x rate.
  const StereoBuffer in = MakeProgramme(40000);
  for (double rate : {8000.0, 22050.0, 32000.0}) {
    for (double mode : {1.0, 2.0}) {
      const Settings s = {{kReverbOffOn, 1},          {kAmpFilterLpCutoff, 1}, {kAmpFilterHpCutoff, 1},
                          {kAmpFilterMode, mode},      {kAmpMainBlend, 1},      {kPreampFilterCutoff, 1},
                          {kReverbLateReverberation, 0.8}};
      const StereoBuffer slow = RunReference(rate, s, in);
      ASSERT_TRUE(std::isfinite(Peak(slow)));
      EXPECT_LT(Peak(slow), 10.0) << rate;
      EXPECT_GT(Peak(slow), 1e-3) << rate;
      for (Isa isa : RunnableIsas()) {
        auto kernel = EffectKernel::Create(rate, isa);
        Apply(*kernel, s);
        const StereoBuffer fast = RunKernel(*kernel, in, 512);
        EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow)) << rate << " isa " << static_cast<int>(isa);
      }
    }
  }
}

TEST(EffectKernel, MatchesThePlainEvaluationForQuietSignalsToo) {
  StereoBuffer in = MakeProgramme(20000);
  for (double& v : in.left) v *= 1e-6;
  for (double& v : in.right) v *= 1e-6;
  const StereoBuffer slow = RunReference(44100, kRichSettings, in);
  ASSERT_GT(Peak(slow), 1e-8);
  for (Isa isa : RunnableIsas()) {
    auto kernel = EffectKernel::Create(44100, isa);
    Apply(*kernel, kRichSettings);
    const StereoBuffer fast = RunKernel(*kernel, in, 512);
    EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow)) << static_cast<int>(isa);
  }
}

TEST(EffectKernel, MatchesThePlainEvaluationFromQuietToFarBeyondTheClippersRange) {
  // The clippers take each frame's two tanh from products of its inputs'
  // exponentials, and a frame with an input past their bound from its own: a level
  // sweeping from -60 dB to +60 dB, with the sign jumping from frame to frame on the
  // left (midpoints near 0 between large opposite inputs) and a fast sine on the right.
  constexpr int kSweep = 30000;
  StereoBuffer in(kSweep);
  for (int i = 0; i < kSweep; ++i) {
    const double level = std::pow(10.0, -3.0 + 6.0 * i / kSweep);
    in.left[static_cast<size_t>(i)] = level * ((i & 1) != 0 ? 1.0 : -0.93) * (1.0 + 0.05 * std::sin(i * 0.011));
    in.right[static_cast<size_t>(i)] = level * std::sin(i * 0.37);
  }
  std::vector<std::pair<int, double>> settings(kRichSettings.begin(), kRichSettings.end());
  settings.push_back({kPreampClippingGain, 1.0});
  settings.push_back({kAmpClippingGain, 1.0});
  const StereoBuffer slow = RunReference(44100, settings, in);
  ASSERT_TRUE(std::isfinite(Peak(slow)));
  for (Isa isa : RunnableIsas()) {
    StereoBuffer first;
    for (int block : {512, 1, 37}) {
      auto kernel = EffectKernel::Create(44100, isa);
      for (auto [i, v] : settings) kernel->SetParameter(i, v);
      const StereoBuffer fast = RunKernel(*kernel, in, block);
      if (block == 512) {
        EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow)) << static_cast<int>(isa);
        first = fast;
      } else {
        EXPECT_EQ(MaxDifference(fast, first), 0.0) << static_cast<int>(isa) << " block " << block;
      }
    }
  }
}

TEST(EffectKernel, MatchesThePlainEvaluationWhileParametersGlide) {
  for (Isa isa : RunnableIsas()) {
    SCOPED_TRACE(static_cast<int>(isa));
    CheckGlidingAgainstReference(isa);
  }
}

void CheckGlidingAgainstReference(Isa isa) {
  const StereoBuffer in = MakeProgramme(kFrames);
  auto kernel = EffectKernel::Create(48000, isa);
  kernel->Init(48000);
  ReferenceKernel reference(48000);
  StereoBuffer fast(in.Frames()), slow(in.Frames());
  const int block = 256;
  for (int at = 0, n = 0; at < in.Frames(); at += block, ++n) {
    const Settings s = {{kReverbOffOn, 1},
                        {kReverbDecayTime, 0.3 + 0.002 * (n % 50)},
                        {kReverbLateReverberation, 0.9},
                        {kReverbRoomSize, 0.5 + 0.5 * std::sin(n * 0.05)},
                        {kReverbPanorama, 0.5 + 0.5 * std::cos(n * 0.07)},
                        {kReverbPreDelay, 0.05 * (n % 7)}};
    Apply(*kernel, s);
    for (auto [i, v] : s) reference.SetParameter(i, v);
    const int frames = std::min(block, in.Frames() - at);
    const double* ins[2] = {in.left.data() + at, in.right.data() + at};
    double* f[2] = {fast.left.data() + at, fast.right.data() + at};
    double* r[2] = {slow.left.data() + at, slow.right.data() + at};
    kernel->Process(ins, f, frames);
    reference.Process(ins, r, frames);
  }
  EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow));
}

TEST(EffectKernel, MatchesThePlainEvaluationAcrossLongAndShortOffStretches) {
  // Off for less than a line's length, then for more than the longest line, with
  // sound going in all along: the network must hold what the formulas say each time.
  const int kSeconds = 6;
  const StereoBuffer in = MakeProgramme(44100 * kSeconds);
  for (Isa isa : RunnableIsas()) {
    auto kernel = EffectKernel::Create(44100, isa);
    ReferenceKernel reference(44100);
    StereoBuffer fast(in.Frames()), slow(in.Frames());
    for (int at = 0, n = 0; at < in.Frames(); at += 256, ++n) {
      const double second = at / 44100.0;
      const bool on = second < 1.0 || (second >= 1.3 && second < 2.0) || second >= 4.0;
      const Settings s = {{kReverbOffOn, on ? 1.0 : 0.0}, {kReverbLateReverberation, 0.9}, {kReverbDecayTime, 0.6}};
      Apply(*kernel, s);
      for (auto [i, v] : s) reference.SetParameter(i, v);
      const int frames = std::min(256, in.Frames() - at);
      const double* ins[2] = {in.left.data() + at, in.right.data() + at};
      double* f[2] = {fast.left.data() + at, fast.right.data() + at};
      double* r[2] = {slow.left.data() + at, slow.right.data() + at};
      kernel->Process(ins, f, frames);
      reference.Process(ins, r, frames);
    }
    ASSERT_GT(Peak(slow), 0.01);
    EXPECT_LE(MaxDifference(fast, slow), 1e-10 * Peak(slow)) << static_cast<int>(isa);
  }
}

TEST(EffectKernel, PicksTheFastestImplementationTheProcessorRuns) {
  const bool avx2 = EffectKernel::ProcessorHasAvx2Fma();
  std::printf("kernel: this processor %s AVX2 and FMA\n", avx2 ? "has" : "lacks");
  EXPECT_EQ(EffectKernel::Create(44100)->Isa(), avx2 ? Isa::Avx2Fma : Isa::Baseline);
  EXPECT_EQ(EffectKernel::Create(44100, Isa::Baseline)->Isa(), Isa::Baseline);
  // Asking for AVX2 where it is missing falls back to the baseline.
  EXPECT_EQ(EffectKernel::Create(44100, Isa::Avx2Fma)->Isa(), avx2 ? Isa::Avx2Fma : Isa::Baseline);
}

TEST(EffectKernel, OutputDoesNotDependOnTheBlockSplit) {
  const StereoBuffer in = MakeProgramme(30000);
  StereoBuffer first;
  for (Isa isa : RunnableIsas()) {
    for (int block : {1, 21, 300, 4096}) {
      auto kernel = EffectKernel::Create(44100, isa);
      Apply(*kernel, kRichSettings);
      const StereoBuffer out = RunKernel(*kernel, in, block);
      if (block == 1) {
        first = out;
      } else {
        EXPECT_EQ(MaxDifference(out, first), 0.0) << "block " << block;
      }
    }
  }
}

TEST(EffectKernel, ASettledReverbGivesTheSameBitsInEveryBlockSplit) {
  // Once room size, panorama and pre-delay rest, long blocks run the reverb stage by
  // stage while single frames run it frame by frame: both must give the same bits,
  // with the output diffusers at their shortest (room 0), long delays, full
  // damping and pre-delay, and at a low rate where some delays are shorter than a block.
  const StereoBuffer in = MakeProgramme(70000);
  struct Case {
    double rate;
    Settings settings;
  };
  const Case cases[] = {
      {44100, {{kReverbOffOn, 1}, {kReverbRoomSize, 0}, {kReverbLateReverberation, 0.9}, {kReverbEarlyReflections, 0.7}}},
      {44100, {{kReverbOffOn, 1}, {kReverbRoomSize, 1}, {kReverbDamp, 0.6}, {kReverbPanorama, 0.1}, {kReverbPreDelay, 1},
               {kReverbLateReverberation, 1}, {kReverbDecayTime, 0.9}}},
      {8000, {{kReverbOffOn, 1}, {kReverbRoomSize, 0.3}, {kReverbPanorama, 1}, {kReverbLateReverberation, 0.8}}},
      {44100, {{kReverbOffOn, 0.5}, {kReverbRoomSize, 0.7}, {kReverbLateReverberation, 0.8}}}};
  for (const Case& c : cases) {
    auto run = [&](int block) {
      auto kernel = EffectKernel::Create(c.rate, RunnableIsas().back());
      Apply(*kernel, c.settings);
      return RunKernel(*kernel, in, block);
    };
    const StereoBuffer frameByFrame = run(1);
    ASSERT_GT(Peak(frameByFrame), 0.01);
    for (int block : {128, 700}) EXPECT_EQ(MaxDifference(run(block), frameByFrame), 0.0) << c.rate << " block " << block;
    const StereoBuffer slow = RunReference(c.rate, c.settings, in);
    EXPECT_LE(MaxDifference(frameByFrame, slow), 1e-10 * Peak(slow)) << c.rate;
  }
}

TEST(EffectKernel, AGlidingReverbGivesTheSameBitsInEveryBlockSplit) {
  // While room size, panorama and pre-delay glide, long blocks run the reverb in
  // runs with per-frame delays while single frames run it frame by frame: both must
  // give the same bits and agree with the formulas, also at a low rate, where the
  // input diffuser's delay cuts runs short and the output diffusers, at their
  // shortest, run frame by frame inside a run. The targets move every 1000 frames,
  // at the same frames in every split.
  constexpr int kSegment = 1000;
  const StereoBuffer in = MakeProgramme(40 * kSegment);
  auto targets = [](int segment) {
    return std::vector<std::pair<int, double>>{{kReverbOffOn, 1},
                    {kReverbLateReverberation, 0.9},
                    {kReverbEarlyReflections, 0.7},
                    {kReverbDamp, 0.4},
                    {kReverbRoomSize, 0.5 + 0.48 * std::sin(segment * 0.7)},
                    {kReverbPanorama, 0.5 + 0.5 * std::cos(segment * 0.9)},
                    {kReverbPreDelay, 0.03 * (segment % 5)}};
  };
  // Runs 'process' (a kernel's or the reference's) over the input in blocks of
  // 'block' frames, setting the targets through 'set' at each segment's start.
  auto glide = [&](int block, auto&& set, auto&& process) {
    StereoBuffer out(in.Frames());
    for (int at = 0; at < in.Frames(); at += kSegment) {
      for (auto [i, v] : targets(at / kSegment)) set(i, v);
      for (int from = at; from < at + kSegment; from += block) {
        const int n = std::min(block, at + kSegment - from);
        const double* ins[2] = {in.left.data() + from, in.right.data() + from};
        double* outs[2] = {out.left.data() + from, out.right.data() + from};
        process(ins, outs, n);
      }
    }
    return out;
  };
  for (double rate : {44100.0, 8000.0}) {
    ReferenceKernel reference(rate);
    const StereoBuffer slow = glide(
        kSegment, [&](int i, double v) { reference.SetParameter(i, v); },
        [&](const double** ins, double** outs, int n) { reference.Process(ins, outs, n); });
    ASSERT_GT(Peak(slow), 0.01);
    for (Isa isa : RunnableIsas()) {
      auto run = [&](int block) {
        auto kernel = EffectKernel::Create(rate, isa);
        return glide(
            block, [&](int i, double v) { kernel->SetParameter(i, v); },
            [&](const double** ins, double** outs, int n) { EXPECT_EQ(kernel->Process(ins, outs, n), 0); });
      };
      const StereoBuffer frameByFrame = run(1);
      for (int block : {128, 1000}) {
        const StereoBuffer out = run(block);
        EXPECT_EQ(std::memcmp(out.left.data(), frameByFrame.left.data(), in.left.size() * sizeof(double)), 0)
            << rate << " block " << block << " isa " << static_cast<int>(isa);
        EXPECT_EQ(std::memcmp(out.right.data(), frameByFrame.right.data(), in.right.size() * sizeof(double)), 0)
            << rate << " block " << block << " isa " << static_cast<int>(isa);
      }
      EXPECT_LE(MaxDifference(frameByFrame, slow), 1e-10 * Peak(slow)) << rate << " isa " << static_cast<int>(isa);
    }
  }
}

TEST(EffectKernel, GuardsActingMidBlockGiveTheSameBitsInEveryBlockSplit) {
  // The filters and DC blockers run without their guards and run a pass again with
  // them when one would have acted: a NaN and an infinity (which reach the filters
  // directly with the clippers off), and a silence long enough (54 s) for every
  // decaying state, the DC blockers' last, to pass 2^-1021.
  struct Case {
    int seconds;
    Settings extra;
  };
  for (const Case& c : {Case{54, {{kReverbDecayTime, 0}, {kPreampFilterCutoff, 0.5}}},
                        Case{2, {{kPreampClippingOffOn, 0}, {kAmpClippingOffOn, 0}, {kPreampFilterCutoff, 0.5}}}}) {
    StereoBuffer in(44100 * c.seconds);
    const StereoBuffer sound = MakeProgramme(20000);
    std::copy(sound.left.begin(), sound.left.end(), in.left.begin());
    std::copy(sound.right.begin(), sound.right.end(), in.right.begin());
    in.left[3000] = std::nan("");
    in.right[5000] = INFINITY;
    for (Isa isa : RunnableIsas()) {
      auto run = [&](int block) {
        auto kernel = EffectKernel::Create(44100, isa);
        Apply(*kernel, kRichSettings);
        Apply(*kernel, c.extra);
        return RunKernel(*kernel, in, block);
      };
      const StereoBuffer reference = run(7);
      for (int block : {256, 4096}) EXPECT_EQ(MaxDifference(run(block), reference), 0.0) << "block " << block;
      for (int i = 6000; i < reference.Frames(); ++i) {
        ASSERT_TRUE(std::isfinite(reference.left[static_cast<size_t>(i)])) << i;
        ASSERT_NE(std::fpclassify(reference.left[static_cast<size_t>(i)]), FP_SUBNORMAL) << i;
      }
      EXPECT_GT(Peak(reference), 0.01);
    }
  }
}

TEST(EffectKernel, NoStageEverKeepsAStateTheGuardsFlush) {
  // The filters and DC blockers run without their guards and watch for a state the
  // guards would have flushed: through a decay into silence, no such state may be
  // kept at a block's end, and the silence ends with every state at exactly 0 (the
  // DC blockers' output memories, stored unflushed, last: their decayed terms pass
  // 2^-1021 after about 54 s; left unflushed they would stay denormal for good).
  StereoBuffer in(44100 * 56);
  const StereoBuffer sound = MakeProgramme(22050);
  std::copy(sound.left.begin(), sound.left.end(), in.left.begin());
  std::copy(sound.right.begin(), sound.right.end(), in.right.begin());
  auto tiny = [](double v) { return v != 0.0 && std::fabs(v) < 0x1p-1021; };
  for (Isa isa : RunnableIsas()) {
    auto kernel = EffectKernel::Create(44100, isa);
    Apply(*kernel, {{kPreampClippingOffOn, 1}, {kAmpClippingOffOn, 1}, {kAmpFilterMode, 1}, {kPreampFilterCutoff, 0.4}});
    StereoBuffer out(in.Frames());
    int tinyStates = 0;
    for (int start = 0; start < in.Frames(); start += 300) {
      const int n = std::min(300, in.Frames() - start);
      const double* ins[2] = {in.left.data() + start, in.right.data() + start};
      double* outs[2] = {out.left.data() + start, out.right.data() + start};
      kernel->Process(ins, outs, n);
      const StageStateProbe probe = kernel->ProbeStageStates();
      for (double v : probe.flushed) tinyStates += tiny(v);
    }
    EXPECT_EQ(tinyStates, 0) << static_cast<int>(isa);
    const StageStateProbe end = kernel->ProbeStageStates();
    for (double v : end.flushed) EXPECT_EQ(v, 0.0) << static_cast<int>(isa);
    for (double v : end.dcOutputs) EXPECT_EQ(v, 0.0) << static_cast<int>(isa);
  }
}

TEST(EffectKernel, ASettledReverbNearOverflowGivesTheSameBitsInEveryBlockSplit) {
  // Settled runs walk the damping unguarded and run again, guarded, when a state
  // may have been flushed; a sum of the damped values that is not finite counts as
  // such. Signals near the largest double overflow those sums with a long decay, so
  // runs are repeated, and they must still give what the frame-by-frame path gives.
  // (The states' passage through the smallest magnitudes is the silence of
  // GuardsActingMidBlockGiveTheSameBitsInEveryBlockSplit.)
  StereoBuffer in(44100 * 3);
  const StereoBuffer sound = MakeProgramme(30000);
  for (size_t i = 0; i < sound.left.size(); ++i) {
    in.left[i] = sound.left[i] * 1.7e308;
    in.right[i] = sound.right[i] * 1.7e308;
  }
  for (Isa isa : RunnableIsas()) {
    auto run = [&](int block) {
      auto kernel = EffectKernel::Create(44100, isa);
      // Room size, panorama and pre-delay at 0, where their smoothing starts: the
      // reverb is settled from the first frame on.
      Apply(*kernel, {{kReverbOffOn, 1}, {kReverbRoomSize, 0}, {kReverbPanorama, 0}, {kReverbPreDelay, 0},
                      {kReverbDamp, 0.5}, {kReverbDecayTime, 1}, {kReverbLateReverberation, 1},
                      {kReverbEarlyReflections, 1}, {kPreampInputGain, 1}, {kPreampClippingOffOn, 0},
                      {kAmpClippingOffOn, 0}});
      return RunKernel(*kernel, in, block);
    };
    const StereoBuffer frameByFrame = run(1);
    for (int block : {128, 1000}) {
      const StereoBuffer out = run(block);
      EXPECT_EQ(std::memcmp(out.left.data(), frameByFrame.left.data(), in.left.size() * sizeof(double)), 0) << block;
      EXPECT_EQ(std::memcmp(out.right.data(), frameByFrame.right.data(), in.right.size() * sizeof(double)), 0) << block;
    }
  }
}

TEST(EffectKernel, MasterSwitchOffPassesTheInputBitForBit) {
  StereoBuffer in = MakeProgramme(20000);
  in.left[5] = 1e300;
  in.right[6] = -3e-310;  // a denormal passes untouched too
  for (double rate : {22050.0, 44100.0, 96000.0, 192000.0}) {
    for (double off : {0.0, 0.9, 0.999999}) {
      for (int block : {1, 64, 1000}) {
        auto kernel = EffectKernel::Create(44100, RunnableIsas().back());
        kernel->Init(rate);
        Apply(*kernel, {{kReverbOffOn, off}, {kPreampClippingOffOn, 1}, {kReverbLateReverberation, 1}, {kAmpMainVolume, 0}});
        const StereoBuffer out = RunKernel(*kernel, in, block);
        EXPECT_EQ(std::memcmp(out.left.data(), in.left.data(), in.left.size() * sizeof(double)), 0);
        EXPECT_EQ(std::memcmp(out.right.data(), in.right.data(), in.right.size() * sizeof(double)), 0);
      }
    }
  }
}

TEST(EffectKernel, InPlaceAndCrossedProcessingEqualSeparateBuffers) {
  // Outputs that are the inputs, or the inputs crossed (left out into the right in),
  // with the master switch on and off (the raw input passes through then).
  const StereoBuffer in = MakeProgramme(10000);
  for (const Settings& settings : {kRichSettings, Settings{{kReverbOffOn, 0}, {kPreampClippingOffOn, 1}}}) {
    auto make = [&] {
      auto kernel = EffectKernel::Create(44100);
      Apply(*kernel, settings);
      return kernel;
    };
    const StereoBuffer separate = RunKernel(*make(), in, 333);
    for (bool crossed : {false, true}) {
      auto kernel = make();
      StereoBuffer shared = in;
      for (int at = 0; at < in.Frames(); at += 333) {
        const int n = std::min(333, in.Frames() - at);
        double* ins[2] = {shared.left.data() + at, shared.right.data() + at};
        double* outs[2] = {ins[crossed ? 1 : 0], ins[crossed ? 0 : 1]};
        kernel->Process(ins, outs, n);
      }
      if (crossed) std::swap(shared.left, shared.right);
      EXPECT_EQ(MaxDifference(separate, shared), 0.0) << crossed;
    }
  }
}

TEST(EffectKernel, MissingArrayIsErrorUntilTheNextInit) {
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, {{kReverbOffOn, 1}});
  std::vector<double> l(64, 0.5), r(64, 0.5), ol(64, 7.0);
  const double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {ol.data(), nullptr};
  EXPECT_EQ(kernel->Process(ins, outs, 64), kKernelErrorNullBuffer);
  std::vector<double> orr(64, 7.0);
  double* good[2] = {ol.data(), orr.data()};
  EXPECT_EQ(kernel->Process(ins, good, 64), kKernelErrorNullBuffer);
  EXPECT_EQ(ol[0], 7.0);
  EXPECT_EQ(orr[63], 7.0);
  EXPECT_EQ(kernel->Process(nullptr, good, 64), kKernelErrorNullBuffer);
  kernel->Init(44100);
  EXPECT_EQ(kernel->Process(ins, good, 0), 0);
  EXPECT_EQ(ol[0], 7.0);  // zero frames write nothing
  EXPECT_EQ(kernel->Process(ins, good, 64), 0);
  EXPECT_NE(ol[0], 7.0);
}

TEST(EffectKernel, InitRestoresTheTableDefaultsAndClampsRanges) {
  auto kernel = EffectKernel::Create(44100);
  const auto& table = kernel->ParamTable();
  EXPECT_STREQ(table[kReverbRoomSize].name, "ReverbRoomSize");
  EXPECT_DOUBLE_EQ(table[kHostTempoBpm].defaultValue, 120.0);
  EXPECT_DOUBLE_EQ(table[kPresetSelector].outputMinimum, -1.0);
  EXPECT_DOUBLE_EQ(table[kPresetSelector].outputMaximum, 10000.0);
  kernel->SetParameter(kAmpFilterMode, 5);
  EXPECT_DOUBLE_EQ(kernel->Parameter(kAmpFilterMode), 2.0);
  kernel->SetParameter(kMidiChannelInput, 0);
  EXPECT_DOUBLE_EQ(kernel->Parameter(kMidiChannelInput), 1.0);
  kernel->SetParameter(kReverbDamp, -3);
  EXPECT_DOUBLE_EQ(kernel->Parameter(kReverbDamp), 0.0);
  kernel->SetParameter(kReverbDamp, std::nan(""));
  EXPECT_DOUBLE_EQ(kernel->Parameter(kReverbDamp), 0.0);
  kernel->SetParameter(99, 1.0);  // ignored
  kernel->Init(48000);
  for (int i = 0; i < kKernelParamCount; ++i) EXPECT_DOUBLE_EQ(kernel->Parameter(i), table[static_cast<size_t>(i)].defaultValue);
}

// Runs a settled kernel with silence, then an impulse; returns the output.
StereoBuffer ImpulseResponse(EffectKernel& k, int settle, int frames) {
  StereoBuffer in(settle + frames);
  in.left[static_cast<size_t>(settle)] = 1.0;
  in.right[static_cast<size_t>(settle)] = 1.0;
  StereoBuffer out = RunKernel(k, in, 4096);
  StereoBuffer tail(frames);
  std::copy(out.left.begin() + settle, out.left.end(), tail.left.begin());
  std::copy(out.right.begin() + settle, out.right.end(), tail.right.begin());
  return tail;
}

int FirstAbove(const std::vector<double>& v, double threshold) {
  for (size_t i = 0; i < v.size(); ++i)
    if (std::fabs(v[i]) > threshold) return static_cast<int>(i);
  return -1;
}

TEST(EffectKernel, PreDelayOfOneDelaysByTwoSecondsAtEveryRate) {
  // Only the diffused, pre-delayed input reaches the output: no reflections, no
  // late reverberation, processed signal only.
  const Settings dryPath = {{kReverbOffOn, 1}, {kReverbPreDelay, 1}, {kAmpMainBlend, 1}};
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, dryPath);
  StereoBuffer ir = ImpulseResponse(*kernel, 60000, 100000);
  EXPECT_EQ(FirstAbove(ir.left, 1e-6), 88200);
  const StereoBuffer at44100 = ir;

  // Reset at 96 kHz: the lines grow with the rate, so two seconds stay two seconds.
  kernel->Init(96000);
  Apply(*kernel, dryPath);
  ir = ImpulseResponse(*kernel, 100000, 200000);
  EXPECT_EQ(FirstAbove(ir.left, 1e-6), 192000);
  EXPECT_EQ(kernel->ProbeReverb().preDelayMaximum, 192000);

  // Back at 44.1 kHz the lines have their 44.1 kHz sizes again: the same bits as a
  // kernel that never left the rate.
  kernel->Init(44100);
  Apply(*kernel, dryPath);
  ir = ImpulseResponse(*kernel, 60000, 100000);
  EXPECT_EQ(MaxDifference(ir, at44100), 0.0);
}

TEST(EffectKernel, ARateWhoseMemoryCannotBeHadKeepsTheOldLinesAndClamps) {
  const Settings dryPath = {{kReverbOffOn, 1}, {kReverbPreDelay, 1}, {kAmpMainBlend, 1}};
  // The allocation seam is the baseline build's (each build has its own lines).
  auto kernel = EffectKernel::Create(44100, Isa::Baseline);
  DelayLine::FailAllocationsForTesting(1);  // the first line to grow: the left pre-delay
  ::testing::internal::CaptureStderr();
  kernel->Init(96000);
  const std::string said = ::testing::internal::GetCapturedStderr();
  DelayLine::FailAllocationsForTesting(0);
  EXPECT_NE(said.find("allocating [data]: out of memory\n"), std::string::npos) << said;
  Apply(*kernel, dryPath);
  EXPECT_EQ(kernel->ProbeReverb().preDelayMaximum, 88200);
  const StereoBuffer ir = ImpulseResponse(*kernel, 100000, 200000);
  EXPECT_EQ(FirstAbove(ir.left, 1e-6), 88200);  // the left line kept its 44.1 kHz clamp
  EXPECT_EQ(FirstAbove(ir.right, 1e-6), 192000);
}

TEST(EffectKernel, RoomGeometryAndDecayGains) {
  struct Case {
    double rate, room, decay;
    double P;
    int W;
  };
  for (Case c : {Case{44100, 0, 0, 1297.0588235, 0}, Case{44100, 1, 0, 12970.588235, 6}, Case{48000, 1, 0, 14117.647059, 6},
                 Case{44100, 0.5, 0.5, 7133.8235294, 3}}) {
    auto kernel = EffectKernel::Create(c.rate);
    Apply(*kernel, {{kReverbOffOn, 1}, {kReverbRoomSize, c.room}, {kReverbDecayTime, c.decay}});
    StereoBuffer silence(80000);
    RunKernel(*kernel, silence, 4096);
    EXPECT_NEAR(kernel->ProbeReverb().roomLength, c.P, 1e-4);
    EXPECT_EQ(kernel->ProbeReverb().diffuserScale, c.W);
  }
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, {{kReverbOffOn, 1}, {kReverbRoomSize, 0.5}, {kReverbDecayTime, 0.5}});
  StereoBuffer silence(80000);
  RunKernel(*kernel, silence, 4096);
  const double g = std::pow(0.001, 1.0 / (44100 * 10.05));
  EXPECT_NEAR(g, 0.99998441, 1e-8);
  EXPECT_NEAR(kernel->ProbeReverb().lineGain[0], -0.894771, 1e-6);
  EXPECT_LT(kernel->ProbeReverb().lineGain[1], 0.0);
  EXPECT_NEAR(kernel->ProbeReverb().tapGain[3], std::pow(g, 7133.8235294 + 5), 1e-9);

  // Constructed at 44.1 kHz, reset to 192 kHz: room 1 asks for P = 56470.59; the
  // diffusers' scale is counted at 44.1 kHz (6, as there) and lengthened with the rate.
  auto fast = EffectKernel::Create(44100);
  fast->Init(192000);
  Apply(*fast, {{kReverbOffOn, 1}, {kReverbRoomSize, 1}});
  StereoBuffer longSilence(192000);
  RunKernel(*fast, longSilence, 4096);
  EXPECT_NEAR(fast->ProbeReverb().roomLength, 56470.588, 1e-2);
  EXPECT_EQ(fast->ProbeReverb().diffuserScale, 6);
}

TEST(EffectKernel, PanoramaZeroMakesBothOutputsEqual) {
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, {{kReverbOffOn, 1}, {kReverbPanorama, 0}, {kReverbLateReverberation, 0.8}, {kAmpMainBlend, 1}});
  StereoBuffer warmup(30000);
  RunKernel(*kernel, warmup, 4096);
  const StereoBuffer out = RunKernel(*kernel, MakeProgramme(20000), 4096);
  EXPECT_GT(Peak(out), 0.01);
  for (int i = 0; i < out.Frames(); ++i) ASSERT_NEAR(out.left[static_cast<size_t>(i)], out.right[static_cast<size_t>(i)], 1e-12);
}

TEST(EffectKernel, TurningTheReverbOffLongerThanTheLongestDelayRestartsFromSilence) {
  auto kernel = EffectKernel::Create(44100);
  const Settings on = {{kReverbOffOn, 1}, {kReverbDecayTime, 1}, {kReverbLateReverberation, 1}, {kAmpMainBlend, 1}};
  Apply(*kernel, on);
  RunKernel(*kernel, MakeProgramme(44100), 512);
  kernel->SetParameter(kReverbOffOn, 0);
  RunKernel(*kernel, StereoBuffer(44100), 512);
  kernel->SetParameter(kReverbOffOn, 1);
  const StereoBuffer after = RunKernel(*kernel, StereoBuffer(44100), 512);
  EXPECT_EQ(Peak(after), 0.0);
}

TEST(EffectKernel, AmpStageLevels) {
  // Blend 1, volume 0.5, mode 0, clipper off: the reverb stage's output unchanged,
  // so with a reverb of only the dry diffused path a DC input keeps its level
  // through the allpasses (unity gain at DC).
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, {{kReverbOffOn, 1}, {kAmpMainBlend, 1}, {kReverbPanorama, 0.5}});
  StereoBuffer dc(60000);
  std::fill(dc.left.begin(), dc.left.end(), 0.25);
  std::fill(dc.right.begin(), dc.right.end(), 0.25);
  const StereoBuffer out = RunKernel(*kernel, dc, 1024);
  EXPECT_NEAR(out.left.back(), 0.25, 1e-3);

  // Volume 0 silences the processed output; input gain 0 silences the dry path too.
  auto quiet = EffectKernel::Create(44100);
  Apply(*quiet, {{kReverbOffOn, 1}, {kAmpMainVolume, 0}});
  EXPECT_EQ(Peak(RunKernel(*quiet, MakeProgramme(5000), 512)), 0.0);
  auto muted = EffectKernel::Create(44100);
  Apply(*muted, {{kReverbOffOn, 1}, {kPreampInputGain, 0}, {kReverbLateReverberation, 1}});
  EXPECT_EQ(Peak(RunKernel(*muted, MakeProgramme(5000), 512)), 0.0);
}

TEST(EffectKernel, InputRoutingModes) {
  // Blend 0 outputs the gain-adjusted, routed input: the routing made audible.
  StereoBuffer in(8);
  for (int i = 0; i < 8; ++i) {
    in.left[static_cast<size_t>(i)] = 0.5;
    in.right[static_cast<size_t>(i)] = -0.25;
  }
  struct Case {
    double mode, left, right;
  };
  for (Case c : {Case{0, 0.5, -0.25}, Case{1, 0.5, 0.5}, Case{2, -0.25, -0.25}, Case{3, 0.125, 0.125}, Case{2.9, -0.25, -0.25}}) {
    auto kernel = EffectKernel::Create(44100);
    Apply(*kernel, {{kReverbOffOn, 1}, {kAmpMainBlend, 0}, {kPreampInputMode, c.mode}});
    const StereoBuffer out = RunKernel(*kernel, in, 8);
    EXPECT_DOUBLE_EQ(out.left[3], c.left) << c.mode;
    EXPECT_DOUBLE_EQ(out.right[3], c.right) << c.mode;
  }
  // A centred signal keeps its level in the mono sum.
  StereoBuffer centred(4);
  std::fill(centred.left.begin(), centred.left.end(), 0.3);
  std::fill(centred.right.begin(), centred.right.end(), 0.3);
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, {{kReverbOffOn, 1}, {kAmpMainBlend, 0}, {kPreampInputMode, 3}});
  EXPECT_DOUBLE_EQ(RunKernel(*kernel, centred, 4).left[2], 0.3);
}

TEST(EffectKernel, CutoffsJumpingEveryFewFramesStayBoundedAndSettleOnThePlainEvaluation) {
  // Band-pass with both cutoffs, the mode and the room jumping every 1 to 8 frames
  // for a second, then held for three: the plain (direct-form) evaluation rings to
  // many thousand times the input while the jumps last; the kernel's filters stay
  // within a few times it, and once settled the two agree as when held all along.
  const int jumping = 44100, settled = 3 * 44100;
  const StereoBuffer in = MakeProgramme(jumping + settled);
  for (Isa isa : RunnableIsas()) {
    auto kernel = EffectKernel::Create(44100, isa);
    ReferenceKernel reference(44100);
    const Settings base = {{kReverbOffOn, 1}, {kAmpFilterMode, 1}, {kAmpMainBlend, 1}, {kReverbLateReverberation, 0.7}};
    Apply(*kernel, base);
    for (auto [i, v] : base) reference.SetParameter(i, v);
    StereoBuffer fast(in.Frames()), slow(in.Frames());
    uint32_t state = 99;
    auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return static_cast<double>(state >> 8) / 16777216.0;
    };
    for (int at = 0; at < in.Frames();) {
      const int n = at < jumping ? 1 + static_cast<int>(next() * 8) : std::min(4096, in.Frames() - at);
      if (at < jumping) {
        const Settings jump = {{kAmpFilterLpCutoff, next()}, {kAmpFilterHpCutoff, next()},
                               {kAmpFilterMode, 2 * next()}, {kReverbRoomSize, next()}};
        Apply(*kernel, jump);
        for (auto [i, v] : jump) reference.SetParameter(i, v);
      }
      const double* ins[2] = {in.left.data() + at, in.right.data() + at};
      double* f[2] = {fast.left.data() + at, fast.right.data() + at};
      double* r[2] = {slow.left.data() + at, slow.right.data() + at};
      kernel->Process(ins, f, n);
      reference.Process(ins, r, n);
      at += n;
    }
    StereoBuffer fastJumping(jumping), slowJumping(jumping), fastTail(44100), slowTail(44100);
    for (int i = 0; i < jumping; ++i) {
      fastJumping.left[static_cast<size_t>(i)] = fast.left[static_cast<size_t>(i)];
      slowJumping.left[static_cast<size_t>(i)] = slow.left[static_cast<size_t>(i)];
    }
    const int tail = in.Frames() - 44100;
    for (int i = 0; i < 44100; ++i) {
      fastTail.left[static_cast<size_t>(i)] = fast.left[static_cast<size_t>(tail + i)];
      fastTail.right[static_cast<size_t>(i)] = fast.right[static_cast<size_t>(tail + i)];
      slowTail.left[static_cast<size_t>(i)] = slow.left[static_cast<size_t>(tail + i)];
      slowTail.right[static_cast<size_t>(i)] = slow.right[static_cast<size_t>(tail + i)];
    }
    std::printf("jumping cutoffs: plain evaluation peak %.4g, kernel peak %.4g\n", Peak(slowJumping), Peak(fastJumping));
    EXPECT_GT(Peak(slowJumping), 100.0);  // the direct form's ringing, for comparison
    EXPECT_LT(Peak(fastJumping), 8.0);
    ASSERT_GT(Peak(slowTail), 0.01);
    EXPECT_LE(MaxDifference(fastTail, slowTail), 1e-10 * Peak(slowTail)) << static_cast<int>(isa);
  }
}

TEST(EffectKernel, AnAbsurdSampleRateIsSurvived) {
  // Sample counts derived from the rate saturate instead of overflowing; the lines
  // are sized for no more than a rate hosts run at.
  for (double rate : {1e30, 3e9, 1e-300}) {
    auto kernel = EffectKernel::Create(44100);
    kernel->Init(rate);
    Apply(*kernel, {{kReverbOffOn, 1}, {kReverbRoomSize, 1}, {kReverbPanorama, 1}});
    const StereoBuffer out = RunKernel(*kernel, MakeProgramme(2000), 500);
    EXPECT_TRUE(std::isfinite(Peak(out))) << rate;
  }
}

TEST(EffectKernel, RecoversFromNonFiniteInput) {
  auto kernel = EffectKernel::Create(44100);
  Apply(*kernel, kRichSettings);
  StereoBuffer in = MakeProgramme(44100);
  in.left[1000] = std::nan("");
  in.right[1001] = INFINITY;
  in.left[1002] = -INFINITY;
  const StereoBuffer out = RunKernel(*kernel, in, 512);
  for (int i = 1010; i < out.Frames(); ++i) {
    ASSERT_TRUE(std::isfinite(out.left[static_cast<size_t>(i)])) << i;
    ASSERT_TRUE(std::isfinite(out.right[static_cast<size_t>(i)])) << i;
  }
  EXPECT_GT(Peak(out), 0.01);
}

TEST(EffectKernel, SilenceAfterSoundLeavesNoDenormals) {
  auto kernel = EffectKernel::Create(8000);
  Apply(*kernel, {{kReverbOffOn, 1}, {kReverbDecayTime, 0}, {kReverbLateReverberation, 1}, {kAmpMainBlend, 1}});
  RunKernel(*kernel, MakeProgramme(4000), 256);
  const StereoBuffer out = RunKernel(*kernel, StereoBuffer(8000 * 60), 4096);
  for (int i = 0; i < out.Frames(); ++i) {
    ASSERT_NE(std::fpclassify(out.left[static_cast<size_t>(i)]), FP_SUBNORMAL) << i;
    ASSERT_NE(std::fpclassify(out.right[static_cast<size_t>(i)]), FP_SUBNORMAL) << i;
  }
}

}  // namespace
