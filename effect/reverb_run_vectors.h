#pragma once
// Four-frame vectors for the reverb's settled runs: unaligned loads and stores, the
// keep-guard of the delay lines, 4x4 transposes (four frames of four lines to four
// lines of four frames) and the channel (de)interleaving of the stage's stereo pairs.
// With AVX2 each is one 256-bit register; without, GCC splits a four-lane vector in
// two halves, and the shuffles are written on the halves directly.

#include <cstring>
#include <immintrin.h>

#include "dsp_isa.h"
#include "stereo_vector.h"

MORAVELLE_DSP_BEGIN

namespace run_vectors {

using dsp::SplatV;
using Mask4 = dsp::MaskOfVector<Double4>;

inline Double4 Load4(const double* p) {
  Double4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store4(double* p, Double4 v) { std::memcpy(p, &v, sizeof v); }

#if defined(__AVX2__)
using UInt4 = uint64_t __attribute__((vector_size(32)));

// FlushDenormalV's result in integer steps: one signed comparison tells the kept
// magnitudes (exponent fields 2 .. 0x7FE) from the rest, since adding 0x7FE0... to
// the magnitude's bits moves exactly that range to the bottom of the signed order.
inline Mask4 OutsideKeptRange(Mask4 bits) {
  const UInt4 shifted = (UInt4)(bits & INT64_MAX) + 0x7FE0000000000000u;
  return (Mask4)shifted > -0x0030000000000001;
}
inline Double4 Kept4(Double4 v) {
  const Mask4 bits = dsp::BitsOf(v);
  return dsp::FromBits<Double4>(bits & ~OutsideKeptRange(bits));
}
// Rows a, b, c, d (lanes 0..3) to columns.
inline void Transpose4(Double4& a, Double4& b, Double4& c, Double4& d) {
  const Double4 ab0 = __builtin_shufflevector(a, b, 0, 4, 2, 6);  // a0 b0 a2 b2
  const Double4 ab1 = __builtin_shufflevector(a, b, 1, 5, 3, 7);  // a1 b1 a3 b3
  const Double4 cd0 = __builtin_shufflevector(c, d, 0, 4, 2, 6);
  const Double4 cd1 = __builtin_shufflevector(c, d, 1, 5, 3, 7);
  a = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
  b = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
  c = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
  d = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

// Four stereo pairs (left, right, left, right ...) at p to a left and a right vector.
inline void LoadPairs(const Double2* p, Double4& left, Double4& right) {
  const Double4 a = Load4(reinterpret_cast<const double*>(p)), b = Load4(reinterpret_cast<const double*>(p + 2));
  const Double4 low = __builtin_shufflevector(a, b, 0, 1, 4, 5);   // l0 r0 l2 r2
  const Double4 high = __builtin_shufflevector(a, b, 2, 3, 6, 7);  // l1 r1 l3 r3
  left = __builtin_shufflevector(low, high, 0, 4, 2, 6);
  right = __builtin_shufflevector(low, high, 1, 5, 3, 7);
}
inline void StorePairs(Double2* p, Double4 left, Double4 right) {
  const Double4 even = __builtin_shufflevector(left, right, 0, 4, 2, 6);  // l0 r0 l2 r2
  const Double4 odd = __builtin_shufflevector(left, right, 1, 5, 3, 7);   // l1 r1 l3 r3
  Store4(reinterpret_cast<double*>(p), __builtin_shufflevector(even, odd, 0, 1, 4, 5));
  Store4(reinterpret_cast<double*>(p + 2), __builtin_shufflevector(even, odd, 2, 3, 6, 7));
}
#else
// FlushDenormalV on each half, written with SSE2's own operations (GCC lowers the
// generic vector select of a four-lane vector to scalar moves here).
inline Double2 KeptPair(Double2 v) {
  const __m128d magnitude = _mm_and_pd(v, _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX)));
  const __m128d kept = _mm_and_pd(_mm_cmpge_pd(magnitude, _mm_set1_pd(0x1p-1021)),
                                  _mm_cmple_pd(magnitude, _mm_set1_pd(0x1.fffffffffffffp+1023)));
  return _mm_and_pd(v, kept);
}
inline Double4 Kept4(Double4 v) { return dsp::Join(KeptPair(dsp::LowHalf(v)), KeptPair(dsp::HighHalf(v))); }
inline Double2 Low2(Double2 a, Double2 b) { return __builtin_shufflevector(a, b, 0, 2); }
inline Double2 High2(Double2 a, Double2 b) { return __builtin_shufflevector(a, b, 1, 3); }

inline void Transpose4(Double4& a, Double4& b, Double4& c, Double4& d) {
  const Double2 a0 = dsp::LowHalf(a), a1 = dsp::HighHalf(a), b0 = dsp::LowHalf(b), b1 = dsp::HighHalf(b);
  const Double2 c0 = dsp::LowHalf(c), c1 = dsp::HighHalf(c), d0 = dsp::LowHalf(d), d1 = dsp::HighHalf(d);
  a = dsp::Join(Low2(a0, b0), Low2(c0, d0));
  b = dsp::Join(High2(a0, b0), High2(c0, d0));
  c = dsp::Join(Low2(a1, b1), Low2(c1, d1));
  d = dsp::Join(High2(a1, b1), High2(c1, d1));
}

inline void LoadPairs(const Double2* p, Double4& left, Double4& right) {
  left = dsp::Join(Low2(p[0], p[1]), Low2(p[2], p[3]));
  right = dsp::Join(High2(p[0], p[1]), High2(p[2], p[3]));
}
inline void StorePairs(Double2* p, Double4 left, Double4 right) {
  const Double2 l0 = dsp::LowHalf(left), l1 = dsp::HighHalf(left);
  const Double2 r0 = dsp::LowHalf(right), r1 = dsp::HighHalf(right);
  p[0] = Low2(l0, r0);
  p[1] = High2(l0, r0);
  p[2] = Low2(l1, r1);
  p[3] = High2(l1, r1);
}
#endif

}  // namespace run_vectors

MORAVELLE_DSP_END
