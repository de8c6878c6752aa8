#pragma once
// Last stages: low- and high-pass biquads (through, band-pass or band-reject), the
// amp's soft clipper, then the blend with the dry signal and the main volume.

#include "biquad_filter.h"
#include "clip_stage.h"
#include "dsp_isa.h"

MORAVELLE_DSP_BEGIN

enum class AmpFilterMode : int { Through = 1, BandPass = 2, BandReject = 3 };

struct AmpSettings {
  BiquadCoefficients lowPass, highPass;
  AmpFilterMode mode = AmpFilterMode::Through;
  double drive = 1.0;   // D = 1 + 5 c(AmpClippingGain)^2
  double makeup = 1.0;  // K = 1 - 0.5 sqrt(c(AmpClippingGain))
  bool clipperOn = false;
  double dcPole = 0.9997;    // the clipper's DC blocker pole at this rate
  double blend = 0.3;   // B
  double volume = 1.0;  // V = 2 c(AmpMainVolume)
  bool masterOn = false;  // whole part of 1 + ReverbOffOn is 2

  static AmpSettings FromParams(const double* params, double sampleRate);
};

class AmpStage {
 public:
  void Clear();

  // in: the reverb stage's outputs; dry: the gain-adjusted inputs (one lane per
  // channel); left and right: the unprocessed inputs, passed through while the
  // master switch is off.
  void Process(const AmpSettings& s, const Double2* in, const Double2* dry, const double* left,
               const double* right, double* outLeft, double* outRight, int frames);

  // The states kept between frames, for tests.
  const BiquadFilter& LowPass() const { return lowPass_; }
  const BiquadFilter& HighPass() const { return highPass_; }
  const ClipStage& Clipper() const { return clip_; }

 private:
  // Frames handled per pass; callers' blocks are split to fit.
  static constexpr int kPassFrames = 128;

  BiquadFilter lowPass_;
  BiquadFilter highPass_;
  ClipStage clip_;
  Double2 filtered_[kPassFrames] = {};
  Double2 decimated_[kPassFrames] = {};
  ClipScratch<kPassFrames> clipScratch_ = {};
};

MORAVELLE_DSP_END
