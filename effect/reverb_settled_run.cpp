// The reverb over a run of frames in which room size, panorama and pre-delay rest:
// their smoothing states sit at their fixed points, so every delay, gain and width
// factor is the same in each frame of the run. The run is no longer than the
// shortest delay through which the network feeds back (the input diffuser, the four
// feedback lines, the tap line's reflections), so no frame of it reads what another
// frame of it writes there. Each stage then runs over the whole run before the next,
// four frames to a vector: the per-frame arithmetic of ProcessFrames, operation for
// operation, in another order. (Every stored zero is +0, since the guards store 0
// for -0 too, so a read whose fraction is 0 gives the same bits whether the sample
// beyond it was written already or not.)
#include <algorithm>
#include <cstring>

#include "dsp_guards.h"
#include "reverb_engine.h"

MORAVELLE_DSP_BEGIN

namespace {
constexpr double kMonoSumGain = 0.707;
constexpr double kInputDiffuserCoefficient = 0.75;
constexpr double kHadamardScale = 0.5;
constexpr double kDiffuserCoefficient[3] = {0.75, 0.625, 0.625};

inline Double4 Load4(const double* p) {
  Double4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store4(double* p, Double4 v) { std::memcpy(p, &v, sizeof v); }

// Reads through a fixed tap for 'count' frames from 'frame' on (count a multiple of 4).
void ReadRun(DelayLine::Cursor line, uint32_t frame, const DelayLine::Tap& tap, int count, double* out,
             double* scratch) {
  const double* s = DelayLine::Span(line, frame + static_cast<uint32_t>(tap.offset), count + 1, scratch);
  for (int j = 0; j < count; j += 4) {
    const Double4 a = Load4(s + j);
    Store4(out + j, a + (Load4(s + j + 1) - a) * tap.frac);
  }
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

// A Schroeder allpass over the run, in place (count a multiple of 4, written frames n).
void AllpassRun(DelayLine::Cursor line, uint32_t frame, const DelayLine::Tap& tap, double coefficient, double* io,
                int count, int n, double* read, double* kept, double* scratch) {
  ReadRun(line, frame, tap, count, read, scratch);
  const RunTarget target(line, frame, n, kept);
  for (int j = 0; j < count; j += 4) {
    const Double4 r = Load4(read + j);
    const Double4 v = Load4(io + j) - coefficient * r;
    Store4(target.at + j, dsp::FlushDenormal4(v));
    Store4(io + j, coefficient * v + r);
  }
  target.Finish();
}
}  // namespace

void ReverbEngine::ProcessSettledRun(const ReverbSettings& s, const Double2* in, Double2* out, int n) {
  const int count = (n + 3) & ~3;  // whole vectors; the lanes past n are never stored
  RunBuffers& b = run_;
  const uint32_t frame = frame_;
  for (int j = 0; j < n; ++j) {
    b.inLeft[j] = in[j][0];
    b.inRight[j] = in[j][1];
  }
  for (int j = n; j < count; ++j) b.inLeft[j] = b.inRight[j] = 0.0;

  // Pre-delay: write the run, then read it (reads reach at least one frame back).
  const DelayLine::Cursor pre[2] = {preDelay[0].CursorOf(), preDelay[1].CursorOf()};
  double* inputs[2] = {b.inLeft, b.inRight};
  double* delayed[2] = {b.preLeft, b.preRight};
  for (int ch = 0; ch < 2; ++ch) {
    const RunTarget target(pre[ch], frame, n, b.kept);
    for (int j = 0; j < count; j += 4) Store4(target.at + j, dsp::FlushDenormal4(Load4(inputs[ch] + j)));
    target.Finish();
    ReadRun(pre[ch], frame, preDelayTap_[ch], count, delayed[ch], b.scratch);
  }

  // Mono input through the input diffuser.
  const DelayLine::Cursor input = inputDiffuser.CursorOf();
  ReadRun(input, frame, inputDiffuserTap_, count, b.read, b.scratch);
  const RunTarget inputTarget(input, frame, n, b.kept);
  for (int j = 0; j < count; j += 4) {
    const Double4 mono = (Load4(b.preLeft + j) + Load4(b.preRight + j)) * kMonoSumGain;
    const Double4 r = Load4(b.read + j);
    const Double4 v = mono - kInputDiffuserCoefficient * r;
    Store4(inputTarget.at + j, dsp::FlushDenormal4(v));
    Store4(b.diffused + j, kInputDiffuserCoefficient * v + r);
  }
  inputTarget.Finish();

  // Feedback lines, read and scaled; taps.
  const DelayLine::Cursor taps = tapLine.CursorOf();
  for (int k = 0; k < 4; ++k) {
    ReadRun(feedback[k].CursorOf(), frame, lineTap_[k], count, b.line[k], b.scratch);
    ReadRun(taps, frame, reflectionTap_[k], count, b.tap[k], b.scratch);
    for (int j = 0; j < count; j += 4) {
      Store4(b.line[k] + j, Load4(b.line[k] + j) * lineGain_[k]);
      Store4(b.tap[k] + j, Load4(b.tap[k] + j) * tapGain_[k]);
    }
  }
  // Damping: the one recursion of the run, four scalar chains side by side (lanes
  // of one vector would have to be gathered from the four lines frame by frame).
  {
    const double damp = s.damp;
    double e[4] = {damping_[0][0], damping_[0][1], damping_[1][0], damping_[1][1]};
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < 4; ++k) {
        const double z = b.line[k][j];
        const double d = z + (e[k] - z) * damp;
        e[k] = dsp::FlushDenormal(d);
        b.line[k][j] = d;
      }
    }
    damping_[0] = Double2{e[0], e[1]};
    damping_[1] = Double2{e[2], e[3]};
  }
  // Hadamard mixing, the lines' writes, the wet sum. (A line's own array serves as
  // its fallback target: each vector of it is read before it is overwritten.)
  const RunTarget lineTargets[4] = {RunTarget(feedback[0].CursorOf(), frame, n, b.line[0]),
                                    RunTarget(feedback[1].CursorOf(), frame, n, b.line[1]),
                                    RunTarget(feedback[2].CursorOf(), frame, n, b.line[2]),
                                    RunTarget(feedback[3].CursorOf(), frame, n, b.line[3])};
  const RunTarget tapTarget(taps, frame, n, b.kept);
  for (int j = 0; j < count; j += 4) {
    const Double4 d0 = Load4(b.line[0] + j), d1 = Load4(b.line[1] + j), d2 = Load4(b.line[2] + j),
                  d3 = Load4(b.line[3] + j);
    const Double4 t0 = Load4(b.tap[0] + j), t1 = Load4(b.tap[1] + j), t2 = Load4(b.tap[2] + j),
                  t3 = Load4(b.tap[3] + j);
    const Double4 h0 = kHadamardScale * (d0 + d1 + d2 + d3);
    const Double4 h1 = kHadamardScale * (d0 - d1 + d2 - d3);
    const Double4 h2 = kHadamardScale * (-d0 - d1 + d2 + d3);
    const Double4 h3 = kHadamardScale * (d0 - d1 - d2 + d3);
    Store4(lineTargets[0].at + j, dsp::FlushDenormal4(h1 + t0));
    Store4(lineTargets[1].at + j, dsp::FlushDenormal4(h2 + t1));
    Store4(lineTargets[2].at + j, dsp::FlushDenormal4(h3 + t2));
    Store4(lineTargets[3].at + j, dsp::FlushDenormal4(h0 + t3));
    Store4(tapTarget.at + j, dsp::FlushDenormal4(Load4(b.diffused + j)));
    const Double4 wet = s.late * (h1 + h2 - h0 - h3) + s.early * (t0 + t1 - t2 - t3);
    // The pre-delayed dry signal reaches the wet outputs through the diffusers.
    Store4(b.preLeft + j, wet + Load4(b.preLeft + j));
    Store4(b.preRight + j, wet + Load4(b.preRight + j));
  }
  for (const RunTarget& target : lineTargets) target.Finish();
  tapTarget.Finish();

  // Output diffusers: a run at a time where their delays allow, else frame by frame.
  int32_t shortest = INT32_MAX;
  for (int k = 0; k < 3; ++k)
    shortest = std::min({shortest, diffuserL[k].WholeDelay(diffuserTaps_[0][k]), diffuserR[k].WholeDelay(diffuserTaps_[1][k])});
  if (shortest >= n) {
    for (int k = 0; k < 3; ++k) {
      AllpassRun(diffuserL[k].CursorOf(), frame, diffuserTaps_[0][k], kDiffuserCoefficient[k], b.preLeft, count, n, b.read,
                 b.kept, b.scratch);
      AllpassRun(diffuserR[k].CursorOf(), frame, diffuserTaps_[1][k], kDiffuserCoefficient[k], b.preRight, count, n,
                 b.read, b.kept, b.scratch);
    }
  } else {
    DelayLine::Cursor left[3], right[3];
    for (int k = 0; k < 3; ++k) {
      left[k] = diffuserL[k].CursorOf();
      right[k] = diffuserR[k].CursorOf();
    }
    for (int j = 0; j < n; ++j) {
      Double2 lr = {b.preLeft[j], b.preRight[j]};
      for (int k = 0; k < 3; ++k) {
        const Double2 r = {DelayLine::ReadAt<false>(left[k], frame + j, diffuserTaps_[0][k]),
                           DelayLine::ReadAt<false>(right[k], frame + j, diffuserTaps_[1][k])};
        const Double2 v = lr - kDiffuserCoefficient[k] * r;
        const Double2 kept = dsp::FlushDenormal2(v);
        DelayLine::WriteAt<false>(left[k], frame + j, kept[0]);
        DelayLine::WriteAt<false>(right[k], frame + j, kept[1]);
        lr = kDiffuserCoefficient[k] * v + r;
      }
      b.preLeft[j] = lr[0];
      b.preRight[j] = lr[1];
    }
  }

  // Stereo width.
  if (s.outputsUsed) {
    for (int j = 0; j < n; ++j) {
      const double mid = (b.preLeft[j] + b.preRight[j]) * widthMid_;
      const double side = (b.preLeft[j] - b.preRight[j]) * widthSide_;
      out[j] = Double2{mid + side, mid - side} * widthLevel_;
    }
  } else if (out != in) {
    std::copy(in, in + n, out);
  }

  frame_ = frame + static_cast<uint32_t>(n);
  AdvanceAllLines(n);
  silentFrames_ = 0;
}

MORAVELLE_DSP_END
