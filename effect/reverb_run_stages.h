#pragma once
// The reverb's stages over a run of frames, four frames to a vector, shared by the
// settled runs (one delay and gain for the whole run) and the gliding runs (a delay
// and gain per frame): what a stage reads and scales by comes from a source that
// gives four frames at a time, the arithmetic is the same (reverb_steps.h).
// A run never reads what another frame of it writes through the same line, so each
// four frames read before they write, and the order of the frames does not matter
// but for the one recursion, the damping, which runs across the four lines.

#include <algorithm>

#include "delay_line.h"
#include "dsp_guards.h"
#include "reverb_design.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"
#include "stereo_vector.h"

MORAVELLE_DSP_BEGIN

namespace run_stages {

using run_vectors::Kept4;
using run_vectors::Load4;
using run_vectors::Store4;

using reverb_design::kDiffuserCoefficient;
using reverb_design::kHadamardScale;
using reverb_design::kInputDiffuserCoefficient;
using reverb_design::kMonoSumGain;

// A value that stays the same over the run.
struct RunConstant {
  Double4 value;
  Double4 At(int) const { return value; }
};
// A value per frame, in a buffer four lanes longer than the run.
struct RunValues {
  const double* values;
  Double4 At(int j) const { return Load4(values + j); }
};

// Where a run's values for a line go: straight into the line where the run neither
// wraps nor ends inside a vector, else into 'kept', for Finish to copy in.
struct RunTarget {
  DelayLine::Cursor line;
  uint32_t frame;
  int n;
  double* kept;
  double* at;
  RunTarget(DelayLine::Cursor c, uint32_t first, int frames, double* buffer) : line(c), frame(first), n(frames), kept(buffer) {
    const uint32_t start = first & c.mask;
    at = frames % 4 == 0 && start + static_cast<uint32_t>(frames) <= c.mask + 1 ? c.memory + start : buffer;
  }
  void Finish() const {
    if (at == kept) DelayLine::PutRun(line, frame, kept, n);
  }
};

// The network's pass: pre-delayed reads, input diffuser, feedback lines and taps,
// damping, Hadamard mixing, the lines' writes; leaves the wet signals plus the
// pre-delayed pair for the output diffusers.
template <typename PreRead, typename Read, typename Gain>
struct NetworkRun {
  PreRead preLeft, preRight;
  Read input, line[4], tap[4];
  double* inputAt;
  double* tapAt;
  double* lineAt[4];
  Gain lineGainKept[4], tapGain[4];  // lineGainKept: gain (1 - damp)
  Double4 damp, late, early;
  double* wetLeft;
  double* wetRight;
};

// The damping one-poles for four frames of the four lines: w holds the lines' input
// terms (a vector of four frames per line) and receives the damped values; 'state'
// holds the four lines' states and is left at frame 'valid' - 1. Unguarded, the
// states are kept as computed, and 'watch' sees each.
template <bool kGuarded>
[[gnu::always_inline]] inline Double4 DampFourFrames(Double4 (&w)[4], Double4 state, Double4 damp, int valid,
                                                     dsp::GuardWatch& watch) {
  run_vectors::Transpose4(w[0], w[1], w[2], w[3]);  // w[f]: frame f of the four lines
  for (int f = 0; f < 4; ++f) {
    const Double4 d = reverb_steps::DampingStep(state, damp, w[f]);
    w[f] = d;
    if (f < valid) {
      if (kGuarded) {
        state = Kept4(d);
      } else {
        watch.WatchSmall(d);
        state = d;
      }
    }
  }
  run_vectors::Transpose4(w[0], w[1], w[2], w[3]);
  return state;
}

// Returns false, having changed nothing but the lines' run and the wet signals
// (which a guarded pass then writes again), where a damping state left unguarded
// would have been changed by its guard.
template <bool kGuarded, typename Run>
[[gnu::always_inline]] inline bool RunNetwork(const Run& r, int n, Double4& damping) {
  dsp::GuardWatch watch;
  Double4 state = damping;
  auto fourFrames = [&](int j, int valid) __attribute__((always_inline)) {
    const Double4 preLeft = r.preLeft.At(j), preRight = r.preRight.At(j);
    // Mono input through the input diffuser.
    const Double4 mono = (preLeft + preRight) * kMonoSumGain;
    const Double4 diffuserRead = r.input.At(j);
    const Double4 g = dsp::SplatV<Double4>(kInputDiffuserCoefficient);
    const Double4 diffuserState = reverb_steps::AllpassState(mono, g, diffuserRead);
    Store4(r.inputAt + j, Kept4(diffuserState));
    Store4(r.tapAt + j, Kept4(reverb_steps::AllpassOutput(diffuserState, g, diffuserRead)));
    // Feedback lines read, scaled and damped; taps.
    Double4 d[4], t[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
      d[k] = reverb_steps::DampingInput(r.line[k].At(j), r.lineGainKept[k].At(j));
      t[k] = r.tap[k].At(j) * r.tapGain[k].At(j);
    }
    state = DampFourFrames<kGuarded>(d, state, r.damp, valid, watch);
    // Hadamard mixing, the lines' writes, the wet sum.
    const Double4 h0 = kHadamardScale * (d[0] + d[1] + d[2] + d[3]);
    const Double4 h1 = kHadamardScale * (d[0] - d[1] + d[2] - d[3]);
    const Double4 h2 = kHadamardScale * (-d[0] - d[1] + d[2] + d[3]);
    const Double4 h3 = kHadamardScale * (d[0] - d[1] - d[2] + d[3]);
    if (!kGuarded) watch.WatchSum(h0);  // not finite where some damped value is not
    Store4(r.lineAt[0] + j, Kept4(h1 + t[0]));
    Store4(r.lineAt[1] + j, Kept4(h2 + t[1]));
    Store4(r.lineAt[2] + j, Kept4(h3 + t[2]));
    Store4(r.lineAt[3] + j, Kept4(h0 + t[3]));
    const Double4 wet = r.late * (h1 + h2 - h0 - h3) + r.early * (t[0] + t[1] - t[2] - t[3]);
    // The pre-delayed dry signal reaches the wet outputs through the diffusers.
    Store4(r.wetLeft + j, wet + preLeft);
    Store4(r.wetRight + j, wet + preRight);
  };
  const int whole = n & ~3;
  for (int j = 0; j < whole; j += 4) fourFrames(j, 4);
  if (whole < n) fourFrames(whole, n - whole);
  if (!kGuarded && watch.Any()) return false;
  damping = state;
  return true;
}

// The output diffusers (three Schroeder allpasses per channel) and the width stage.
template <typename Read, typename Gain>
struct DiffuserRun {
  Read left[3], right[3];
  double* leftAt[3];
  double* rightAt[3];
  const double* wetLeft;
  const double* wetRight;
  Gain mid, side, level;
};

template <bool kOutputsUsed, typename Run>
[[gnu::always_inline]] inline void RunDiffusers(const Run& r, int n, Double2* out) {
  auto fourFrames = [&](int j, Double2* pairs) __attribute__((always_inline)) {
    Double4 left = Load4(r.wetLeft + j), right = Load4(r.wetRight + j);
    // Unrolled in the baseline build, each coefficient is a constant pair from memory;
    // taken from the table in a loop, it would be splat there at every step (two
    // registers a four-lane vector). AVX2 splats it from the table in one load.
#if !defined(__AVX__)
#pragma GCC unroll 3
#endif
    for (int k = 0; k < 3; ++k) {
      const Double4 g = dsp::SplatV<Double4>(kDiffuserCoefficient[k]);
      const Double4 readLeft = r.left[k].At(j), readRight = r.right[k].At(j);
      const Double4 stateLeft = reverb_steps::AllpassState(left, g, readLeft);
      const Double4 stateRight = reverb_steps::AllpassState(right, g, readRight);
      Store4(r.leftAt[k] + j, Kept4(stateLeft));
      Store4(r.rightAt[k] + j, Kept4(stateRight));
      left = reverb_steps::AllpassOutput(stateLeft, g, readLeft);
      right = reverb_steps::AllpassOutput(stateRight, g, readRight);
    }
    if (kOutputsUsed) {
      const Double4 level = r.level.At(j);
      const Double4 mid = (left + right) * r.mid.At(j);
      const Double4 side = (left - right) * r.side.At(j);
      run_vectors::StorePairs(pairs, (mid + side) * level, (mid - side) * level);
    }
  };
  const int whole = n & ~3;
  for (int j = 0; j < whole; j += 4) fourFrames(j, out + j);
  if (whole < n) {
    Double2 last[4];
    fourFrames(whole, last);
    if (kOutputsUsed) std::copy(last, last + (n - whole), out + whole);
  }
}

// A frame's width factors: mid, side and level.
struct WidthFactors {
  double mid, side, level;
};

// One frame of the output diffusers and the width stage, for runs whose diffusers
// are shorter than the run: 'lr' is the frame's wet pair, the taps are left 1 to 3
// then right 1 to 3.
template <bool kOutputsUsed>
[[gnu::always_inline]] inline void DiffuseFrame(const DelayLine::Cursor (&left)[3], const DelayLine::Cursor (&right)[3],
                                                uint32_t frame, Double2 lr, const DelayLine::Tap (&taps)[2][3],
                                                WidthFactors width, Double2* out) {
  for (int k = 0; k < 3; ++k) {
    const Double2 r = {DelayLine::ReadAt<false>(left[k], frame, taps[0][k]), DelayLine::ReadAt<false>(right[k], frame, taps[1][k])};
    const Double2 g = dsp::Splat(kDiffuserCoefficient[k]);
    const Double2 v = reverb_steps::AllpassState(lr, g, r);
    const Double2 kept = dsp::FlushDenormal2(v);
    DelayLine::WriteAt<false>(left[k], frame, kept[0]);
    DelayLine::WriteAt<false>(right[k], frame, kept[1]);
    lr = reverb_steps::AllpassOutput(v, g, r);
  }
  if (kOutputsUsed) {
    const double m = (lr[0] + lr[1]) * width.mid;
    const double sd = (lr[0] - lr[1]) * width.side;
    *out = Double2{m + sd, m - sd} * width.level;
  }
}

}  // namespace run_stages

MORAVELLE_DSP_END
