#include "effect_kernel.h"

#include <memory>

namespace dsp_base {
std::unique_ptr<EffectKernel> CreateKernelCore(double sampleRate);
}
namespace dsp_avx2 {
std::unique_ptr<EffectKernel> CreateKernelCore(double sampleRate);
}

bool EffectKernel::ProcessorHasAvx2Fma() {
  // The run-time check also asks whether the system saves the AVX registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

std::unique_ptr<EffectKernel> EffectKernel::Create(double sampleRate, InstructionSet isa) {
  if (isa == InstructionSet::Auto) isa = ProcessorHasAvx2Fma() ? InstructionSet::Avx2Fma : InstructionSet::Baseline;
  if (isa == InstructionSet::Avx2Fma && ProcessorHasAvx2Fma()) return dsp_avx2::CreateKernelCore(sampleRate);
  return dsp_base::CreateKernelCore(sampleRate);
}
