// The reverb over a run of frames in which room size, panorama or pre-delay glide:
// a first pass runs what ProcessFrames runs per frame before the network (the
// smoothing, the delays, gains and width factors, the pre-delay) with the same
// functions, keeping each frame's values; the network and the output diffusers then
// run over the whole run four frames to a vector (reverb_run_stages.h), each frame
// reading through its own taps. The run ends before the first frame that would read
// a sample another frame of the run writes through the network, so the order of
// the frames does not matter there; the output diffusers run four frames at a time
// only where the same holds for them, else frame by frame.
#include <algorithm>
#include <cstring>
#include <immintrin.h>

#include "reverb_engine.h"
#include "reverb_run_engine.h"
#include "reverb_geometry.h"
#include "reverb_run_stages.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"

MORAVELLE_DSP_BEGIN

namespace {
using run_stages::RunValues;

// A read through a tap that moves from frame to frame: each frame's first sample
// position (masked) and fraction. Each frame's two samples come as one pair (the
// line's copy of its first sample follows its last), and the four pairs are then
// transposed to the first and the second samples of the four frames.
struct GlidingRead {
  const double* memory;
  const uint32_t* position;
  const double* frac;
  Double4 At(int j) const {
    const uint32_t* at = position + j;
    Double4 a, b;
#if defined(__AVX__)
    const __m256d even = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(memory + at[0])),
                                              _mm_loadu_pd(memory + at[2]), 1);  // a0 b0 a2 b2
    const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(memory + at[1])),
                                             _mm_loadu_pd(memory + at[3]), 1);  // a1 b1 a3 b3
    a = _mm256_unpacklo_pd(even, odd);
    b = _mm256_unpackhi_pd(even, odd);
#else
    const __m128d p0 = _mm_loadu_pd(memory + at[0]), p1 = _mm_loadu_pd(memory + at[1]);
    const __m128d p2 = _mm_loadu_pd(memory + at[2]), p3 = _mm_loadu_pd(memory + at[3]);
    a = dsp::Join(_mm_unpacklo_pd(p0, p1), _mm_unpacklo_pd(p2, p3));
    b = dsp::Join(_mm_unpackhi_pd(p0, p1), _mm_unpackhi_pd(p2, p3));
#endif
    return reverb_steps::Interpolate(a, b, run_vectors::Load4(frac + j));
  }
};
}  // namespace

int ReverbEngine::ProcessGlidingRun(const ReverbSettings& s, const Double2* in, Double2* out, int frames) {
  bool diffusersByVectors = false;
  const int n = PrepareGlidingRun(s, in, frames, &diffusersByVectors);
  const GlideBuffers& g = glide_;
  const uint32_t frame = frame_;
  // Each stage asks for its reads before it writes its lines (its writes wait in
  // scratch until the stage ends), and no read reaches a sample the run writes.
  auto readOf = [&g](DelayLine::Cursor line, int read) {
    DelayLine::RefreshCopyOfFirst(line);
    return GlidingRead{line.memory, g.position[read], g.frac[read]};
  };

  // The network.
  run_stages::NetworkRun<RunValues, GlidingRead, RunValues> net;
  net.preLeft = RunValues{g.preDelayed[0]};
  net.preRight = RunValues{g.preDelayed[1]};
  for (int k = 0; k < 4; ++k) {
    net.lineGainKept[k] = RunValues{g.lineGainKept[k]};
    net.tapGain[k] = RunValues{g.tapGain[k]};
  }
  RunNetworkStage(net, s, frame, n, readOf);

  // Output diffusers and width.
  if (diffusersByVectors) {
    RunDiffuserStage(s, frame, n, readOf, RunValues{g.widthMid}, RunValues{g.widthSide}, RunValues{g.widthLevel}, out);
  } else {
    RunDiffusersFrameByFrame(s, frame, n, [&](int j, DelayLine::Tap (&taps)[2][3]) {
      for (int k = 0; k < 3; ++k) {
        taps[0][k] = DelayLine::Tap{static_cast<int32_t>(g.position[11 + k][j] - (frame + j)), g.frac[11 + k][j]};
        taps[1][k] = DelayLine::Tap{static_cast<int32_t>(g.position[14 + k][j] - (frame + j)), g.frac[14 + k][j]};
      }
      return run_stages::WidthFactors{g.widthMid[j], g.widthSide[j], g.widthLevel[j]};
    }, out);
  }
  FinishRun(s, in, out, frame, n);
  return n;
}

using namespace reverb_geometry;

int ReverbEngine::PrepareGlidingRun(const ReverbSettings& s, const Double2* in, int frames, bool* diffusersByVectors) {
  GlideBuffers& g = glide_;
  const int limit = std::min(frames, kSettledRunFrames);
  const int count = (limit + 3) & ~3;
  const uint32_t first = frame_;
  const bool preDelayRests = SmoothingStep(preDelay_, s.targetPreDelay, s.smoothing) == preDelay_;
  if (preDelayRests) UpdatePreDelayTaps(preDelay_, s.sampleRate);
  // The smoothing, frame by frame, as AdvanceSmoothing runs it (room size, panorama
  // and pre-delay in lanes 0, 1 and 2 of one vector, the same steps lane by lane):
  // the advanced values serve their frames (the frames past 'limit' repeat the
  // last). Its chain is short work on a long latency, so each group of four frames
  // is smoothed one group ahead of the geometry below, which runs while it waits.
  double room[GlideBuffers::kSize], panorama[GlideBuffers::kSize], preDelayTime[GlideBuffers::kSize];
  const Double4 targets = {s.targetRoom, s.targetPanorama, s.targetPreDelay, 0.0};
  Double4 smoothed = {room_, panorama_, preDelay_, 0.0};
  Double4 advanced = smoothed;
  auto smoothFrame = [&](int l, bool advances) __attribute__((always_inline)) {
    if (advances) {
      advanced = smoothed + (targets - smoothed) * s.smoothing;
      smoothed = dsp::FlushDenormal4(advanced);
    }
    room[l] = advanced[0];
    panorama[l] = advanced[1];
    preDelayTime[l] = advanced[2];
  };
  auto smoothGroup = [&](int j) __attribute__((always_inline)) {
    if (j + 4 <= limit) {
      for (int l = j; l < j + 4; ++l) smoothFrame(l, true);
    } else {
      for (int l = j; l < j + 4; ++l) smoothFrame(l, l < limit);
    }
  };
  smoothGroup(0);

  // Delays, gains and width factors, four frames at a time: lane by lane what
  // UpdateRoom and UpdateDiffusers make of each frame's values. The run ends before
  // the first frame with a network delay of no more whole samples than frames
  // before it in the run (every whole delay is at least 1, so the run is not empty).
  const double negatedKeptShare = -(1.0 - s.damp);  // the line gains' sign with their share
  const ReverbLineLimits inputLimits = LimitsOf(inputDiffuser);
  ReverbLineLimits lineLimits[4], diffuserLimits[2][3];
  for (int k = 0; k < 4; ++k) lineLimits[k] = LimitsOf(feedback[k]);
  bool linesAlike = true;
  for (int k = 0; k < 4; ++k)
    linesAlike = linesAlike && feedback[k].Size() == feedback[0].Size() &&
                 feedback[k].MaximumDelay() == feedback[0].MaximumDelay();
  for (int k = 0; k < 3; ++k) {
    diffuserLimits[0][k] = LimitsOf(diffuserL[k]);
    diffuserLimits[1][k] = LimitsOf(diffuserR[k]);
  }
  const ReverbLineLimits tapLimits = LimitsOf(tapLine);
  bool byVectors = true;
  // Each read's line's size less one: its positions are kept masked.
  UInt32x4 readMask[RunBuffers::kReads];
  {
    const DelayLine* const lineOfRead[RunBuffers::kReads] = {
        &preDelay[0],  &preDelay[1],  &inputDiffuser, &feedback[0],  &feedback[1],  &feedback[2],
        &feedback[3],  &tapLine,      &tapLine,       &tapLine,      &tapLine,      &diffuserL[0],
        &diffuserL[1], &diffuserL[2], &diffuserR[0],  &diffuserR[1], &diffuserR[2]};
    for (int read = 0; read < RunBuffers::kReads; ++read)
      readMask[read] = UInt32x4{} + static_cast<uint32_t>(lineOfRead[read]->Size() - 1);
  }
  double roomLengths[GlideBuffers::kSize];
  int n = limit;
  for (int j = 0; j < count && j < n; j += 4) {
    if (j + 4 < count) smoothGroup(j + 4);
    const Int32x4 frameInRun = Int32x4{0, 1, 2, 3} + j;
    const Double4 frameInRunAsDouble = Double4{0.0, 1.0, 2.0, 3.0} + static_cast<double>(j);
    const UInt32x4 position = (UInt32x4)frameInRun + first;
    // Keeps a read's positions and fractions; returns its delay, raised to 1 and
    // lowered to its line's maximum.
    auto keep = [&](int read, const TapParts& parts) {
      const UInt32x4 pos = ((UInt32x4)parts.whole + position) & readMask[read];
      std::memcpy(&g.position[read][j], &pos, sizeof pos);
      std::memcpy(&g.frac[read][j], &parts.frac, sizeof parts.frac);
      return parts.delay;
    };
    auto least = [](Double4 a, Double4 b) { return dsp::ByPairs(a, b, [](auto x, auto y) { return dsp::MinV(x, y); }); };
    const Double4 room4 = run_vectors::Load4(room + j);
    const Double4 roomLength = RoomLengthOf(room4, s.sampleRate);
    // The shortest delay that the network's reads reach, and the output diffusers'.
    Double4 shortest = keep(2, SplitDelays(kInputDiffuserRatio * roomLength, inputLimits));
    run_vectors::Store4(roomLengths + j, roomLength);
    for (int k = 0; k < 4; ++k) {
      const Double4 lineLength = kLineRatio[k] * roomLength;
      const Double4 tapPosition = kTapRatio[k] * roomLength + s.tapOffset;
      const Double4 lineDelay = keep(3 + k, SplitDelays(lineLength, lineLimits[k]));
      const Double4 tapDelay = keep(7 + k, SplitDelays(tapPosition, tapLimits));
      // Among lines of one size the shortest ratio has the shortest delay, and so
      // among the taps of their one line: only it needs a look.
      if (!linesAlike || k == kShortestLine) shortest = least(shortest, lineDelay);
      if (k == kShortestTap) shortest = least(shortest, tapDelay);
    }
    const Double4 scale = WholeSaturated(roomLength * s.diffuserScalePerRoomSample) * s.diffuserSamplesPerScale;
    const Double4 spread = kSpreadPerPanorama * run_vectors::Load4(panorama + j);
    Double4 shortestDiffuser = dsp::SplatV<Double4>(__builtin_inf());
    for (int k = 0; k < 3; ++k) {
      const Double4 left = (kDiffuserBaseLength[k] + kDiffuserSpreadLeft[k] * spread) * scale;
      const Double4 right = (kDiffuserBaseLength[k] + kDiffuserSpreadRight[k] * spread) * scale;
      shortestDiffuser = least(shortestDiffuser, keep(11 + k, SplitDelays(left, diffuserLimits[0][k])));
      shortestDiffuser = least(shortestDiffuser, keep(14 + k, SplitDelays(right, diffuserLimits[1][k])));
    }
    // How many more whole samples the shortest delay spans than frames precede each
    // frame in the run (whole numbers, in doubles, where the lanes' comparisons are
    // native).
    const Double4 margin = WholeSamplesOf(shortest) - frameInRunAsDouble;
    const Double4 diffuserMargin = WholeSamplesOf(shortestDiffuser) - frameInRunAsDouble;
    Double4 mid, side, level;
    WidthOf(run_vectors::Load4(panorama + j), &mid, &side, &level);
    run_vectors::Store4(g.widthMid + j, mid);
    run_vectors::Store4(g.widthSide + j, side);
    run_vectors::Store4(g.widthLevel + j, level);
    // The first frame whose margin is gone ends the run (a NaN margin does not).
    if (const int gone = dsp::LaneBits(margin <= 0.0)) n = std::min(n, j + __builtin_ctz(gone));
    // The diffusers run by vectors where every frame of the run leaves them a margin.
    const int frameLanes = n - j >= 4 ? 0xF : (1 << (n - j)) - 1;
    if (dsp::LaneBits(~(diffuserMargin > 0.0)) & frameLanes) byVectors = false;
  }
  // The decay gains of the run's frames, the same powers as UpdateRoom's; apart,
  // so that the exponentials of several frames and lines overlap.
  const int used = (n + 3) & ~3;
  auto gainsOf = [&](int j, auto powers) __attribute__((always_inline)) {
    const Double4 roomLength = run_vectors::Load4(roomLengths + j);
    for (int k = 0; k < 4; ++k) {
      run_vectors::Store4(&g.lineGainKept[k][j], powers(kLineRatio[k] * roomLength) * negatedKeptShare);
      run_vectors::Store4(&g.tapGain[k][j], powers(kTapRatio[k] * roomLength + s.tapOffset));
    }
  };
  if (s.decayFactor == 0.0) {
    for (int j = 0; j < used; j += 4) gainsOf(j, [&s](Double4 x) { return DecayPowers(s.decayFactor, s.logDecay, x); });
  } else {
    for (int j = 0; j < used; j += 4) gainsOf(j, [&s](Double4 x) { return PositiveDecayPowers(s.logDecay, x); });
  }
  *diffusersByVectors = byVectors;

  // The pre-delay. While it rests, every frame reads through the same taps: the run
  // is written first and then read, as in the settled runs, where no read reaches a
  // sample that a later frame of the run overwrites. Else frame by frame (each
  // frame's read comes before its write).
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  if (preDelayRests && n <= std::min(preDelayTap_[0].offset, preDelayTap_[1].offset)) {
    WritePreDelayRun(in, n);
    for (int c = 0; c < 2; ++c) {
      const double* samples = DelayLine::Span(pre[c], first + static_cast<uint32_t>(preDelayTap_[c].offset), n + 1,
                                              run_.scratch[c]);
      const double frac = preDelayTap_[c].frac;
      int j = 0;
      for (; j + 4 <= n; j += 4)
        run_vectors::Store4(&g.preDelayed[c][j], reverb_steps::Interpolate(run_vectors::Load4(samples + j),
                                                                          run_vectors::Load4(samples + j + 1),
                                                                          dsp::SplatV<Double4>(frac)));
      for (; j < n; ++j) g.preDelayed[c][j] = reverb_steps::Interpolate(samples[j], samples[j + 1], frac);
    }
  } else {
    for (int j = 0; j < n; ++j) {
      const Double2 preDelayed = PreDelayFrame<false>(preDelayTime[j], s.sampleRate, in[j], pre, first + static_cast<uint32_t>(j));
      g.preDelayed[0][j] = preDelayed[0];
      g.preDelayed[1][j] = preDelayed[1];
    }
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
  if (panorama[n - 1] != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama[n - 1], s);
  return n;
}

MORAVELLE_DSP_END
