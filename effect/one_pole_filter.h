#pragma once
// Trapezoidal (zero-delay-feedback) one-pole filter giving low- and high-pass at
// once, both channels in one vector. g = tan(pi fc / sr); the state is stored
// unflushed, only NaN and infinity are cleared.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

// Per-block factors: g, 1 / (1 + g) (0 when 1 + g is 0), and the state update
// s' = H g + L written as s' = 2 g / (1 + g) z + (1 - g) / (1 + g) s, a single
// multiply-add deep.
struct OnePoleCoefficients {
  Double2 g, normaliser, stateInput, stateFeedback;
  static OnePoleCoefficients From(double g, double normaliser) {
    return OnePoleCoefficients{dsp::Splat(g), dsp::Splat(normaliser), dsp::Splat(2.0 * g * normaliser),
                               dsp::Splat((1.0 - g) * normaliser)};
  }
};

struct OnePoleFilter {
  Double2 s{};

  void Clear() { s = Double2{}; }

  void Process(Double2 z, const OnePoleCoefficients& c, Double2* lowPass, Double2* highPass) {
    const Double2 lp = (z * c.g + s) * c.normaliser;
    *lowPass = lp;
    *highPass = z - lp;
    s = dsp::FiniteOrZero2(Update(z, c));
  }

  // Process without the guard. A state that is not finite stays so in every later
  // frame (the feedback factor is finite, and times 0 it gives NaN), so one look at
  // the state after a pass (WatchFinalState) tells whether the guard would have
  // acted anywhere in it.
  void ProcessUnguarded(Double2 z, const OnePoleCoefficients& c, Double2* lowPass, Double2* highPass) {
    const Double2 lp = (z * c.g + s) * c.normaliser;
    *lowPass = lp;
    *highPass = z - lp;
    s = Update(z, c);
  }
  void WatchFinalState(dsp::GuardWatch* watch) const { watch->Add(dsp::NotFiniteV(s)); }

  // 'normaliser' is 1 / (1 + g), or 0 when 1 + g is 0, computed once per block.
  void Process(Double2 z, Double2 g, Double2 normaliser, Double2* lowPass, Double2* highPass) {
    Process(z, OnePoleCoefficients::From(g[0], normaliser[0]), lowPass, highPass);
  }

 private:
  Double2 Update(Double2 z, const OnePoleCoefficients& c) const { return dsp::Opaque(c.stateInput * z) + c.stateFeedback * s; }
};

MORAVELLE_DSP_END
