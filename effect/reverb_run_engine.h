#pragma once
// The parts of a run that the settled and the gliding runs share, on the engine's
// lines: they differ only in where their reads, gains and width factors come from.

#include <algorithm>

#include "reverb_engine.h"
#include "reverb_run_stages.h"

MORAVELLE_DSP_BEGIN

template <typename Network, typename ReadOf>
void ReverbEngine::RunNetworkStage(Network& net, const ReverbSettings& s, uint32_t frame, int n, ReadOf&& readOf) {
  using run_stages::RunTarget;
  RunBuffers& b = run_;
  const DelayLine::Cursor input = inputDiffuser.CursorOf();
  const DelayLine::Cursor taps = tapLine.CursorOf();
  net.input = readOf(input, 2);
  const RunTarget inputTarget(input, frame, n, b.kept[0]);
  const RunTarget tapTarget(taps, frame, n, b.kept[1]);
  net.inputAt = inputTarget.at;
  net.tapAt = tapTarget.at;
  const RunTarget lineTargets[4] = {RunTarget(feedback[0].CursorOf(), frame, n, b.kept[2]),
                                    RunTarget(feedback[1].CursorOf(), frame, n, b.kept[3]),
                                    RunTarget(feedback[2].CursorOf(), frame, n, b.kept[4]),
                                    RunTarget(feedback[3].CursorOf(), frame, n, b.kept[5])};
  for (int k = 0; k < 4; ++k) {
    net.line[k] = readOf(feedback[k].CursorOf(), 3 + k);
    net.tap[k] = readOf(taps, 7 + k);
    net.lineAt[k] = lineTargets[k].at;
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
}

template <typename Width, typename ReadOf>
void ReverbEngine::RunDiffuserStage(const ReverbSettings& s, uint32_t frame, int n, ReadOf&& readOf, Width mid,
                                    Width side, Width level, Double2* out) {
  using run_stages::RunTarget;
  RunBuffers& b = run_;
  run_stages::DiffuserRun<decltype(readOf(diffuserL[0].CursorOf(), 11)), Width> diffusers;
  const RunTarget leftTargets[3] = {RunTarget(diffuserL[0].CursorOf(), frame, n, b.kept[6]),
                                    RunTarget(diffuserL[1].CursorOf(), frame, n, b.kept[7]),
                                    RunTarget(diffuserL[2].CursorOf(), frame, n, b.kept[8])};
  const RunTarget rightTargets[3] = {RunTarget(diffuserR[0].CursorOf(), frame, n, b.kept[9]),
                                     RunTarget(diffuserR[1].CursorOf(), frame, n, b.kept[10]),
                                     RunTarget(diffuserR[2].CursorOf(), frame, n, b.kept[11])};
  for (int k = 0; k < 3; ++k) {
    diffusers.left[k] = readOf(diffuserL[k].CursorOf(), 11 + k);
    diffusers.right[k] = readOf(diffuserR[k].CursorOf(), 14 + k);
    diffusers.leftAt[k] = leftTargets[k].at;
    diffusers.rightAt[k] = rightTargets[k].at;
  }
  diffusers.wetLeft = b.wetLeft;
  diffusers.wetRight = b.wetRight;
  diffusers.mid = mid;
  diffusers.side = side;
  diffusers.level = level;
  if (s.outputsUsed) {
    run_stages::RunDiffusers<true>(diffusers, n, out);
  } else {
    run_stages::RunDiffusers<false>(diffusers, n, out);
  }
  for (const RunTarget& target : leftTargets) target.Finish();
  for (const RunTarget& target : rightTargets) target.Finish();
}

template <typename FrameOf>
void ReverbEngine::RunDiffusersFrameByFrame(const ReverbSettings& s, uint32_t frame, int n, FrameOf&& frameOf,
                                            Double2* out) {
  DelayLine::Cursor left[3], right[3];
  for (int k = 0; k < 3; ++k) {
    left[k] = diffuserL[k].CursorOf();
    right[k] = diffuserR[k].CursorOf();
  }
  for (int j = 0; j < n; ++j) {
    DelayLine::Tap taps[2][3];
    const run_stages::WidthFactors width = frameOf(j, taps);
    const Double2 lr = {run_.wetLeft[j], run_.wetRight[j]};
    if (s.outputsUsed) {
      run_stages::DiffuseFrame<true>(left, right, frame + j, lr, taps, width, out + j);
    } else {
      run_stages::DiffuseFrame<false>(left, right, frame + j, lr, taps, width, out + j);
    }
  }
}

// While the outputs are not used, the stage passes its input on.
inline void ReverbEngine::FinishRun(const ReverbSettings& s, const Double2* in, Double2* out, uint32_t frame, int n) {
  if (!s.outputsUsed && out != in) std::copy(in, in + n, out);
  frame_ = frame + static_cast<uint32_t>(n);
  AdvanceAllLines(n);
  silentFrames_ = 0;
}

MORAVELLE_DSP_END
