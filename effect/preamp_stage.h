#pragma once
// First stage of the chain: input routing, input gain, soft clipper, one-pole filter.

#include "clip_stage.h"
#include "one_pole_filter.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

// What PreampInputMode selects (its whole part).
enum class InputRouting : int {
  Stereo = 0,     // "L/R": left to left, right to right
  LeftToBoth = 1,   // "LEF"
  RightToBoth = 2,  // "RIG"
  MonoSum = 3,      // "L+R": (L + R) / 2 on both, so a centred signal keeps its level
};

struct PreampSettings {
  InputRouting routing = InputRouting::Stereo;
  double inputGain = 1.0;   // G = 2 c(PreampInputGain)
  double drive = 1.0;       // D = 1 + 7 c(PreampClippingGain)^2
  double makeup = 1.0;      // K = 1 - 0.5 sqrt(c(PreampClippingGain))
  bool clipperOn = false;
  double dcPole = 0.9997;    // the clipper's DC blocker pole at this rate
  double filterG = 0.0;     // tan(pi fc / sr)
  double filterNormaliser = 1.0;  // 1 / (1 + g), 0 when 1 + g is 0
  bool highPass = false;

  static PreampSettings FromParams(const double* params, double sampleRate);
};

class PreampStage {
 public:
  void Clear();

  // Routes and processes 'frames' frames of both channels: dry receives the
  // gain-adjusted inputs (the output blend's dry signal), out the stage's outputs,
  // one lane per channel.
  void Process(const PreampSettings& s, const double* left, const double* right, Double2* dry,
               Double2* out, int frames);

  // The clipper's states, kept between frames, for tests.
  const ClipStage& Clipper() const { return clip_; }

 private:
  // Frames handled per pass; callers' blocks are split to fit.
  static constexpr int kPassFrames = 128;

  ClipStage clip_;
  OnePoleFilter filter_;
  Double2 decimated_[kPassFrames] = {};
  ClipScratch<kPassFrames> clipScratch_ = {};
};

MORAVELLE_DSP_END
