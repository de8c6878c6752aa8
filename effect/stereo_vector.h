#pragma once
// Two doubles processed together, one lane per channel (lane 0 left, lane 1 right).
// The preamp and amp stages run both channels through the same arithmetic, so
// SSE2 does both at once. GCC vector extensions (the build's compilers are GCC).

#include <cstdint>


using Double2 = double __attribute__((vector_size(16)));
using Int2 = int64_t __attribute__((vector_size(16)));

namespace dsp {

// Same bits, other lane type: a register move, no memory round trip.
inline Int2 AsBits(Double2 v) { return (Int2)v; }
inline Double2 AsDouble2(Int2 v) { return (Double2)v; }

inline Double2 Splat(double v) { return Double2{v, v}; }

inline Double2 Abs2(Double2 v) {
  const Int2 bits = AsBits(v) & Int2{INT64_MAX, INT64_MAX};
  return AsDouble2(bits);
}

// Lane-wise select: where the mask lane is all ones, a; else b.
inline Double2 Select2(Int2 mask, Double2 a, Double2 b) {
  const Int2 r = (mask & AsBits(a)) | (~mask & AsBits(b));
  return AsDouble2(r);
}

// A lane mask from a flag that holds for a whole block: all ones when set.
inline Int2 MaskOf(bool flag) { return flag ? Int2{-1, -1} : Int2{0, 0}; }

// FlushDenormal on both lanes.
inline Double2 FlushDenormal2(Double2 v) {
  const Double2 a = Abs2(v);
  const Int2 keep = (a >= Splat(0x1p-1021)) & (a <= Splat(0x1.fffffffffffffp+1023));
  return Select2(keep, v, Splat(0.0));
}

// FiniteOrZero on both lanes.
inline Double2 FiniteOrZero2(Double2 v) {
  return Select2(Abs2(v) <= Splat(0x1.fffffffffffffp+1023), v, Splat(0.0));
}

// e^y = 2^k (1 + q) on both lanes for -700 <= y <= 700, the split shared by
// ExpMinusOne2 and Exp2Lanes. y = k ln2 + r, |r| <= ln2 / 2; q = e^r - 1 by its
// Taylor series to the 12th power; adding 1.5 * 2^52 rounds y / ln2 to the nearest k
// and leaves k in the low bits, so no lane leaves the vector registers.
inline void ExpSplit2(Double2 y, Double2* scale, Double2* qOut) {
  constexpr double kInvLn2 = 1.4426950408889634;
  constexpr double kLn2Hi = 0.693147180369123816490;
  constexpr double kLn2Lo = 1.90821492927058770002e-10;
  constexpr double kRoundingShift = 0x1.8p52;
  const Double2 shifted = y * kInvLn2 + kRoundingShift;
  const Double2 kd = shifted - kRoundingShift;
  const Double2 r = (y - kd * kLn2Hi) - kd * kLn2Lo;
  // (e^r - 1) / r = sum of r^i / (i + 1)! for i = 0 .. 11, in Estrin's scheme: the
  // clippers are bound by this chain's latency, and pairs of terms shorten it.
  const Double2 r2 = r * r;
  const Double2 r4 = r2 * r2;
  const Double2 r8 = r4 * r4;
  const Double2 p01 = 1.0 + r * (1.0 / 2.0);
  const Double2 p23 = (1.0 / 6.0) + r * (1.0 / 24.0);
  const Double2 p45 = (1.0 / 120.0) + r * (1.0 / 720.0);
  const Double2 p67 = (1.0 / 5040.0) + r * (1.0 / 40320.0);
  const Double2 p89 = (1.0 / 362880.0) + r * (1.0 / 3628800.0);
  const Double2 p1011 = (1.0 / 39916800.0) + r * (1.0 / 479001600.0);
  const Double2 p03 = p01 + r2 * p23;
  const Double2 p47 = p45 + r2 * p67;
  const Double2 p811 = p89 + r2 * p1011;
  const Double2 q = r * ((p03 + r4 * p47) + r8 * p811);  // e^r - 1
  const Int2 k = AsBits(shifted) - AsBits(Splat(kRoundingShift));
  *scale = AsDouble2((k + 1023) << 52);  // 2^k
  *qOut = q;
}

// e^y - 1, accurate relative to the result also near 0, so quiet signals keep their
// precision through the clippers.
inline Double2 ExpMinusOne2(Double2 y) {
  Double2 scale, q;
  ExpSplit2(y, &scale, &q);
  return scale * q + (scale - 1.0);
}

// e^y on both lanes for -700 <= y <= 700 (smaller y are raised to -700, where e^y
// is below 1e-304 anyway).
inline Double2 Exp2Lanes(Double2 y) {
  y = Select2(y < Splat(-700.0), Splat(-700.0), y);
  Double2 scale, q;
  ExpSplit2(y, &scale, &q);
  return scale * q + scale;
}

// tanh on both lanes: tanh a = (e^2a - 1) / (e^2a + 1), with the sign of x. Within a
// few units in the last place of the result; NaN lanes give NaN.
inline Double2 FastTanh2(Double2 x) {
  Double2 a = Abs2(x);
  a = Select2(a > Splat(22.0), Splat(22.0), a);  // tanh(22) rounds to 1
  a = Select2(a != a, Splat(0.0), a);            // NaN restored below
  const Double2 em1 = ExpMinusOne2(2.0 * a);
  const Double2 t = em1 / (em1 + 2.0);
  const Int2 sign = AsBits(x) & Int2{INT64_MIN, INT64_MIN};
  return Select2(x != x, x, AsDouble2(AsBits(t) | sign));
}

}  // namespace dsp
