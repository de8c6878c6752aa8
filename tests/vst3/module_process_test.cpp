// Audio through the built module equals audio through the in-process effect for the
// same parameter values and blocks, in both sample sizes.
#include <cmath>
#include <vector>

#include "adapters/offline/offline_adapter.h"
#include "effect/moravelle.h"
#include "module_path.h"

using namespace vst3;

namespace {

constexpr int kFrames = 4096;
constexpr double kRate = 48000.0;

struct Signal {
  std::vector<double> left = std::vector<double>(kFrames);
  std::vector<double> right = std::vector<double>(kFrames);
  Signal() {
    for (int i = 0; i < kFrames; ++i) {
      // A decaying burst and a chord: enough to excite the reverb everywhere.
      const double env = std::exp(-i / 900.0);
      left[static_cast<size_t>(i)] = env * std::sin(i * 0.031) + 0.2 * std::sin(i * 0.0071);
      right[static_cast<size_t>(i)] = env * std::sin(i * 0.047 + 1.0) - 0.15 * std::sin(i * 0.0113);
    }
  }
};

// Normalised values for a few parameters, away from their defaults.
const std::vector<std::pair<int, double>> kSettings = {{22, 0.3}, {23, 0.7}, {5, 0.6}, {29, 0.8}, {15, 0.55}};

template <typename Sample>
std::vector<Sample> Interleave(const std::vector<Sample>& l, const std::vector<Sample>& r) {
  std::vector<Sample> out;
  for (size_t i = 0; i < l.size(); ++i) {
    out.push_back(l[i]);
    out.push_back(r[i]);
  }
  return out;
}

std::vector<float> RenderOffline32(const Signal& s, int block) {
  Moravelle effect{OfflineAdapter::HostArgs{}};
  effect.Setup(kRate, block);
  for (auto [index, value] : kSettings) effect.SetParameterFromHost(index, value);
  std::vector<float> inL(s.left.begin(), s.left.end()), inR(s.right.begin(), s.right.end());
  std::vector<float> outL(kFrames), outR(kFrames);
  for (int done = 0; done < kFrames; done += block) {
    const float* in[2] = {inL.data() + done, inR.data() + done};
    float* out[2] = {outL.data() + done, outR.data() + done};
    effect.Process32(in, out, std::min(block, kFrames - done));
  }
  return Interleave(outL, outR);
}

std::vector<float> RenderModule32(const Signal& s, int block, int hostBlock) {
  auto host = LoadModule();
  if (!host || !host->Setup(kRate, block, kSample32)) return {};
  for (auto [index, value] : kSettings) host->QueueParam(static_cast<ParamID>(index), value);
  std::vector<float> inL(s.left.begin(), s.left.end()), inR(s.right.begin(), s.right.end());
  std::vector<float> outL(kFrames), outR(kFrames);
  for (int done = 0; done < kFrames; done += hostBlock) {
    const float* in[2] = {inL.data() + done, inR.data() + done};
    float* out[2] = {outL.data() + done, outR.data() + done};
    if (!host->Process32(in, out, std::min(hostBlock, kFrames - done))) return {};
  }
  return Interleave(outL, outR);
}

}  // namespace

TEST(Vst3Audio, ThirtyTwoBitMatchesTheInProcessEffect) {
  const Signal s;
  const std::vector<float> reference = RenderOffline32(s, 256);
  const std::vector<float> hosted = RenderModule32(s, 256, 256);
  ASSERT_EQ(hosted.size(), reference.size());
  double energy = 0.0;
  for (size_t i = 0; i < reference.size(); ++i) {
    ASSERT_EQ(hosted[i], reference[i]) << "sample " << i;
    energy += reference[i] * reference[i];
  }
  EXPECT_GT(energy, 1.0);  // the comparison is of real output, not of silence
}

TEST(Vst3Audio, HostBlocksLongerThanAnnouncedAreSlicedLikeTheEffectsOwnHost) {
  const Signal s;
  // The offline host slices a 1024-frame call into 256-frame blocks exactly so.
  Moravelle effect{OfflineAdapter::HostArgs{}};
  effect.Setup(kRate, 256);
  for (auto [index, value] : kSettings) effect.SetParameterFromHost(index, value);
  std::vector<float> inL(s.left.begin(), s.left.end()), inR(s.right.begin(), s.right.end());
  std::vector<float> outL(kFrames), outR(kFrames);
  for (int done = 0; done < kFrames; done += 1024) {
    const float* in[2] = {inL.data() + done, inR.data() + done};
    float* out[2] = {outL.data() + done, outR.data() + done};
    effect.Process32(in, out, 1024);
  }
  const std::vector<float> reference = Interleave(outL, outR);
  const std::vector<float> hosted = RenderModule32(s, 256, 1024);
  ASSERT_EQ(hosted.size(), reference.size());
  for (size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(hosted[i], reference[i]) << "sample " << i;
}

TEST(Vst3Audio, SixtyFourBitMatchesTheInProcessEffect) {
  const Signal s;
  Moravelle effect{OfflineAdapter::HostArgs{}};
  effect.Setup(kRate, 512);
  for (auto [index, value] : kSettings) effect.SetParameterFromHost(index, value);
  std::vector<double> refL(kFrames), refR(kFrames);
  std::vector<double> inL = s.left, inR = s.right;
  for (int done = 0; done < kFrames; done += 512) {
    double* in[2] = {inL.data() + done, inR.data() + done};
    double* out[2] = {refL.data() + done, refR.data() + done};
    effect.Process64(in, out, 512);
  }

  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(kRate, 512, kSample64)) << host->LastError();
  for (auto [index, value] : kSettings) host->QueueParam(static_cast<ParamID>(index), value);
  std::vector<double> outL(kFrames), outR(kFrames);
  for (int done = 0; done < kFrames; done += 512) {
    double* in[2] = {inL.data() + done, inR.data() + done};
    double* out[2] = {outL.data() + done, outR.data() + done};
    ASSERT_TRUE(host->Process64(in, out, 512));
  }
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_EQ(outL[static_cast<size_t>(i)], refL[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(outR[static_cast<size_t>(i)], refR[static_cast<size_t>(i)]) << i;
  }
}

TEST(Vst3Audio, SixtyFourBitBypassCopiesTheInput) {
  const Signal s;
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(kRate, 256, kSample64));
  host->QueueParam(kBypassId, 1.0);
  std::vector<double> inL = s.left, inR = s.right, outL(256), outR(256);
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
  ASSERT_TRUE(host->Process64(in, out, 256));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(outL[static_cast<size_t>(i)], inL[static_cast<size_t>(i)]);
}

TEST(Vst3Audio, FlushesAndMissingBuffersNeverCrash) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(kRate, 256, kSample32));
  host->QueueParam(3, 0.5);
  EXPECT_TRUE(host->Flush());
  ProcessData data{};
  data.symbolicSampleSize = kSample32;
  data.numSamples = 128;  // samples announced, no buses given
  EXPECT_EQ(host->Processor()->process(data), kResultOk);
  AudioBusBuffers nullBuses[1]{};
  nullBuses[0].numChannels = 2;  // channels announced, arrays missing
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = nullBuses;
  data.outputs = nullBuses;
  EXPECT_EQ(host->Processor()->process(data), kResultOk);
  float* missing[2] = {nullptr, nullptr};
  nullBuses[0].channelBuffers32 = missing;
  EXPECT_EQ(host->Processor()->process(data), kResultOk);
}
