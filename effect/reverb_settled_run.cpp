// The reverb over a run of frames in which room size, panorama and pre-delay rest:
// their smoothing states sit at their fixed points, so every delay, gain and width
// factor is the same in each frame of the run. The run is no longer than the
// shortest delay through which the network feeds back (the input diffuser, the four
// feedback lines, the tap line's reflections), so no frame of it reads what another
// frame of it writes there. The stages then run four frames to a vector, in three
// passes over the run (the input into the pre-delay; the network; the output
// diffusers and the width stage): the per-frame arithmetic of ProcessFrames,
// operation for operation (reverb_steps.h), in another order. The damping, the one
// recursion, runs across the four lines, its states unguarded; where a guard would
// have acted on one, the network's pass runs again with the guards.
// (Every stored zero is +0, since the guards store 0 for -0 too, so a read whose
// fraction is 0 gives the same bits whether the sample beyond it was written already
// or not.)
#include <algorithm>
#include <cstring>

#include "dsp_guards.h"
#include "reverb_engine.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"

MORAVELLE_DSP_BEGIN

namespace {
using run_vectors::Kept4;
using run_vectors::Load4;
using run_vectors::Store4;

constexpr double kMonoSumGain = 0.707;
constexpr double kInputDiffuserCoefficient = 0.75;
constexpr double kHadamardScale = 0.5;
constexpr double kDiffuserCoefficient[3] = {0.75, 0.625, 0.625};

// A read through a fixed tap over the run: the samples from the first frame's read
// position on, in the line where they do not wrap, else copied to a scratch buffer.
struct RunRead {
  const double* at;
  Double4 frac;
  Double4 At(int j) const {
    return reverb_steps::Interpolate(Load4(at + j), Load4(at + j + 1), frac);
  }
};

RunRead ReadOver(DelayLine::Cursor line, uint32_t frame, const DelayLine::Tap& tap, int count, double* scratch) {
  return RunRead{DelayLine::Span(line, frame + static_cast<uint32_t>(tap.offset), count + 1, scratch),
                 dsp::SplatV<Double4>(tap.frac)};
}

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
struct NetworkRun {
  RunRead preLeft, preRight, input, line[4], tap[4];
  double* inputAt;
  double* tapAt;
  double* lineAt[4];
  Double4 lineGainKept[4], tapGain[4];  // lineGainKept: gain (1 - damp)
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
                                                     run_vectors::GuardWatch& watch) {
  run_vectors::Transpose4(w[0], w[1], w[2], w[3]);  // w[f]: frame f of the four lines
  for (int f = 0; f < 4; ++f) {
    const Double4 d = reverb_steps::DampingStep(state, damp, w[f]);
    w[f] = d;
    if (f < valid) {
      if (kGuarded) {
        state = Kept4(d);
      } else {
        watch.See(d);
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
template <bool kGuarded>
bool RunNetwork(const NetworkRun& r, int n, Double4& damping) {
  run_vectors::GuardWatch watch;
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
    for (int k = 0; k < 4; ++k) {
      d[k] = reverb_steps::DampingInput(r.line[k].At(j), r.lineGainKept[k]);
      t[k] = r.tap[k].At(j) * r.tapGain[k];
    }
    state = DampFourFrames<kGuarded>(d, state, r.damp, valid, watch);
    // Hadamard mixing, the lines' writes, the wet sum.
    const Double4 h0 = kHadamardScale * (d[0] + d[1] + d[2] + d[3]);
    const Double4 h1 = kHadamardScale * (d[0] - d[1] + d[2] - d[3]);
    const Double4 h2 = kHadamardScale * (-d[0] - d[1] + d[2] + d[3]);
    const Double4 h3 = kHadamardScale * (d[0] - d[1] - d[2] + d[3]);
    if (!kGuarded) watch.Add(h0);  // not finite where some damped value is not
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
  if (!kGuarded && watch.GuardWouldAct()) return false;
  damping = state;
  return true;
}

// The output diffusers (three Schroeder allpasses per channel) and the width stage.
struct DiffuserRun {
  RunRead left[3], right[3];
  double* leftAt[3];
  double* rightAt[3];
  const double* wetLeft;
  const double* wetRight;
  double mid, side, level;
};

template <bool kOutputsUsed>
void RunDiffusers(const DiffuserRun& r, int n, Double2* out) {
  auto fourFrames = [&](int j, Double2* pairs) __attribute__((always_inline)) {
    Double4 left = Load4(r.wetLeft + j), right = Load4(r.wetRight + j);
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
      const Double4 mid = (left + right) * r.mid;
      const Double4 side = (left - right) * r.side;
      run_vectors::StorePairs(pairs, (mid + side) * r.level, (mid - side) * r.level);
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
}  // namespace

void ReverbEngine::ProcessSettledRun(const ReverbSettings& s, const Double2* in, Double2* out, int n) {
  const int count = (n + 3) & ~3;  // whole vectors; the lanes past n are never stored
  RunBuffers& b = run_;
  const uint32_t frame = frame_;

  // Pre-delay: write the run first, then read it (reads reach at least one frame back).
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  {
    const RunTarget left(pre[0], frame, n, b.kept[0]), right(pre[1], frame, n, b.kept[1]);
    const int whole = n & ~3;
    for (int j = 0; j < whole; j += 4) {
      Double4 inLeft, inRight;
      run_vectors::LoadPairs(in + j, inLeft, inRight);
      Store4(left.at + j, Kept4(inLeft));
      Store4(right.at + j, Kept4(inRight));
    }
    for (int j = whole; j < n; ++j) {
      left.at[j] = dsp::FlushDenormal(in[j][0]);
      right.at[j] = dsp::FlushDenormal(in[j][1]);
    }
    left.Finish();
    right.Finish();
  }

  // The network.
  const DelayLine::Cursor input = inputDiffuser.CursorOf();
  const DelayLine::Cursor taps = tapLine.CursorOf();
  NetworkRun net;
  net.preLeft = ReadOver(pre[0], frame, preDelayTap_[0], count, b.scratch[0]);
  net.preRight = ReadOver(pre[1], frame, preDelayTap_[1], count, b.scratch[1]);
  net.input = ReadOver(input, frame, inputDiffuserTap_, count, b.scratch[2]);
  const RunTarget inputTarget(input, frame, n, b.kept[0]);
  const RunTarget tapTarget(taps, frame, n, b.kept[1]);
  net.inputAt = inputTarget.at;
  net.tapAt = tapTarget.at;
  const RunTarget lineTargets[4] = {RunTarget(feedback[0].CursorOf(), frame, n, b.kept[2]),
                                    RunTarget(feedback[1].CursorOf(), frame, n, b.kept[3]),
                                    RunTarget(feedback[2].CursorOf(), frame, n, b.kept[4]),
                                    RunTarget(feedback[3].CursorOf(), frame, n, b.kept[5])};
  for (int k = 0; k < 4; ++k) {
    net.line[k] = ReadOver(feedback[k].CursorOf(), frame, lineTap_[k], count, b.scratch[3 + k]);
    net.tap[k] = ReadOver(taps, frame, reflectionTap_[k], count, b.scratch[7 + k]);
    net.lineAt[k] = lineTargets[k].at;
    net.lineGainKept[k] = dsp::SplatV<Double4>(lineGain_[k] * (1.0 - s.damp));
    net.tapGain[k] = dsp::SplatV<Double4>(tapGain_[k]);
  }
  net.damp = dsp::SplatV<Double4>(s.damp);
  net.late = dsp::SplatV<Double4>(s.late);
  net.early = dsp::SplatV<Double4>(s.early);
  net.wetLeft = b.wetLeft;
  net.wetRight = b.wetRight;
  Double4 damping = dsp::Join(damping_[0], damping_[1]);
  if (!RunNetwork<false>(net, n, damping)) RunNetwork<true>(net, n, damping);
  damping_[0] = dsp::LowHalf(damping);
  damping_[1] = dsp::HighHalf(damping);
  inputTarget.Finish();
  tapTarget.Finish();
  for (const RunTarget& target : lineTargets) target.Finish();

  // Output diffusers: a run at a time where their delays allow, else frame by frame.
  int32_t shortest = INT32_MAX;
  for (int k = 0; k < 3; ++k)
    shortest = std::min({shortest, diffuserL[k].WholeDelay(diffuserTaps_[0][k]), diffuserR[k].WholeDelay(diffuserTaps_[1][k])});
  if (shortest >= n) {
    DiffuserRun diffusers;
    const RunTarget leftTargets[3] = {RunTarget(diffuserL[0].CursorOf(), frame, n, b.kept[6]),
                                      RunTarget(diffuserL[1].CursorOf(), frame, n, b.kept[7]),
                                      RunTarget(diffuserL[2].CursorOf(), frame, n, b.kept[8])};
    const RunTarget rightTargets[3] = {RunTarget(diffuserR[0].CursorOf(), frame, n, b.kept[9]),
                                       RunTarget(diffuserR[1].CursorOf(), frame, n, b.kept[10]),
                                       RunTarget(diffuserR[2].CursorOf(), frame, n, b.kept[11])};
    for (int k = 0; k < 3; ++k) {
      diffusers.left[k] = ReadOver(diffuserL[k].CursorOf(), frame, diffuserTaps_[0][k], count, b.scratch[11 + k]);
      diffusers.right[k] = ReadOver(diffuserR[k].CursorOf(), frame, diffuserTaps_[1][k], count, b.scratch[14 + k]);
      diffusers.leftAt[k] = leftTargets[k].at;
      diffusers.rightAt[k] = rightTargets[k].at;
    }
    diffusers.wetLeft = b.wetLeft;
    diffusers.wetRight = b.wetRight;
    diffusers.mid = widthMid_;
    diffusers.side = widthSide_;
    diffusers.level = widthLevel_;
    if (s.outputsUsed) {
      RunDiffusers<true>(diffusers, n, out);
    } else {
      RunDiffusers<false>(diffusers, n, out);
    }
    for (const RunTarget& target : leftTargets) target.Finish();
    for (const RunTarget& target : rightTargets) target.Finish();
  } else {
    DelayLine::Cursor left[3], right[3];
    for (int k = 0; k < 3; ++k) {
      left[k] = diffuserL[k].CursorOf();
      right[k] = diffuserR[k].CursorOf();
    }
    for (int j = 0; j < n; ++j) {
      Double2 lr = {b.wetLeft[j], b.wetRight[j]};
      for (int k = 0; k < 3; ++k) {
        const Double2 r = {DelayLine::ReadAt<false>(left[k], frame + j, diffuserTaps_[0][k]),
                           DelayLine::ReadAt<false>(right[k], frame + j, diffuserTaps_[1][k])};
        const Double2 g = dsp::Splat(kDiffuserCoefficient[k]);
        const Double2 v = reverb_steps::AllpassState(lr, g, r);
        const Double2 kept = dsp::FlushDenormal2(v);
        DelayLine::WriteAt<false>(left[k], frame + j, kept[0]);
        DelayLine::WriteAt<false>(right[k], frame + j, kept[1]);
        lr = reverb_steps::AllpassOutput(v, g, r);
      }
      if (s.outputsUsed) {
        const double mid = (lr[0] + lr[1]) * widthMid_;
        const double side = (lr[0] - lr[1]) * widthSide_;
        out[j] = Double2{mid + side, mid - side} * widthLevel_;
      }
    }
  }
  // While the outputs are not used, the stage passes its input on.
  if (!s.outputsUsed && out != in) std::copy(in, in + n, out);

  frame_ = frame + static_cast<uint32_t>(n);
  AdvanceAllLines(n);
  silentFrames_ = 0;
}

MORAVELLE_DSP_END
