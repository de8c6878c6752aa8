#include "reverb_tail.h"

#include <algorithm>
#include <cmath>

#include "clip_stage.h"
#include "dsp_guards.h"
#include "kernel_params.h"
#include "rate_mapping.h"
#include "reverb_design.h"

using namespace reverb_design;

namespace {

// The level below which the tail counts as gone, relative to the input's peak.
constexpr double kSilenceDecibels = 100.0;
// The filters (one-pole, the amp's biquads) settle within this, at every cutoff.
constexpr double kFilterSeconds = 0.25;
// The clippers' small-signal gain per unit of drive and make-up: S'(0) = 1.3 / tanh(1.3).
constexpr double kSaturationSlope = ClipStage::kArgument * ClipStage::kSaturationScale;

double Decibels(double gain) { return 20.0 * std::log10(gain); }

// Seconds for a recursion that loses 'decibelsPerPass' every 'passSamples' samples to
// fall by 'decibels'.
double RingSeconds(double decibels, double decibelsPerPass, double passSamples, double sampleRate) {
  return decibels / decibelsPerPass * passSamples / sampleRate;
}

// The largest gain the chain can give a quiet signal on its way to the tail: input
// gain, the clippers' slope where they are on, the processed share of the blend and
// the volume, and the sum of the paths into the output diffusers.
double TailGain(const double* p) {
  const auto on = [p](int index) { return dsp::Selector(dsp::Clamp01(p[index])) == 2; };
  double gain = dsp::Curve(p[kPreampInputGain], 0.0, 2.0, 1.0);
  if (on(kPreampClippingOffOn))
    gain *= dsp::Curve(p[kPreampClippingGain], 1.0, 7.0, 2.0) * dsp::Curve(p[kPreampClippingGain], 1.0, -0.5, 0.5) *
            kSaturationSlope;
  if (on(kAmpClippingOffOn))
    gain *= dsp::Curve(p[kAmpClippingGain], 1.0, 5.0, 2.0) * dsp::Curve(p[kAmpClippingGain], 1.0, -0.5, 0.5) *
            kSaturationSlope;
  gain *= dsp::Clamp01(p[kAmpMainBlend]) * dsp::Curve(p[kAmpMainVolume], 0.0, 2.0, 1.0);
  // The pre-delayed input, four taps and the four lines' Hadamard sum reach the
  // diffusers.
  const double late = kLateLevelScale * dsp::GuardPower(std::pow(p[kReverbLateReverberation], 2.0));
  return gain * (1.0 + 4.0 * std::fabs(p[kReverbEarlyReflections]) + 4.0 * late);
}

}  // namespace

double ReverbTailSeconds(const double* p, double sampleRate) {
  if (dsp::Selector(p[kReverbOffOn]) != 2 || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0.0;
  // Every recursion below must fall by this much, from the loudest the chain can be.
  const double decibels = kSilenceDecibels + std::max(Decibels(TailGain(p)), -kSilenceDecibels);
  double seconds = kFilterSeconds;
  if (decibels <= 0.0) return seconds;
  const bool clipping = dsp::Selector(dsp::Clamp01(p[kPreampClippingOffOn])) == 2 ||
                        dsp::Selector(dsp::Clamp01(p[kAmpClippingOffOn])) == 2;
  if (clipping) {  // the DC blocker, one sample at a time
    seconds += RingSeconds(decibels, -Decibels(dsp::PoleAtRate(ClipStage::kDcPole, sampleRate)), 1.0, sampleRate);
  }

  const double preDelay = dsp::Clamp01(p[kReverbPreDelay]);
  seconds += preDelay * preDelay * kPreDelayMaximumSeconds;

  const double roomSeconds = (kRoomMinimumMetres + kRoomSpanMetres * dsp::Clamp01(p[kReverbRoomSize])) * kSecondsPerMetre;
  const double roomLength = roomSeconds * sampleRate;  // P, in samples
  // The input diffuser feeds the taps and the network.
  seconds += RingSeconds(decibels, -Decibels(kInputDiffuserCoefficient), kInputDiffuserRatio * roomLength, sampleRate);

  // The output diffusers: the longer of each left and right pair.
  const double spread = kSpreadPerPanorama * dsp::Clamp01(p[kReverbPanorama]);
  const double samplesPerDesignSample = dsp::DesignSamplesAtRate(1.0, sampleRate);
  const double scale = std::trunc(roomLength * kDiffuserScalePerRoomSample / samplesPerDesignSample) * samplesPerDesignSample;
  for (int k = 0; k < 3; ++k) {
    const double longest = std::max(kDiffuserBaseLength[k] + kDiffuserSpreadLeft[k] * spread,
                                    kDiffuserBaseLength[k] + kDiffuserSpreadRight[k] * spread) * scale;
    seconds += RingSeconds(decibels, -Decibels(kDiffuserCoefficient[k]), std::max(longest, 1.0), sampleRate);
  }

  const bool early = p[kReverbEarlyReflections] != 0.0;
  const bool late = p[kReverbLateReverberation] != 0.0;
  const double damp = dsp::PoleAtRate(dsp::Clamp01(p[kReverbDamp]), sampleRate);
  if (late && damp < 1.0) {
    // The network loses 60 dB per decay time on every path. Damping puts a one-pole
    // low-pass into each line, which lengthens a pass through the shortest line by
    // its time constant, and the decay per second with it.
    const double decaySeconds = dsp::Curve(p[kReverbDecayTime], kDecayMinimumSeconds, kDecaySpanSeconds, 1.0);
    const double shortestLine = kLineRatio[kShortestLine] * roomLength;
    const double dampingSamples = damp / (1.0 - damp);
    const double slowing = (shortestLine + dampingSamples) / shortestLine;
    seconds += decaySeconds * decibels / -Decibels(kDecayTargetLevel) * slowing;
  } else if (early || late) {
    // Without the recursion (no late level, or damping 1, which holds the network's
    // states where they are) the taps reach no further than the longest.
    seconds += (kTapRatio[0] > kTapRatio[3] ? kTapRatio[0] : kTapRatio[3]) * roomSeconds +
               kTapOffsetSamples / dsp::kDesignSampleRate;
  }
  return seconds;
}

int32_t ReverbTailSamples(const double* params, double sampleRate) {
  const double seconds = ReverbTailSeconds(params, sampleRate);
  if (seconds <= 0.0) return 0;
  return std::max(dsp::ToInt32Saturated(std::ceil(seconds * sampleRate)), 1);
}
