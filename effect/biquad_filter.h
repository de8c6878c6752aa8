#pragma once
// Direct-form-I biquad with Q = 0.5 low- and high-pass designs (RBJ cookbook).

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct BiquadCoefficients {
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;

  // cutoffHz and sampleRate in Hz; a sample rate of 0 gives omega 0.
  static BiquadCoefficients LowPass(double cutoffHz, double sampleRate);
  static BiquadCoefficients HighPass(double cutoffHz, double sampleRate);
};

// Both channels at once, one lane each.
struct BiquadFilter {
  Double2 x1{}, x2{}, y1{}, y2{};

  void Clear() { *this = BiquadFilter{}; }

  Double2 Process(Double2 in, const BiquadCoefficients& c) {
    const Double2 y = c.b0 * in + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
    x2 = x1;
    x1 = dsp::FlushDenormal2(in);
    y2 = y1;
    y1 = dsp::FlushDenormal2(y);
    return y;
  }
};

MORAVELLE_DSP_END
