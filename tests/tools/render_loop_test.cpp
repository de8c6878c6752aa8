// The render loop as a host: set-up, block sizes, tail, precision, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/render/in_process_target.h"
#include "tools/render/param_assignment.h"
#include "tools/render/render_loop.h"

namespace {

// Records what a host did to it; outputs = inputs * 2 + the running frame count, so a
// dropped, repeated or reordered frame shows in the output.
class RecordingTarget : public RenderTarget {
 public:
  int ParamCount() const override { return 0; }
  TargetParamInfo DescribeParam(int) const override { return {}; }
  double ParamValue(int) const override { return 0.0; }
  Status SetParamValue(int, double) override { return Status::Ok(); }
  void Prepare(double sampleRate, int blockSize) override {
    prepares.push_back({sampleRate, blockSize});
    counter = 0;
  }
  void Process64(double* const* in, double* const* out, int frames) override {
    calls64.push_back(frames);
    for (int f = 0; f < frames; ++f, ++counter)
      for (int c = 0; c < 2; ++c) out[c][f] = 2 * in[c][f] + counter;
  }
  void Process32(const float* const* in, float* const* out, int frames) override {
    calls32.push_back(frames);
    for (int f = 0; f < frames; ++f, ++counter)
      for (int c = 0; c < 2; ++c) out[c][f] = 2 * in[c][f] + static_cast<float>(counter);
  }

  struct Setup {
    double sampleRate;
    int blockSize;
  };
  std::vector<Setup> prepares;
  std::vector<int> calls64, calls32;
  long counter = 0;
};

class MemorySink : public AudioSink {
 public:
  Status Write(const double* const* channels, int frames) override {
    if (failAfterFrames >= 0 && static_cast<long>(left.size()) + frames > failAfterFrames)
      return Status::Error("disk full");
    left.insert(left.end(), channels[0], channels[0] + frames);
    right.insert(right.end(), channels[1], channels[1] + frames);
    return Status::Ok();
  }
  long failAfterFrames = -1;
  std::vector<double> left, right;
};

// Serves a buffer in reads of at most 'chunk' frames, as a file may; fails on request.
class ChoppySource : public AudioSource {
 public:
  ChoppySource(StereoBuffer buffer, int chunk) : buffer_(std::move(buffer)), chunk_(chunk) {}
  double SampleRate() const override { return 48000; }
  int64_t FrameCount() const override { return buffer_.Frames(); }
  Status Read(double* const* channels, int maxFrames, int* framesRead) override {
    if (failAt >= 0 && position_ >= failAt) return Status::Error("read failed");
    const int n = static_cast<int>(std::min<int64_t>({maxFrames, chunk_, buffer_.Frames() - position_}));
    for (int c = 0; c < 2; ++c) std::copy_n(buffer_.channels[c].begin() + position_, n, channels[c]);
    position_ += n;
    *framesRead = n;
    return Status::Ok();
  }
  int64_t failAt = -1;

 private:
  StereoBuffer buffer_;
  int chunk_;
  int64_t position_ = 0;
};

StereoBuffer Ramp(int frames) {
  StereoBuffer buffer;
  for (int f = 0; f < frames; ++f) {
    buffer.channels[0].push_back(f * 0.001);
    buffer.channels[1].push_back(-f * 0.002);
  }
  return buffer;
}

StereoBuffer Clicks(int frames, double sampleRate) {
  StereoBuffer buffer;
  for (int f = 0; f < frames; ++f) {
    const double t = f / sampleRate;
    buffer.channels[0].push_back((f % 5000 == 0 ? 0.8 : 0.0) + 0.2 * std::sin(2 * 3.14159265 * 330 * t));
    buffer.channels[1].push_back((f % 7000 == 0 ? -0.7 : 0.0) + 0.2 * std::sin(2 * 3.14159265 * 440 * t));
  }
  return buffer;
}

TEST(RenderLoop, PreparesOnceThenPassesFullBlocksAndOneShortLast) {
  RecordingTarget target;
  ChoppySource source(Ramp(1000), 37);  // reads shorter than a block are gathered
  MemorySink sink;
  RenderSettings settings;
  settings.blockSize = 256;
  settings.tailFrames = 100;
  std::vector<std::pair<int64_t, int64_t>> progress;
  int64_t rendered = 0;
  ASSERT_TRUE(RenderThrough(target, source, sink, settings,
                            [&](int64_t done, int64_t total) { progress.emplace_back(done, total); }, &rendered)
                  .ok());
  ASSERT_EQ(target.prepares.size(), 1u);
  EXPECT_EQ(target.prepares[0].sampleRate, 48000);
  EXPECT_EQ(target.prepares[0].blockSize, 256);
  EXPECT_EQ(target.calls64, (std::vector<int>{256, 256, 256, 256, 76}));
  EXPECT_TRUE(target.calls32.empty());
  EXPECT_EQ(rendered, 1100);
  ASSERT_EQ(sink.left.size(), 1100u);
  for (int f = 0; f < 1100; ++f) {
    const double in = f < 1000 ? f * 0.001 : 0.0;  // the tail is silence
    ASSERT_DOUBLE_EQ(sink.left[f], 2 * in + f) << f;
  }
  ASSERT_EQ(progress.size(), 5u);
  EXPECT_EQ(progress.front(), std::make_pair(int64_t{256}, int64_t{1100}));
  EXPECT_EQ(progress.back(), std::make_pair(int64_t{1100}, int64_t{1100}));
}

TEST(RenderLoop, ThirtyTwoBitPathConvertsAtTheHostSide) {
  RecordingTarget target;
  ChoppySource source(Ramp(300), 300);
  MemorySink sink;
  RenderSettings settings;
  settings.blockSize = 128;
  settings.precision = Precision::Bits32;
  int64_t rendered = 0;
  ASSERT_TRUE(RenderThrough(target, source, sink, settings, nullptr, &rendered).ok());
  EXPECT_EQ(target.calls32, (std::vector<int>{128, 128, 44}));
  EXPECT_TRUE(target.calls64.empty());
  ASSERT_EQ(sink.right.size(), 300u);
  for (int f = 0; f < 300; ++f)
    ASSERT_EQ(sink.right[f], static_cast<double>(2 * static_cast<float>(-f * 0.002) + static_cast<float>(f)));
}

TEST(RenderLoop, StopsAtTheFirstFailure) {
  RecordingTarget target;
  ChoppySource failingRead(Ramp(1000), 100);
  failingRead.failAt = 500;
  MemorySink sink;
  RenderSettings settings;
  int64_t rendered = 0;
  EXPECT_EQ(RenderThrough(target, failingRead, sink, settings, nullptr, &rendered).message(), "read failed");

  ChoppySource source(Ramp(2000), 2000);
  MemorySink fullDisk;
  fullDisk.failAfterFrames = 1000;
  EXPECT_EQ(RenderThrough(target, source, fullDisk, settings, nullptr, &rendered).message(), "disk full");
  EXPECT_EQ(rendered, 512);
}

std::vector<double> RenderEffect(int blockSize, Precision precision, bool reverbOn, int chunk = 1 << 30) {
  InProcessTarget target;
  EXPECT_TRUE(ApplyParamArguments(reverbOn ? std::vector<std::string>{"ReverbPreDelay=0.1"}
                                           : std::vector<std::string>{"ReverbOffOn=0"},
                                  target)
                  .ok());
  ChoppySource source(Clicks(20000, 48000), chunk);
  MemorySink sink;
  RenderSettings settings;
  settings.blockSize = blockSize;
  settings.tailFrames = 9000;
  settings.precision = precision;
  int64_t rendered = 0;
  EXPECT_TRUE(RenderThrough(target, source, sink, settings, nullptr, &rendered).ok());
  std::vector<double> both = sink.left;
  both.insert(both.end(), sink.right.begin(), sink.right.end());
  return both;
}

TEST(RenderLoopWithEffect, OutputDoesNotDependOnBlockSize) {
  for (Precision precision : {Precision::Bits64, Precision::Bits32}) {
    const std::vector<double> reference = RenderEffect(512, precision, true);
    ASSERT_EQ(reference.size(), 2u * 29000);
    for (int blockSize : {1, 64, 300, 4096, 29000}) {
      EXPECT_EQ(RenderEffect(blockSize, precision, true), reference) << blockSize;
    }
    EXPECT_EQ(RenderEffect(512, precision, true, 100), reference);  // short reads from the source
  }
}

TEST(RenderLoopWithEffect, ReverbOnChangesTheSignalAndRingsIntoTheTail) {
  const std::vector<double> wet = RenderEffect(512, Precision::Bits64, true);
  const std::vector<double> dry = RenderEffect(512, Precision::Bits64, false);
  const StereoBuffer input = Clicks(20000, 48000);
  for (int f = 0; f < 20000; ++f) {
    ASSERT_EQ(dry[f], input.channels[0][f]) << f;  // master switch off: bit-exact
    ASSERT_EQ(dry[29000 + f], input.channels[1][f]) << f;
  }
  double tailEnergy = 0.0;
  for (int f = 20000; f < 29000; ++f) {
    EXPECT_EQ(dry[f], 0.0);
    tailEnergy += wet[f] * wet[f] + wet[29000 + f] * wet[29000 + f];
  }
  EXPECT_GT(tailEnergy, 1e-3);
  EXPECT_NE(wet, dry);
}

}  // namespace
