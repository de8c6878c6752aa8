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
  for (int ch = 0; ch < 2; ++ch) {
    clip_[ch].Clear();
    filter_[ch].Clear();
  }
}

void PreampStage::Process(const PreampSettings& s, const double* const raw[2], double* const dry[2],
                          double* const out[2], int frames) {
  const double* left = raw[0];
  const double* right = raw[1];
  for (int i = 0; i < frames; ++i) {
    double in[2] = {left[i], right[i]};
    switch (s.routing) {
      case InputRouting::Stereo: break;
      case InputRouting::LeftToBoth: in[0] = in[1] = left[i]; break;
      case InputRouting::RightToBoth: in[0] = in[1] = right[i]; break;
      case InputRouting::MonoSum: in[0] = in[1] = (left[i] + right[i]) * 0.5; break;
    }
    for (int ch = 0; ch < 2; ++ch) {
      const double a = in[ch] * s.inputGain;
      dry[ch][i] = a;
      // The clipper runs either way so that its state is current when switched on.
      const double clipped = clip_[ch].Process(a, s.drive, s.makeup);
      const double staged = s.clipperOn ? clipped : a;
      double lp, hp;
      filter_[ch].Process(staged, s.filterG, s.filterNormaliser, &lp, &hp);
      out[ch][i] = s.highPass ? hp : lp;
    }
  }
}
