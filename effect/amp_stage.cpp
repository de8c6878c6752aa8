#include "amp_stage.h"

#include "dsp_guards.h"
#include "kernel_params.h"

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
  s.blend = Curve(p[kAmpMainBlend], 0.0, 1.0, 1.0);
  s.volume = Curve(p[kAmpMainVolume], 0.0, 2.0, 1.0);
  s.masterOn = dsp::Selector(p[kReverbOffOn]) == 2;
  return s;
}

void AmpStage::Clear() {
  for (int ch = 0; ch < 2; ++ch) {
    lowPass_[ch].Clear();
    highPass_[ch].Clear();
    clip_[ch].Clear();
  }
}

void AmpStage::Process(const AmpSettings& s, const double* const in[2], const double* const dry[2],
                       const double* const raw[2], double* const out[2], int frames) {
  for (int ch = 0; ch < 2; ++ch) {
    const double* src = in[ch];
    const double* a = dry[ch];
    const double* x = raw[ch];
    double* dst = out[ch];
    BiquadFilter& lp = lowPass_[ch];
    BiquadFilter& hp = highPass_[ch];
    ClipStage& clip = clip_[ch];
    for (int i = 0; i < frames; ++i) {
      // Filters and clipper run in every mode so their states stay current.
      const double sIn = src[i];
      const double bp = hp.Process(lp.Process(sIn, s.lowPass), s.highPass);
      const double f = s.mode == AmpFilterMode::Through ? sIn : (s.mode == AmpFilterMode::BandPass ? bp : sIn - bp);
      const double clipped = clip.Process(f, s.drive, s.makeup);
      const double amp = s.clipperOn ? clipped : f;
      dst[i] = s.masterOn ? (a[i] + (amp - a[i]) * s.blend) * s.volume : x[i];
    }
  }
}
