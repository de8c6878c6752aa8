#include "preamp_stage.h"

#include <cmath>

#include "dsp_guards.h"
#include "kernel_params.h"
#include "rate_mapping.h"

MORAVELLE_DSP_BEGIN

PreampSettings PreampSettings::FromParams(const double* p, double sampleRate) {
  using dsp::Clamp01;
  using dsp::Curve;
  PreampSettings s;
  const int mode = static_cast<int>(p[kPreampInputMode]);  // whole part of 0..3
  s.routing = static_cast<InputRouting>(mode < 0 ? 0 : (mode > 3 ? 3 : mode));
  s.inputGain = Curve(p[kPreampInputGain], 0.0, 2.0, 1.0);
  s.drive = Curve(p[kPreampClippingGain], 1.0, 7.0, 2.0);
  s.makeup = Curve(p[kPreampClippingGain], 1.0, -0.5, 0.5);
  s.clipperOn = dsp::Selector(Clamp01(p[kPreampClippingOffOn])) == 2;
  s.dcPole = dsp::PoleAtRate(ClipStage::kDcPole, sampleRate);
  // Held under the stable limit: tan() turns negative past half the sample rate.
  const double cutoffHz = dsp::StableCutoff(Curve(p[kPreampFilterCutoff], 20.0, 19980.0, 3.0), sampleRate);
  s.filterG = sampleRate != 0.0 ? std::tan(cutoffHz * 3.1415926535898 / sampleRate) : 0.0;
  s.filterNormaliser = dsp::SafeDivide(1.0, 1.0 + s.filterG);
  s.highPass = dsp::Selector(Clamp01(p[kPreampFilterType])) == 2;
  return s;
}

void PreampStage::Clear() {
  clip_.Clear();
  filter_.Clear();
}

void PreampStage::Process(const PreampSettings& s, const double* left, const double* right, Double2* dry,
                          Double2* out, int frames) {
  for (int done = 0; done < frames; done += kPassFrames) {
    const int n = frames - done < kPassFrames ? frames - done : kPassFrames;
    const double* l = left + done;
    const double* r = right + done;
    Double2* a = dry + done;
    const Double2 gain = dsp::Splat(s.inputGain);
    switch (s.routing) {
      case InputRouting::Stereo:
        for (int i = 0; i < n; ++i) a[i] = Double2{l[i], r[i]} * gain;
        break;
      case InputRouting::LeftToBoth:
        for (int i = 0; i < n; ++i) a[i] = dsp::Splat(l[i]) * gain;
        break;
      case InputRouting::RightToBoth:
        for (int i = 0; i < n; ++i) a[i] = dsp::Splat(r[i]) * gain;
        break;
      case InputRouting::MonoSum:
        for (int i = 0; i < n; ++i) a[i] = dsp::Splat((l[i] + r[i]) * 0.5) * gain;
        break;
    }
    // The clipper runs either way, so that its state is current when switched on:
    // its saturation over the whole pass, then its DC blocker and the filter, two
    // short recursions side by side.
    clip_.SaturateBlock(a, dsp::Splat(s.drive), decimated_, n, clipScratch_);
    const Double2 makeup = dsp::Splat(s.makeup);
    const Double2 dcPole = dsp::Splat(s.dcPole);
    const OnePoleCoefficients coefficients = OnePoleCoefficients::From(s.filterG, s.filterNormaliser);
    Double2* o = out + done;
    ClipStage clip = clip_;
    OnePoleFilter filter = filter_;
    dsp::WithFlag(s.clipperOn, [&](auto clipperOn) {
      dsp::WithFlag(s.highPass, [&](auto highPass) {
        // Both recursions without their guards first; should a guard have acted, the
        // pass runs again with them (the same arithmetic, so the same bits elsewhere).
        dsp::GuardWatch watch;
        for (int i = 0; i < n; ++i) {
          const Double2 clipped = clip.BlockDcUnguarded(decimated_[i], dcPole, &watch) * makeup;
          Double2 lp, hp;
          filter.ProcessUnguarded(clipperOn ? clipped : a[i], coefficients, &lp, &hp);
          o[i] = highPass ? hp : lp;
        }
        clip.WatchFinalState(&watch);
        filter.WatchFinalState(&watch);
        if (watch.Any()) {
          clip = clip_;
          filter = filter_;
          for (int i = 0; i < n; ++i) {
            const Double2 clipped = clip.BlockDc(decimated_[i], dcPole) * makeup;
            Double2 lp, hp;
            filter.Process(clipperOn ? clipped : a[i], coefficients, &lp, &hp);
            o[i] = highPass ? hp : lp;
          }
        }
      });
    });
    clip_ = clip;
    filter_ = filter;
  }
}

MORAVELLE_DSP_END
