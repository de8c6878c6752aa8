#pragma once
// The effect's signal-processing kernel: preamp -> pre-delay and reverb -> amp
// filters and clipper -> blend and volume, on two channels of 64-bit samples.
//
// Nothing in the kernel allocates after Create; Process does no I/O and takes no
// lock (the effect calls it under the instance lock). Create picks the fastest
// implementation the processor runs (dsp_isa.h); all give the same results to within
// rounding.

#include <array>
#include <memory>

#include "kernel_params.h"

inline constexpr int kKernelErrorNone = 0;
inline constexpr int kKernelErrorNullBuffer = 101;

// Values derived inside the reverb, for tests and diagnostics.
struct ReverbProbe {
  double roomLength = 0.0;  // P in samples, of the last frame the network ran
  int diffuserScale = 0;    // W
  double lineGain[4] = {};
  double tapGain[4] = {};
  double smoothedRoom = 0.0;
  int preDelayMaximum = 0;  // samples, fixed by the first Init
};

// The values the preamp and amp stages keep between frames, for tests: those the
// guards flush (the clippers' memories u1, v1, m1 and the biquads' integrators) and
// the DC blockers' output memories d1, both channels each.
struct StageStateProbe {
  std::array<double, 20> flushed{};
  std::array<double, 4> dcOutputs{};
};

class EffectKernel {
 public:
  enum class InstructionSet { Auto, Baseline, Avx2Fma };

  // Builds the kernel with its delay memory for 'sampleRate', runs Init and fills the
  // parameter table from the reset values.
  // Auto picks AVX2 and FMA where the processor and the system support them.
  static std::unique_ptr<EffectKernel> Create(double sampleRate, InstructionSet isa = InstructionSet::Auto);
  static bool ProcessorHasAvx2Fma();

  virtual ~EffectKernel() = default;

  // Clears every state and the error code and sets every parameter to its default.
  // The delay lines are sized for the rate, so that every delay reaches the length
  // its formula asks for (memory is allocated only where the capacity changes: never
  // call it on the audio thread).
  virtual void Init(double sampleRate) = 0;

  // Plain value, clamped to the index's range; NaN is ignored. Takes effect at the
  // next block.
  virtual void SetParameter(int index, double plain) = 0;
  virtual double Parameter(int index) const = 0;

  // Returns the error code: 0, or 101 when a channel array is missing (sticky until
  // Init; the outputs are then left untouched). Outputs may be the input arrays.
  virtual int Process(const double* const* inputs, double* const* outputs, int frames) = 0;

  virtual int ErrorCode() const = 0;
  virtual double SampleRate() const = 0;
  virtual const std::array<KernelParamInfo, kKernelParamCount>& ParamTable() const = 0;
  virtual ReverbProbe ProbeReverb() const = 0;
  virtual StageStateProbe ProbeStageStates() const = 0;
  virtual InstructionSet Isa() const = 0;

  static constexpr int kInputCount = 2;
  static constexpr int kOutputCount = 2;
};
