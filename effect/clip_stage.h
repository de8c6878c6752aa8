#pragma once
// Soft clipper for both channels at once (one lane each): two-times oversampled
// tanh saturation (linear-interpolated midpoint), a 0.25/0.5/0.25 decimator, a DC
// blocker and make-up gain. The output lags the input by 1.5 frames.
//
// Only the DC blocker feeds back on itself, so the stages run a block in two
// passes: the saturation and decimation of every frame (SaturateBlock: independent
// frames, so the processor overlaps their exponentials and divisions, bound by
// throughput alone), then the DC blocker's short recursion (BlockDc) together with
// the stage's other recursions. Per frame this is exactly Process.

#include "stereo_vector.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

// The clipper's scratch for passes of up to kFrames frames.
template <int kFrames>
struct ClipScratch {
  Double2 exponential[kFrames + 1];
  Double2 exponentialMinusOne[kFrames + 1];
  Double4 saturated[kFrames];
};

struct ClipStage {
  // 1 / tanh(1.3), so that S(1) = 1 and |S| stays below this factor.
  static constexpr double kSaturationScale = 1.1604655035579;
  // The saturation's argument: S(z) = K tanh(1.3 z).
  static constexpr double kArgument = 1.3;
  // Inputs up to this magnitude (1.3 |u| <= 64, far beyond where tanh reaches 1) take
  // their exponentials in the short range, and e^(2.6 u) and the product of two
  // frames' exponentials stay far from overflow.
  static constexpr int kProductRange = 64;
  static constexpr double kProductBound = 49.0;
  static_assert(kProductBound * kArgument < kProductRange);
  // DC blocker pole at 44.1 kHz: y[n] = x[n] - x[n-1] + 0.9997 y[n-1], a corner near
  // 2 Hz; the stages map it to their rate (dsp::PoleAtRate) and pass it in.
  static constexpr double kDcPole = 0.9997;

  Double2 u1{};  // previous driven input
  Double2 e1{1.0, 1.0};  // e^(1.3 u1), and that less one (both 1 and 0 beyond kProductBound)
  Double2 a1{};
  Double2 v1{};  // previous saturated input
  Double2 m1{};  // previous saturated midpoint
  Double2 y1{};  // DC blocker input memory
  Double2 d1{};  // DC blocker output memory

  void Clear() { *this = ClipStage{}; }

  static Double2 Saturate(Double2 z) { return dsp::FastTanh2(kArgument * z) * kSaturationScale; }

  // One frame: the make-up-scaled output for input a with drive D and make-up K.
  Double2 Process(Double2 a, Double2 drive, Double2 makeup, Double2 dcPole) {
    Double2 y;
    ClipScratch<1> scratch;
    SaturateBlock(&a, drive, &y, 1, scratch);
    return BlockDc(y, dcPole) * makeup;
  }

  // First pass over a block: decimated[i] for a[i], i < frames.
  //
  // Each input's exponential serves two tanh: with e = e^(1.3 u) and a = e - 1,
  //   S(u) = K tanh(1.3 u), tanh(1.3 u) = a (a + 2) / (a (a + 2) + 2),
  // and the midpoint's 2.6 m = 1.3 u0 + 1.3 u1, so e^(2.6 m) = e0 e1, whose less
  // one is a_hi e_lo + a_lo (hi the larger of the two, lo the smaller): the larger
  // a multiplies the smaller exponential, so that neither a near -1 nor an e near 1
  // loses the precision the other carries (quiet signals keep theirs relative to
  // themselves). One exponential per input instead of two. A frame whose input or
  // previous input lies beyond kProductBound (or is not finite) takes both of its
  // values from their own exponentials instead: the choice rests on the frame's own
  // inputs, so the bits do not depend on the block split.
  //
  // It runs as two loops, neither recursive: the exponentials, with each frame's
  // tanh (and their divisions) eight frames behind, so that the divider works while
  // the multiply-add units do; then the decimation. Both take two frames at a time
  // (one four-lane vector, or two two-lane ones in the baseline build), so that two
  // frames' long chains of dependent steps stand side by side.
  template <int kFrames>
  void SaturateBlock(const Double2* a, Double2 drive, Double2* decimated, int frames, ClipScratch<kFrames>& scratch) {
    if (frames <= 0) return;  // the states below come from the last frame
    const int pairs = frames & ~1;
    Double2* const e = scratch.exponential;  // e[i + 1] frame i's, e[0] the previous input's
    Double2* const am1 = scratch.exponentialMinusOne;
    Double4* const saturated = scratch.saturated;
    e[0] = e1;
    am1[0] = a1;
    // A pair of frames keeps its two frames' saturated inputs in entry i and their
    // midpoints in entry i + 1 (lanes 0 and 1 frame i, lanes 2 and 3 frame i + 1); a
    // single frame keeps its input's in lanes 0 and 1 and its midpoint's in 2 and 3.
    // An input beyond the bound (not finite included) gives its frame and the next
    // their own exponentials (below); its exponential here is that of 0, as is that of
    // an input the flush takes to 0.
    Int4 outsidePairs{};
    Int2 outside = ~(dsp::AbsV(u1) <= dsp::Splat(kProductBound));
    const Double2 argumentDrive = kArgument * drive;
    auto exponentials = [&](auto lanes, int i) __attribute__((always_inline)) {
      using V = decltype(lanes);
      const V input = LoadFrames<V>(a + i);
      // The exponential's argument straight from the input, with the mask that keeps
      // it (or takes 0's exponential instead) beside it rather than before it.
      const dsp::ExpAndExpMinusOne<V> parts = dsp::ExpAndExpMinusOneV<kProductRange>(input * JoinOf<V>(argumentDrive));
      const V magnitude = dsp::AbsV(input * JoinOf<V>(drive));
      // Compared and selected by pairs of lanes: the baseline build's four-lane
      // vectors are two registers, and GCC turns a four-lane mask there into scalar code.
      const V beyond = dsp::ByPairs(magnitude, [](auto m) {
        using W = decltype(m);
        return dsp::FromBits<W>(~(m <= dsp::SplatV<W>(kProductBound)));
      });
      auto keptOr = [](double otherwise) {
        return [otherwise](auto m, auto x) {
          using W = decltype(m);
          const auto kept =
              dsp::PlainMask(m <= dsp::SplatV<W>(kProductBound)) & dsp::PlainMask(m >= dsp::SplatV<W>(0x1p-1021));
          return dsp::SelectV<W>(kept, x, dsp::SplatV<W>(otherwise));
        };
      };
      if constexpr (sizeof(V) == 32) {
        outsidePairs |= dsp::BitsOf(beyond);
      } else {
        outside |= dsp::BitsOf(beyond);
      }
      StoreFrames(e + i + 1, dsp::ByPairs(magnitude, parts.exp, keptOr(1.0)));
      StoreFrames(am1 + i + 1, dsp::ByPairs(magnitude, parts.expMinusOne, keptOr(0.0)));
    };
    auto tanhs = [&](auto lanes, int i) __attribute__((always_inline)) {
      using V = decltype(lanes);
      const V aPrevious = LoadFrames<V>(am1 + i), aCurrent = LoadFrames<V>(am1 + i + 1);
      const V ePrevious = LoadFrames<V>(e + i), eCurrent = LoadFrames<V>(e + i + 1);
      const V input = dsp::MulAdd(aPrevious, aPrevious, aPrevious + aPrevious);
      auto larger = [](auto x, auto y) { return dsp::MaxV(x, y); };
      auto smaller = [](auto x, auto y) { return dsp::MinV(x, y); };
      const V midpoint = dsp::MulAdd(dsp::ByPairs(aPrevious, aCurrent, larger), dsp::ByPairs(ePrevious, eCurrent, smaller),
                                     dsp::ByPairs(aPrevious, aCurrent, smaller));
      const V v = input / (input + 2.0) * kSaturationScale;
      const V m = midpoint / (midpoint + 2.0) * kSaturationScale;
      if constexpr (sizeof(V) == 32) {
        saturated[i] = v;
        saturated[i + 1] = m;
      } else {
        saturated[i] = dsp::Join(v, m);
      }
    };
    constexpr int kLag = 8;
    for (int i = 0; i < pairs; i += 2) {
      exponentials(Double4{}, i);
      if (i >= kLag) tanhs(Double4{}, i - kLag);
    }
    for (int i = pairs > kLag ? pairs - kLag : 0; i < pairs; i += 2) tanhs(Double4{}, i);
    // An odd frame at the end.
    for (int i = pairs; i < frames; ++i) {
      exponentials(Double2{}, i);
      tanhs(Double2{}, i);
    }
    outside |= Int2{outsidePairs[0] | outsidePairs[2], outsidePairs[1] | outsidePairs[3]};
    if (__builtin_expect(dsp::AnyLane(outside), 0)) SaturateFramesOutside(a, drive, frames, pairs, saturated);
    u1 = dsp::FlushDenormal2(a[frames - 1] * drive);
    e1 = e[frames];
    a1 = am1[frames];

    // 'saturated' holds the saturated inputs v and midpoints m. v is S of a flushed
    // input: 0, or at least 1.5 times 2^-1021 in magnitude, so flushing it would
    // change nothing; m is flushed.
    Double2 v1Local = v1, m1Local = m1;
    for (int i = 0; i < pairs; i += 2) {
      const Double4 v = saturated[i];
      const Double4 m = dsp::FlushDenormal4(saturated[i + 1]);
      const Double4 vPrevious = dsp::Join(v1Local, dsp::LowHalf(v));
      const Double4 mPrevious = dsp::Join(m1Local, dsp::LowHalf(m));
      const Double4 y = ((vPrevious + v) * 0.5 + mPrevious) * 0.5;
      dsp::StorePairs(decimated + i, y);
      v1Local = dsp::HighHalf(v);
      m1Local = dsp::HighHalf(m);
    }
    for (int i = pairs; i < frames; ++i) {
      const Double4 current = saturated[i];
      decimated[i] = ((v1Local + dsp::LowHalf(current)) * 0.5 + m1Local) * 0.5;
      v1Local = dsp::LowHalf(current);
      m1Local = dsp::FlushDenormal2(dsp::HighHalf(current));
    }
    v1 = v1Local;
    m1 = m1Local;
  }

  // The frames whose input or previous input lies beyond kProductBound, as S of
  // their own arguments: v = S(u0) and m = S(u0 + (u1 - u0) / 2), u0 flushed.
  void SaturateFramesOutside(const Double2* a, Double2 drive, int frames, int pairs, Double4* saturated) const {
    Double2 previous = u1;
    const Double2 bound = dsp::Splat(kProductBound);
    for (int i = 0; i < frames; ++i) {
      const Double2 u = a[i] * drive;
      if (dsp::AnyLane(~(dsp::AbsV(previous) <= bound) | ~(dsp::AbsV(u) <= bound))) {
        const Double2 v = Saturate(previous), m = Saturate(previous + (u - previous) * 0.5);
        if (i < pairs) {
          Double4& inputs = saturated[i & ~1];
          Double4& midpoints = saturated[(i & ~1) + 1];
          const int lane = (i & 1) * 2;
          inputs[lane] = v[0];
          inputs[lane + 1] = v[1];
          midpoints[lane] = m[0];
          midpoints[lane + 1] = m[1];
        } else {
          saturated[i] = dsp::Join(v, m);
        }
      }
      previous = dsp::FlushDenormal2(u);
    }
  }

  // One frame's pair (Double2) or two frames' pairs (Double4) of an array of pairs.
  template <typename V>
  static V LoadFrames(const Double2* p) {
    if constexpr (sizeof(V) == 32) {
      return dsp::LoadPairs(p);
    } else {
      return *p;
    }
  }
  static void StoreFrames(Double2* p, Double2 v) { *p = v; }
  static void StoreFrames(Double2* p, Double4 v) { dsp::StorePairs(p, v); }
  template <typename V>
  static V JoinOf(Double2 v) {
    if constexpr (sizeof(V) == 32) {
      return dsp::Join(v, v);
    } else {
      return v;
    }
  }

  // Second pass, one frame: the DC blocker on a decimated value (without make-up).
  // The DC blocker flushes its decayed term rather than its stored output; where the
  // flush leaves the term alone, the step is one multiply-add (BlockDcUnguarded's).
  Double2 BlockDc(Double2 y, Double2 pole) {
    const Int2 flushes = dsp::FlushWouldActV(dsp::Opaque(pole * d1));
    const Double2 difference = y - y1;
    const Double2 d = dsp::Select2(flushes, difference + dsp::FlushDenormal2(pole * d1),
                                   dsp::MulAdd(pole, d1, difference));
    y1 = dsp::FiniteOrZero2(y);
    d1 = dsp::FiniteOrZero2(d);
    return d;
  }

  // BlockDc without its guards, so that its recursion is one multiply-add long;
  // 'watch' collects the lanes where a guard would have acted, and then the pass
  // runs again with BlockDc. A NaN input (the saturation keeps every other input
  // within +-1.1605) makes d1 NaN from then on, which WatchFinalState sees after
  // the pass.
  Double2 BlockDcUnguarded(Double2 y, Double2 pole, dsp::GuardWatch* watch) {
    watch->WatchSmall(dsp::Opaque(pole * d1));
    const Double2 d = dsp::MulAdd(pole, d1, y - y1);
    y1 = y;
    d1 = d;
    return d;
  }
  void WatchFinalState(dsp::GuardWatch* watch) const { watch->Add(dsp::NotFiniteV(d1)); }
};

MORAVELLE_DSP_END
