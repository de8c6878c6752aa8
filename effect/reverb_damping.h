#pragma once
// One step of the feedback lines' damping one-pole, shared by the frame-by-frame and
// the settled-run paths so that both give the same bits.
//
// The low-pass y = z + (e - z) damp is evaluated as y = e damp + w, with w = z (1 -
// damp) computed before the step: the recursion then carries one multiply-add (one
// fused instruction with FMA) instead of a subtraction, a product and a sum, which
// shortens the chain that a settled run has to walk frame after frame. The sum is
// rounded once with FMA and twice without, so the two builds differ in the last bit.

#if defined(__FMA__)
#include <immintrin.h>
#endif

#include "dsp_isa.h"
#include "stereo_vector.h"

MORAVELLE_DSP_BEGIN

namespace reverb_damping {

// The input term w: a line's read times its gain times (1 - damp), as one product
// with the factor 'gainKept' = gain (1 - damp). Adding +0 turns the -0 of a silent
// read times a negative gain into +0, so that no step ever yields -0 (whose guard
// would act) from silence.
template <typename V>
inline V Input(V read, V gainKept) {
  return read * gainKept + 0.0;
}

inline Double2 Step(Double2 state, double damp, Double2 input) {
#if defined(__FMA__)
  return _mm_fmadd_pd(state, _mm_set1_pd(damp), input);
#else
  return state * damp + input;
#endif
}

inline Double4 Step(Double4 state, double damp, Double4 input) {
#if defined(__FMA__)
  return _mm256_fmadd_pd(state, _mm256_set1_pd(damp), input);
#else
  return state * damp + input;
#endif
}

}  // namespace reverb_damping

MORAVELLE_DSP_END
