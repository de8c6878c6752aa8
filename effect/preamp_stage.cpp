#include "preamp_stage.h"

#include <cmath>

#include "dsp_guards.h"
#include "kernel_params.h"

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
  const double cutoffHz = Curve(p[kPreampFilterCutoff], 20.0, 19980.0, 3.0);
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
  // Block-constant choices as lane masks: selecting with them keeps the lanes in
  // the vector registers.
  const Int2 clipperOn = dsp::MaskOf(s.clipperOn);
  const Int2 highPass = dsp::MaskOf(s.highPass);
  // Settings and states in locals: the output stores could otherwise alias them and
  // force a reload every frame.
  const InputRouting routing = s.routing;
  const Double2 gain = dsp::Splat(s.inputGain), drive = dsp::Splat(s.drive), makeup = dsp::Splat(s.makeup);
  const Double2 filterG = dsp::Splat(s.filterG), normaliser = dsp::Splat(s.filterNormaliser);
  ClipStage clip = clip_;
  OnePoleFilter filter = filter_;
  for (int i = 0; i < frames; ++i) {
    Double2 in = {left[i], right[i]};
    switch (routing) {
      case InputRouting::Stereo: break;
      case InputRouting::LeftToBoth: in = dsp::Splat(left[i]); break;
      case InputRouting::RightToBoth: in = dsp::Splat(right[i]); break;
      case InputRouting::MonoSum: in = dsp::Splat((left[i] + right[i]) * 0.5); break;
    }
    const Double2 a = in * gain;
    dry[i] = a;
    // The clipper runs either way so that its state is current when switched on.
    const Double2 clipped = clip.Process(a, drive, makeup);
    Double2 lp, hp;
    filter.Process(dsp::Select2(clipperOn, clipped, a), filterG, normaliser, &lp, &hp);
    out[i] = dsp::Select2(highPass, hp, lp);
  }
  clip_ = clip;
  filter_ = filter;
}
