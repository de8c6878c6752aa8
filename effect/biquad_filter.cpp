#include "biquad_filter.h"

#include <cmath>

#include "dsp_guards.h"

MORAVELLE_DSP_BEGIN

namespace {
struct Prototype {
  double cs, alpha, n;
  double m1, m2, m3;
};

Prototype Design(double cutoffHz, double sampleRate) {
  // A cutoff past the stable limit (only reachable below 44.1 kHz) is held under it.
  const double f = dsp::StableCutoff(cutoffHz, sampleRate);
  const double omega = dsp::SafeDivide(f * 6.2831853071796, sampleRate);
  Prototype p;
  p.cs = std::cos(omega);
  p.alpha = std::sin(omega) * 0.5 * 2.0;  // sin(w) / (2Q) with Q = 0.5
  p.n = dsp::SafeDivide(1.0, 1.0 + p.alpha);
  // tan(omega / 2), 0 at a sample rate of 0; 1 / Q = 2.
  const double g = std::tan(dsp::SafeDivide(f * 3.1415926535898, sampleRate));
  p.m1 = 1.0 / (1.0 + g * (g + 2.0));
  p.m2 = g * p.m1;
  p.m3 = g * p.m2;
  return p;
}

BiquadCoefficients WithIntegratorGains(const Prototype& p) {
  BiquadCoefficients c;
  c.m1 = p.m1;
  c.m2 = p.m2;
  c.m3 = p.m3;
  return c;
}

// The integrators' step, v3 = in - s2, band = m1 s1 + m2 v3, low = s2 + m2 s1 + m3 v3,
// s1' = 2 band - s1, s2' = 2 low - s2, collected per state and input; the output
// mixes in, band and low.
BiquadCoefficients WithStateMatrices(BiquadCoefficients c) {
  c.a11 = 2.0 * c.m1 - 1.0;
  c.a12 = -2.0 * c.m2;
  c.c1 = 2.0 * c.m2;
  c.a21 = 2.0 * c.m2;
  c.a22 = 1.0 - 2.0 * c.m3;
  c.c2 = 2.0 * c.m3;
  c.o1 = c.mixBand * c.m1 + c.mixLow * c.m2;
  c.o2 = -c.mixBand * c.m2 + c.mixLow * (1.0 - c.m3);
  c.o0 = c.mixInput + c.mixBand * c.m2 + c.mixLow * c.m3;
  return c;
}
}  // namespace

BiquadCoefficients BiquadCoefficients::LowPass(double cutoffHz, double sampleRate) {
  const Prototype p = Design(cutoffHz, sampleRate);
  BiquadCoefficients c = WithIntegratorGains(p);
  c.b0 = c.b2 = (1.0 - p.cs) * 0.5 * p.n;
  c.b1 = (1.0 - p.cs) * p.n;
  c.a1 = -2.0 * p.cs * p.n;
  c.a2 = (1.0 - p.alpha) * p.n;
  c.mixInput = 0.0;
  c.mixBand = 0.0;
  c.mixLow = 1.0;
  return WithStateMatrices(c);
}

BiquadCoefficients BiquadCoefficients::HighPass(double cutoffHz, double sampleRate) {
  const Prototype p = Design(cutoffHz, sampleRate);
  BiquadCoefficients c = WithIntegratorGains(p);
  c.b0 = c.b2 = (1.0 + p.cs) * 0.5 * p.n;
  c.b1 = -(1.0 + p.cs) * p.n;
  c.a1 = -2.0 * p.cs * p.n;
  c.a2 = (1.0 - p.alpha) * p.n;
  c.mixInput = 1.0;
  c.mixBand = -2.0;
  c.mixLow = -1.0;
  return WithStateMatrices(c);
}

MORAVELLE_DSP_END
