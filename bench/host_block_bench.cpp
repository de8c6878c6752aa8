// What the block path between a host and the effect costs by itself: an effect
// whose ProcessBlock does nothing, behind the same base and in-process adapter as
// Moravelle, so that only the binding, the 32-bit conversions (with the denormal
// flush of the outputs) and the slicing of long host blocks are timed. Compare the
// nanoseconds per frame with the kernel's (moravelle_bench, moravelle-speed).
#include <benchmark/benchmark.h>

#include <vector>

#include "adapters/offline/offline_adapter.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlockSize = 256;

class SilentEffect : public OfflineAdapter {
 public:
  SilentEffect() : OfflineAdapter(Config(), OfflineAdapter::HostArgs{}) { Setup(kRate, kBlockSize); }
  void ProcessBlock(double**, double**, int) override {}  // [audio] lock held

 private:
  static PluginConfig Config() {
    PluginConfig c;
    c.ioText = "2-2";
    c.effectName = "Silent";
    return c;
  }
};

// Host blocks of 'frames' frames (1024 is sliced into four blocks of 256).
template <typename Sample>
void RunHostBlocks(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  SilentEffect effect;
  std::vector<Sample> inLeft(frames, Sample(0.25)), inRight(frames, Sample(-0.5)), outLeft(frames), outRight(frames);
  int64_t processed = 0;
  for (auto _ : state) {
    if constexpr (sizeof(Sample) == sizeof(float)) {
      const float* ins[2] = {inLeft.data(), inRight.data()};
      float* outs[2] = {outLeft.data(), outRight.data()};
      effect.Process32(ins, outs, frames);
    } else {
      double* ins[2] = {inLeft.data(), inRight.data()};
      double* outs[2] = {outLeft.data(), outRight.data()};
      effect.Process64(ins, outs, frames);
    }
    benchmark::DoNotOptimize(outLeft.data());
    processed += frames;
  }
  // Seconds per frame (printed with an SI prefix: 800p is 0.8 ns), and the real-time
  // factor the path alone would allow.
  state.counters["s/frame"] =
      benchmark::Counter(static_cast<double>(processed), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x realtime"] = benchmark::Counter(static_cast<double>(processed) / kRate, benchmark::Counter::kIsRate);
}

void BM_HostBlock32(benchmark::State& state) { RunHostBlocks<float>(state); }
void BM_HostBlock64(benchmark::State& state) { RunHostBlocks<double>(state); }

}  // namespace

BENCHMARK(BM_HostBlock32)->ArgName("frames")->Arg(256)->Arg(1024);
BENCHMARK(BM_HostBlock64)->ArgName("frames")->Arg(256)->Arg(1024);
