#pragma once
// The reverb's arithmetic steps, shared by the frame-by-frame and the settled-run
// paths so that both give the same bits: a delay line's interpolated read, the
// Schroeder allpasses, and the feedback lines' damping one-pole.
//
// Where the processor has FMA, each product-and-sum is one fused instruction,
// rounded once; without, a product and a sum, each rounded (the reverb's sources are
// compiled without contraction, so the compiler fuses nothing behind our back). The
// two builds therefore differ in the last bit, and each agrees with itself in
// either path.

#include "dsp_isa.h"
#include "stereo_vector.h"

MORAVELLE_DSP_BEGIN

namespace reverb_steps {

using dsp::MulAdd;

// c - a b, as MulAdd(-a, b, c): the same bits, fused or not (the negation is exact).
// Callers pass their constant factor as 'a', so that its negation folds away.
template <typename V>
inline V NegatedMulAdd(V a, V b, V c) {
  return MulAdd(-a, b, c);
}

// The value a fraction 'frac' of the way from a to b.
template <typename V>
inline V Interpolate(V a, V b, V frac) {
  return MulAdd(b - a, frac, a);
}

// Schroeder allpass with gain g: the state stored, in - g read, and the output,
// g state + read.
template <typename V>
inline V AllpassState(V in, V g, V read) {
  return NegatedMulAdd(g, read, in);
}
template <typename V>
inline V AllpassOutput(V state, V g, V read) {
  return MulAdd(g, state, read);
}

// The damping low-pass y = z + (e - z) damp, evaluated as y = e damp + w with the
// input term w = z (1 - damp) computed before the step: the recursion then carries
// one multiply-add instead of a subtraction, a product and a sum, which shortens the
// chain that a settled run walks frame after frame.
//
// The input term: a line's read times 'gainKept', its gain times (1 - damp). Adding
// +0 turns the -0 of a silent read times a negative gain into +0, so that no step
// ever yields -0 (which its guard would turn into +0) from silence.
template <typename V>
inline V DampingInput(V read, V gainKept) {
  return read * gainKept + 0.0;
}
template <typename V>
inline V DampingStep(V state, V damp, V input) {
  return MulAdd(state, damp, input);
}

// e^y for the decay gains, y >= -700 (smaller y are raised to -700): the method of
// dsp::ExpV (the same split and Taylor polynomial) with each product-and-sum one
// MulAdd, so that with FMA the polynomial takes about half the instructions. The
// room's gains are powers of this in either path.
template <typename V>
inline V DecayExp(V y) {
  using dsp::SplatV;
  constexpr double kInvLn2 = 1.4426950408889634;   // 1 / ln 2
  constexpr double kLn2Hi = 0x1.62e42fee00000p-1;  // ln 2 split so that n times it is exact
  constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
  constexpr double kRoundingShift = 0x1.8p52;
  y = dsp::SelectV<V>(y < SplatV<V>(-700.0), SplatV<V>(-700.0), y);
  const V shifted = MulAdd(y, SplatV<V>(kInvLn2), SplatV<V>(kRoundingShift));
  const V nd = shifted - kRoundingShift;
  const V r = NegatedMulAdd(SplatV<V>(kLn2Lo), nd, NegatedMulAdd(SplatV<V>(kLn2Hi), nd, y));
  const V r2 = r * r;
  const V r4 = r2 * r2;
  // 1/k! for k = 2 .. 13, in pairs.
  auto pair = [r](double even, double odd) { return MulAdd(r, SplatV<V>(odd), SplatV<V>(even)); };
  const V low = MulAdd(r2, pair(1.0 / 24.0, 1.0 / 120.0), pair(1.0 / 2.0, 1.0 / 6.0));
  const V middle = MulAdd(r2, pair(1.0 / 40320.0, 1.0 / 362880.0), pair(1.0 / 720.0, 1.0 / 5040.0));
  const V high = MulAdd(r2, pair(1.0 / 479001600.0, 1.0 / 6227020800.0), pair(1.0 / 3628800.0, 1.0 / 39916800.0));
  const V p = MulAdd(r4, MulAdd(r4, high, middle), low);
  const auto n = dsp::BitsOf(shifted) - dsp::BitsOf(SplatV<V>(kRoundingShift));
  const V scale = dsp::FromBits<V>((n << 52) + (int64_t{1023} << 52));  // 2^n
  return MulAdd(scale, MulAdd(r2, p, r), scale);
}

}  // namespace reverb_steps

MORAVELLE_DSP_END
