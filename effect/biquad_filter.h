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
  // The integrators' step written out as matrices over their states s1, s2 and the
  // input: s1' = a11 s1 + a12 s2 + c1 in, s2' = a21 s1 + a22 s2 + c2 in, and the
  // output out = o1 s1 + o2 s2 + o0 in. Each new state is then one multiply-add and
  // one add from the old ones, where the integrators chain five steps.
  double a11 = 1.0, a12 = 0.0, c1 = 0.0, a21 = 0.0, a22 = 1.0, c2 = 0.0;
  double o1 = 0.0, o2 = 1.0, o0 = 0.0;

  // cutoffHz and sampleRate in Hz; a sample rate of 0 gives omega 0.
  static BiquadCoefficients LowPass(double cutoffHz, double sampleRate);
  static BiquadCoefficients HighPass(double cutoffHz, double sampleRate);
};

// The coefficients of the step, one per lane: the same filter on every lane, or (four
// lanes) one filter on lanes 0 and 1 and another on lanes 2 and 3.
template <typename V>
struct BiquadLanes {
  V a11, a12, c1, a21, a22, c2, o1, o2, o0;
  static BiquadLanes Of(const BiquadCoefficients& c) {
    using dsp::SplatV;
    return BiquadLanes{SplatV<V>(c.a11), SplatV<V>(c.a12), SplatV<V>(c.c1), SplatV<V>(c.a21), SplatV<V>(c.a22),
                       SplatV<V>(c.c2),  SplatV<V>(c.o1),  SplatV<V>(c.o2), SplatV<V>(c.o0)};
  }
};


// One step of the integrators on every lane: the output for 'in', and the new states.
// The products with the old states stay unfused with each other, so that each
// state's recursion is one multiply-add and one add deep. Each multiply-add is
// spelled out rather than left to the compiler, so that two and four lanes round
// alike.
template <typename V>
inline V BiquadStep(const BiquadLanes<V>& c, V in, V* s1, V* s2) {
  using dsp::MulAdd;
  const V s1Next = MulAdd(c.a11, *s1, c.c1 * in) + dsp::Opaque(c.a12 * *s2);
  const V s2Next = MulAdd(c.a22, *s2, c.c2 * in) + dsp::Opaque(c.a21 * *s1);
  const V out = MulAdd(c.o2, *s2, MulAdd(c.o1, *s1, c.o0 * in));
  *s1 = s1Next;
  *s2 = s2Next;
  return out;
}

// Both channels at once, one lane each.
struct BiquadFilter {
  Double2 s1{}, s2{};  // the two integrators' states

  void Clear() { *this = BiquadFilter{}; }

  Double2 Process(Double2 in, const BiquadLanes<Double2>& c) {
    const Double2 out = BiquadStep(c, in, &s1, &s2);
    s1 = dsp::FlushDenormal2(s1);
    s2 = dsp::FlushDenormal2(s2);
    return out;
  }

  // Process without the guards; 'watch' collects the states that the guards would
  // have flushed for their size. A state that is not finite stays so (every state
  // feeds both), which WatchFinalState sees after the pass.
  Double2 ProcessUnguarded(Double2 in, const BiquadLanes<Double2>& c, dsp::GuardWatch* watch) {
    const Double2 out = BiquadStep(c, in, &s1, &s2);
    watch->WatchSmall(s1, s2);
    return out;
  }
  void WatchFinalState(dsp::GuardWatch* watch) const { watch->Add(dsp::NotFiniteV(s1) | dsp::NotFiniteV(s2)); }
};

// Two filters in series over a pass, without their guards: out(i, y) receives the
// second filter's output y for x[i]. One four-lane step per frame runs the first
// filter on frame i (lanes 0 and 1) and the second on frame i - 2 (lanes 2 and 3),
// so each step does the work of two two-lane steps. Two frames behind rather than
// one, the first filter's output reaches the second's input without lengthening
// the recursion of the states that share its vector. Lane for lane the arithmetic
// is ProcessUnguarded's, and so are the bits.
template <typename Out>
inline void RunInSeriesUnguarded(BiquadFilter* first, const BiquadLanes<Double2>& firstLanes, BiquadFilter* second,
                                 const BiquadLanes<Double2>& secondLanes, const Double2* x, int frames,
                                 dsp::GuardWatch* watch, Out out) {
#if defined(__AVX__)
  using dsp::HighHalf;
  using dsp::Join;
  using dsp::LowHalf;
  if (frames < 2) {
    for (int i = 0; i < frames; ++i)
      out(i, second->ProcessUnguarded(first->ProcessUnguarded(x[i], firstLanes, watch), secondLanes, watch));
    return;
  }
  const BiquadLanes<Double4> both{Join(firstLanes.a11, secondLanes.a11), Join(firstLanes.a12, secondLanes.a12),
                                  Join(firstLanes.c1, secondLanes.c1),   Join(firstLanes.a21, secondLanes.a21),
                                  Join(firstLanes.a22, secondLanes.a22), Join(firstLanes.c2, secondLanes.c2),
                                  Join(firstLanes.o1, secondLanes.o1),   Join(firstLanes.o2, secondLanes.o2),
                                  Join(firstLanes.o0, secondLanes.o0)};
  Double2 older = first->ProcessUnguarded(x[0], firstLanes, watch);
  Double2 newer = first->ProcessUnguarded(x[1], firstLanes, watch);
  Double4 s1 = Join(first->s1, second->s1), s2 = Join(first->s2, second->s2);
  for (int i = 2; i < frames; ++i) {
    const Double4 y = BiquadStep(both, Join(x[i], older), &s1, &s2);
    watch->WatchSmall(s1);
    watch->WatchSmall(s2);
    out(i - 2, HighHalf(y));
    older = newer;
    newer = LowHalf(y);
  }
  first->s1 = LowHalf(s1);
  first->s2 = LowHalf(s2);
  second->s1 = HighHalf(s1);
  second->s2 = HighHalf(s2);
  out(frames - 2, second->ProcessUnguarded(older, secondLanes, watch));
  out(frames - 1, second->ProcessUnguarded(newer, secondLanes, watch));
#else
  // Without AVX a four-lane vector is two registers anyway, and GCC would keep the
  // four-lane states on the stack from one step to the next, a store and a load
  // more in every recursion. Two-lane steps frame by frame, on local copies whose
  // states stay in registers.
  BiquadFilter a = *first, b = *second;
  for (int i = 0; i < frames; ++i) out(i, b.ProcessUnguarded(a.ProcessUnguarded(x[i], firstLanes, watch), secondLanes, watch));
  *first = a;
  *second = b;
#endif
}

MORAVELLE_DSP_END
