#pragma once
// Direct-form-I biquad with Q = 0.5 low- and high-pass designs (RBJ cookbook).

#include "dsp_guards.h"

struct BiquadCoefficients {
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;

  // cutoffHz and sampleRate in Hz; a sample rate of 0 gives omega 0.
  static BiquadCoefficients LowPass(double cutoffHz, double sampleRate);
  static BiquadCoefficients HighPass(double cutoffHz, double sampleRate);
};

struct BiquadFilter {
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

  void Clear() { *this = BiquadFilter{}; }

  double Process(double in, const BiquadCoefficients& c) {
    const double y = c.b0 * in + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
    x2 = x1;
    x1 = dsp::FlushDenormal(in);
    y2 = y1;
    y1 = dsp::FlushDenormal(y);
    return y;
  }
};
