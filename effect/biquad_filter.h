#pragma once
// Q = 0.5 low- and high-pass filters (RBJ cookbook designs), both channels at once.
//
// The cookbook's low- and high-pass are the bilinear transform, prewarped with
// g = tan(pi f / sr), of the analog prototype 1 / (s^2 + 2s + 1). The filter runs
// that same transfer function as a pair of trapezoidal integrators rather than in
// direct form: held still, both give the same output (to rounding, about 1e-12 of
// the signal); under automation that jumps every few frames the direct form's
// stored outputs meet coefficients they were not made with and ring up to 10^5
// times the input (band-pass, cutoffs jumping every 1 to 8 frames), while the
// integrators' states stay the signal's own and the output stays within a few
// times the input.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct BiquadCoefficients {
  // The direct-form coefficients of the design: its transfer function.
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
  // The integrator form of the same: gains from g = tan(pi f / sr) and the output
  // mix of input, band and low-pass signals (0, 0, 1 low-pass; 1, -2, -1 high-pass).
  double m1 = 1.0, m2 = 0.0, m3 = 0.0;  // 1 / (1 + g (g + 2)), g m1, g m2
  double mixInput = 0.0, mixBand = 0.0, mixLow = 1.0;

  // cutoffHz and sampleRate in Hz; a sample rate of 0 gives omega 0.
  static BiquadCoefficients LowPass(double cutoffHz, double sampleRate);
  static BiquadCoefficients HighPass(double cutoffHz, double sampleRate);
};

// Both channels at once, one lane each.
struct BiquadFilter {
  Double2 s1{}, s2{};  // the two integrators' states

  void Clear() { *this = BiquadFilter{}; }

  Double2 Process(Double2 in, const BiquadCoefficients& c) {
    const Next next = Step(in, c);
    s1 = dsp::FlushDenormal2(next.s1);
    s2 = dsp::FlushDenormal2(next.s2);
    return next.out;
  }

  // Process without the guards; 'unusual' collects the lanes where they would act.
  Double2 ProcessUnguarded(Double2 in, const BiquadCoefficients& c, Int2* unusual) {
    const Next next = Step(in, c);
    s1 = next.s1;
    s2 = next.s2;
    *unusual |= dsp::FlushWouldActV(s1) | dsp::FlushWouldActV(s2);
    return next.out;
  }

 private:
  struct Next {
    Double2 out, s1, s2;
  };
  Next Step(Double2 in, const BiquadCoefficients& c) const {
    const Double2 v3 = in - s2;
    const Double2 band = c.m1 * s1 + c.m2 * v3;
    const Double2 low = s2 + c.m2 * s1 + c.m3 * v3;
    return Next{(c.mixInput * in + c.mixBand * band) + c.mixLow * low, 2.0 * band - s1, 2.0 * low - s2};
  }
};

MORAVELLE_DSP_END
