// The built VST2 binary under hosts that bend the calling rules: processing before
// effMainsChanged(1), sample rate and block size changed while stopped and while
// running, a block size of 0 or 1 announced, and no effEditIdle ever. Every block:
// nothing written outside the host's arrays, no NaN or infinity, and the audio a
// sound host would receive.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "guarded_channels.h"
#include "hosts/vst2/vst2_host.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kFrames = 8192;
constexpr int kReverbDecayTime = 23;
// ReverbOffOn, ReverbDecayTime, ReverbRoomSize, ReverbEarlyReflections,
// ReverbLateReverberation, AmpMainBlend.
constexpr std::pair<int, float> kAudibleReverb[] = {{26, 1.0f}, {23, 0.5f}, {29, 0.6f}, {24, 0.5f}, {25, 0.9f}, {5, 0.5f}};

std::unique_ptr<Vst2HostedPlugin> Load(const Vst2HostOptions& options = {}) {
  std::string error;
  auto plugin = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error, options);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

// A medium room, clearly audible, with a long tail.
void ReverbOn(Vst2HostedPlugin& plugin) {
  for (auto [index, value] : kAudibleReverb) plugin.SetParameter(index, value);
}

template <typename Sample>
void Process(Vst2HostedPlugin& plugin, Sample* const* in, Sample* const* out, int frames) {
  if constexpr (sizeof(Sample) == sizeof(float)) {
    plugin.ProcessFloat(in, out, frames);
  } else {
    plugin.ProcessDouble(in, out, frames);
  }
}

// Frames first..last of the input through the plug-in, in blocks of hostBlock.
template <typename Sample>
void RenderRange(Vst2HostedPlugin& plugin, GuardedChannels<Sample>& in, GuardedChannels<Sample>& out, int first,
                 int last, int hostBlock) {
  for (int done = first; done < last; done += hostBlock) {
    const int n = std::min(hostBlock, last - done);
    Sample* i[2] = {in.Channel(0) + done, in.Channel(1) + done};
    Sample* o[2] = {out.Channel(0) + done, out.Channel(1) + done};
    Process<Sample>(plugin, i, o, n);
  }
}

template <typename Sample>
void ExpectSound(const GuardedChannels<Sample>& in, const GuardedChannels<Sample>& out) {
  EXPECT_TRUE(in.GuardsIntact());
  EXPECT_TRUE(out.GuardsIntact());
  EXPECT_TRUE(out.AllFinite());
}

template <typename Sample>
class HostileVst2 : public ::testing::Test {};
using SampleSizes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(HostileVst2, SampleSizes);

TYPED_TEST(HostileVst2, ProcessingBeforeMainsOnPassesTheInputThrough) {
  Vst2HostOptions options;
  options.processWhileSuspended = true;
  auto plugin = Load(options);
  ASSERT_TRUE(plugin);
  GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
  FillTestSignal(in, kRate);
  RenderRange(*plugin, in, out, 0, kFrames, 512);
  ASSERT_FALSE(plugin->Active());
  ExpectSound(in, out);
  EXPECT_EQ(out.Samples(), in.Samples()) << "a fresh instance passes its input through";
}

TYPED_TEST(HostileVst2, ProcessingBeforeMainsOnSoundsAsAfterIt) {
  auto render = [](bool resumeFirst) {
    Vst2HostOptions options;
    options.processWhileSuspended = true;
    auto plugin = Load(options);
    GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
    if (!plugin) return std::vector<double>{};
    if (resumeFirst) plugin->Resume();
    ReverbOn(*plugin);
    FillTestSignal(in, kRate);
    RenderRange(*plugin, in, out, 0, kFrames, 512);
    ExpectSound(in, out);
    return out.Samples();
  };
  const std::vector<double> sound = render(true);
  ASSERT_FALSE(sound.empty());
  EXPECT_EQ(render(false), sound);
}

TYPED_TEST(HostileVst2, RateAndBlockSizeChangedWhileRunningSoundAsWhileStopped) {
  // The same changes, once with the host suspending around each (sound), once
  // without (odd): rate and block size change while stopped and while running.
  struct Step {
    double rate;
    int block;
  };
  const Step steps[] = {{44100, 512}, {96000, 128}, {22050, 1024}, {48000, 64}, {192000, 2048}};
  auto render = [&steps](bool whileRunning) {
    Vst2HostOptions options;
    options.changeSetupWhileRunning = whileRunning;
    auto plugin = Load(options);
    GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
    if (!plugin) return std::vector<double>{};
    ReverbOn(*plugin);
    FillTestSignal(in, kRate);
    const int part = kFrames / static_cast<int>(std::size(steps));
    int done = 0;
    for (const Step& step : steps) {
      plugin->SetSampleRate(step.rate);
      plugin->SetBlockSize(step.block);
      RenderRange(*plugin, in, out, done, done + part, step.block);
      done += part;
    }
    ExpectSound(in, out);
    return out.Samples();
  };
  const std::vector<double> sound = render(false);
  ASSERT_FALSE(sound.empty());
  EXPECT_EQ(render(true), sound);
}

TYPED_TEST(HostileVst2, ABlockSizeOfZeroOrOneAnnounced) {
  // A sound host: 512 announced, 512 sent. The odd ones announce 0 (refused, the
  // previous size stays) or 1 (the plug-in slices) and send 512 all the same; and
  // one that announces 1 and keeps to it.
  auto render = [](int announced, bool ignore, int hostBlock) {
    Vst2HostOptions options;
    options.ignoreAnnouncedBlockSize = ignore;
    auto plugin = Load(options);
    GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
    if (!plugin) return std::vector<double>{};
    plugin->SetBlockSize(announced);
    ReverbOn(*plugin);
    FillTestSignal(in, kRate);
    RenderRange(*plugin, in, out, 0, kFrames, hostBlock);
    ExpectSound(in, out);
    return out.Samples();
  };
  const std::vector<double> sound = render(512, false, 512);
  ASSERT_FALSE(sound.empty());
  EXPECT_EQ(render(0, true, 512), sound);
  EXPECT_EQ(render(1, true, 512), sound);
  EXPECT_EQ(render(1, false, 1), sound);
}

TYPED_TEST(HostileVst2, NoEditIdleEverChangesNothing) {
  // Automation every block, and MIDI: the audio must not wait on idle calls.
  auto render = [](bool idle) {
    auto plugin = Load();
    GuardedChannels<TypeParam> in(2, kFrames), out(2, kFrames);
    if (!plugin) return std::vector<double>{};
    ReverbOn(*plugin);
    FillTestSignal(in, kRate);
    for (int done = 0, block = 0; done < kFrames; done += 256, ++block) {
      plugin->SetParameter(kReverbDecayTime, 0.2f + 0.05f * static_cast<float>(block % 10));
      plugin->SendMidi({{10, {0xB0, 7, static_cast<uint8_t>(block % 128)}}});
      RenderRange(*plugin, in, out, done, done + 256, 256);
      if (idle) plugin->Dispatch(effEditIdle);
    }
    ExpectSound(in, out);
    return out.Samples();
  };
  const std::vector<double> withIdle = render(true);
  ASSERT_FALSE(withIdle.empty());
  EXPECT_EQ(render(false), withIdle);
}

}  // namespace
