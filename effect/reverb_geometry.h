#pragma once
// What the reverb derives from its smoothed room size, panorama and pre-delay: the
// room and line lengths, read positions, decay gains, diffuser lengths and width
// factors, and the per-frame steps that make them. The frame-by-frame path
// (reverb_engine.cpp) and the gliding runs (reverb_gliding_run.cpp) share them, so
// both compute the same bits.

#include <cmath>
#include <cstdint>
#if defined(__AVX__)
#include <immintrin.h>
#endif

#include "dsp_guards.h"
#include "dsp_isa.h"
#include "reverb_design.h"
#include "reverb_engine.h"
#include "reverb_steps.h"

MORAVELLE_DSP_BEGIN

namespace reverb_geometry {
using namespace ::reverb_design;

// g^x lane by lane for a decay factor g above 0, via exp(x ln g); 0 where the power
// reaches 2^1023.
[[gnu::always_inline]] inline Double4 PositiveDecayPowers(double logG, Double4 x) {
  return dsp::ByPairs(x * logG, [](auto y) {
    using V = decltype(y);
    const V p = dsp::ExpV(y);  // never negative
    return dsp::SelectV<V>(p < dsp::SplatV<V>(0x1p1023), p, V{});
  });
}

// g^x lane by lane for the decay factor g; 0 where the power is not finite or
// reaches 2^1023. Evaluated whenever the room size moves, so twice per frame (four
// lines, four taps) while it glides.
[[gnu::always_inline]] inline Double4 DecayPowers(double g, double logG, Double4 x) {
  if (g == 0.0) {
    Double4 p;
    for (int k = 0; k < 4; ++k) p[k] = dsp::GuardPower(std::pow(g, x[k]));
    return p;
  }
  return PositiveDecayPowers(logG, x);
}

using Int32x4 = int32_t __attribute__((vector_size(16)));
using UInt32x4 = uint32_t __attribute__((vector_size(16)));

// The room length in samples for a room size (one frame's, or four frames').
template <typename V>
[[gnu::always_inline]] inline V RoomLengthOf(V room, double sampleRate) {
  return (kRoomMinimumMetres + kRoomSpanMetres * room) * sampleRate * kSecondsPerMetre;
}

// DelayLine::MakeTap lane by lane: each delay raised to 1 and lowered to its line's
// maximum, the whole samples ahead of the head and the fraction; and the delay so
// raised and lowered.
struct TapParts {
  Int32x4 whole;
  Double4 wholeAsDouble;
  Double4 frac;
  Double4 delay;
};
[[gnu::always_inline]] inline TapParts SplitDelays(Double4 delays, const ReverbLineLimits& limits) {
  // maxpd and minpd return their second operand where either is NaN or both are
  // equal: exactly d < 1 ? 1 : d and d > maximum ? maximum : d.
  delays = dsp::ByPairs(delays, limits.maximum, [](auto d, auto maximum) {
    using V = decltype(d);
    return dsp::MinV(maximum, dsp::MaxV(dsp::SplatV<V>(1.0), d));
  });
  const Double4 ahead = limits.size - delays;
#if defined(__AVX__)
  // 'ahead' lies within 0 .. the line's size, so truncating it in doubles gives the
  // same whole number as converting it there and back, in one step fewer.
  const Int32x4 whole = (Int32x4)_mm256_cvttpd_epi32(ahead);
  const Double4 wholeAsDouble = _mm256_round_pd(ahead, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
#else
  const Int32x4 whole = __builtin_convertvector(ahead, Int32x4);
  const Double4 wholeAsDouble = __builtin_convertvector(whole, Double4);
#endif
  return TapParts{whole, wholeAsDouble, ahead - wholeAsDouble, delays};
}

// Lane by lane what DelayLine::WholeDelay makes of the taps of delays raised to 1:
// a line's size, a whole number, less the whole samples ahead rounded up is the
// delay rounded down, which truncation gives here (NaN stays NaN).
[[gnu::always_inline]] inline Double4 WholeSamplesOf(Double4 delays) {
#if defined(__AVX__)
  return _mm256_round_pd(delays, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
#else
  const Double4 truncated = __builtin_convertvector(__builtin_convertvector(delays, Int32x4), Double4);
  return dsp::ByPairs(delays, truncated, [](auto d, auto t) { return dsp::SelectV<decltype(d)>(d == d, t, d); });
#endif
}

// DelayLine::MakeTap for four lines (or four taps of one line) at once; the first
// 'count' taps are stored. 'limits' holds the four lines' sizes and maximum delays.
[[gnu::always_inline]] inline void MakeTaps(const DelayLine* const lines[4], const ReverbLineLimits& limits,
                                             Double4 delays, DelayLine::Tap* taps, int count = 4) {
#if defined(__AVX__)
  const TapParts parts = SplitDelays(delays, limits);
  for (int k = 0; k < count; ++k) taps[k] = DelayLine::Tap{parts.whole[k], parts.frac[k]};
  (void)lines;
#else
  // Without AVX the conversions of a four-lane vector are scalar anyway.
  for (int k = 0; k < count; ++k) taps[k] = lines[k]->MakeTap(delays[k]);
  (void)limits;
#endif
}

// The limits of one line, for four taps of it.
inline ReverbLineLimits LimitsOf(const DelayLine& line) {
  return ReverbLineLimits{dsp::SplatV<Double4>(line.Size()), dsp::SplatV<Double4>(line.MaximumDelay())};
}

// Width: panorama 0 is mono, 0.5 the plain stereo pair, 1 the side signal alone;
// the level makes up for the mid signal lost below 0.5.
[[gnu::always_inline]] inline void WidthOf(double panorama, double* mid, double* side, double* level) {
  const double width = dsp::Clamp01(panorama);
  const double sideGain = 2.0 * width;
  *mid = 0.5 * (2.0 - sideGain);
  *side = 0.5 * sideGain;
  *level = width < 0.5 ? 0.5 + width : 1.0;
}
// The same for four frames' panoramas, lane by lane.
[[gnu::always_inline]] inline void WidthOf(Double4 panorama, Double4* mid, Double4* side, Double4* level) {
  using dsp::SelectV;
  using dsp::SplatV;
  const Double4 width = dsp::ByPairs(panorama, [](auto p) {
    using V = decltype(p);
    return SelectV<V>(p < 0.0, V{}, SelectV<V>(p > 1.0, SplatV<V>(1.0), p));
  });
  const Double4 sideGain = 2.0 * width;
  *mid = 0.5 * (2.0 - sideGain);
  *side = 0.5 * sideGain;
  *level = dsp::ByPairs(width, [](auto w) {
    using V = decltype(w);
    return SelectV<V>(w < 0.5, 0.5 + w, SplatV<V>(1.0));
  });
}

// dsp::ToInt32Saturated lane by lane, as doubles: NaN gives 0, the rest is clamped
// to the 32-bit range and truncated toward zero.
[[gnu::always_inline]] inline Double4 WholeSaturated(Double4 v) {
  v = dsp::ByPairs(v, [](auto x) {
    using V = decltype(x);
    x = dsp::SelectV<V>(x == x, x, V{});
    x = dsp::SelectV<V>(x < -2147483648.0, dsp::SplatV<V>(-2147483648.0), x);
    return dsp::SelectV<V>(x > 2147483647.0, dsp::SplatV<V>(2147483647.0), x);
  });
#if defined(__AVX__)
  // Within the 32-bit range, truncating in doubles is converting there and back.
  return _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
#else
  return __builtin_convertvector(__builtin_convertvector(v, Int32x4), Double4);
#endif
}

}  // namespace reverb_geometry

[[gnu::always_inline]] inline void ReverbEngine::UpdateRoom(double room, const ReverbSettings& s) {
  using namespace reverb_geometry;
  const double roomLength = RoomLengthOf(room, s.sampleRate);
  const Double4 lineLengths = Double4{kLineRatio[0], kLineRatio[1], kLineRatio[2], kLineRatio[3]} * roomLength;
  const Double4 tapPositions =
      Double4{kTapRatio[0], kTapRatio[1], kTapRatio[2], kTapRatio[3]} * roomLength + s.tapOffset;
  const Double4 lineGains = -DecayPowers(s.decayFactor, s.logDecay, lineLengths);
  const Double4 tapGains = DecayPowers(s.decayFactor, s.logDecay, tapPositions);
  for (int k = 0; k < 4; ++k) {
    lineGain_[k] = lineGains[k];
    tapGain_[k] = tapGains[k];
  }
  const DelayLine* const lines[4] = {&feedback[0], &feedback[1], &feedback[2], &feedback[3]};
  const DelayLine* const tapLines[4] = {&tapLine, &tapLine, &tapLine, &tapLine};
  MakeTaps(lines, feedbackLimits_, lineLengths, lineTap_);
  MakeTaps(tapLines, tapLineLimits_, tapPositions, reflectionTap_);
  roomLength_ = roomLength;
  inputDiffuserTap_ = inputDiffuser.MakeTap(kInputDiffuserRatio * roomLength);
  scale_ = dsp::ToInt32Saturated(roomLength * s.diffuserScalePerRoomSample);
  cachedRoom_ = room;
  cachedDecayFactor_ = s.decayFactor;
}

[[gnu::always_inline]] inline void ReverbEngine::UpdateDiffusers(double panorama, const ReverbSettings& s) {
  using namespace reverb_geometry;
  const double spread = kSpreadPerPanorama * panorama;
  const double scale = scale_ * s.diffuserSamplesPerScale;
  // Left 1 to 3 and right 1, then right 2 and 3 (twice).
  const DelayLine* const first[4] = {&diffuserL[0], &diffuserL[1], &diffuserL[2], &diffuserR[0]};
  const DelayLine* const second[4] = {&diffuserR[1], &diffuserR[2], &diffuserR[1], &diffuserR[2]};
  const Double4 firstBase = {kDiffuserBaseLength[0], kDiffuserBaseLength[1], kDiffuserBaseLength[2], kDiffuserBaseLength[0]};
  const Double4 firstSpread = {kDiffuserSpreadLeft[0], kDiffuserSpreadLeft[1], kDiffuserSpreadLeft[2], kDiffuserSpreadRight[0]};
  const Double4 secondBase = {kDiffuserBaseLength[1], kDiffuserBaseLength[2], kDiffuserBaseLength[1], kDiffuserBaseLength[2]};
  const Double4 secondSpread = {kDiffuserSpreadRight[1], kDiffuserSpreadRight[2], kDiffuserSpreadRight[1], kDiffuserSpreadRight[2]};
  MakeTaps(first, diffuserLimits_[0], (firstBase + firstSpread * spread) * scale, &diffuserTaps_[0][0], 4);
  MakeTaps(second, diffuserLimits_[1], (secondBase + secondSpread * spread) * scale, &diffuserTaps_[1][1], 2);
  WidthOf(panorama, &widthMid_, &widthSide_, &widthLevel_);
  cachedPanorama_ = panorama;
  cachedScale_ = scale_;
}

[[gnu::always_inline]] inline double ReverbEngine::AdvanceSmoothing(const ReverbSettings& s, double* panorama, double* preDelayTime) {
  const double room = SmoothingStep(room_, s.targetRoom, s.smoothing);
  *panorama = SmoothingStep(panorama_, s.targetPanorama, s.smoothing);
  *preDelayTime = SmoothingStep(preDelay_, s.targetPreDelay, s.smoothing);
  room_ = dsp::FlushDenormal(room);
  panorama_ = dsp::FlushDenormal(*panorama);
  preDelay_ = dsp::FlushDenormal(*preDelayTime);
  return room;
}

template <bool kMayLackMemory>
[[gnu::always_inline]] inline Double2 ReverbEngine::PreDelayFrame(double preDelayTime, double sampleRate, Double2 input,
                                                                  const DelayLine::Cursor* lines, uint32_t frame) {
  if (preDelayTime != cachedPreDelay_) UpdatePreDelayTaps(preDelayTime, sampleRate);
  const Double2 preDelayed = {DelayLine::ReadAt<kMayLackMemory>(lines[0], frame, preDelayTap_[0]),
                              DelayLine::ReadAt<kMayLackMemory>(lines[1], frame, preDelayTap_[1])};
  const Double2 keptInput = dsp::FlushDenormal2(input);
  DelayLine::WriteAt<kMayLackMemory>(lines[0], frame, keptInput[0]);
  DelayLine::WriteAt<kMayLackMemory>(lines[1], frame, keptInput[1]);
  return preDelayed;
}

MORAVELLE_DSP_END
