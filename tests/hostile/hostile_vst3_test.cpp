// The built VST3 module under hosts that bend the processing rules: no process
// context and no change lists, zero and one frame blocks, blocks longer than
// announced, in-place buffers, and 32-bit then 64-bit processing after a new setup.
// Every block: nothing written outside the host's arrays, no NaN or infinity, and
// the audio a sound host would receive.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "guarded_channels.h"
#include "hosts/vst3/vst3_host.h"

using namespace vst3;

namespace {

constexpr double kRate = 44100.0;
constexpr int kFrames = 8192;
// ReverbOffOn, ReverbDecayTime, ReverbRoomSize, ReverbEarlyReflections,
// ReverbLateReverberation, AmpMainBlend.
constexpr std::pair<ParamID, double> kAudibleReverb[] = {{26, 1.0}, {23, 0.5}, {29, 0.6}, {24, 0.5}, {25, 0.9}, {5, 0.5}};

std::unique_ptr<host3::Vst3Host> Load() {
  std::string error;
  auto host = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
  EXPECT_TRUE(host) << error;
  return host;
}

template <typename Sample>
constexpr int SampleSize() {
  return sizeof(Sample) == sizeof(float) ? kSample32 : kSample64;
}

template <typename Sample>
bool Process(host3::Vst3Host& host, Sample* const* in, Sample* const* out, int frames) {
  if constexpr (sizeof(Sample) == sizeof(float)) {
    return host.Process32(in, out, frames);
  } else {
    return host.Process64(in, out, frames);
  }
}

// A medium room, clearly audible, with a long tail.
void ReverbOn(host3::Vst3Host& host) {
  for (auto [id, value] : kAudibleReverb) host.QueueParam(id, value);
}

// The whole input through the host in blocks of hostBlock frames, into out (or in
// place when out is null).
template <typename Sample>
bool Render(host3::Vst3Host& host, GuardedChannels<Sample>& in, GuardedChannels<Sample>* out, int hostBlock) {
  for (int done = 0; done < in.Frames(); done += hostBlock) {
    const int n = std::min(hostBlock, in.Frames() - done);
    Sample* i[2] = {in.Channel(0) + done, in.Channel(1) + done};
    Sample* o[2] = {out ? out->Channel(0) + done : i[0], out ? out->Channel(1) + done : i[1]};
    if (!Process<Sample>(host, i, o, n)) return false;
  }
  return true;
}

// A fresh instance, reverb on, the test signal in blocks of hostBlock after a setup
// announcing maxBlock.
template <typename Sample>
std::vector<double> ReverbRender(int maxBlock, int hostBlock) {
  auto host = Load();
  if (!host || !host->Setup(kRate, maxBlock, SampleSize<Sample>())) return {};
  ReverbOn(*host);
  GuardedChannels<Sample> in(2, kFrames), out(2, kFrames);
  FillTestSignal(in, kRate);
  if (!Render(*host, in, &out, hostBlock)) return {};
  EXPECT_TRUE(out.GuardsIntact());
  EXPECT_TRUE(in.GuardsIntact());
  EXPECT_TRUE(out.AllFinite());
  return out.Samples();
}

template <typename Sample>
class HostileVst3 : public ::testing::Test {};
using SampleSizes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(HostileVst3, SampleSizes);

TYPED_TEST(HostileVst3, NoContextNoChangeListsNoEventsPassesTheInputThrough) {
  auto host = Load();
  ASSERT_TRUE(host && host->Setup(kRate, 512, SampleSize<TypeParam>()));
  host->SetSendChangeLists(false);  // and no context was ever set: three null pointers
  GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
  FillTestSignal(in, kRate);
  ASSERT_TRUE(Render(*host, in, &out, 512));
  EXPECT_EQ(out.Samples(), in.Samples()) << "a fresh instance passes its input through";
  EXPECT_TRUE(out.GuardsIntact());
}

TYPED_TEST(HostileVst3, ZeroFramesWriteNothing) {
  auto host = Load();
  ASSERT_TRUE(host && host->Setup(kRate, 512, SampleSize<TypeParam>()));
  ReverbOn(*host);
  GuardedChannels<TypeParam> in(2, 512), out(2, 512);
  FillTestSignal(in, kRate);
  out.Fill(TypeParam(0.125));
  ASSERT_TRUE(Process<TypeParam>(*host, in.Pointers(), out.Pointers(), 0));
  EXPECT_TRUE(out.GuardsIntact());
  EXPECT_TRUE(std::all_of(out.Channel(0), out.Channel(0) + 512, [](TypeParam v) { return v == TypeParam(0.125); }));
  EXPECT_TRUE(std::all_of(out.Channel(1), out.Channel(1) + 512, [](TypeParam v) { return v == TypeParam(0.125); }));
}

TYPED_TEST(HostileVst3, OneFrameBlocksGiveTheSameAudio) {
  const std::vector<double> whole = ReverbRender<TypeParam>(512, 512);
  const std::vector<double> single = ReverbRender<TypeParam>(512, 1);
  ASSERT_FALSE(whole.empty());
  EXPECT_EQ(single, whole);
}

TYPED_TEST(HostileVst3, BlocksLongerThanAnnouncedAreProcessedInSlices) {
  const std::vector<double> announced = ReverbRender<TypeParam>(256, 256);
  const std::vector<double> longer = ReverbRender<TypeParam>(256, kFrames);  // 32 times the announced size
  ASSERT_FALSE(announced.empty());
  EXPECT_EQ(longer, announced);
}

TYPED_TEST(HostileVst3, InPlaceEqualsSeparateArrays) {
  const std::vector<double> separate = ReverbRender<TypeParam>(512, 512);
  auto host = Load();
  ASSERT_TRUE(host && host->Setup(kRate, 512, SampleSize<TypeParam>()));
  ReverbOn(*host);
  GuardedChannels<TypeParam> buffer(2, kFrames);
  FillTestSignal(buffer, kRate);
  ASSERT_TRUE(Render<TypeParam>(*host, buffer, nullptr, 512));
  EXPECT_TRUE(buffer.GuardsIntact());
  EXPECT_EQ(buffer.Samples(), separate);
}

TEST(HostileVst3Sizes, ThirtyTwoThenSixtyFourBitAfterANewSetup) {
  // One instance: 32-bit blocks, then a new setup for 64-bit. Each part sounds as a
  // fresh instance set up for its sample size alone.
  const std::vector<double> fresh32 = ReverbRender<float>(512, 512);
  const std::vector<double> fresh64 = ReverbRender<double>(512, 512);
  ASSERT_FALSE(fresh32.empty());
  ASSERT_FALSE(fresh64.empty());
  auto host = Load();
  ASSERT_TRUE(host && host->Setup(kRate, 512, kSample32));
  ReverbOn(*host);
  GuardedChannels<float> in32(2, kFrames), out32(2, kFrames);
  FillTestSignal(in32, kRate);
  ASSERT_TRUE(Render(*host, in32, &out32, 512));
  ASSERT_TRUE(host->Setup(kRate, 512, kSample64)) << host->LastError();
  GuardedChannels<double> in64(2, kFrames), out64(2, kFrames);
  FillTestSignal(in64, kRate);
  ASSERT_TRUE(Render(*host, in64, &out64, 512));
  EXPECT_TRUE(out32.GuardsIntact() && out64.GuardsIntact());
  EXPECT_EQ(out32.Samples(), fresh32);
  EXPECT_EQ(out64.Samples(), fresh64) << "the new setup starts the tail afresh";
  // And the two sample sizes agree to float precision.
  for (size_t i = 0; i < fresh64.size(); ++i)
    ASSERT_NEAR(fresh32[i], fresh64[i], 1e-6 * std::max(1.0, std::fabs(fresh64[i]))) << "sample " << i;
}

}  // namespace
