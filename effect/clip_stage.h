#pragma once
// Soft clipper: two-times oversampled tanh saturation (linear-interpolated midpoint),
// a 0.25/0.5/0.25 decimator, a DC blocker and make-up gain. The output lags the
// input by 1.5 frames.

#include <cmath>

#include "dsp_guards.h"

struct ClipStage {
  // 1 / tanh(1.3), so that S(1) = 1 and |S| stays below this factor.
  static constexpr double kSaturationScale = 1.1604655035579;
  // DC blocker pole: y[n] = x[n] - x[n-1] + 0.9997 y[n-1], a corner near 2 Hz at 44.1 kHz.
  static constexpr double kDcPole = 0.9997;

  double u1 = 0.0;  // previous driven input
  double v1 = 0.0;  // previous saturated input
  double m1 = 0.0;  // previous saturated midpoint
  double y1 = 0.0;  // DC blocker input memory
  double d1 = 0.0;  // DC blocker output memory

  void Clear() { *this = ClipStage{}; }

  static double Saturate(double z) { return std::tanh(1.3 * z) * kSaturationScale; }

  // Returns the make-up-scaled output for input a with drive D and make-up K.
  double Process(double a, double drive, double makeup) {
    const double u = a * drive;
    const double v = Saturate(u1);
    const double m = Saturate(u1 + (u - u1) * 0.5);
    const double y = ((v1 + v) * 0.5 + m1) * 0.5;
    // The DC blocker flushes its decayed term rather than its stored output.
    const double d = y - y1 + dsp::FlushDenormal(kDcPole * d1);
    u1 = dsp::FlushDenormal(u);
    v1 = dsp::FlushDenormal(v);
    m1 = dsp::FlushDenormal(m);
    y1 = dsp::FiniteOrZero(y);
    d1 = dsp::FiniteOrZero(d);
    return d * makeup;
  }
};
