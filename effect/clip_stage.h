#pragma once
// Soft clipper for both channels at once (one lane each): two-times oversampled
// tanh saturation (linear-interpolated midpoint), a 0.25/0.5/0.25 decimator, a DC
// blocker and make-up gain. The output lags the input by 1.5 frames.
//
// Only the DC blocker feeds back on itself, so the stages run a block in two
// passes: the saturation and decimation of every frame (SaturateBlock: independent
// frames, so the processor overlaps their exponentials and divisions, bound by
// throughput alone), then the DC blocker's short recursion (BlockDc) together with
// the stage's other recursions. Per frame this is exactly Process.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct ClipStage {
  // 1 / tanh(1.3), so that S(1) = 1 and |S| stays below this factor.
  static constexpr double kSaturationScale = 1.1604655035579;
  // Twice the saturation's argument 1.3 z, as the exponential takes it: 2.6 is twice
  // the double nearest 1.3, so 2.6 z is exactly twice 1.3 z.
  static constexpr double kDoubledArgument = 2.6;
  static_assert(kDoubledArgument == 2.0 * 1.3);
  // DC blocker pole: y[n] = x[n] - x[n-1] + 0.9997 y[n-1], a corner near 2 Hz at 44.1 kHz.
  static constexpr double kDcPole = 0.9997;

  Double2 u1{};  // previous driven input
  Double2 v1{};  // previous saturated input
  Double2 m1{};  // previous saturated midpoint
  Double2 y1{};  // DC blocker input memory
  Double2 d1{};  // DC blocker output memory

  void Clear() { *this = ClipStage{}; }

  static Double2 Saturate(Double2 z) { return dsp::FastTanh2(1.3 * z) * kSaturationScale; }

  // One frame: the make-up-scaled output for input a with drive D and make-up K.
  Double2 Process(Double2 a, Double2 drive, Double2 makeup) {
    Double2 y;
    Double4 arguments[1], saturated[1];
    SaturateBlock(&a, drive, &y, 1, arguments, saturated);
    return BlockDc(y) * makeup;
  }

  // First pass over a block: decimated[i] for a[i], i < frames; 'arguments' and
  // 'saturated' hold 'frames' entries of scratch. It runs as three loops, none of
  // which carries a recursion: the saturation's arguments; their exponentials,
  // with each frame's division a few frames behind; the decimation. Frames are
  // independent here, so each loop is bound by throughput alone; in one loop each
  // frame's long chain of dependent steps would leave the processor's schedulers
  // too few independent ones. With four-lane vectors, the first and last loops take
  // two frames to a vector.
  void SaturateBlock(const Double2* a, Double2 drive, Double2* decimated, int frames, Double4* arguments,
                     Double4* saturated) {
#if defined(__AVX__)
    const int pairs = frames & ~1;
#else
    // Two-lane vectors only: the frames one by one.
    const int pairs = 0;
#endif
    // A pair of frames keeps its two frames' inputs in entry i and their midpoints in
    // entry i + 1 (lanes 0 and 1 frame i, lanes 2 and 3 frame i + 1): the frames'
    // own order, so that only the previous input needs moving across lanes. A single
    // frame keeps its input in lanes 0 and 1 and its midpoint in lanes 2 and 3.
    Double2 u1Local = u1;
    const Double4 drives = dsp::Join(drive, drive);
    for (int i = 0; i < pairs; i += 2) {
      const Double4 u = dsp::LoadPairs(a + i) * drives;
      const Double4 flushed = dsp::FlushDenormal4(u);
      const Double4 previous = dsp::Join(u1Local, dsp::LowHalf(flushed));
      arguments[i] = kDoubledArgument * previous;
      arguments[i + 1] = kDoubledArgument * (previous + (u - previous) * 0.5);
      u1Local = dsp::HighHalf(flushed);
    }
    for (int i = pairs; i < frames; ++i) {
      const Double2 u = a[i] * drive;
      arguments[i] = kDoubledArgument * dsp::Join(u1Local, u1Local + (u - u1Local) * 0.5);
      u1Local = dsp::FlushDenormal2(u);
    }
    u1 = u1Local;
    // The divisions trail the exponentials by a few frames in the same loop, so the
    // divider works while the multiply-add units do.
    constexpr int kLag = 4;
    auto exponential = [&](int i) {
      saturated[i] = dsp::ByPairs(arguments[i], [](auto x) { return dsp::TanhExponentialOfDoubledV(x); });
    };
    auto finish = [&](int i) {
      saturated[i] = dsp::ByPairs(arguments[i], saturated[i],
                                  [](auto x, auto e) { return dsp::TanhFromExponentialV(x, e); }) *
                     kSaturationScale;
    };
    const int lead = frames < kLag ? frames : kLag;
    for (int i = 0; i < lead; ++i) exponential(i);
    for (int i = kLag; i < frames; ++i) {
      exponential(i);
      finish(i - kLag);
    }
    for (int i = frames - lead; i < frames; ++i) finish(i);
    // 'saturated' holds the saturated inputs v and midpoints m as 'arguments' held
    // theirs. v is S of a flushed input: 0, or at least 1.5 times 2^-1021 in
    // magnitude, so flushing it would change nothing; m is flushed.
    Double2 v1Local = v1, m1Local = m1;
    for (int i = 0; i < pairs; i += 2) {
      const Double4 v = saturated[i];
      const Double4 m = dsp::FlushDenormal4(saturated[i + 1]);
      const Double4 vPrevious = dsp::Join(v1Local, dsp::LowHalf(v));
      const Double4 mPrevious = dsp::Join(m1Local, dsp::LowHalf(m));
      const Double4 y = ((vPrevious + v) * 0.5 + mPrevious) * 0.5;
      dsp::StorePairs(decimated + i, y);
      v1Local = dsp::HighHalf(v);
      m1Local = dsp::HighHalf(m);
    }
    for (int i = pairs; i < frames; ++i) {
      const Double4 current = saturated[i];
      decimated[i] = ((v1Local + dsp::LowHalf(current)) * 0.5 + m1Local) * 0.5;
      v1Local = dsp::LowHalf(current);
      m1Local = dsp::FlushDenormal2(dsp::HighHalf(current));
    }
    v1 = v1Local;
    m1 = m1Local;
  }

  // Second pass, one frame: the DC blocker on a decimated value (without make-up).
  // The DC blocker flushes its decayed term rather than its stored output; where the
  // flush leaves the term alone, the step is one multiply-add (BlockDcUnguarded's).
  Double2 BlockDc(Double2 y) {
    const Int2 flushes = dsp::FlushWouldActV(dsp::Opaque(kDcPole * d1));
    const Double2 difference = y - y1;
    const Double2 d = dsp::Select2(flushes, difference + dsp::FlushDenormal2(kDcPole * d1),
                                   dsp::MulAdd(dsp::Splat(kDcPole), d1, difference));
    y1 = dsp::FiniteOrZero2(y);
    d1 = dsp::FiniteOrZero2(d);
    return d;
  }

  // BlockDc without its guards, so that its recursion is one multiply-add long;
  // 'watch' collects the lanes where a guard would have acted, and then the pass
  // runs again with BlockDc. A NaN input (the saturation keeps every other input
  // within +-1.1605) makes d1 NaN from then on, which WatchFinalState sees after
  // the pass.
  Double2 BlockDcUnguarded(Double2 y, dsp::GuardWatch* watch) {
    watch->WatchSmall(dsp::Opaque(kDcPole * d1));
    const Double2 d = dsp::MulAdd(dsp::Splat(kDcPole), d1, y - y1);
    y1 = y;
    d1 = d;
    return d;
  }
  void WatchFinalState(dsp::GuardWatch* watch) const { watch->Add(dsp::NotFiniteV(d1)); }
};

MORAVELLE_DSP_END
