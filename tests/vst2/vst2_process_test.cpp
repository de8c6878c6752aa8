// Audio and MIDI through the binary's process callbacks.
#include "vst2_test_support.h"

namespace {
constexpr int kFrames = 4096;

std::unique_ptr<Vst2HostedPlugin> LoadWithReverb(int blockSize = 512) {
  Vst2HostOptions options;
  options.blockSize = blockSize;
  auto plugin = LoadMoravelle(options);
  if (plugin) SwitchReverbOn(*plugin);
  return plugin;
}

// Renders the test signal through one of the three callbacks, in host blocks of
// blockFrames (which may exceed the announced block size on purpose).
enum class Path { Accumulating, Replacing, Double };
std::vector<std::vector<double>> Render(Vst2HostedPlugin& plugin, Path path, int blockFrames) {
  auto in = TestSignal(kFrames);
  std::vector<std::vector<double>> result(2, std::vector<double>(kFrames));
  AEffect* e = plugin.Effect();
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  for (int done = 0; done < kFrames; done += blockFrames) {
    const int n = std::min(blockFrames, kFrames - done);
    if (path == Path::Double) {
      std::vector<std::vector<double>> in64(2), out64(2, std::vector<double>(static_cast<size_t>(n), 7.0));
      for (int c = 0; c < 2; ++c) in64[c].assign(in[c].begin() + done, in[c].begin() + done + n);
      auto inPtrs = ChannelPointers(in64);
      auto outPtrs = ChannelPointers(out64);
      e->processDoubleReplacing(e, inPtrs.data(), outPtrs.data(), n);
      for (int c = 0; c < 2; ++c) std::copy(out64[c].begin(), out64[c].end(), result[c].begin() + done);
    } else {
      const float prefill = path == Path::Accumulating ? 0.25f : 7.0f;  // stale data to replace
      std::vector<std::vector<float>> in32(2), out32(2, std::vector<float>(static_cast<size_t>(n), prefill));
      for (int c = 0; c < 2; ++c) in32[c].assign(in[c].begin() + done, in[c].begin() + done + n);
      auto inPtrs = ChannelPointers(in32);
      auto outPtrs = ChannelPointers(out32);
      if (path == Path::Accumulating) {
        e->process(e, inPtrs.data(), outPtrs.data(), n);
      } else {
        e->processReplacing(e, inPtrs.data(), outPtrs.data(), n);
      }
      for (int c = 0; c < 2; ++c)
        for (int f = 0; f < n; ++f)
          result[c][static_cast<size_t>(done + f)] = out32[c][static_cast<size_t>(f)] - (path == Path::Accumulating ? 0.25 : 0.0);
    }
  }
  return result;
}

double MaxDifference(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b) {
  double worst = 0.0;
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t f = 0; f < a[c].size(); ++f) worst = std::max(worst, std::abs(a[c][f] - b[c][f]));
  return worst;
}

double Energy(const std::vector<double>& samples, size_t from = 0) {
  double sum = 0.0;
  for (size_t f = from; f < samples.size(); ++f) sum += samples[f] * samples[f];
  return sum;
}
}  // namespace

TEST(Vst2Process, ThreeCallbacksGiveTheSameAudio) {
  auto accumulating = LoadWithReverb();
  auto replacing = LoadWithReverb();
  auto doubled = LoadWithReverb();
  ASSERT_TRUE(accumulating && replacing && doubled);
  const auto a = Render(*accumulating, Path::Accumulating, 512);
  const auto r = Render(*replacing, Path::Replacing, 512);
  const auto d = Render(*doubled, Path::Double, 512);
  // The reverb is really running: a tail follows the input and it differs from it.
  EXPECT_GT(Energy(d[0], 2048), 1e-4);
  auto bypassed = LoadMoravelle();  // the reverb is off by default: a straight pass
  ASSERT_TRUE(bypassed);
  EXPECT_GT(MaxDifference(d, Render(*bypassed, Path::Double, 512)), 1e-3);
  // Every output sample was replaced (no 7.0 left) and the paths agree to float precision.
  EXPECT_LT(MaxDifference(r, d), 1e-6);
  EXPECT_LT(MaxDifference(a, d), 1e-6);
}

TEST(Vst2Process, BlocksLongerThanAnnouncedAreProcessedInSlices) {
  auto announced = LoadWithReverb(256);
  auto reference = LoadWithReverb(256);
  ASSERT_TRUE(announced && reference);
  // A host that breaks its promise and passes 1000 frames per call with a block
  // size of 256: same audio as honest 250-frame blocks, and no overrun.
  const auto oversized = Render(*announced, Path::Replacing, 1000);
  const auto honest = Render(*reference, Path::Replacing, 250);
  EXPECT_LT(MaxDifference(oversized, honest), 1e-6);
  auto announced64 = LoadWithReverb(256);
  const auto oversized64 = Render(*announced64, Path::Double, 1000);
  EXPECT_LT(MaxDifference(oversized64, honest), 1e-6);
}

TEST(Vst2Process, InPlaceBuffersAndEmptyBlocks) {
  auto inPlace = LoadWithReverb();
  auto separate = LoadWithReverb();
  ASSERT_TRUE(inPlace && separate);
  auto buffers = TestSignal(512);
  auto in = TestSignal(512);
  std::vector<std::vector<float>> out(2, std::vector<float>(512));
  auto bufPtrs = ChannelPointers(buffers);
  auto inPtrs = ChannelPointers(in);
  auto outPtrs = ChannelPointers(out);
  AEffect* a = inPlace->Effect();
  AEffect* b = separate->Effect();
  a->processReplacing(a, bufPtrs.data(), bufPtrs.data(), 512);  // input and output aliased
  b->processReplacing(b, inPtrs.data(), outPtrs.data(), 512);
  for (int c = 0; c < 2; ++c)
    for (int f = 0; f < 512; ++f) ASSERT_FLOAT_EQ(buffers[c][f], out[c][f]) << c << "/" << f;
  // Zero frames and null channel arrays with zero frames are accepted and change nothing.
  a->processReplacing(a, bufPtrs.data(), bufPtrs.data(), 0);
  a->processReplacing(a, nullptr, nullptr, 0);
  a->processDoubleReplacing(a, nullptr, nullptr, 0);
  a->process(a, bufPtrs.data(), bufPtrs.data(), -5);
  EXPECT_FLOAT_EQ(buffers[0][3], out[0][3]);
}

TEST(Vst2Process, AnnouncesMidiOncePerBlock) {
  auto plugin = LoadWithReverb();
  ASSERT_TRUE(plugin);
  plugin->ClearLogs();
  Render(*plugin, Path::Replacing, 512);
  EXPECT_EQ(plugin->WantMidiCount(), kFrames / 512);
}

TEST(Vst2Process, MidiControllerReachesTheEffect) {
  auto plugin = LoadWithReverb();
  ASSERT_TRUE(plugin);
  // Controller 7 (volume) on channel 1, the effect's MIDI input channel.
  EXPECT_EQ(plugin->SendMidi({{12, {0xB0, 7, 127}}}), 1);
  std::vector<std::vector<float>> buffers(2, std::vector<float>(64, 0.0f));
  auto ptrs = ChannelPointers(buffers);
  plugin->ProcessFloat(ptrs.data(), ptrs.data(), 64);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 1.0f);
  // Another channel is not listened to; a list longer than two events with a note
  // first still delivers the controller in third place.
  EXPECT_EQ(plugin->SendMidi({{0, {0xB3, 7, 0}}}), 1);
  plugin->ProcessFloat(ptrs.data(), ptrs.data(), 64);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 1.0f);
  EXPECT_EQ(plugin->SendMidi({{0, {0x90, 60, 100}}, {1, {0x80, 60, 0}}, {2, {0xB0, 7, 0}}}), 1);
  plugin->ProcessFloat(ptrs.data(), ptrs.data(), 64);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.0f);
  EXPECT_EQ(plugin->Dispatch(effProcessEvents, 0, 0, nullptr), 0);
}

TEST(Vst2Process, HostTempoReachesTheEffect) {
  auto plugin = LoadWithReverb();
  ASSERT_TRUE(plugin);
  plugin->TimeInfo().tempo = 96.0;
  plugin->TimeInfo().flags |= kVstTempoValid;
  Render(*plugin, Path::Replacing, 512);
  EXPECT_EQ(plugin->Param(kParamHostTempo).display, "96.00000");
  plugin->TimeInfo().flags &= ~kVstTempoValid;  // the host stops giving a tempo
  Render(*plugin, Path::Replacing, 512);
  EXPECT_EQ(plugin->Param(kParamHostTempo).display, "0.00000");
}

TEST(Vst2Process, ReentrantCallsFromInsideTheHostCallback) {
  auto plugin = LoadWithReverb();
  ASSERT_TRUE(plugin);
  // As Ardour and Carla do: call the plug-in back from inside its call to the host,
  // on the same thread, while the plug-in holds its instance lock.
  int reentered = 0;
  plugin->SetCallbackHook([&](Vst2HostedPlugin& host, int32_t opcode) {
    if (opcode != audioMasterWantMidi && opcode != audioMasterGetTime) return;
    host.SetParameter(kParamMainVolume, 0.3f);
    char name[32] = {};
    host.Dispatch(effGetProgramName, 0, 0, name);
    host.Dispatch(effEditIdle);
    if (std::string(name) == "Init" && host.GetParameter(kParamMainVolume) == 0.3f) ++reentered;
  });
  Render(*plugin, Path::Replacing, 512);
  plugin->SetCallbackHook(nullptr);
  EXPECT_GE(reentered, kFrames / 512);
}
