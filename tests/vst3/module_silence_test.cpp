// Output silence flags through the built module, in both sample sizes: a channel is
// flagged exactly when the host receives nothing but zeros in it, stale bits from the
// host are overwritten, and the input flags never change the audio.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "module_path.h"

using namespace vst3;

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr ParamID kReverbDecayTime = 23;
constexpr ParamID kReverbOffOn = 26;
// ReverbRoomSize, ReverbEarlyReflections, ReverbLateReverberation, AmpMainBlend: a
// medium room mixed half and half, the renderer's audible settings.
constexpr std::pair<ParamID, double> kAudibleRoom[] = {{29, 0.6}, {24, 0.5}, {25, 0.9}, {5, 0.5}};
constexpr uint64 kAllStale = ~uint64(0);

// Stereo audio in the sample size under test; a hit is a short decaying burst.
template <typename Sample>
struct Stereo {
  std::vector<Sample> left, right;
  explicit Stereo(int frames) : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)) {}
  void AddHit(int at, int length) {
    for (int i = 0; i < length && at + i < static_cast<int>(left.size()); ++i) {
      const double env = std::exp(-i / (length / 6.0));
      left[static_cast<size_t>(at + i)] = static_cast<Sample>(0.8 * env * std::sin(i * 0.09));
      right[static_cast<size_t>(at + i)] = static_cast<Sample>(0.7 * env * std::sin(i * 0.13 + 0.5));
    }
  }
};

template <typename Sample>
bool ProcessOne(host3::Vst3Host& host, Sample* const* in, Sample* const* out, int frames) {
  if constexpr (sizeof(Sample) == sizeof(float)) {
    return host.Process32(in, out, frames);
  } else {
    return host.Process64(in, out, frames);
  }
}

template <typename Sample>
constexpr int SampleSize() {
  return sizeof(Sample) == sizeof(float) ? kSample32 : kSample64;
}

template <typename Sample>
uint64 ZeroChannelsSeenByTest(const Sample* left, const Sample* right, int frames) {
  auto zero = [frames](const Sample* s) { return std::all_of(s, s + frames, [](Sample v) { return v == 0; }); };
  return (zero(left) ? 1u : 0u) | (zero(right) ? 2u : 0u);
}

struct Rendered {
  std::vector<uint64> flags;  // per block, as the plug-in reported them
  int mismatches = 0;         // blocks whose flags differ from the test's own scan
  int silentBlocks = 0;       // blocks with both channels flagged
  std::vector<double> audio;  // left then right, widened
};

// Renders input block by block through a fresh instance, with the given input flags
// per block (a function of the block's input) and stale output bits before every call.
template <typename Sample, typename InputFlags>
Rendered Render(const Stereo<Sample>& input, bool reverbOn, double decay, InputFlags inputFlags,
                bool audibleRoom = true) {
  Rendered r;
  auto host = LoadModule();
  if (!host || !host->Setup(kRate, kBlock, SampleSize<Sample>())) return r;
  host->QueueParam(kReverbOffOn, reverbOn ? 1.0 : 0.0);
  host->QueueParam(kReverbDecayTime, decay);
  if (audibleRoom)
    for (auto [id, value] : kAudibleRoom) host->QueueParam(id, value);
  const int frames = static_cast<int>(input.left.size());
  std::vector<Sample> inL = input.left, inR = input.right;
  std::vector<Sample> outL(static_cast<size_t>(frames)), outR(static_cast<size_t>(frames));
  for (int done = 0; done < frames; done += kBlock) {
    const int n = std::min(kBlock, frames - done);
    Sample* in[2] = {inL.data() + done, inR.data() + done};
    Sample* out[2] = {outL.data() + done, outR.data() + done};
    host->SetSilenceFlags(inputFlags(in[0], in[1], n), kAllStale);
    if (!ProcessOne<Sample>(*host, in, out, n)) return Rendered{};
    const uint64 flags = host->OutputSilenceFlags();
    r.flags.push_back(flags);
    if (flags != ZeroChannelsSeenByTest<Sample>(out[0], out[1], n)) ++r.mismatches;
    if (flags == 3) ++r.silentBlocks;
  }
  r.audio.assign(outL.begin(), outL.end());
  r.audio.insert(r.audio.end(), outR.begin(), outR.end());
  return r;
}

template <typename Sample>
uint64 NoInputFlags(const Sample*, const Sample*, int) {
  return 0;
}

template <typename Sample>
class Vst3SilenceFlags : public ::testing::Test {};
using SampleSizes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Vst3SilenceFlags, SampleSizes);

TYPED_TEST(Vst3SilenceFlags, FlagExactlyTheChannelsThatAreZero) {
  // Reverb off passes the input through: silence, then the left alone, then both.
  Stereo<TypeParam> input(3 * kBlock);
  for (int i = kBlock; i < 3 * kBlock; ++i) input.left[static_cast<size_t>(i)] = TypeParam(0.25);
  for (int i = 2 * kBlock + 100; i < 2 * kBlock + 101; ++i) input.right[static_cast<size_t>(i)] = TypeParam(-0.5);
  const Rendered r = Render(input, false, 0.0, NoInputFlags<TypeParam>);
  ASSERT_EQ(r.flags.size(), 3u);
  EXPECT_EQ(r.flags[0], 3u) << "silent block, over stale bits";
  EXPECT_EQ(r.flags[1], 2u) << "left sounds, right silent";
  EXPECT_EQ(r.flags[2], 0u) << "one sample in the right is enough";
}

TYPED_TEST(Vst3SilenceFlags, ReverbTailIsFlaggedOnlyWhereTheHostReceivesZeros) {
  // A hit, then silence: while the tail rings nothing is flagged; every flag agrees
  // with a scan of the output as received.
  Stereo<TypeParam> input(static_cast<int>(kRate * 2));
  input.AddHit(0, 2000);
  const Rendered r = Render(input, true, 0.0, NoInputFlags<TypeParam>);
  ASSERT_FALSE(r.flags.empty());
  EXPECT_EQ(r.mismatches, 0);
  EXPECT_EQ(r.flags[0], 0u);
  EXPECT_EQ(r.flags[1], 0u) << "the tail still rings right after the hit";
}

TYPED_TEST(Vst3SilenceFlags, InputFlagsNeverChangeTheAudio) {
  Stereo<TypeParam> input(static_cast<int>(kRate * 3));
  input.AddHit(kBlock * 3, 3000);
  const Rendered plain = Render(input, true, 0.5, NoInputFlags<TypeParam>);
  // An honest host: the flags say which input channels are all zero.
  const Rendered honest = Render(input, true, 0.5, ZeroChannelsSeenByTest<TypeParam>);
  // A host with stale bits: every channel claimed silent, signal or not.
  const Rendered stale = Render(input, true, 0.5, [](const TypeParam*, const TypeParam*, int) { return kAllStale; });
  ASSERT_FALSE(plain.audio.empty());
  ASSERT_EQ(honest.audio.size(), plain.audio.size());
  ASSERT_EQ(stale.audio.size(), plain.audio.size());
  for (size_t i = 0; i < plain.audio.size(); ++i) {
    ASSERT_EQ(honest.audio[i], plain.audio[i]) << "sample " << i;
    ASSERT_EQ(stale.audio[i], plain.audio[i]) << "sample " << i;
  }
  EXPECT_EQ(honest.flags, plain.flags);
}

TEST(Vst3SilenceFlags32, ADenormalPassedThroughIsNotSilence) {
  // Reverb off passes the input bit for bit, a denormal float included: the host
  // receives a non-zero sample, so the channel must not be flagged.
  Stereo<float> input(kBlock);
  input.left[7] = std::numeric_limits<float>::denorm_min();
  const Rendered r = Render(input, false, 0.0, NoInputFlags<float>);
  ASSERT_EQ(r.flags.size(), 1u);
  EXPECT_EQ(r.flags[0], 2u);
  EXPECT_EQ(r.audio[7], static_cast<double>(std::numeric_limits<float>::denorm_min()));
}

TEST(Vst3SilenceFlags32, AParameterFlushClearsStaleFlags) {
  auto host = LoadModule();
  ASSERT_TRUE(host && host->Setup(kRate, kBlock, kSample32));
  float left[kBlock] = {}, right[kBlock] = {};
  float* in[2] = {left, right};
  float* out[2] = {left, right};
  host->SetSilenceFlags(0, kAllStale);
  ASSERT_TRUE(host->Process32(in, out, 0));
  EXPECT_EQ(host->OutputSilenceFlags(), 0u) << "no audio was written, so nothing is claimed";
}

// The figures for 30 seconds of a short hit followed by silence: how many blocks of
// 512 frames at 44.1 kHz come back flagged silent in both channels, with the other
// parameters at their defaults (no early or late level: only the dry hit sounds)
// and in the audible room. Printed, and checked against the test's own scan.
TEST(Vst3SilenceFlagsFigures, ThirtySecondsOfAHitThenSilence) {
  Stereo<float> input32(static_cast<int>(kRate * 30));
  Stereo<double> input64(static_cast<int>(kRate * 30));
  input32.AddHit(0, 2000);
  input64.AddHit(0, 2000);
  for (bool room : {false, true}) {
    for (double decay : {0.0, 0.5}) {
      const Rendered r32 = Render(input32, true, decay, NoInputFlags<float>, room);
      const Rendered r64 = Render(input64, true, decay, NoInputFlags<double>, room);
      ASSERT_FALSE(r32.flags.empty());
      ASSERT_FALSE(r64.flags.empty());
      EXPECT_EQ(r32.mismatches, 0);
      EXPECT_EQ(r64.mismatches, 0);
      std::printf("%s, decay %.1f: %d of %zu blocks flagged silent in 32-bit, %d of %zu in 64-bit\n",
                  room ? "audible room" : "defaults", decay, r32.silentBlocks, r32.flags.size(), r64.silentBlocks,
                  r64.flags.size());
    }
  }
}

}  // namespace
