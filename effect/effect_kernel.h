#pragma once
// The effect's signal-processing kernel: preamp -> pre-delay and reverb -> amp
// filters and clipper -> blend and volume, on two channels of 64-bit samples.
//
// Nothing in the kernel allocates after Create; Process does no I/O and takes no
// lock (the effect calls it under the instance lock).

#include <array>
#include <memory>

#include "amp_stage.h"
#include "kernel_params.h"
#include "preamp_stage.h"
#include "reverb_engine.h"

inline constexpr int kKernelErrorNone = 0;
inline constexpr int kKernelErrorNullBuffer = 101;

class EffectKernel {
 public:
  // Builds the kernel with its delay memory at 'sampleRate' (which fixes every
  // line's capacity), runs Init and fills the parameter table from the reset values.
  static std::unique_ptr<EffectKernel> Create(double sampleRate);

  // Clears every state and the error code and sets every parameter to its default.
  // Line capacities keep the construction-time sample counts.
  void Init(double sampleRate);

  // Plain value, clamped to the index's range; NaN is ignored. Takes effect at the
  // next block.
  void SetParameter(int index, double plain);
  double Parameter(int index) const;

  // Returns the error code: 0, or 101 when a channel array is missing (sticky until
  // Init; the outputs are then left untouched). Outputs may be the input arrays.
  int Process(const double* const* inputs, double* const* outputs, int frames);

  int ErrorCode() const { return error_; }
  double SampleRate() const { return sampleRate_; }
  const std::array<KernelParamInfo, kKernelParamCount>& ParamTable() const { return table_; }
  const ReverbEngine& Reverb() const { return reverb_; }

  static constexpr int kInputCount = 2;
  static constexpr int kOutputCount = 2;

 private:
  EffectKernel();
  void SetDefaults();

  // Frames processed stage by stage at a time; each stage's state depends only on
  // its own input, so this equals frame-by-frame processing.
  static constexpr int kChunk = 128;

  double sampleRate_ = 44100.0;
  double sampleRateReciprocal_ = 0.0;
  int error_ = kKernelErrorNone;
  std::array<double, kKernelParamCount> params_{};
  std::array<KernelParamInfo, kKernelParamCount> table_{};
  PreampStage preamp_;
  ReverbEngine reverb_;
  AmpStage amp_;
  // Per chunk: the raw inputs (copied first, since outputs may be the input arrays),
  // the dry signal and the stage outputs between preamp, reverb and amp.
  double rawLeft_[kChunk] = {};
  double rawRight_[kChunk] = {};
  Double2 dry_[kChunk] = {};
  Double2 stage_[kChunk] = {};
};
