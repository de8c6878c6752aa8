#pragma once
// Trapezoidal (zero-delay-feedback) one-pole filter giving low- and high-pass at once.
// g = tan(pi fc / sr); the state is stored unflushed, only NaN and infinity are cleared.

#include "dsp_guards.h"

struct OnePoleFilter {
  double s = 0.0;

  void Clear() { s = 0.0; }

  // 'normaliser' is 1 / (1 + g), or 0 when 1 + g is 0, computed once per block.
  void Process(double z, double g, double normaliser, double* lowPass, double* highPass) {
    const double lp = (z * g + s) * normaliser;
    const double hp = z - lp;
    s = dsp::FiniteOrZero(hp * g + lp);
    *lowPass = lp;
    *highPass = hp;
  }
};
