#pragma once
// Soft clipper for both channels at once (one lane each): two-times oversampled
// tanh saturation (linear-interpolated midpoint), a 0.25/0.5/0.25 decimator, a DC
// blocker and make-up gain. The output lags the input by 1.5 frames.

#include "stereo_vector.h"

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

  // Returns the make-up-scaled output for input a with drive D and make-up K.
  Double2 Process(Double2 a, Double2 drive, Double2 makeup) {
    const Double2 u = a * drive;
    const Double2 v = Saturate(u1);
    const Double2 m = Saturate(u1 + (u - u1) * 0.5);
    const Double2 y = ((v1 + v) * 0.5 + m1) * 0.5;
    // The DC blocker flushes its decayed term rather than its stored output.
    const Double2 d = y - y1 + dsp::FlushDenormal2(kDcPole * d1);
    u1 = dsp::FlushDenormal2(u);
    v1 = dsp::FlushDenormal2(v);
    m1 = dsp::FlushDenormal2(m);
    y1 = dsp::FiniteOrZero2(y);
    d1 = dsp::FiniteOrZero2(d);
    return d * makeup;
  }
};
