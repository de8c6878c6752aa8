#pragma once
// The design fixes a few coefficients per sample at 44.1 kHz: the smoothing steps of
// room size, panorama and pre-delay, the damping pole, the DC blockers' pole and the
// early-reflection taps' offset. At other rates they are mapped to the same times, so
// that a setting sounds the same whatever rate the host runs at. At 44.1 kHz, and at
// rates that are not positive and finite, they are exactly the design's values (no
// power function is evaluated there, so not a bit changes).

#include <cmath>

#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

namespace dsp {

inline constexpr double kDesignSampleRate = 44100.0;

// Samples at the design rate per sample at 'sampleRate': the exponent that maps a
// per-sample factor; 1 where the rate cannot be used.
inline double DesignSamplesPerSample(double sampleRate) {
  return sampleRate > 0.0 && sampleRate <= 0x1.fffffffffffffp+1023 ? kDesignSampleRate / sampleRate : 1.0;
}

// A pole p (a state kept as p times itself per sample) with the same time constant:
// p^(44100 / rate).
inline double PoleAtRate(double pole, double sampleRate) {
  const double exponent = DesignSamplesPerSample(sampleRate);
  return exponent == 1.0 ? pole : std::pow(pole, exponent);
}

// A one-pole step c (s += (target - s) c) with the same time constant:
// 1 - (1 - c)^(44100 / rate).
inline double StepAtRate(double step, double sampleRate) {
  const double exponent = DesignSamplesPerSample(sampleRate);
  return exponent == 1.0 ? step : 1.0 - std::pow(1.0 - step, exponent);
}

// A length given in samples at the design rate, in samples at 'sampleRate'.
inline double DesignSamplesAtRate(double samples, double sampleRate) {
  return DesignSamplesPerSample(sampleRate) == 1.0 ? samples : samples * sampleRate / kDesignSampleRate;
}

}  // namespace dsp

MORAVELLE_DSP_END
