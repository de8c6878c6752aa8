#pragma once
// The kernel's implementation for one instruction set (see dsp_isa.h): the effect's
// signal-processing chain: preamp -> pre-delay and reverb -> amp
// filters and clipper -> blend and volume, on two channels of 64-bit samples.
//
// Nothing in the kernel allocates after Create; Process does no I/O and takes no
// lock (the effect calls it under the instance lock).

#include <array>
#include <memory>

#include "amp_stage.h"
#include "dsp_isa.h"
#include "effect_kernel.h"
#include "preamp_stage.h"
#include "reverb_engine.h"

MORAVELLE_DSP_BEGIN

// Builds a kernel of this instruction set (EffectKernel::Create picks one).
std::unique_ptr<EffectKernel> CreateKernelCore(double sampleRate);

class KernelCore final : public EffectKernel {
 public:
  explicit KernelCore(double sampleRate);

  // Clears every state and the error code and sets every parameter to its default.
  // The delay lines are sized for the rate, so that every delay reaches the length
  // its formula asks for (memory is allocated only where the capacity changes: never
  // call it on the audio thread).
  void Init(double sampleRate) override;

  // Plain value, clamped to the index's range; NaN is ignored. Takes effect at the
  // next block.
  void SetParameter(int index, double plain) override;
  double Parameter(int index) const override;

  // Returns the error code: 0, or 101 when a channel array is missing (sticky until
  // Init; the outputs are then left untouched). Outputs may be the input arrays.
  int Process(const double* const* inputs, double* const* outputs, int frames) override;

  int ErrorCode() const override { return error_; }
  double SampleRate() const override { return sampleRate_; }
  const std::array<KernelParamInfo, kKernelParamCount>& ParamTable() const override { return table_; }
  ReverbProbe ProbeReverb() const override;
  StageStateProbe ProbeStageStates() const override;
  InstructionSet Isa() const override;

 private:
  void SetDefaults();

  // Frames processed stage by stage at a time; each stage's state depends only on
  // its own input, so this equals frame-by-frame processing.
  static constexpr int kChunk = 128;

  double sampleRate_ = 44100.0;
  double sampleRateReciprocal_ = 0.0;
  int error_ = kKernelErrorNone;
  std::array<double, kKernelParamCount> params_{};
  std::array<KernelParamInfo, kKernelParamCount> table_{};
  // The curves of the unsmoothed parameters, evaluated again only after a
  // parameter or the sample rate changed (the same values either way).
  bool settingsCurrent_ = false;
  PreampSettings preampSettings_;
  ReverbSettings reverbSettings_;
  AmpSettings ampSettings_;
  PreampStage preamp_;
  ReverbEngine reverb_;
  AmpStage amp_;
  // Per chunk: the raw inputs (copied first where outputs share memory with them),
  // the dry signal and the stage outputs between preamp, reverb and amp.
  double rawLeft_[kChunk] = {};
  double rawRight_[kChunk] = {};
  Double2 dry_[kChunk] = {};
  Double2 stage_[kChunk] = {};
};

MORAVELLE_DSP_END
