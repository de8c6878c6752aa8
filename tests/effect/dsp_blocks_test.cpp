// The kernel's building blocks: guards, delay line, clipper, filters, MIDI queue.
#include <gtest/gtest.h>

#include <cmath>

#include "effect/biquad_filter.h"
#include "effect/clip_stage.h"
#include "effect/delay_line.h"
#include "effect/dsp_guards.h"
#include "effect/fast_tanh.h"
#include "effect/kernel_params.h"
#include "effect/midi_event_queue.h"
#include "effect/one_pole_filter.h"
#include "effect/preamp_stage.h"

namespace {

TEST(DspGuards, FlushBelowTwoToTheMinus1021AndNonFinite) {
  EXPECT_EQ(dsp::FlushDenormal(1e-310), 0.0);
  EXPECT_EQ(dsp::FlushDenormal(-3e-308), 0.0);
  EXPECT_EQ(dsp::FlushDenormal(1e-307), 1e-307);
  EXPECT_EQ(dsp::FlushDenormal(std::ldexp(1.0, -1021)), std::ldexp(1.0, -1021));
  EXPECT_EQ(dsp::FlushDenormal(std::nextafter(std::ldexp(1.0, -1021), 0.0)), 0.0);
  EXPECT_EQ(dsp::FlushDenormal(NAN), 0.0);
  EXPECT_EQ(dsp::FlushDenormal(-INFINITY), 0.0);
  EXPECT_EQ(dsp::FlushDenormal(1.7e308), 1.7e308);
  EXPECT_EQ(dsp::FiniteOrZero(1e-310), 1e-310);
  EXPECT_EQ(dsp::FiniteOrZero(NAN), 0.0);
  // The curve guard drops powers of 2^1023 and up.
  EXPECT_EQ(dsp::GuardPower(std::ldexp(1.0, 1023)), 0.0);
  EXPECT_EQ(dsp::GuardPower(std::ldexp(1.0, 1022)), std::ldexp(1.0, 1022));
}

TEST(DspGuards, SelectorsTruncateOnePlusTheValue) {
  EXPECT_EQ(dsp::Selector(0.999), 1);
  EXPECT_EQ(dsp::Selector(1.0), 2);
  EXPECT_EQ(dsp::Selector(1.99), 2);  // AmpFilterMode 1.99: band-pass
  EXPECT_EQ(dsp::Selector(2.0), 3);
}

TEST(DelayLine, SizesToAPowerOfTwoForEachMaximumAndClears) {
  DelayLine line;
  ASSERT_TRUE(line.Reset(1000));
  EXPECT_EQ(line.Size(), 1024);
  EXPECT_EQ(line.MaximumDelay(), 1000);
  line.Write(7.0);
  line.Step();
  ASSERT_TRUE(line.Reset(5000));  // a larger maximum gets new memory
  EXPECT_EQ(line.Size(), 8192);
  EXPECT_EQ(line.MaximumDelay(), 5000);
  ASSERT_TRUE(line.Reset(600));  // and a smaller one the smaller size again
  EXPECT_EQ(line.Size(), 1024);
  EXPECT_EQ(line.MaximumDelay(), 600);
  ASSERT_TRUE(line.Reset(1000));  // the same size: only cleared
  EXPECT_EQ(line.MaximumDelay(), 1000);
  for (int d = 1; d <= 1000; d += 111) EXPECT_EQ(line.Read(d), 0.0);
  DelayLine tiny;
  tiny.Reset(0);
  EXPECT_EQ(tiny.Size(), 2);
}

TEST(DelayLine, KeepsItsMemoryAndMaximumWhenALargerSizeCannotBeHad) {
  DelayLine line;
  ASSERT_TRUE(line.Reset(1000));
  DelayLine::FailAllocationsForTesting(1);
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(line.Reset(5000));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "allocating [data]: out of memory\n");
  EXPECT_EQ(line.Size(), 1024);
  EXPECT_EQ(line.MaximumDelay(), 1000);
  EXPECT_TRUE(line.HasMemory());
}

TEST(DelayLine, ReadsInterpolateAndClampToMinimumAndMaximum) {
  DelayLine line;
  line.Reset(8);
  for (int i = 1; i <= 20; ++i) {
    line.Write(i);
    line.Step();
  }
  // Nothing written in this frame yet: delay 0 reads as 1, the last sample.
  EXPECT_DOUBLE_EQ(line.Read(0.0), 20.0);
  EXPECT_DOUBLE_EQ(line.Read(1.0), 20.0);
  EXPECT_DOUBLE_EQ(line.Read(2.5), 18.5);
  EXPECT_DOUBLE_EQ(line.Read(100.0), 13.0);  // clamped to the maximum of 8
  line.Write(21);
  EXPECT_DOUBLE_EQ(line.Read(0.0), 21.0);  // written this frame: delay 0 allowed
  line.Reset(8);
  EXPECT_DOUBLE_EQ(line.Read(3.0), 0.0);
}

TEST(DelayLine, OutOfMemoryLeavesALineThatReadsSilence) {
  DelayLine::FailAllocationsForTesting(1);
  DelayLine line;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(line.Reset(44100));
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(messages, "allocating [data]: out of memory\ndelay memory size error\n");
  line.Write(1.0);
  line.Step();
  EXPECT_EQ(line.Read(1.0), 0.0);

  DelayLine small;  // a 4-sample line survives on its retry
  DelayLine::FailAllocationsForTesting(1);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(small.Reset(3));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "allocating [data]: out of memory\n");
}

TEST(FastTanh, MatchesTheLibraryToTheLastBitsOfOne) {
  double worst = 0.0, worst2 = 0.0;
  for (double x = -30.0; x <= 30.0; x += 0.000731) {
    worst = std::fmax(worst, std::fabs(dsp::FastTanh(x) - std::tanh(x)));
    const Double2 pair = dsp::FastTanh2(Double2{x, -0.37 * x});
    worst2 = std::fmax(worst2, std::fabs(pair[0] - std::tanh(x)));
    worst2 = std::fmax(worst2, std::fabs(pair[1] - std::tanh(-0.37 * x)));
  }
  EXPECT_LT(worst, 1e-15);
  EXPECT_LT(worst2, 1e-15);
  // Relative accuracy holds near 0 too, so quiet signals keep their precision.
  for (double x = 1e-12; x < 1.0; x *= 1.37) EXPECT_NEAR(dsp::FastTanh(x) / std::tanh(x), 1.0, 1e-15) << x;
  EXPECT_EQ(dsp::FastTanh(1e300), 1.0);
  EXPECT_EQ(dsp::FastTanh2(Double2{-INFINITY, 0.0})[0], -1.0);
  EXPECT_EQ(dsp::FastTanh2(Double2{-INFINITY, 0.0})[1], 0.0);
  EXPECT_TRUE(std::isnan(dsp::FastTanh(NAN)));
  EXPECT_TRUE(std::isnan(dsp::FastTanh2(Double2{1.0, NAN})[1]));
}

TEST(FastTanh, ExponentialOverTheDecayGainsRange) {
  for (double y = -700.0; y <= 700.0; y += 0.0731) {
    const Double2 e = dsp::Exp2Lanes(Double2{y, -y * 0.5});
    ASSERT_NEAR(e[0] / std::exp(y), 1.0, 2e-15) << y;
    ASSERT_NEAR(e[1] / std::exp(-y * 0.5), 1.0, 2e-15) << y;
  }
  EXPECT_LT(dsp::Exp2Lanes(dsp::Splat(-1e6))[0], 1e-300);
}

TEST(DspGuards, VectorGuardsAgreeWithTheScalarOnes) {
  const double values[] = {0.0, -0.0, 1e-310, -3e-308, 1e-307, 0x1p-1021, 1.0, -1e308, 1.7e308, NAN, INFINITY, -INFINITY};
  for (double v : values) {
    for (double w : values) {
      const Double2 flushed = dsp::FlushDenormal2(Double2{v, w});
      EXPECT_EQ(flushed[0], dsp::FlushDenormal(v)) << v;
      EXPECT_EQ(flushed[1], dsp::FlushDenormal(w)) << w;
      const Double2 finite = dsp::FiniteOrZero2(Double2{v, w});
      if (!std::isnan(v)) {
        EXPECT_EQ(finite[0], dsp::FiniteOrZero(v)) << v;
      }
      EXPECT_FALSE(std::isnan(finite[1]));
    }
  }
}

TEST(ClipStage, UnityDriveRemovesDcAndLargeInputsStayBounded) {
  ClipStage clip;
  Double2 out = dsp::Splat(1.0);
  for (int i = 0; i < 200000; ++i) out = clip.Process(Double2{1.0, -0.5}, dsp::Splat(1.0), dsp::Splat(1.0), dsp::Splat(ClipStage::kDcPole));
  EXPECT_NEAR(out[0], 0.0, 1e-9);
  EXPECT_NEAR(out[1], 0.0, 1e-9);

  ClipStage hot;
  for (int i = 0; i < 100; ++i) {
    hot.Process(Double2{i % 2 ? 1e6 : -1e6, 3.0}, dsp::Splat(8.0), dsp::Splat(1.0), dsp::Splat(ClipStage::kDcPole));
    EXPECT_LE(std::fabs(hot.y1[0]), ClipStage::kSaturationScale);
    EXPECT_LE(std::fabs(hot.y1[1]), ClipStage::kSaturationScale);
  }
  EXPECT_NEAR(ClipStage::Saturate(dsp::Splat(1.0))[0], 1.0, 1e-12);
  EXPECT_NEAR(ClipStage::Saturate(dsp::Splat(-1e9))[1], -ClipStage::kSaturationScale, 1e-15);
}

TEST(ClipStage, LagsByOneAndAHalfFrames) {
  // Small signals are nearly linear: the decimated impulse lands half on frame 1 and
  // half on frame 2, and the DC blocker then lets it decay by 0.9997 per frame. The
  // right lane, fed silence, stays silent.
  ClipStage clip;
  const double unit = 1e-6 * 1.3 * ClipStage::kSaturationScale;
  std::vector<double> decimated, out;
  for (int i = 0; i < 4; ++i) {
    const Double2 y = clip.Process(Double2{i == 0 ? 1e-6 : 0.0, 0.0}, dsp::Splat(1.0), dsp::Splat(2.0), dsp::Splat(ClipStage::kDcPole));
    EXPECT_EQ(y[1], 0.0);
    out.push_back(y[0]);
    decimated.push_back(clip.y1[0]);
  }
  EXPECT_EQ(decimated[0], 0.0);
  EXPECT_NEAR(decimated[1] / unit, 0.5, 1e-6);
  EXPECT_NEAR(decimated[2] / unit, 0.5, 1e-6);
  EXPECT_NEAR(decimated[3] / unit, 0.0, 1e-6);
  EXPECT_NEAR(out[1] / unit, 2 * 0.5, 1e-6);  // make-up gain 2
  EXPECT_NEAR(out[2] / unit, 2 * 0.5 * 0.9997, 1e-6);
  EXPECT_NEAR(out[3] / unit, 2 * (-0.5 + 0.5 * 0.9997 * 0.9997), 1e-6);
}

TEST(OnePoleFilter, FactorsAndZeroRate) {
  double params[kKernelParamCount] = {};
  params[kPreampFilterCutoff] = 1.0;
  params[kPreampInputGain] = 0.5;
  EXPECT_NEAR(PreampSettings::FromParams(params, 44100).filterG, 6.7987958, 1e-6);
  // 1000 Hz: c^3 = 980 / 19980.
  params[kPreampFilterCutoff] = std::cbrt(980.0 / 19980.0);
  EXPECT_NEAR(PreampSettings::FromParams(params, 44100).filterG, 0.0713587, 1e-6);
  params[kPreampFilterType] = 0.5;
  EXPECT_FALSE(PreampSettings::FromParams(params, 44100).highPass);
  params[kPreampFilterType] = 1.0;
  EXPECT_TRUE(PreampSettings::FromParams(params, 44100).highPass);
  EXPECT_DOUBLE_EQ(PreampSettings::FromParams(params, 44100).inputGain, 1.0);

  // At sample rate 0 the factor is 0: low-pass holds its state, high-pass is the input.
  const PreampSettings zero = PreampSettings::FromParams(params, 0.0);
  EXPECT_EQ(zero.filterG, 0.0);
  OnePoleFilter f;
  Double2 lp, hp;
  f.Process(Double2{0.7, -0.2}, dsp::Splat(zero.filterG), dsp::Splat(zero.filterNormaliser), &lp, &hp);
  EXPECT_EQ(lp[0], 0.0);
  EXPECT_EQ(hp[0], 0.7);
  EXPECT_EQ(hp[1], -0.2);
}

TEST(BiquadFilter, DefaultCutoffCoefficientsAt44100) {
  const auto lp = BiquadCoefficients::LowPass(20 + 19980 * 0.65 * 0.65 * 0.65, 44100);
  EXPECT_NEAR(lp.b0, 0.0856522, 1e-7);
  EXPECT_NEAR(lp.b2, 0.0856522, 1e-7);
  EXPECT_NEAR(lp.b1, 0.1713044, 1e-7);
  EXPECT_NEAR(lp.a1, -0.8293441, 1e-7);
  EXPECT_NEAR(lp.a2, 0.1719529, 1e-7);
  const auto hp = BiquadCoefficients::HighPass(20 + 19980 * 0.35 * 0.35 * 0.35, 44100);
  EXPECT_NEAR(hp.b0, 0.8857606, 1e-7);
  EXPECT_NEAR(hp.b1, -1.7715212, 1e-7);
  EXPECT_NEAR(hp.a1, -1.7645942, 1e-7);
  EXPECT_NEAR(hp.a2, 0.7784482, 1e-7);
  // Unity gain at DC for the low-pass, zero for the high-pass.
  BiquadFilter l, h;
  Double2 yl{}, yh{};
  for (int i = 0; i < 5000; ++i) {
    yl = l.Process(Double2{1.0, 0.5}, BiquadLanes<Double2>::Of(lp));
    yh = h.Process(Double2{1.0, 0.5}, BiquadLanes<Double2>::Of(hp));
  }
  EXPECT_NEAR(yl[0], 1.0, 1e-9);
  EXPECT_NEAR(yl[1], 0.5, 1e-9);
  EXPECT_NEAR(yh[0], 0.0, 1e-9);
}

MidiMessage At(int offset, uint8_t data1) { return MidiMessage{offset, 0xB0, data1, 0}; }

TEST(MidiEventQueue, KeepsTimeOrderStableForTies) {
  MidiEventQueue q;
  q.Add(At(5, 1));
  q.Add(At(2, 2));
  q.Add(At(5, 3));
  q.Add(At(0, 4));
  const int expected[] = {4, 2, 1, 3};
  for (int data1 : expected) {
    ASSERT_FALSE(q.Empty());
    EXPECT_EQ(q.Front().data1, data1);
    q.PopFront();
  }
  EXPECT_TRUE(q.Empty());
}

TEST(MidiEventQueue, FlushMovesLaterEntriesIntoTheNextBlock) {
  MidiEventQueue q;
  q.Add(At(10, 1));
  q.Add(At(700, 2));
  q.PopFront();
  q.Flush(512);
  EXPECT_EQ(q.Size(), 1);
  EXPECT_EQ(q.Front().frameOffset, 188);
}

TEST(MidiEventQueue, DropsAndCountsWhatDoesNotFitAndResizesInMultiplesOf512) {
  MidiEventQueue q;
  const int capacity = MidiEventQueue::kMinimumCapacity;
  EXPECT_EQ(q.Capacity(), capacity);
  for (int i = 0; i < capacity; ++i) ASSERT_TRUE(q.Add(At(i, static_cast<uint8_t>(i & 0x7F))));
  // Full: the next ones are dropped and counted, the queue does not grow.
  EXPECT_FALSE(q.Add(At(0, 1)));
  EXPECT_FALSE(q.Add(At(capacity, 2)));
  EXPECT_EQ(q.DroppedCount(), 2);
  EXPECT_EQ(q.Capacity(), capacity);
  EXPECT_EQ(q.Size(), capacity);
  EXPECT_EQ(q.Front().frameOffset, 0);

  // Full with consumed entries in front: they make room.
  q.PopFront();
  ASSERT_TRUE(q.Add(At(50000, 0)));
  EXPECT_EQ(q.Capacity(), capacity);
  EXPECT_EQ(q.DroppedCount(), 2);

  // Sized from the block size: two entries per frame in multiples of 512, never
  // below the minimum and never below what is waiting.
  MidiEventQueue r;
  r.Resize(100);
  EXPECT_EQ(r.Capacity(), capacity);
  r.Resize(5000);
  EXPECT_EQ(r.Capacity(), 10240);
  for (int i = 0; i < 10240; ++i) ASSERT_TRUE(r.Add(At(i, 0)));
  r.Resize(0);
  EXPECT_EQ(r.Capacity(), 10240);
  EXPECT_EQ(r.Size(), 10240);
  EXPECT_EQ(r.Front().frameOffset, 0);
}

}  // namespace
