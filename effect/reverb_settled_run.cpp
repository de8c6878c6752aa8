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
#include "reverb_run_engine.h"
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

void ReverbEngine::WritePreDelayRun(const Double2* in, int n) {
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  const RunTarget left(pre[0], frame_, n, run_.kept[0]), right(pre[1], frame_, n, run_.kept[1]);
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

void ReverbEngine::ProcessSettledRun(const ReverbSettings& s, const Double2* in, Double2* out, int n) {
  const int count = (n + 3) & ~3;  // whole vectors; the lanes past n are never stored
  RunBuffers& b = run_;
  const uint32_t frame = frame_;

  // Pre-delay: write the run first, then read it (reads reach at least one frame back).
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  WritePreDelayRun(in, n);

  // Every read goes through a fixed tap over the run (numbered as RunBuffers::scratch).
  auto tapOf = [this](int read) -> const DelayLine::Tap& {
    if (read < 2) return preDelayTap_[read];
    if (read == 2) return inputDiffuserTap_;
    if (read < 7) return lineTap_[read - 3];
    if (read < 11) return reflectionTap_[read - 7];
    return diffuserTaps_[read < 14 ? 0 : 1][(read - 11) % 3];
  };
  auto readOf = [&](DelayLine::Cursor line, int read) { return ReadOver(line, frame, tapOf(read), count, b.scratch[read]); };

  // The network.
  run_stages::NetworkRun<RunRead, RunRead, RunConstant> net;
  net.preLeft = readOf(pre[0], 0);
  net.preRight = readOf(pre[1], 1);
  for (int k = 0; k < 4; ++k) {
    net.lineGainKept[k] = Constant(lineGain_[k] * (1.0 - s.damp));
    net.tapGain[k] = Constant(tapGain_[k]);
  }
  RunNetworkStage(net, s, frame, n, readOf);

  // Output diffusers: a run at a time where their delays allow, else frame by frame.
  int32_t shortest = INT32_MAX;
  for (int k = 0; k < 3; ++k)
    shortest = std::min({shortest, diffuserL[k].WholeDelay(diffuserTaps_[0][k]), diffuserR[k].WholeDelay(diffuserTaps_[1][k])});
  if (shortest >= n) {
    RunDiffuserStage(s, frame, n, readOf, Constant(widthMid_), Constant(widthSide_), Constant(widthLevel_), out);
  } else {
    RunDiffusersFrameByFrame(s, frame, n, [this](int, DelayLine::Tap (&taps)[2][3]) {
      std::copy(&diffuserTaps_[0][0], &diffuserTaps_[0][0] + 6, &taps[0][0]);
      return run_stages::WidthFactors{widthMid_, widthSide_, widthLevel_};
    }, out);
  }
  FinishRun(s, in, out, frame, n);
}

MORAVELLE_DSP_END
