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
  // DC blocker pole: y[n] = x[n] - x[n-1] + 0.9997 y[n-1], a corner near 2 Hz at 44.1 kHz.
  static constexpr double kDcPole = 0.9997;

  Double2 u1{};  // previous driven input
  Double2 v1{};  // previous saturated input
  Double2 m1{};  // previous saturated midpoint
  Double2 y1{};  // DC blocker input memory
  Double2 d1{};  // DC blocker output memory

  void Clear() { *this = ClipStage{}; }

  static Double2 Saturate(Double2 z) { return dsp::FastTanh2(1.3 * z) * kSaturationScale; }
  // Both evaluations of a frame at once: lanes 0, 1 the previous input, 2, 3 the midpoint.
  static Double4 Saturate(Double4 z) {
    return dsp::ByPairs(z, [](auto v) { return dsp::FastTanhV(1.3 * v) * kSaturationScale; });
  }

  // One frame: the make-up-scaled output for input a with drive D and make-up K.
  Double2 Process(Double2 a, Double2 drive, Double2 makeup) {
    Double2 y;
    SaturateBlock(&a, drive, &y, 1);
    return BlockDc(y) * makeup;
  }

  // First pass over a block: decimated[i] for a[i], i < frames.
  void SaturateBlock(const Double2* a, Double2 drive, Double2* decimated, int frames) {
    Double2 u1Local = u1, v1Local = v1, m1Local = m1;
    for (int i = 0; i < frames; ++i) {
      const Double2 u = a[i] * drive;
      const Double4 saturated = Saturate(dsp::Join(u1Local, u1Local + (u - u1Local) * 0.5));
      const Double2 v = dsp::LowHalf(saturated);
      const Double2 m = dsp::HighHalf(saturated);
      decimated[i] = ((v1Local + v) * 0.5 + m1Local) * 0.5;
      u1Local = dsp::FlushDenormal2(u);
      v1Local = dsp::FlushDenormal2(v);
      m1Local = dsp::FlushDenormal2(m);
    }
    u1 = u1Local;
    v1 = v1Local;
    m1 = m1Local;
  }

  // Second pass, one frame: the DC blocker on a decimated value (without make-up).
  // The DC blocker flushes its decayed term rather than its stored output.
  Double2 BlockDc(Double2 y) {
    const Double2 d = y - y1 + dsp::FlushDenormal2(kDcPole * d1);
    y1 = dsp::FiniteOrZero2(y);
    d1 = dsp::FiniteOrZero2(d);
    return d;
  }

  // BlockDc without its guards, so that its recursion is one multiply and one add
  // long; 'unusual' collects the lanes where a guard would have acted (a decayed
  // term to flush, or a NaN: the saturation keeps every other input within
  // +-1.1605, so d stays finite), and then the pass runs again with BlockDc.
  Double2 BlockDcUnguarded(Double2 y, Int2* unusual) {
    const Double2 decayed = dsp::Opaque(kDcPole * d1);
    *unusual |= dsp::FlushWouldActV(decayed) | (y != y);
    const Double2 d = y - y1 + decayed;
    y1 = y;
    d1 = d;
    return d;
  }
};

MORAVELLE_DSP_END
