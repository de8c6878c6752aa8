#include "reverb_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp_guards.h"
#include "reverb_geometry.h"
#include "reverb_run_vectors.h"
#include "reverb_steps.h"
#include "kernel_params.h"
#include "rate_mapping.h"

MORAVELLE_DSP_BEGIN

namespace {
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

using namespace reverb_geometry;

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
  s.damp = dsp::PoleAtRate(p[kReverbDamp], sampleRate);
  s.smoothing = dsp::StepAtRate(ReverbEngine::kSmoothingCoefficient, sampleRate);
  s.tapOffset = dsp::DesignSamplesAtRate(kTapOffsetSamples, sampleRate);
  s.diffuserScalePerRoomSample = kDiffuserScalePerRoomSample / dsp::DesignSamplesAtRate(1.0, sampleRate);
  s.diffuserSamplesPerScale = dsp::DesignSamplesAtRate(1.0, sampleRate);
  s.targetRoom = p[kReverbRoomSize];
  s.targetPanorama = p[kReverbPanorama];
  s.targetPreDelay = p[kReverbPreDelay];
  return s;
}

bool ReverbEngine::Reset(double sr) {
  bool ok = true;
  // The lines are sized for the rate within these bounds. Above the largest (no host
  // runs there) they keep its sizes and the longest delays are clamped, so that an
  // absurd rate cannot ask for gigabytes; below 44.1 kHz (and at a rate of 0) they
  // keep the 44.1 kHz sizes, which hold every delay there.
  constexpr double kSmallestSizedRate = 44100.0;
  constexpr double kLargestSizedRate = 768000.0;
  const double sizedRate = std::clamp(sr, kSmallestSizedRate, kLargestSizedRate);
  auto samples = [sizedRate](double seconds) { return dsp::ToInt32Saturated(seconds * sizedRate); };
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
  return SmoothingStep(room_, s.targetRoom, s.smoothing) == room_ &&
         SmoothingStep(panorama_, s.targetPanorama, s.smoothing) == panorama_ &&
         SmoothingStep(preDelay_, s.targetPreDelay, s.smoothing) == preDelay_;
}

int ReverbEngine::SettledRunLength(const ReverbSettings& s, int frames) {
  if (!SmoothingAtRest(s)) return 0;
  const double room = room_, panorama = panorama_, preDelayTime = preDelay_;
  // What the first frame of the per-frame path would prepare.
  if (room != cachedRoom_ || s.decayFactor != cachedDecayFactor_) UpdateRoom(room, s);
  if (panorama != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama, s);
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
    WritePreDelayRun(in, frames);
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
    if (panorama != cachedPanorama_ || scale_ != cachedScale_) UpdateDiffusers(panorama, s);

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
