#include "biquad_filter.h"

#include <cmath>

#include "dsp_guards.h"

MORAVELLE_DSP_BEGIN

namespace {
struct Prototype {
  double cs, alpha, n;
};

Prototype Design(double cutoffHz, double sampleRate) {
  // A cutoff past the stable limit (only reachable below 44.1 kHz) is held under it.
  const double omega = dsp::SafeDivide(dsp::StableCutoff(cutoffHz, sampleRate) * 6.2831853071796, sampleRate);
  Prototype p;
  p.cs = std::cos(omega);
  p.alpha = std::sin(omega) * 0.5 * 2.0;  // sin(w) / (2Q) with Q = 0.5
  p.n = dsp::SafeDivide(1.0, 1.0 + p.alpha);
  return p;
}
}  // namespace

BiquadCoefficients BiquadCoefficients::LowPass(double cutoffHz, double sampleRate) {
  const Prototype p = Design(cutoffHz, sampleRate);
  BiquadCoefficients c;
  c.b0 = c.b2 = (1.0 - p.cs) * 0.5 * p.n;
  c.b1 = (1.0 - p.cs) * p.n;
  c.a1 = -2.0 * p.cs * p.n;
  c.a2 = (1.0 - p.alpha) * p.n;
  return c;
}

BiquadCoefficients BiquadCoefficients::HighPass(double cutoffHz, double sampleRate) {
  const Prototype p = Design(cutoffHz, sampleRate);
  BiquadCoefficients c;
  c.b0 = c.b2 = (1.0 + p.cs) * 0.5 * p.n;
  c.b1 = -(1.0 + p.cs) * p.n;
  c.a1 = -2.0 * p.cs * p.n;
  c.a2 = (1.0 - p.alpha) * p.n;
  return c;
}

MORAVELLE_DSP_END
