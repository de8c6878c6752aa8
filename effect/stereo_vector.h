#pragma once
// Doubles processed together: two lanes, one per channel (lane 0 left, lane 1 right),
// and four lanes where a stage has two evaluations per channel (the clippers). The
// preamp and amp stages run both channels through the same arithmetic, so SSE2 (or
// AVX2) does them at once. GCC vector extensions (the build's compilers are GCC).

#include <emmintrin.h>
#include <cstdint>
#include <type_traits>

#include "dsp_isa.h"
#if defined(__AVX__)
#include <immintrin.h>
#endif

MORAVELLE_DSP_BEGIN

using Double2 = double __attribute__((vector_size(16)));
using Int2 = int64_t __attribute__((vector_size(16)));
using Double4 = double __attribute__((vector_size(32)));
using Int4 = int64_t __attribute__((vector_size(32)));

namespace dsp {

// The lane-mask type of a vector of doubles (what its comparisons give).
template <typename V>
using MaskOfVector = decltype(V{} < V{});

// Same bits, other lane type: a register move, no memory round trip.
template <typename V>
inline MaskOfVector<V> BitsOf(V v) { return (MaskOfVector<V>)v; }
template <typename V>
inline V FromBits(MaskOfVector<V> bits) { return (V)bits; }

template <typename V>
inline V SplatV(double v) {
#if !defined(__AVX__)
  // Without AVX a four-lane vector is two registers, and GCC builds a splat of a value
  // known only at run time on the stack: two 8-byte stores read back by 16-byte loads,
  // which wait for the stores to retire. From an opaque two-lane splat it builds both
  // halves in registers.
  if constexpr (sizeof(V) == 32) {
    if (!__builtin_constant_p(v)) {
      Double2 half = Double2{} + v;
      asm("" : "+x"(half));
      return V{half[0], half[1], half[0], half[1]};
    }
  }
#endif
  return V{} + v;
}

template <typename V>
inline V AbsV(V v) { return FromBits<V>(BitsOf(v) & INT64_MAX); }

// Lane-wise select: where the mask lane is all ones, a; else b.
template <typename V>
inline V SelectV(MaskOfVector<V> mask, V a, V b) {
  return FromBits<V>((mask & BitsOf(a)) | (~mask & BitsOf(b)));
}

// A comparison's lanes as plain bits, for combining with another's. Without AVX,
// GCC would keep two combined comparisons as a vector of truth values and, lacking
// SSE4.1's blend, rebuild their lanes one by one in general registers; an empty asm
// that claims to change the mask leaves it the bits the comparison made.
template <typename M>
inline M PlainMask(M mask) {
#if !defined(__AVX__)
  if constexpr (sizeof(M) == 16) asm("" : "+x"(mask));
#endif
  return mask;
}

// The value as computed, kept from being fused with what follows (a multiply-add
// would round once where the guarded version of the same step rounds twice).
template <typename V>
inline V Opaque(V v) {
#if !defined(__AVX__)
  if constexpr (sizeof(V) == 32) {
    // Without AVX a four-lane vector is two registers: each half on its own.
    Double2 low = {v[0], v[1]}, high = {v[2], v[3]};
    asm("" : "+x"(low), "+x"(high));
    return V{low[0], low[1], high[0], high[1]};
  } else
#endif
  {
    asm("" : "+x"(v));
    return v;
  }
}

// Lane-wise minimum, one instruction (minpd): where a lane of 'a' is NaN the lane of
// 'b' comes out.
inline Double2 MinV(Double2 a, Double2 b) { return (Double2)_mm_min_pd((__m128d)a, (__m128d)b); }
#if defined(__AVX__)
inline Double4 MinV(Double4 a, Double4 b) { return (Double4)_mm256_min_pd((__m256d)a, (__m256d)b); }
#endif
// Lane-wise maximum (maxpd), the same way round.
inline Double2 MaxV(Double2 a, Double2 b) { return (Double2)_mm_max_pd((__m128d)a, (__m128d)b); }
#if defined(__AVX__)
inline Double4 MaxV(Double4 a, Double4 b) { return (Double4)_mm256_max_pd((__m256d)a, (__m256d)b); }
#endif

// a b + c, rounded once where the processor has FMA (the AVX2 build), else twice
// (without FMA the compiler cannot fuse): the same step wherever two versions of it,
// guarded and unguarded or frame by frame and in runs, must agree bit for bit.
template <typename V>
inline V MulAdd(V a, V b, V c) {
#if defined(__FMA__)
  if constexpr (sizeof(V) == 32) {
    return (V)_mm256_fmadd_pd((__m256d)a, (__m256d)b, (__m256d)c);
  } else if constexpr (sizeof(V) == 16) {
    return (V)_mm_fmadd_pd((__m128d)a, (__m128d)b, (__m128d)c);
  } else {
    return __builtin_fma(a, b, c);
  }
#else
  return a * b + c;
#endif
}

// c - a b, as MulAdd(-a, b, c): the same bits, fused or not (the negation is exact).
// Callers pass their constant factor as 'a', so that its negation folds away.
template <typename V>
inline V NegatedMulAdd(V a, V b, V c) {
  return MulAdd(-a, b, c);
}

// Lane-wise: a where the lowest bit of 'bits' is set, else b. With AVX one blend
// (it looks at each lane's sign bit); without, a mask of all ones from the bit.
template <typename V>
inline V SelectByLowBitV(MaskOfVector<V> bits, V a, V b) {
#if defined(__AVX__)
  if constexpr (sizeof(V) == 32) {
    return (V)_mm256_blendv_pd((__m256d)b, (__m256d)a, (__m256d)(bits << 63));
  } else {
    return (V)_mm_blendv_pd((__m128d)b, (__m128d)a, (__m128d)(bits << 63));
  }
#else
  return SelectV<V>(-(bits & 1), a, b);
#endif
}

// FlushDenormal lane by lane: exponent fields 2 .. 0x7FE are exactly the magnitudes
// 2^-1021 .. DBL_MAX; NaN fails both comparisons.
template <typename V>
inline V FlushDenormalV(V v) {
  const V a = AbsV(v);
  return SelectV<V>(PlainMask(a >= SplatV<V>(0x1p-1021)) & PlainMask(a <= SplatV<V>(0x1.fffffffffffffp+1023)), v, V{});
}

// What leaves the effect: magnitudes below the smallest normal double (2^-1022),
// denormals, become 0, so that no plug-in after this one slows down on them. NaN and
// infinity pass, unlike in FlushDenormalV: an output sample is reported, not kept.
template <typename V>
inline V FlushOutputV(V v) { return SelectV<V>(AbsV(v) < SplatV<V>(0x1p-1022), V{}, v); }

// FiniteOrZero lane by lane.
template <typename V>
inline V FiniteOrZeroV(V v) { return SelectV<V>(AbsV(v) <= SplatV<V>(0x1.fffffffffffffp+1023), v, V{}); }

// e^y = 2^(n/2) (1 + q) lane by lane, the split shared by ExpMinusOneV and ExpV.
// y = n ln2/2 + r with |r| <= ln2 / 4: the half-octave step costs a selection
// between 1 and sqrt 2 and halves the range the polynomial must cover, so
// q = e^r - 1 = r + r^2 P(r) needs P of degree 7 where whole octaves need 11. P's
// coefficients are fitted to (e^r - 1 - r) / r^2 at Chebyshev nodes of that range
// (relative error of q below 3.4e-16 before rounding). Every lane is plain
// arithmetic, with no table to look up, so four lanes cost what one does; each
// product-and-sum is one MulAdd. Adding 1.5 * 2^52 rounds 2y / ln2 to the nearest n
// and leaves n in the low bits.
//
// kRange bounds |y|. Up to 64, n ln2/2 is subtracted in one step: the constant's
// rounding then moves r by at most 64 times 1.2e-17. Up to 700, ln 2 / 2 comes in
// two parts, the first short enough that n times it is exact.
template <typename V>
struct ExpParts {
  V scale;  // 2^(n/2): 2^floor(n/2), times sqrt 2 for odd n
  V q;      // e^r - 1
};

template <int kRange, typename V>
inline ExpParts<V> ExpSplitV(V y) {
  static_assert(kRange == 64 || kRange == 700);
  constexpr double kTwoOverLn2 = 2.8853900817779268;   // 2 / ln 2
  constexpr double kHalfLn2 = 0x1.62e42fefa39efp-2;
  constexpr double kHalfLn2Hi = 0x1.62e42fee00000p-2;
  constexpr double kHalfLn2Lo = 0x1.a39ef35793c76p-34;
  constexpr double kRoundingShift = 0x1.8p52;
  const V shifted = MulAdd(SplatV<V>(kTwoOverLn2), y, SplatV<V>(kRoundingShift));
  const V nd = shifted - kRoundingShift;
  const V r = kRange == 64 ? NegatedMulAdd(SplatV<V>(kHalfLn2), nd, y)
                           : NegatedMulAdd(SplatV<V>(kHalfLn2Lo), nd, NegatedMulAdd(SplatV<V>(kHalfLn2Hi), nd, y));
  // Estrin's scheme: a short chain of dependent steps, so that the processor can keep
  // several lanes' polynomials in flight.
  const V r2 = r * r;
  const V r4 = r2 * r2;
  auto pair = [r](double even, double odd) { return MulAdd(SplatV<V>(odd), r, SplatV<V>(even)); };
  const V low = MulAdd(r2, pair(0x1.5555555597315p-5, 0x1.1111111129039p-7), pair(0x1.fffffffffffe0p-2, 0x1.5555555555550p-3));
  const V high = MulAdd(r2, pair(0x1.a0612e71d7292p-16, 0x1.7211fd334580cp-19), pair(0x1.6c16bc12bcacap-10, 0x1.a019fdbc45a8fp-13));
  const V p = MulAdd(r4, high, low);
  // n + 2046 is at least 0 for |y| <= 700 and odd where n is. Shifted left by 51 and
  // cut to the exponent field, it is floor(n / 2) + 1023, the biased exponent of
  // 2^floor(n / 2); adding the bits of 1 or sqrt 2 less those of 1 multiplies by them
  // without a multiplication.
  const auto biased = BitsOf(shifted) - (BitsOf(SplatV<V>(kRoundingShift)) - 2046);
  const auto octaves = (biased << 51) & INT64_C(0x7FF0000000000000);
  const V step = SelectByLowBitV(biased, FromBits<V>(BitsOf(SplatV<V>(1.4142135623730951)) - (INT64_C(1023) << 52)),
                                 FromBits<V>(BitsOf(SplatV<V>(1.0)) - (INT64_C(1023) << 52)));
  ExpParts<V> parts;
  parts.scale = FromBits<V>(octaves + BitsOf(step));
  parts.q = MulAdd(r2, p, r);
  return parts;
}

// e^y and e^y - 1 from one split, for |y| <= kRange; a caller that uses only one
// of them costs no more than that one.
template <typename V>
struct ExpAndExpMinusOne {
  V exp;
  V expMinusOne;
};
template <int kRange, typename V>
inline ExpAndExpMinusOne<V> ExpAndExpMinusOneV(V y) {
  const ExpParts<V> e = ExpSplitV<kRange>(y);
  return ExpAndExpMinusOne<V>{MulAdd(e.scale, e.q, e.scale), MulAdd(e.scale, e.q, e.scale - 1.0)};
}

// e^y - 1 for |y| <= 64, accurate relative to the result also near 0, so quiet
// signals keep their precision through the clippers.
template <typename V>
inline V ExpMinusOneV(V y) {
  return ExpAndExpMinusOneV<64>(y).expMinusOne;
}

// e^y for -700 <= y <= 700 (smaller y are raised to -700, where e^y is below 1e-304).
template <typename V>
inline V ExpV(V y) {
  return ExpAndExpMinusOneV<700>(MaxV(SplatV<V>(-700.0), y)).exp;  // maxpd keeps y where it is NaN
}

// tanh lane by lane: tanh x = (e^2x - 1) / (e^2x + 1), from e^2|x| - 1 and with the
// sign of x. Within a few units in the last place of the result; NaN lanes give NaN.
template <typename V>
inline V FastTanhV(V x) {
  // tanh(22) rounds to 1. With the bound first, minpd passes a NaN lane on, and every
  // later step keeps it NaN.
  const V em1 = ExpMinusOneV(MinV(SplatV<V>(44.0), AbsV(x + x)));
  const V t = em1 / (em1 + 2.0);
  return FromBits<V>(BitsOf(t) | (BitsOf(x) & INT64_MIN));
}

// The two-lane names the stages use.
inline Int2 AsBits(Double2 v) { return BitsOf(v); }
inline Double2 AsDouble2(Int2 v) { return FromBits<Double2>(v); }
inline Double2 Splat(double v) { return SplatV<Double2>(v); }
inline Double2 Abs2(Double2 v) { return AbsV(v); }
inline Double2 Select2(Int2 mask, Double2 a, Double2 b) { return SelectV<Double2>(mask, a, b); }
inline Double2 FlushDenormal2(Double2 v) { return FlushDenormalV(v); }
inline Double2 FiniteOrZero2(Double2 v) { return FiniteOrZeroV(v); }
inline Double2 Exp2Lanes(Double2 y) { return ExpV(y); }
inline Double2 FastTanh2(Double2 x) { return FastTanhV(x); }


// Two pairs as one four-lane vector, and back.
inline Double4 Join(Double2 low, Double2 high) { return Double4{low[0], low[1], high[0], high[1]}; }
inline Double2 LowHalf(Double4 v) { return Double2{v[0], v[1]}; }
inline Double2 HighHalf(Double4 v) { return Double2{v[2], v[3]}; }
// Two consecutive pairs as one four-lane vector, in one load or store.
inline Double4 LoadPairs(const Double2* pairs) {
  Double4 v;
  __builtin_memcpy(&v, pairs, sizeof v);
  return v;
}
inline void StorePairs(Double2* pairs, Double4 v) { __builtin_memcpy(pairs, &v, sizeof v); }


// Lanes where FlushDenormalV would change the bits: magnitudes below 2^-1021 other
// than +0 (-0 becomes +0), NaN and infinity. Recursions that run without their
// guards collect these and run again guarded when any turns up.
template <typename V>
inline MaskOfVector<V> FlushWouldActV(V v) {
  const V a = AbsV(v);
  const auto normal = PlainMask(a >= SplatV<V>(0x1p-1021)) & PlainMask(a <= SplatV<V>(0x1.fffffffffffffp+1023));
  return ~(normal | (BitsOf(v) == 0));
}

// Lanes where FiniteOrZeroV would act: NaN and infinity.
template <typename V>
inline MaskOfVector<V> NotFiniteV(V v) {
  return ~(AbsV(v) <= SplatV<V>(0x1.fffffffffffffp+1023));
}

inline bool AnyLane(Int2 mask) { return (mask[0] | mask[1]) != 0; }

// The lanes of a four-lane mask as the bits 0 to 3 of a number.
inline int LaneBits(MaskOfVector<Double4> mask) {
#if defined(__AVX__)
  return _mm256_movemask_pd((__m256d)mask);
#else
  const Int2 low = {mask[0], mask[1]}, high = {mask[2], mask[3]};
  return _mm_movemask_pd((__m128d)low) | _mm_movemask_pd((__m128d)high) << 2;
#endif
}

// Calls f with a flag that holds for a whole pass as a compile-time constant
// (std::true_type or std::false_type), so that the loops inside are compiled once
// per value and select nothing frame by frame.
template <typename F>
inline void WithFlag(bool flag, F&& f) {
  if (flag) {
    f(std::true_type{});
  } else {
    f(std::false_type{});
  }
}

// A four-lane operation, run as two pairs where the instruction set has no 256-bit
// vectors: GCC would otherwise turn the comparisons and selections of a four-lane
// vector into scalar code on SSE2. The lanes compute the same either way.
template <typename F>
inline Double2 ByPairs(Double2 v, F f) {
  return f(v);
}
template <typename F>
inline Double2 ByPairs(Double2 v, Double2 w, F f) {
  return f(v, w);
}
template <typename F>
inline Double4 ByPairs(Double4 v, F f) {
#if defined(__AVX__)
  return f(v);
#else
  return Join(f(LowHalf(v)), f(HighHalf(v)));
#endif
}

template <typename F>
inline Double4 ByPairs(Double4 v, Double4 w, F f) {
#if defined(__AVX__)
  return f(v, w);
#else
  return Join(f(LowHalf(v), LowHalf(w)), f(HighHalf(v), HighHalf(w)));
#endif
}

inline Double4 FlushDenormal4(Double4 v) {
  return ByPairs(v, [](auto x) { return FlushDenormalV(x); });
}

// Collects, over a pass that runs without its guards, whether any guard would have
// acted: lanes flagged exactly (Add), and the smallest nonzero magnitude of the
// values watched with WatchSmall, which must not fall below 2^-1021. (Magnitudes
// count down by one in their bits: a zero becomes a NaN pattern, which minpd passes
// over, and any other value the next double below it.) Values that are not finite
// are left to the caller: a look at the final states, where a linear recursion keeps
// them from the frame they appear on, or else WatchSum, whose sum ends up not finite
// once one of its terms was (a sum that overflows from finite terms only makes the
// pass run once more, guarded).
struct GuardWatch {
  Int2 lanes{};
  Double2 smallest = {__builtin_inf(), __builtin_inf()};
  Double4 smallestFours = {__builtin_inf(), __builtin_inf(), __builtin_inf(), __builtin_inf()};
  Double4 sum{};

  void WatchSmall(Double2 v) { smallest = MinV(FromBits<Double2>(BitsOf(AbsV(v)) - 1), smallest); }
  void WatchSmall(Double4 v) {
    smallestFours = ByPairs(FromBits<Double4>(BitsOf(AbsV(v)) - 1), smallestFours,
                            [](auto x, auto least) { return MinV(x, least); });
  }
  void WatchSmall(Double2 a, Double2 b) { WatchSmall(Join(a, b)); }
  void WatchSum(Double4 v) { sum += v; }
  void Add(Int2 mask) { lanes |= mask; }
  bool Any() const {
    // The bits of 2^-1021, less one.
    const Double2 limit = Splat(0x1.fffffffffffffp-1022);
    const Double2 largest = Splat(0x1.fffffffffffffp+1023);
    const Int2 flagged = lanes | (smallest < limit) | (LowHalf(smallestFours) < limit) |
                         (HighHalf(smallestFours) < limit) | ~(AbsV(LowHalf(sum)) <= largest) |
                         ~(AbsV(HighHalf(sum)) <= largest);
    return AnyLane(flagged);
  }
};

}  // namespace dsp

MORAVELLE_DSP_END
