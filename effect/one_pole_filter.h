#pragma once
// Trapezoidal (zero-delay-feedback) one-pole filter giving low- and high-pass at
// once, both channels in one vector. g = tan(pi fc / sr); the state is stored
// unflushed, only NaN and infinity are cleared.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

struct OnePoleFilter {
  Double2 s{};

  void Clear() { s = Double2{}; }

  // 'normaliser' is 1 / (1 + g), or 0 when 1 + g is 0, computed once per block.
  [[gnu::always_inline]] void Process(Double2 z, Double2 g, Double2 normaliser, Double2* lowPass, Double2* highPass) {
    const Double2 lp = (z * g + s) * normaliser;
    const Double2 hp = z - lp;
    s = dsp::FiniteOrZero2(hp * g + lp);
    *lowPass = lp;
    *highPass = hp;
  }
};

MORAVELLE_DSP_END
