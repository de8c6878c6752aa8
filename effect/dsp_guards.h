#pragma once
// Numeric guards shared by every stage of the kernel.

#include <cmath>
#include <cstdint>
#include <cstring>
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

namespace dsp {

inline uint32_t ExponentField(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return static_cast<uint32_t>(bits >> 52) & 0x7FFu;
}

// Guard for every value kept for a later frame: magnitudes below 2^-1021 (denormals
// included) become 0, and so do NaN and infinity, so that one bad sample cannot
// poison a delay line or filter until the next reset. Finite values of normal size
// pass unchanged.
inline double FlushDenormal(double v) {
  // Exponent fields 2 .. 0x7FE are exactly the magnitudes 2^-1021 .. DBL_MAX; NaN
  // fails both comparisons.
  const double a = std::fabs(v);
  return (a >= 0x1p-1021 && a <= 0x1.fffffffffffffp+1023) ? v : 0.0;
}

// For states that are stored unflushed (the one-pole filter, the DC blocker's
// memories): only NaN and infinity become 0.
inline double FiniteOrZero(double v) { return std::fabs(v) <= 0x1.fffffffffffffp+1023 ? v : 0.0; }

// The curve convention's guard on a power: anything not finite or of magnitude
// 2^1023 and up (exponent field 0x7FE or 0x7FF) becomes 0.
inline double GuardPower(double v) { return ExponentField(v) < 0x7FEu ? v : 0.0; }

inline double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

// lo + range * c(p)^e with c the clamp to 0..1.
inline double Curve(double p, double lo, double range, double exponent) {
  return lo + range * GuardPower(std::pow(Clamp01(p), exponent));
}

// Whole part of 1 + p, truncated toward zero: the selector of on/off and mode parameters.
inline int Selector(double p) { return static_cast<int>(1.0 + p); }

// The highest cutoff the filters are designed for, as a fraction of the sample rate.
// Past half the rate the biquads' and the one-pole's poles leave the unit circle and
// the output grows without bound; 0.46 keeps a margin under that limit. The cutoff
// curves end at 20 kHz, below 0.46 x 44100 = 20286 Hz, so at 44.1 kHz and above
// (every rate from 43479 Hz on) no cutoff is ever touched; only lower rates limit it.
inline constexpr double kHighestCutoffPerHz = 0.46;

inline double StableCutoff(double cutoffHz, double sampleRate) {
  const double highest = kHighestCutoffPerHz * sampleRate;
  return sampleRate > 0.0 && cutoffHz > highest ? highest : cutoffHz;
}

// Whole part toward zero as a 32-bit integer, saturated at the type's ends (NaN
// gives 0): sample counts derived from a host's rate must not overflow the
// conversion, whatever rate the host set.
inline int32_t ToInt32Saturated(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Division that yields 0 for a zero divisor.
inline double SafeDivide(double numerator, double divisor) { return divisor != 0.0 ? numerator / divisor : 0.0; }

}  // namespace dsp

MORAVELLE_DSP_END
