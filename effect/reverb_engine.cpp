#include "reverb_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp_guards.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"
#include "kernel_params.h"

MORAVELLE_DSP_BEGIN

namespace {
// 1 / 340 m/s: metres of room to seconds of travel.
constexpr double kSecondsPerMetre = 0.0029411764705882;
// Room size 0..1 spans rooms of 10 to 100 metres.
constexpr double kRoomMinimumMetres = 10.0;
constexpr double kRoomSpanMetres = 90.0;
// Decay time 0..1 spans 0.1 to 20 seconds to fall by 60 dB (to a thousandth).
constexpr double kDecayMinimumSeconds = 0.1;
constexpr double kDecaySpanSeconds = 19.9;
constexpr double kDecayTargetLevel = 0.001;
// Late reverberation level: this factor times the parameter squared.
constexpr double kLateLevelScale = 0.9;
// Longest delays the lines are sized for, in seconds.
constexpr double kPreDelayMaximumSeconds = 2.0;
constexpr double kInputDiffuserMaximumSeconds = 0.125;
constexpr double kNetworkLineMaximumSeconds = 1.0;
constexpr double kOutputDiffuserMaximumSeconds[3] = {0.25, 0.5, 0.25};
// Relative lengths of the four feedback lines.
constexpr double kLineRatio[4] = {1.0, 0.7071, 0.81649, 0.63245};
// Early-reflection taps: position = ratio times the room length, plus an offset.
constexpr double kTapRatio[4] = {0.41, 0.155, 0.3, 1.0};
constexpr double kTapOffsetSamples = 5.0;
// The input diffuser: its delay relative to the room length, its allpass gain, and
// the gain that sums the two pre-delayed channels to its mono input.
constexpr double kInputDiffuserRatio = 0.110732;
constexpr double kInputDiffuserCoefficient = 0.75;
constexpr double kMonoSumGain = 0.707;
// The Hadamard matrix of the feedback network, scaled to keep the energy.
constexpr double kHadamardScale = 0.5;
// Output diffusers: the whole-sample scale of their lengths per sample of room
// length, the base lengths, how far the spread (100 x panorama) moves each, and
// their allpass gains.
constexpr double kDiffuserScalePerRoomSample = 0.000527;
constexpr double kSpreadPerPanorama = 100.0;
constexpr double kDiffuserBaseLength[3] = {159.0, 562.0, 410.0};
constexpr double kDiffuserSpreadLeft[3] = {0.125541, 0.251082, -0.376623};
constexpr double kDiffuserSpreadRight[3] = {-0.568366, 0.187921, 0.380445};
constexpr double kDiffuserCoefficient[3] = {0.75, 0.625, 0.625};

// g^x lane by lane for a decay factor g above 0, via exp(x ln g); 0 where the power
// reaches 2^1023.
[[gnu::always_inline]] inline Double4 PositiveDecayPowers(double logG, Double4 x) {
  return dsp::ByPairs(x * logG, [](auto y) {
    using V = decltype(y);
    const V p = reverb_steps::DecayExp(y);
    return dsp::SelectV<V>(dsp::AbsV(p) < dsp::SplatV<V>(0x1p1023), p, V{});
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
// maximum, the whole samples ahead of the head and the fraction.
struct TapParts {
  Int32x4 whole;
  Double4 wholeAsDouble;
  Double4 frac;
};
[[gnu::always_inline]] inline TapParts SplitDelays(Double4 delays, const ReverbLineLimits& limits) {
  delays = dsp::ByPairs(delays, limits.maximum, [](auto d, auto maximum) {
    using V = decltype(d);
    d = dsp::SelectV<V>(d < dsp::SplatV<V>(1.0), dsp::SplatV<V>(1.0), d);
    return dsp::SelectV<V>(d > maximum, maximum, d);
  });
  const Double4 ahead = limits.size - delays;
#if defined(__AVX__)
  const Int32x4 whole = (Int32x4)_mm256_cvttpd_epi32(ahead);
  const Double4 wholeAsDouble = _mm256_cvtepi32_pd((__m128i)whole);
#else
  const Int32x4 whole = __builtin_convertvector(ahead, Int32x4);
  const Double4 wholeAsDouble = __builtin_convertvector(whole, Double4);
#endif
  return TapParts{whole, wholeAsDouble, ahead - wholeAsDouble};
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
ReverbLineLimits LimitsOf(const DelayLine& line) {
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

// Schroeder allpass on a left and a right line at once (lane 0 left, lane 1 right).
template <bool kMayLackMemory>
Double2 AllpassPair(DelayLine::Cursor left, DelayLine::Cursor right, uint32_t frame, Double2 in,
                    const DelayLine::Tap& leftTap, const DelayLine::Tap& rightTap, double coefficient) {
  const Double2 r = {DelayLine::ReadAt<kMayLackMemory>(left, frame, leftTap),
                     DelayLine::ReadAt<kMayLackMemory>(right, frame, rightTap)};
  const Double2 g = dsp::Splat(coefficient);
  const Double2 v = reverb_steps::AllpassState(in, g, r);
  const Double2 kept = dsp::FlushDenormal2(v);
  DelayLine::WriteAt<kMayLackMemory>(left, frame, kept[0]);
  DelayLine::WriteAt<kMayLackMemory>(right, frame, kept[1]);
  return reverb_steps::AllpassOutput(v, g, r);
}
}  // namespace

ReverbSettings ReverbSettings::FromParams(const double* p, double sampleRate) {
  ReverbSettings s;
  s.sampleRate = sampleRate;
  s.offOn = p[kReverbOffOn];
  s.outputsUsed = dsp::Selector(p[kReverbOffOn]) == 2;
  const double decaySeconds = dsp::Curve(p[kReverbDecayTime], kDecayMinimumSeconds, kDecaySpanSeconds, 1.0);
  const double exponent = dsp::SafeDivide(1.0, sampleRate * decaySeconds);
  s.decayFactor = dsp::GuardPower(std::pow(kDecayTargetLevel, exponent));
  s.logDecay = s.decayFactor > 0.0 ? std::log(s.decayFactor) : 0.0;
  s.early = p[kReverbEarlyReflections];
  s.late = kLateLevelScale * dsp::GuardPower(std::pow(p[kReverbLateReverberation], 2.0));
  s.damp = p[kReverbDamp];
  s.targetRoom = p[kReverbRoomSize];
  s.targetPanorama = p[kReverbPanorama];
  s.targetPreDelay = p[kReverbPreDelay];
  return s;
}

bool ReverbEngine::Reset(double sr) {
  bool ok = true;
  auto samples = [sr](double seconds) { return dsp::ToInt32Saturated(seconds * sr); };
  ok &= preDelay[0].Reset(samples(kPreDelayMaximumSeconds));
  ok &= preDelay[1].Reset(samples(kPreDelayMaximumSeconds));
  ok &= inputDiffuser.Reset(samples(kInputDiffuserMaximumSeconds));
  ok &= tapLine.Reset(samples(kNetworkLineMaximumSeconds));
  for (DelayLine& line : feedback) ok &= line.Reset(samples(kNetworkLineMaximumSeconds));
  for (int k = 0; k < 3; ++k) {
    ok &= diffuserL[k].Reset(samples(kOutputDiffuserMaximumSeconds[k]));
    ok &= diffuserR[k].Reset(samples(kOutputDiffuserMaximumSeconds[k]));
  }
  for (Double2& e : damping_) e = Double2{};
  // The lines' sizes and maximum delays, as the vectors the per-frame taps are made from.
  auto limitsOf = [](const DelayLine* const lines[4]) {
    ReverbLineLimits limits;
    for (int k = 0; k < 4; ++k) {
      limits.size[k] = lines[k]->Size();
      limits.maximum[k] = lines[k]->MaximumDelay();
    }
    return limits;
  };
  const DelayLine* const feedbackLines[4] = {&feedback[0], &feedback[1], &feedback[2], &feedback[3]};
  const DelayLine* const tapLines[4] = {&tapLine, &tapLine, &tapLine, &tapLine};
  const DelayLine* const firstDiffusers[4] = {&diffuserL[0], &diffuserL[1], &diffuserL[2], &diffuserR[0]};
  const DelayLine* const secondDiffusers[4] = {&diffuserR[1], &diffuserR[2], &diffuserR[1], &diffuserR[2]};
  feedbackLimits_ = limitsOf(feedbackLines);
  tapLineLimits_ = limitsOf(tapLines);
  diffuserLimits_[0] = limitsOf(firstDiffusers);
  diffuserLimits_[1] = limitsOf(secondDiffusers);
  longestNetworkLine_ = tapLine.Size();
  for (const DelayLine* line : {&inputDiffuser, &feedback[0], &feedback[1], &feedback[2], &feedback[3], &diffuserL[0],
                                &diffuserL[1], &diffuserL[2], &diffuserR[0], &diffuserR[1], &diffuserR[2]})
    longestNetworkLine_ = std::max(longestNetworkLine_, line->Size());
  // Reset cleared every line.
  silentFrames_ = longestNetworkLine_;
  room_ = panorama_ = preDelay_ = 0.0;
  frame_ = 0;
  allLinesHaveMemory_ = ok;
  cachedRoom_ = cachedPanorama_ = cachedDecayFactor_ = cachedPreDelay_ = -1.0;
  cachedScale_ = -1;
  return ok;
}

[[gnu::always_inline]] inline void ReverbEngine::UpdateRoom(double room, const ReverbSettings& s) {
  const double roomLength = RoomLengthOf(room, s.sampleRate);
  const Double4 lineLengths = Double4{kLineRatio[0], kLineRatio[1], kLineRatio[2], kLineRatio[3]} * roomLength;
  const Double4 tapPositions =
      Double4{kTapRatio[0], kTapRatio[1], kTapRatio[2], kTapRatio[3]} * roomLength + kTapOffsetSamples;
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
  scale_ = dsp::ToInt32Saturated(roomLength * kDiffuserScalePerRoomSample);
  cachedRoom_ = room;
  cachedDecayFactor_ = s.decayFactor;
}

[[gnu::always_inline]] inline void ReverbEngine::UpdateDiffusers(double panorama) {
  const double spread = kSpreadPerPanorama * panorama;
  const double scale = scale_;
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

void ReverbEngine::UpdatePreDelayTaps(double preDelayTime, double sampleRate) {
  if (preDelayTime == cachedPreDelay_) return;
  // The squared curve as a product: pow(x, 2) is exactly x * x.
  const double clamped = dsp::Clamp01(preDelayTime);
  const double preDelayLength = clamped * clamped * sampleRate * kPreDelayMaximumSeconds;
  preDelayTap_[0] = preDelay[0].MakeTap(preDelayLength);
  preDelayTap_[1] = preDelay[1].MakeTap(preDelayLength);
  cachedPreDelay_ = preDelayTime;
}

template <typename Act>
void ReverbEngine::ForEachNetworkLine(Act&& act) {
  act(inputDiffuser);
  act(tapLine);
  for (DelayLine& line : feedback) act(line);
  for (int k = 0; k < 3; ++k) {
    act(diffuserL[k]);
    act(diffuserR[k]);
  }
}

void ReverbEngine::AdvanceAllLines(int frames) {
  preDelay[0].AdvanceFrames(frames);
  preDelay[1].AdvanceFrames(frames);
  ForEachNetworkLine([frames](DelayLine& line) { line.AdvanceFrames(frames); });
}

bool ReverbEngine::SmoothingAtRest(const ReverbSettings& s) const {
  // At a fixed point the smoothing gives back its own state, frame after frame.
  return SmoothingStep(room_, s.targetRoom) == room_ && SmoothingStep(panorama_, s.targetPanorama) == panorama_ &&
         SmoothingStep(preDelay_, s.targetPreDelay) == preDelay_;
}

int ReverbEngine::SettledRunLength(const ReverbSettings& s, int frames) {
  if (!SmoothingAtRest(s)) return 0;
  const double room = room_, panorama = panorama_, preDelayTime = preDelay_;
  // What the first frame of the per-frame path would prepare.
  if (room != cachedRoom_ || s.decayFactor != cachedDecayFactor_) UpdateRoom(room, s);
  if (panorama != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama);
  UpdatePreDelayTaps(preDelayTime, s.sampleRate);
  // The pre-delay is written before it is read: no read may reach a sample that a
  // later frame of the run overwrites.
  int32_t run = std::min({frames, kSettledRunFrames, preDelayTap_[0].offset, preDelayTap_[1].offset});
  run = std::min(run, inputDiffuser.WholeDelay(inputDiffuserTap_));
  for (int k = 0; k < 4; ++k) {
    run = std::min(run, feedback[k].WholeDelay(lineTap_[k]));
    run = std::min(run, tapLine.WholeDelay(reflectionTap_[k]));
  }
  return run;
}

void ReverbEngine::SilenceNetwork(int frames) {
  for (Double2& e : damping_) e = Double2{};
  // Once every line holds only zeros, writing more of them changes nothing: only the
  // heads move.
  if (silentFrames_ >= longestNetworkLine_) {
    ForEachNetworkLine([frames](DelayLine& line) { line.AdvanceFrames(frames); });
    return;
  }
  silentFrames_ += frames;
  ForEachNetworkLine([frames](DelayLine& line) { line.SilenceFrames(frames); });
}

[[gnu::always_inline]] inline double ReverbEngine::AdvanceSmoothing(const ReverbSettings& s, double* panorama, double* preDelayTime) {
  const double room = SmoothingStep(room_, s.targetRoom);
  *panorama = SmoothingStep(panorama_, s.targetPanorama);
  *preDelayTime = SmoothingStep(preDelay_, s.targetPreDelay);
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

template <bool kMayLackMemory>
void ReverbEngine::ProcessPreDelayOnly(const ReverbSettings& s, const Double2* in, Double2* out, int frames) {
  // The network is off: only the smoothing and the pre-delay run per frame; the
  // other lines receive silence for the whole run at once, and the stage passes its
  // input on.
  const DelayLine::Cursor lines[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  uint32_t frame = frame_;
  if (!kMayLackMemory && SmoothingAtRest(s) && frames <= kSettledRunFrames && frames <= preDelay[0].Size()) {
    // Nothing glides, and nothing reads the pre-delay while the network is off: the
    // run only stores its input there.
    for (int i = 0; i < frames; ++i) {
      const Double2 kept = dsp::FlushDenormal2(in[i]);
      run_.kept[0][i] = kept[0];
      run_.kept[1][i] = kept[1];
    }
    DelayLine::PutRun(lines[0], frame, run_.kept[0], frames);
    DelayLine::PutRun(lines[1], frame, run_.kept[1], frames);
    if (out != in) std::copy(in, in + frames, out);
    frame += static_cast<uint32_t>(frames);
  } else {
    for (int i = 0; i < frames; ++i, ++frame) {
      double panorama, preDelayTime;
      AdvanceSmoothing(s, &panorama, &preDelayTime);
      PreDelayFrame<kMayLackMemory>(preDelayTime, s.sampleRate, in[i], lines, frame);
      out[i] = in[i];
    }
  }
  frame_ = frame;
  preDelay[0].AdvanceFrames(frames);
  preDelay[1].AdvanceFrames(frames);
  SilenceNetwork(frames);
}

void ReverbEngine::Process(const ReverbSettings& s, const Double2* in, Double2* out, int frames) {
  // Lines lack memory only after an allocation failure; the usual path skips the check.
  if (!allLinesHaveMemory_) {
    ProcessFrames<true>(s, in, out, frames);
    return;
  }
  if (s.offOn == 0.0) {
    ProcessFrames<false>(s, in, out, frames);
    return;
  }
  // Stage by stage over runs of frames: settled runs while the room, panorama and
  // pre-delay rest, gliding runs while they move; frame by frame for short blocks
  // and where a settled delay is shorter than a useful run.
  for (int done = 0; done < frames;) {
    const int run = SettledRunLength(s, frames - done);
    if (run >= kShortestSettledRun) {
      ProcessSettledRun(s, in + done, out + done, run);
      done += run;
    } else if (run == 0 && frames - done >= kShortestGlidingRun) {
      done += ProcessGlidingRun(s, in + done, out + done, frames - done);
    } else {
      ProcessFrames<false>(s, in + done, out + done, frames - done);
      return;
    }
  }
}

int ReverbEngine::PrepareGlidingRun(const ReverbSettings& s, const Double2* in, int frames, bool* diffusersByVectors) {
  GlideBuffers& g = glide_;
  const int limit = std::min(frames, kSettledRunFrames);
  const int count = (limit + 3) & ~3;
  const uint32_t first = frame_;
  // The smoothing, frame by frame, as AdvanceSmoothing runs it: the advanced values
  // serve their frames (the lanes past 'limit' repeat the last).
  double room[GlideBuffers::kSize], panorama[GlideBuffers::kSize], preDelayTime[GlideBuffers::kSize];
  {
    double r = room_, p = panorama_, d = preDelay_;
    for (int j = 0; j < limit; ++j) {
      room[j] = SmoothingStep(r, s.targetRoom);
      panorama[j] = SmoothingStep(p, s.targetPanorama);
      preDelayTime[j] = SmoothingStep(d, s.targetPreDelay);
      r = dsp::FlushDenormal(room[j]);
      p = dsp::FlushDenormal(panorama[j]);
      d = dsp::FlushDenormal(preDelayTime[j]);
    }
    for (int j = limit; j < count; ++j) {
      room[j] = room[limit - 1];
      panorama[j] = panorama[limit - 1];
      preDelayTime[j] = preDelayTime[limit - 1];
    }
  }

  // Delays, gains and width factors, four frames at a time: lane by lane what
  // UpdateRoom and UpdateDiffusers make of each frame's values. The run ends before
  // the first frame with a network delay of no more whole samples than frames
  // before it in the run (every whole delay is at least 1, so the run is not empty).
  const double keptShare = 1.0 - s.damp;
  const ReverbLineLimits inputLimits = LimitsOf(inputDiffuser);
  ReverbLineLimits lineLimits[4], diffuserLimits[2][3];
  for (int k = 0; k < 4; ++k) lineLimits[k] = LimitsOf(feedback[k]);
  for (int k = 0; k < 3; ++k) {
    diffuserLimits[0][k] = LimitsOf(diffuserL[k]);
    diffuserLimits[1][k] = LimitsOf(diffuserR[k]);
  }
  const ReverbLineLimits tapLimits = LimitsOf(tapLine);
  double diffuserMargin[GlideBuffers::kSize];
  // Each read's line's size less one: its positions are kept masked, and the run
  // notes whether some pair of samples wraps around a line's end.
  UInt32x4 readMask[RunBuffers::kReads];
  {
    const DelayLine* const lineOfRead[RunBuffers::kReads] = {
        &preDelay[0],  &preDelay[1],  &inputDiffuser, &feedback[0],  &feedback[1],  &feedback[2],
        &feedback[3],  &tapLine,      &tapLine,       &tapLine,      &tapLine,      &diffuserL[0],
        &diffuserL[1], &diffuserL[2], &diffuserR[0],  &diffuserR[1], &diffuserR[2]};
    for (int read = 0; read < RunBuffers::kReads; ++read)
      readMask[read] = UInt32x4{} + static_cast<uint32_t>(lineOfRead[read]->Size() - 1);
  }
  Int32x4 wrapping{};
  double roomLengths[GlideBuffers::kSize];
  int n = limit;
  for (int j = 0; j < count && j < n; j += 4) {
    const Int32x4 frameInRun = Int32x4{0, 1, 2, 3} + j;
    const Double4 frameInRunAsDouble = Double4{0.0, 1.0, 2.0, 3.0} + static_cast<double>(j);
    const UInt32x4 position = (UInt32x4)frameInRun + first;
    Double4 margin = dsp::SplatV<Double4>(__builtin_inf());
    // Keeps a read's positions and fractions; returns how many more whole samples
    // its delay spans than frames precede each frame in the run (whole numbers, in
    // doubles, where the lanes' comparisons are native).
    auto keep = [&](int read, const TapParts& parts, const ReverbLineLimits& limits) {
      const UInt32x4 pos = ((UInt32x4)parts.whole + position) & readMask[read];
      wrapping |= pos == readMask[read];
      std::memcpy(&g.position[read][j], &pos, sizeof pos);
      std::memcpy(&g.frac[read][j], &parts.frac, sizeof parts.frac);
      const Double4 fractional = dsp::SelectV<Double4>(parts.frac > 0.0, dsp::SplatV<Double4>(1.0), Double4{});
      return limits.size - parts.wholeAsDouble - fractional - frameInRunAsDouble;
    };
    auto least = [](Double4 a, Double4 b) { return dsp::ByPairs(a, b, [](auto x, auto y) { return dsp::MinV(x, y); }); };
    const Double4 room4 = run_vectors::Load4(room + j);
    const Double4 roomLength = RoomLengthOf(room4, s.sampleRate);
    margin = least(margin, keep(2, SplitDelays(kInputDiffuserRatio * roomLength, inputLimits), inputLimits));
    run_vectors::Store4(roomLengths + j, roomLength);
    for (int k = 0; k < 4; ++k) {
      const Double4 lineLength = kLineRatio[k] * roomLength;
      const Double4 tapPosition = kTapRatio[k] * roomLength + kTapOffsetSamples;
      margin = least(margin, keep(3 + k, SplitDelays(lineLength, lineLimits[k]), lineLimits[k]));
      margin = least(margin, keep(7 + k, SplitDelays(tapPosition, tapLimits), tapLimits));
    }
    Double4 scale;
    for (int l = 0; l < 4; ++l) scale[l] = dsp::ToInt32Saturated(roomLength[l] * kDiffuserScalePerRoomSample);
    const Double4 spread = kSpreadPerPanorama * run_vectors::Load4(panorama + j);
    Double4 diffusers = dsp::SplatV<Double4>(__builtin_inf());
    for (int k = 0; k < 3; ++k) {
      const Double4 left = (kDiffuserBaseLength[k] + kDiffuserSpreadLeft[k] * spread) * scale;
      const Double4 right = (kDiffuserBaseLength[k] + kDiffuserSpreadRight[k] * spread) * scale;
      diffusers = least(diffusers, keep(11 + k, SplitDelays(left, diffuserLimits[0][k]), diffuserLimits[0][k]));
      diffusers = least(diffusers, keep(14 + k, SplitDelays(right, diffuserLimits[1][k]), diffuserLimits[1][k]));
    }
    std::memcpy(&diffuserMargin[j], &diffusers, sizeof diffusers);
    for (int l = 0; l < 4; ++l) {
      WidthOf(panorama[j + l], &g.widthMid[j + l], &g.widthSide[j + l], &g.widthLevel[j + l]);
      if (margin[l] <= 0.0 && j + l < n) n = j + l;
    }
  }
  // The decay gains of the run's frames, the same powers as UpdateRoom's; apart,
  // so that the exponentials of several frames and lines overlap.
  const int used = (n + 3) & ~3;
  auto gainsOf = [&](int j, auto powers) __attribute__((always_inline)) {
    const Double4 roomLength = run_vectors::Load4(roomLengths + j);
    for (int k = 0; k < 4; ++k) {
      run_vectors::Store4(&g.lineGainKept[k][j], -powers(kLineRatio[k] * roomLength) * keptShare);
      run_vectors::Store4(&g.tapGain[k][j], powers(kTapRatio[k] * roomLength + kTapOffsetSamples));
    }
  };
  if (s.decayFactor == 0.0) {
    for (int j = 0; j < used; j += 4) gainsOf(j, [&s](Double4 x) { return DecayPowers(s.decayFactor, s.logDecay, x); });
  } else {
    for (int j = 0; j < used; j += 4) gainsOf(j, [&s](Double4 x) { return PositiveDecayPowers(s.logDecay, x); });
  }
  g.someReadWraps = false;
  for (int l = 0; l < 4; ++l) g.someReadWraps = g.someReadWraps || wrapping[l] != 0;
  bool byVectors = true;
  for (int j = 0; j < n; ++j) byVectors = byVectors && diffuserMargin[j] > 0.0;
  *diffusersByVectors = byVectors;

  // The pre-delay, frame by frame (it is written before it is read).
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  for (int j = 0; j < n; ++j) {
    const Double2 preDelayed = PreDelayFrame<false>(preDelayTime[j], s.sampleRate, in[j], pre, first + static_cast<uint32_t>(j));
    g.preDelayed[0][j] = preDelayed[0];
    g.preDelayed[1][j] = preDelayed[1];
  }
  for (int j = n; j < ((n + 3) & ~3); ++j) {
    g.preDelayed[0][j] = g.preDelayed[0][n - 1];
    g.preDelayed[1][j] = g.preDelayed[1][n - 1];
  }

  // The states the run's last frame leaves, as ProcessFrames leaves them.
  room_ = dsp::FlushDenormal(room[n - 1]);
  panorama_ = dsp::FlushDenormal(panorama[n - 1]);
  preDelay_ = dsp::FlushDenormal(preDelayTime[n - 1]);
  if (room[n - 1] != cachedRoom_ || s.decayFactor != cachedDecayFactor_) UpdateRoom(room[n - 1], s);
  if (panorama[n - 1] != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama[n - 1]);
  return n;
}

template <bool kMayLackMemory>
void ReverbEngine::ProcessFrames(const ReverbSettings& s, const Double2* in, Double2* out, int frames) {
  const bool networkOn = s.offOn != 0.0;
  if (!networkOn) {
    ProcessPreDelayOnly<kMayLackMemory>(s, in, out, frames);
    return;
  }
  silentFrames_ = 0;
  // What the damping keeps of a line's new read.
  const Double2 damp = dsp::Splat(s.damp);
  const Double2 kept = dsp::Splat(1.0 - s.damp);
  // The fourteen lines step together: one frame counter for all, the lines' own
  // heads moved on after the run.
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  const DelayLine::Cursor input = inputDiffuser.CursorOf();
  const DelayLine::Cursor taps = tapLine.CursorOf();
  DelayLine::Cursor lines[4], left[3], right[3];
  for (int k = 0; k < 4; ++k) lines[k] = feedback[k].CursorOf();
  for (int k = 0; k < 3; ++k) {
    left[k] = diffuserL[k].CursorOf();
    right[k] = diffuserR[k].CursorOf();
  }
  uint32_t frame = frame_;
  for (int i = 0; i < frames; ++i, ++frame) {
    // Smoothed room size, panorama and pre-delay: the advanced values serve this
    // frame, the flushed ones are kept.
    double panorama, preDelayTime;
    const double room = AdvanceSmoothing(s, &panorama, &preDelayTime);
    // Pre-delay runs whether or not the reverb is on; read before write.
    const Double2 preDelayed = PreDelayFrame<kMayLackMemory>(preDelayTime, s.sampleRate, in[i], pre, frame);

    if (room != cachedRoom_ || s.decayFactor != cachedDecayFactor_) UpdateRoom(room, s);
    if (panorama != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama);

    // Mono input through the input diffuser (a Schroeder allpass).
    const double mono = (preDelayed[0] + preDelayed[1]) * kMonoSumGain;
    const double diffuserRead = DelayLine::ReadAt<kMayLackMemory>(input, frame, inputDiffuserTap_);
    const double diffuserState = reverb_steps::AllpassState(mono, kInputDiffuserCoefficient, diffuserRead);
    const double diffused = reverb_steps::AllpassOutput(diffuserState, kInputDiffuserCoefficient, diffuserRead);
    DelayLine::WriteAt<kMayLackMemory>(input, frame, dsp::FlushDenormal(diffuserState));

    // Feedback lines in pairs (1, 2) and (3, 4): read, scaled by their decay gains
    // and damped by a one-pole low-pass.
    const Double2 w12 = reverb_steps::DampingInput(Double2{DelayLine::ReadAt<kMayLackMemory>(lines[0], frame, lineTap_[0]),
                                                      DelayLine::ReadAt<kMayLackMemory>(lines[1], frame, lineTap_[1])},
                                              Double2{lineGain_[0], lineGain_[1]} * kept);
    const Double2 w34 = reverb_steps::DampingInput(Double2{DelayLine::ReadAt<kMayLackMemory>(lines[2], frame, lineTap_[2]),
                                                      DelayLine::ReadAt<kMayLackMemory>(lines[3], frame, lineTap_[3])},
                                              Double2{lineGain_[2], lineGain_[3]} * kept);
    const Double2 d12 = reverb_steps::DampingStep(damping_[0], damp, w12);
    const Double2 d34 = reverb_steps::DampingStep(damping_[1], damp, w34);
    damping_[0] = dsp::FlushDenormal2(d12);
    damping_[1] = dsp::FlushDenormal2(d34);
    const double d[4] = {d12[0], d12[1], d34[0], d34[1]};

    double tap[4];
    for (int k = 0; k < 4; ++k) tap[k] = DelayLine::ReadAt<kMayLackMemory>(taps, frame, reflectionTap_[k]) * tapGain_[k];

    // Hadamard mixing.
    const double h0 = kHadamardScale * (d[0] + d[1] + d[2] + d[3]);
    const double h1 = kHadamardScale * (d[0] - d[1] + d[2] - d[3]);
    const double h2 = kHadamardScale * (-d[0] - d[1] + d[2] + d[3]);
    const double h3 = kHadamardScale * (d[0] - d[1] - d[2] + d[3]);
    const Double2 f12 = dsp::FlushDenormal2(Double2{h1 + tap[0], h2 + tap[1]});
    const Double2 f34 = dsp::FlushDenormal2(Double2{h3 + tap[2], h0 + tap[3]});
    DelayLine::WriteAt<kMayLackMemory>(lines[0], frame, f12[0]);
    DelayLine::WriteAt<kMayLackMemory>(lines[1], frame, f12[1]);
    DelayLine::WriteAt<kMayLackMemory>(lines[2], frame, f34[0]);
    DelayLine::WriteAt<kMayLackMemory>(lines[3], frame, f34[1]);
    DelayLine::WriteAt<kMayLackMemory>(taps, frame, dsp::FlushDenormal(diffused));

    const double wet = s.late * (h1 + h2 - h0 - h3) + s.early * (tap[0] + tap[1] - tap[2] - tap[3]);

    // The pre-delayed dry signal reaches the wet outputs through the diffusers.
    Double2 lr = dsp::Splat(wet) + preDelayed;
    for (int k = 0; k < 3; ++k)
      lr = AllpassPair<kMayLackMemory>(left[k], right[k], frame, lr, diffuserTaps_[0][k], diffuserTaps_[1][k],
                                       kDiffuserCoefficient[k]);

    Double2 result = in[i];
    if (s.outputsUsed) {
      const double mid = (lr[0] + lr[1]) * widthMid_;
      const double side = (lr[0] - lr[1]) * widthSide_;
      result = Double2{mid + side, mid - side} * widthLevel_;
    }
    out[i] = result;
  }
  frame_ = frame;
  AdvanceAllLines(frames);
}

MORAVELLE_DSP_END
