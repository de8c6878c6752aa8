// A fixed amount of the kernel's work for one scenario and instruction set, the same
// on every run and machine, for tools that count or sample what the processor does
// (tools/instruction-mix.py runs it under callgrind): 200 blocks to let the smoothing
// settle, then the measured blocks, all in RunMeasuredBlocks, 44.1 kHz stereo in
// blocks of 256 frames.
//
// Usage: moravelle-kernel-workload settled|gliding|off avx2|baseline [BLOCKS]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench_settings.h"
#include "effect/effect_kernel.h"
#include "test_signals.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
constexpr int kProgrammeBlocks = 64;

enum class Scenario { Settled, Gliding, ReverbOff };

struct Workload {
  std::unique_ptr<EffectKernel> kernel;
  Scenario scenario;
  StereoBuffer in = MakeProgramme(kBlock * kProgrammeBlocks);
  StereoBuffer out = StereoBuffer(kBlock);
  int block = 0;

  void Set(int index, double value) { kernel->SetParameter(index, value); }
  void ProcessBlock() {
    if (scenario == Scenario::Gliding) SetGlidingRoom(block, [this](int i, double v) { Set(i, v); });
    const size_t at = static_cast<size_t>(block % kProgrammeBlocks) * kBlock;
    const double* ins[2] = {in.left.data() + at, in.right.data() + at};
    double* outs[2] = {out.left.data(), out.right.data()};
    kernel->Process(ins, outs, kBlock);
    ++block;
  }
};

// The measured part: tools toggle their counting on this function's name.
[[gnu::noinline]] void RunMeasuredBlocks(Workload& w, int blocks) {
  for (int b = 0; b < blocks; ++b) w.ProcessBlock();
}

bool ParseScenario(const char* text, Scenario* s) {
  if (std::strcmp(text, "settled") == 0) *s = Scenario::Settled;
  else if (std::strcmp(text, "gliding") == 0) *s = Scenario::Gliding;
  else if (std::strcmp(text, "off") == 0) *s = Scenario::ReverbOff;
  else return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Scenario scenario;
  const bool known = argc >= 3 && ParseScenario(argv[1], &scenario) &&
                     (std::strcmp(argv[2], "avx2") == 0 || std::strcmp(argv[2], "baseline") == 0);
  const int blocks = argc >= 4 ? std::atoi(argv[3]) : 200;
  if (!known || argc > 4 || blocks <= 0) {
    std::fprintf(stderr, "usage: %s settled|gliding|off avx2|baseline [BLOCKS]\n", argv[0]);
    return 2;
  }
  const bool baseline = std::strcmp(argv[2], "baseline") == 0;
  Workload w;
  w.kernel = EffectKernel::Create(kRate, baseline ? EffectKernel::InstructionSet::Baseline
                                                  : EffectKernel::InstructionSet::Avx2Fma);
  if (!baseline && w.kernel->Isa() != EffectKernel::InstructionSet::Avx2Fma) {
    std::fprintf(stderr, "%s: this processor has no AVX2 and FMA\n", argv[0]);
    return 1;
  }
  w.scenario = scenario;
  if (scenario != Scenario::ReverbOff) SetFullChain([&w](int i, double v) { w.Set(i, v); });
  for (int b = 0; b < 200; ++b) w.ProcessBlock();
  RunMeasuredBlocks(w, blocks);
  std::printf("%d frames\n", blocks * kBlock);
  return 0;
}
