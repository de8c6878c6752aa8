#include "reverb_tail.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "amp_stage.h"
#include "dsp_guards.h"
#include "kernel_params.h"
#include "preamp_stage.h"
#include "rate_mapping.h"
#include "reverb_design.h"
#include "reverb_engine.h"

using namespace reverb_design;

namespace {

// The level below which the tail counts as gone, relative to the input's peak.
constexpr double kSilenceDecibels = 100.0;
// A unit impulse leaves the DC blocker's memory 70 dB down (1 - 0.9997 is -70.5 dB);
// from there it falls the rest of the way.
constexpr double kDcBlockerStartDecibels = 70.0;
// The clippers' small-signal gain per unit of drive and make-up: S'(0) = 1.3 / tanh(1.3).
constexpr double kSaturationSlope = ClipStage::kArgument * ClipStage::kSaturationScale;
// A biquad or one-pole at cutoff fc rings for about this many seconds times 1 / fc
// before it is 100 dB down (ln 10^5 over 2 pi, twice for the biquads' double pole).
constexpr double kFilterRingsPerHertz = 2.0 * 11.513 / (2.0 * 3.14159265358979);

double Decibels(double gain) { return 20.0 * std::log10(gain); }

// Seconds for a recursion that loses 'decibelsPerPass' every 'passSamples' samples to
// fall by 'decibels'.
double RingSeconds(double decibels, double decibelsPerPass, double passSamples, double sampleRate) {
  return std::max(decibels, 0.0) / decibelsPerPass * passSamples / sampleRate;
}

// How far the chain can lift a quiet signal above the input on its way to the tail
// (input gain, the clippers' slopes where they are on, the volume), in dB, never
// below 0: the reverb's own paths do not raise a tail above the input that made it.
double LiftDecibels(const PreampSettings& preamp, const AmpSettings& amp) {
  double gain = preamp.inputGain * amp.volume;
  if (preamp.clipperOn) gain *= preamp.drive * preamp.makeup * kSaturationSlope;
  if (amp.clipperOn) gain *= amp.drive * amp.makeup * kSaturationSlope;
  return gain > 1.0 ? Decibels(gain) : 0.0;
}

// The longest the filters in the path ring: the preamp's one-pole always, the amp's
// biquads where their mode puts them in the path.
double FilterSeconds(const double* p, const AmpSettings& amp, double sampleRate) {
  double lowest = dsp::StableCutoff(dsp::Curve(p[kPreampFilterCutoff], 20.0, 19980.0, 3.0), sampleRate);
  if (amp.mode != AmpFilterMode::Through) {
    for (int index : {kAmpFilterHpCutoff, kAmpFilterLpCutoff})
      lowest = std::min(lowest, dsp::StableCutoff(dsp::Curve(p[index], 20.0, 19980.0, 3.0), sampleRate));
  }
  return kFilterRingsPerHertz / lowest;
}

}  // namespace

double ReverbTailSeconds(const double* params, double sampleRate) {
  if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0.0;
  // The values as the kernel keeps them: clamped to their ranges (a NaN leaves the
  // kernel's value alone; here it counts as the default). The stages' settings come
  // from them as the kernel makes them.
  double p[kKernelParamCount];
  for (int i = 0; i < kKernelParamCount; ++i) {
    const KernelParamSpec& range = kKernelParamSpecs[static_cast<size_t>(i)];
    p[i] = std::isnan(params[i]) ? range.defaultValue : std::clamp(params[i], range.minimum, range.maximum);
  }
  const PreampSettings preamp = PreampSettings::FromParams(p, sampleRate);
  const ReverbSettings reverb = ReverbSettings::FromParams(p, sampleRate);
  const AmpSettings amp = AmpSettings::FromParams(p, sampleRate);
  if (!reverb.outputsUsed) return 0.0;

  // Every recursion must fall by this much before the tail is gone. The stages are
  // in series, but the diffusion that follows the slowest spreads what it passes on
  // and lowers it as much as it lengthens it, so the slowest recursion sets the
  // tail; the pre-delay and the longest tap come before it.
  const double decibels = kSilenceDecibels + LiftDecibels(preamp, amp);
  double slowest = FilterSeconds(p, amp, sampleRate);
  auto ring = [&slowest](double seconds) { slowest = std::max(slowest, seconds); };

  if (preamp.clipperOn || amp.clipperOn)  // the DC blocker, sample by sample
    ring(RingSeconds(decibels - kDcBlockerStartDecibels, -Decibels(preamp.dcPole), 1.0, sampleRate));

  const double roomSeconds = (kRoomMinimumMetres + kRoomSpanMetres * dsp::Clamp01(reverb.targetRoom)) * kSecondsPerMetre;
  const double roomLength = roomSeconds * sampleRate;  // P, in samples
  ring(RingSeconds(decibels, -Decibels(kInputDiffuserCoefficient), kInputDiffuserRatio * roomLength, sampleRate));

  // The output diffusers, the longer of each left and right pair, at the engine's scale.
  const double spread = kSpreadPerPanorama * dsp::Clamp01(reverb.targetPanorama);
  const double scale = std::trunc(roomLength * reverb.diffuserScalePerRoomSample) * reverb.diffuserSamplesPerScale;
  for (int k = 0; k < 3; ++k) {
    const double longest = std::max(kDiffuserBaseLength[k] + kDiffuserSpreadLeft[k] * spread,
                                    kDiffuserBaseLength[k] + kDiffuserSpreadRight[k] * spread) * scale;
    ring(RingSeconds(decibels, -Decibels(kDiffuserCoefficient[k]), std::max(longest, 1.0), sampleRate));
  }

  if (reverb.late != 0.0 && reverb.damp < 1.0 && reverb.decayFactor > 0.0) {
    // The network loses 60 dB per decay time on every path: the decay factor's dB per
    // sample. Damping puts a one-pole low-pass into each line: a pass through the
    // shortest line takes its time constant longer, and only the low band it keeps
    // goes on ringing, (1 - d) / (1 + d) of the power of a flat spectrum after one pass.
    const double damp = reverb.damp;
    const double shortestLine = kLineRatio[kShortestLine] * roomLength;
    const double slowing = (shortestLine + damp / (1.0 - damp)) / shortestLine;
    const double keptBand = 10.0 * std::log10((1.0 - damp) / (1.0 + damp));
    ring(RingSeconds(decibels + keptBand, -Decibels(reverb.decayFactor), slowing, sampleRate));
  }

  const double preDelay = dsp::Clamp01(reverb.targetPreDelay);
  double seconds = preDelay * preDelay * kPreDelayMaximumSeconds + slowest;
  // Reflections and the network's input arrive through the taps, the last at P + 5.
  if (reverb.early != 0.0 || reverb.late != 0.0)
    seconds += kTapRatio[3] * roomSeconds + kTapOffsetSamples / dsp::kDesignSampleRate;
  return seconds;
}

int32_t ReverbTailSamples(const double* params, double sampleRate) {
  const double seconds = ReverbTailSeconds(params, sampleRate);
  if (seconds <= 0.0) return 0;
  return std::max(dsp::ToInt32Saturated(std::ceil(seconds * sampleRate)), 1);
}
