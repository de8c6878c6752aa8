#pragma once
// The kernel's signal code is compiled twice: for every x86-64 processor (SSE2), and
// for processors with AVX2 and FMA, which EffectKernel::Create picks at run time.
// Each compilation lives in a namespace of its own, so that no inline function of one
// can stand in for the other's at link time; the baseline's namespace is inline, so
// code outside the kernel names its types plainly.

#if defined(MORAVELLE_DSP_AVX2)
#define MORAVELLE_DSP_BEGIN namespace dsp_avx2 {
#else
#define MORAVELLE_DSP_BEGIN inline namespace dsp_base {
#endif
#define MORAVELLE_DSP_END }
