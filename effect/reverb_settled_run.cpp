// The reverb over a run of frames in which room size, panorama and pre-delay rest:
// their smoothing states sit at their fixed points, so every delay, gain and width
// factor is the same in each frame of the run. The run is no longer than the
// shortest delay through which the network feeds back (the input diffuser, the four
// feedback lines, the tap line's reflections), so no frame of it reads what another
// frame of it writes there. The stages then run four frames to a vector, in three
// passes over the run (the input into the pre-delay; the network; the output
// diffusers and the width stage): the per-frame arithmetic of ProcessFrames,
// operation for operation (reverb_steps.h), in another order; the stages are those
// the gliding runs share (reverb_run_stages.h). The damping, the one
// recursion, runs across the four lines, its states unguarded; where a guard would
// have acted on one, the network's pass runs again with the guards.
// (Every stored zero is +0, since the guards store 0 for -0 too, so a read whose
// fraction is 0 gives the same bits whether the sample beyond it was written already
// or not.)
#include <algorithm>
#include <cstring>

#include "dsp_guards.h"
#include "reverb_engine.h"
#include "reverb_run_stages.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"

MORAVELLE_DSP_BEGIN

namespace {
using run_stages::RunConstant;
using run_stages::RunTarget;
using run_vectors::Kept4;
using run_vectors::Store4;

// A read through a fixed tap over the run: the samples from the first frame's read
// position on, in the line where they do not wrap, else copied to a scratch buffer.
struct RunRead {
  const double* at;
  Double4 frac;
  Double4 At(int j) const {
    return reverb_steps::Interpolate(run_vectors::Load4(at + j), run_vectors::Load4(at + j + 1), frac);
  }
};

RunRead ReadOver(DelayLine::Cursor line, uint32_t frame, const DelayLine::Tap& tap, int count, double* scratch) {
  return RunRead{DelayLine::Span(line, frame + static_cast<uint32_t>(tap.offset), count + 1, scratch),
                 dsp::SplatV<Double4>(tap.frac)};
}

RunConstant Constant(double value) { return RunConstant{dsp::SplatV<Double4>(value)}; }
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
  run_stages::NetworkRun<RunRead, RunRead, RunConstant> net;
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
    net.lineGainKept[k] = Constant(lineGain_[k] * (1.0 - s.damp));
    net.tapGain[k] = Constant(tapGain_[k]);
  }
  net.damp = dsp::SplatV<Double4>(s.damp);
  net.late = dsp::SplatV<Double4>(s.late);
  net.early = dsp::SplatV<Double4>(s.early);
  net.wetLeft = b.wetLeft;
  net.wetRight = b.wetRight;
  Double4 damping = dsp::Join(damping_[0], damping_[1]);
  if (!run_stages::RunNetwork<false>(net, n, damping)) run_stages::RunNetwork<true>(net, n, damping);
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
    run_stages::DiffuserRun<RunRead, RunConstant> diffusers;
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
    diffusers.mid = Constant(widthMid_);
    diffusers.side = Constant(widthSide_);
    diffusers.level = Constant(widthLevel_);
    if (s.outputsUsed) {
      run_stages::RunDiffusers<true>(diffusers, n, out);
    } else {
      run_stages::RunDiffusers<false>(diffusers, n, out);
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
      const Double2 lr = {b.wetLeft[j], b.wetRight[j]};
      if (s.outputsUsed) {
        run_stages::DiffuseFrame<true>(left, right, frame + j, lr, diffuserTaps_, widthMid_, widthSide_, widthLevel_, out + j);
      } else {
        run_stages::DiffuseFrame<false>(left, right, frame + j, lr, diffuserTaps_, widthMid_, widthSide_, widthLevel_, out + j);
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
