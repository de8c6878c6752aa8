// The same effect through both formats in one process: Moravelle loaded as a VST2
// binary by the project's VST2 host and as a VST3 module by its VST3 host, given the
// same normalised parameter values through each format's own parameter calls and the
// same blocks, must produce the same audio: exactly in 64 bits (both formats hand
// the effect the host's 64-bit buffers), and to float precision in 32 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/vst3_host.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kMaxBlock = 512;
constexpr double kPi = 3.14159265358979323846;

struct Change {
  int index;          // effect parameter index = VST2 index = VST3 parameter ID
  float normalised;   // a float, so that VST2's setParameter carries it whole
};

// A deterministic stereo test signal: decaying tones with clicks, different per side.
std::vector<double> Signal(int channel, int frames) {
  std::vector<double> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const double t = i / kRate;
    double v = 0.4 * std::sin(2.0 * kPi * (220.0 + 110.0 * channel) * t) * std::exp(-3.0 * std::fmod(t, 0.25));
    if (i % 4410 == channel * 7) v += 0.8;
    s[static_cast<size_t>(i)] = v;
  }
  return s;
}

class FormatParity : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    Vst2HostOptions options;
    options.productName = "Moravelle Parity";
    vst2_ = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error, options);
    ASSERT_TRUE(vst2_) << error;
    vst3_ = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
    ASSERT_TRUE(vst3_) << error;
    ASSERT_EQ(vst2_->NumParams(), 31);
  }

  void Prepare(bool sixtyFour, int block) {
    vst2_->Suspend();
    vst2_->SetSampleRate(kRate);
    vst2_->SetBlockSize(block);
    vst2_->Resume();
    ASSERT_TRUE(vst3_->Setup(kRate, block, sixtyFour ? vst3::kSample64 : vst3::kSample32)) << vst3_->LastError();
    // The same host time in both: 120 BPM, 4/4, from sample 0.
    vst3::ProcessContext context{};
    context.state = vst3::ProcessContext::kTempoValid | vst3::ProcessContext::kTimeSigValid;
    context.sampleRate = kRate;
    context.tempo = vst2_->TimeInfo().tempo;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    vst3_->SetProcessContext(context);
  }

  void Apply(const std::vector<Change>& changes) {
    for (const Change& c : changes) {
      vst2_->SetParameter(c.index, c.normalised);                        // effect record's setParameter
      vst3_->QueueParam(static_cast<vst3::ParamID>(c.index), c.normalised);  // next block's parameter queue
    }
  }

  // Renders frames in blocks through both formats; the changes of step k apply before
  // block k. Returns the largest difference between the two outputs.
  template <typename Sample>
  double Compare(int frames, int block, const std::vector<std::vector<Change>>& steps, double* loudest) {
    const std::vector<double> left = Signal(0, frames), right = Signal(1, frames);
    std::vector<Sample> in[2], out2[2], out3[2];
    for (int c = 0; c < 2; ++c) {
      in[c].resize(static_cast<size_t>(block));
      out2[c].resize(static_cast<size_t>(block));
      out3[c].resize(static_cast<size_t>(block));
    }
    double worst = 0.0;
    *loudest = 0.0;
    size_t step = 0;
    for (int done = 0; done < frames; done += block) {
      const int n = std::min(block, frames - done);
      if (step < steps.size()) Apply(steps[step++]);
      for (int i = 0; i < n; ++i) {
        in[0][static_cast<size_t>(i)] = static_cast<Sample>(left[static_cast<size_t>(done + i)]);
        in[1][static_cast<size_t>(i)] = static_cast<Sample>(right[static_cast<size_t>(done + i)]);
      }
      Sample* inputs[] = {in[0].data(), in[1].data()};
      Sample* vst2Out[] = {out2[0].data(), out2[1].data()};
      Sample* vst3Out[] = {out3[0].data(), out3[1].data()};
      if constexpr (sizeof(Sample) == sizeof(double)) {
        vst2_->ProcessDouble(inputs, vst2Out, n);
        EXPECT_TRUE(vst3_->Process64(inputs, vst3Out, n));
      } else {
        vst2_->ProcessFloat(inputs, vst2Out, n);
        EXPECT_TRUE(vst3_->Process32(inputs, vst3Out, n));
      }
      for (int c = 0; c < 2; ++c)
        for (int i = 0; i < n; ++i) {
          const double a = out2[c][static_cast<size_t>(i)], b = out3[c][static_cast<size_t>(i)];
          worst = std::max(worst, std::fabs(a - b));
          *loudest = std::max(*loudest, std::fabs(a));
        }
    }
    return worst;
  }

  std::unique_ptr<Vst2HostedPlugin> vst2_;
  std::unique_ptr<host3::Vst3Host> vst3_;
};

// Parameter sets as normalised values (indices as in the effect's table).
const std::vector<std::vector<Change>> kSettings[] = {
    // The reverb switched on at its defaults.
    {{{26, 1.0f}}},
    // A mixed room, changed twice while it plays.
    {{{26, 1.0f}, {29, 0.6f}, {23, 0.15f}, {24, 0.5f}, {25, 0.9f}, {5, 0.5f}},
     {},
     {{22, 0.3f}, {16, 1.0f / 3.0f}},
     {},
     {{29, 0.25f}, {27, 0.75f}, {28, 0.0625f}}},
    // Both clippers driven, band-reject amp filter, left input only.
    {{{26, 1.0f}, {12, 1.0f}, {11, 0.8f}, {1, 1.0f}, {0, 0.7f}, {4, 1.0f}, {16, 1.0f / 3.0f}, {25, 0.7f}}},
};

TEST_F(FormatParity, SixtyFourBitOutputIsIdenticalAcrossFormats) {
  for (int block : {64, 300, kMaxBlock}) {
    for (size_t s = 0; s < std::size(kSettings); ++s) {
      SCOPED_TRACE("block " + std::to_string(block) + ", settings " + std::to_string(s));
      SetUp();  // fresh instances for every case
      Prepare(true, block);
      double loudest = 0.0;
      EXPECT_EQ(Compare<double>(static_cast<int>(kRate), block, kSettings[s], &loudest), 0.0);
      EXPECT_GT(loudest, 0.05);  // and there was sound to compare
    }
  }
}

TEST_F(FormatParity, ThirtyTwoBitOutputAgreesToFloatPrecision) {
  for (int block : {64, kMaxBlock}) {
    for (size_t s = 0; s < std::size(kSettings); ++s) {
      SCOPED_TRACE("block " + std::to_string(block) + ", settings " + std::to_string(s));
      SetUp();
      Prepare(false, block);
      double loudest = 0.0;
      const double worst = Compare<float>(static_cast<int>(kRate), block, kSettings[s], &loudest);
      EXPECT_GT(loudest, 0.05);
      // One float rounding of the output at most (2^-24 relative to full scale and above).
      EXPECT_LE(worst, std::max(loudest, 1.0) * 6e-8);
    }
  }
}

TEST_F(FormatParity, DifferentValuesGiveDifferentOutputInBothFormats) {
  // The comparison is not blind: the VST3 side alone, with another room size, differs.
  Prepare(true, kMaxBlock);
  vst2_->SetParameter(26, 1.0f);
  vst2_->SetParameter(25, 0.9f);
  vst3_->QueueParam(26, 1.0);
  vst3_->QueueParam(25, 0.5);
  double loudest = 0.0;
  EXPECT_GT(Compare<double>(static_cast<int>(kRate / 2), kMaxBlock, {}, &loudest), 1e-3);
}

}  // namespace
