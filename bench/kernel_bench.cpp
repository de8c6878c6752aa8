// Speed of the kernel and of the effect's whole block path, at 44.1 kHz stereo, in blocks of 256 frames.
// Reports frames per second and the real-time factor (how many times faster than
// real time one core renders).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench_settings.h"
#include "effect/effect_kernel.h"
#include "effect/moravelle.h"
#include "reference_kernel.h"
#include "test_signals.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;

enum Scenario { kReverbOff, kReverbDefault, kFullChain, kFullChainGliding };

void Configure(Scenario s, int blockIndex, auto&& set) {
  if (s == kReverbOff) return;
  set(kReverbOffOn, 1.0);
  if (s == kReverbDefault) return;
  SetFullChain(set);
  if (s == kFullChainGliding) SetGlidingRoom(blockIndex, set);
}

void Report(benchmark::State& state, int64_t frames) {
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["x realtime"] =
      benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

template <typename Kernel>
void RunKernel(benchmark::State& state, Kernel& kernel, Scenario s) {
  StereoBuffer in = MakeProgramme(kBlock * 64);
  StereoBuffer out(kBlock);
  auto set = [&](int i, double v) { kernel.SetParameter(i, v); };
  Configure(s, 0, set);
  int64_t frames = 0;
  int block = 0;
  // Let the smoothed parameters settle before timing.
  for (int i = 0; i < 200; ++i, ++block) {
    const double* ins[2] = {in.left.data() + (block % 64) * kBlock, in.right.data() + (block % 64) * kBlock};
    double* outs[2] = {out.left.data(), out.right.data()};
    if (s == kFullChainGliding) Configure(s, block, set);
    kernel.Process(ins, outs, kBlock);
  }
  for (auto _ : state) {
    if (s == kFullChainGliding) Configure(s, block, set);
    const double* ins[2] = {in.left.data() + (block % 64) * kBlock, in.right.data() + (block % 64) * kBlock};
    double* outs[2] = {out.left.data(), out.right.data()};
    kernel.Process(ins, outs, kBlock);
    benchmark::DoNotOptimize(out.left.data());
    frames += kBlock;
    ++block;
  }
  Report(state, frames);
}

void BM_Kernel(benchmark::State& state) {
  auto kernel = EffectKernel::Create(kRate);
  state.SetLabel(kernel->Isa() == EffectKernel::InstructionSet::Avx2Fma ? "avx2+fma" : "baseline");
  RunKernel(state, *kernel, static_cast<Scenario>(state.range(0)));
}

// The implementation for processors without AVX2 and FMA.
void BM_KernelBaseline(benchmark::State& state) {
  auto kernel = EffectKernel::Create(kRate, EffectKernel::InstructionSet::Baseline);
  RunKernel(state, *kernel, static_cast<Scenario>(state.range(0)));
}

void BM_PlainEvaluation(benchmark::State& state) {
  ReferenceKernel kernel(kRate);
  RunKernel(state, kernel, static_cast<Scenario>(state.range(0)));
}

void BM_ProcessBlock(benchmark::State& state) {
  const auto s = static_cast<Scenario>(state.range(0));
  Moravelle effect(OfflineAdapter::HostArgs{120.0, true});
  effect.Setup(kRate, kBlock);
  auto set = [&](int i, double v) {
    effect.Param(i)->SetValue(v);
    effect.OnParamChanged(i);
  };
  Configure(s, 0, set);
  StereoBuffer in = MakeProgramme(kBlock * 64);
  StereoBuffer out(kBlock);
  int64_t frames = 0;
  int block = 0;
  for (auto _ : state) {
    if (s == kFullChainGliding) Configure(s, block, set);
    double* ins[2] = {in.left.data() + (block % 64) * kBlock, in.right.data() + (block % 64) * kBlock};
    double* outs[2] = {out.left.data(), out.right.data()};
    effect.Process64(ins, outs, kBlock);
    benchmark::DoNotOptimize(out.left.data());
    frames += kBlock;
    ++block;
  }
  Report(state, frames);
}

void Scenarios(benchmark::internal::Benchmark* b) {
  b->ArgName("scenario")->Arg(kReverbOff)->Arg(kReverbDefault)->Arg(kFullChain)->Arg(kFullChainGliding);
  b->MinTime(1.0);
}

}  // namespace

// scenario: 0 reverb off, 1 reverb on with defaults, 2 full chain (room 0.5, decay
// 0.5, both clippers, band-pass), 3 full chain with room size and panorama gliding.
BENCHMARK(BM_Kernel)->Apply(Scenarios);
BENCHMARK(BM_KernelBaseline)->Apply(Scenarios);
BENCHMARK(BM_ProcessBlock)->Apply(Scenarios);
BENCHMARK(BM_PlainEvaluation)->Apply(Scenarios);
