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
  lowPass_.Clear();
  highPass_.Clear();
  clip_.Clear();
}

void AmpStage::Process(const AmpSettings& s, const Double2* in, const Double2* dry, const double* left,
                       const double* right, double* outLeft, double* outRight, int frames) {
  // Block-constant choices as lane masks, so that selecting keeps the vectors whole.
  const Int2 through = dsp::MaskOf(s.mode == AmpFilterMode::Through);
  const Int2 bandPass = dsp::MaskOf(s.mode == AmpFilterMode::BandPass);
  const Int2 clipperOn = dsp::MaskOf(s.clipperOn);
  // Settings and states in locals: the output stores could otherwise alias them.
  const BiquadCoefficients lowPassCoefficients = s.lowPass, highPassCoefficients = s.highPass;
  const Double2 drive = dsp::Splat(s.drive), makeup = dsp::Splat(s.makeup);
  const Double2 blend = dsp::Splat(s.blend), volume = dsp::Splat(s.volume);
  const bool masterOn = s.masterOn;
  BiquadFilter lowPass = lowPass_, highPass = highPass_;
  ClipStage clip = clip_;
  for (int i = 0; i < frames; ++i) {
    // Filters and clipper run in every mode so their states stay current.
    const Double2 x = in[i];
    const Double2 bp = highPass.Process(lowPass.Process(x, lowPassCoefficients), highPassCoefficients);
    const Double2 f = dsp::Select2(through, x, dsp::Select2(bandPass, bp, x - bp));
    const Double2 clipped = clip.Process(f, drive, makeup);
    const Double2 amp = dsp::Select2(clipperOn, clipped, f);
    if (masterOn) {
      const Double2 a = dry[i];
      const Double2 out = (a + (amp - a) * blend) * volume;
      outLeft[i] = out[0];
      outRight[i] = out[1];
    } else {
      outLeft[i] = left[i];
      outRight[i] = right[i];
    }
  }
  lowPass_ = lowPass;
  highPass_ = highPass;
  clip_ = clip;
}
