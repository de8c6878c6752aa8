#include "amp_stage.h"

#include "dsp_guards.h"
#include "kernel_params.h"
#include "rate_mapping.h"

MORAVELLE_DSP_BEGIN

AmpSettings AmpSettings::FromParams(const double* p, double sampleRate) {
  using dsp::Clamp01;
  using dsp::Curve;
  AmpSettings s;
  s.lowPass = BiquadCoefficients::LowPass(Curve(p[kAmpFilterLpCutoff], 20.0, 19980.0, 3.0), sampleRate);
  s.highPass = BiquadCoefficients::HighPass(Curve(p[kAmpFilterHpCutoff], 20.0, 19980.0, 3.0), sampleRate);
  const double mode = p[kAmpFilterMode] < 0.0 ? 0.0 : (p[kAmpFilterMode] > 2.0 ? 2.0 : p[kAmpFilterMode]);
  s.mode = static_cast<AmpFilterMode>(dsp::Selector(mode));
  s.drive = Curve(p[kAmpClippingGain], 1.0, 5.0, 2.0);
  s.makeup = Curve(p[kAmpClippingGain], 1.0, -0.5, 0.5);
  s.clipperOn = dsp::Selector(Clamp01(p[kAmpClippingOffOn])) == 2;
  s.dcPole = dsp::PoleAtRate(ClipStage::kDcPole, sampleRate);
  s.blend = Curve(p[kAmpMainBlend], 0.0, 1.0, 1.0);
  s.volume = Curve(p[kAmpMainVolume], 0.0, 2.0, 1.0);
  s.masterOn = dsp::Selector(p[kReverbOffOn]) == 2;
  return s;
}

void AmpStage::Clear() {
  lowPass_.Clear();
  highPass_.Clear();
  clip_.Clear();
}

void AmpStage::Process(const AmpSettings& s, const Double2* in, const Double2* dry, const double* left,
                       const double* right, double* outLeft, double* outRight, int frames) {
  for (int done = 0; done < frames; done += kPassFrames) {
    const int n = frames - done < kPassFrames ? frames - done : kPassFrames;
    const Double2* x = in + done;

    // Filters and clipper run in every mode so their states stay current: the
    // filters' recursion, the saturation of the whole pass, then the DC blocker's
    // recursion with the blend.
    const BiquadLanes<Double2> lowPassLanes = BiquadLanes<Double2>::Of(s.lowPass);
    const BiquadLanes<Double2> highPassLanes = BiquadLanes<Double2>::Of(s.highPass);
    BiquadFilter lowPass = lowPass_, highPass = highPass_;
    dsp::WithFlag(s.mode == AmpFilterMode::Through, [&](auto through) {
      dsp::WithFlag(s.mode == AmpFilterMode::BandPass, [&](auto bandPass) {
        auto select = [&](int i, Double2 bp) { filtered_[i] = through ? x[i] : (bandPass ? bp : x[i] - bp); };
        // Without their guards first, again with them should one have acted.
        dsp::GuardWatch watch;
        RunInSeriesUnguarded(&lowPass, lowPassLanes, &highPass, highPassLanes, x, n, &watch, select);
        lowPass.WatchFinalState(&watch);
        highPass.WatchFinalState(&watch);
        if (watch.Any()) {
          lowPass = lowPass_;
          highPass = highPass_;
          for (int i = 0; i < n; ++i) select(i, highPass.Process(lowPass.Process(x[i], lowPassLanes), highPassLanes));
        }
      });
    });
    clip_.SaturateBlock(filtered_, dsp::Splat(s.drive), decimated_, n, clipScratch_);

    const Double2 makeup = dsp::Splat(s.makeup);
    const Double2 dcPole = dsp::Splat(s.dcPole);
    ClipStage clip = clip_;
    double* ol = outLeft + done;
    double* orr = outRight + done;
    if (s.masterOn) {
      // The DC blocker and the blend in one loop: without the blocker's guards
      // first, again with them should one have acted.
      const Double2* a = dry + done;
      const Double2 blend = dsp::Splat(s.blend), volume = dsp::Splat(s.volume);
      dsp::WithFlag(s.clipperOn, [&](auto clipperOn) {
        auto blendAndStore = [&](int i, Double2 blocked) {
          const Double2 amp = clipperOn ? blocked * makeup : filtered_[i];
          // Tiny tails (a volume or blend near 0) would leave as denormals; the
          // master-off branch below passes the input as it is, denormals included.
          const Double2 result = dsp::FlushOutputV((a[i] + (amp - a[i]) * blend) * volume);
          ol[i] = result[0];
          orr[i] = result[1];
        };
        dsp::GuardWatch dcWatch;
        for (int i = 0; i < n; ++i) blendAndStore(i, clip.BlockDcUnguarded(decimated_[i], dcPole, &dcWatch));
        clip.WatchFinalState(&dcWatch);
        if (dcWatch.Any()) {
          clip = clip_;
          for (int i = 0; i < n; ++i) blendAndStore(i, clip.BlockDc(decimated_[i], dcPole));
        }
      });
    } else {
      dsp::GuardWatch dcWatch;
      for (int i = 0; i < n; ++i) clip.BlockDcUnguarded(decimated_[i], dcPole, &dcWatch);
      clip.WatchFinalState(&dcWatch);
      if (dcWatch.Any()) {
        clip = clip_;
        for (int i = 0; i < n; ++i) clip.BlockDc(decimated_[i], dcPole);
      }
      for (int i = 0; i < n; ++i) {
        ol[i] = left[done + i];
        orr[i] = right[done + i];
      }
    }
    lowPass_ = lowPass;
    highPass_ = highPass;
    clip_ = clip;
  }
}

MORAVELLE_DSP_END
