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
using dsp::NegatedMulAdd;

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

}  // namespace reverb_steps

MORAVELLE_DSP_END
