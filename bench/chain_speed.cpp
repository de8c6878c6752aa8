// moravelle-speed: the signal chain's speed in one run, route beside route, at
// 44.1 kHz stereo in blocks of 256 frames: the kernel (the processor's fastest
// implementation and the baseline x86-64 one), the effect's ProcessBlock, each
// plug-in binary through the project's own hosts (VST2 and VST3, 32- and 64-bit
// samples), and the plain frame-by-frame evaluation of the formulas. Prints times
// real time on one core (CPU time of this thread, median of the rounds); the routes
// take turns within each round, so a busy machine slows them alike.
//
// Usage: moravelle-speed [--rounds N] [--seconds S] [--vst2 PATH] [--vst3 PATH]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_settings.h"
#include "effect/effect_kernel.h"
#include "effect/moravelle.h"
#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/vst3_host.h"
#include "reference_kernel.h"
#include "test_signals.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
constexpr int kProgrammeBlocks = 64;

enum class Scenario { Settled, Gliding, ReverbOff };
const char* const kScenarioNames[] = {"full chain, settled", "full chain, room and panorama gliding",
                                      "reverb off (filters and clippers run)"};

// The scenario's parameters (plain values) before block 'block'; 'first' on the first.
void Configure(Scenario s, int block, bool first, const std::function<void(int, double)>& set) {
  // Reverb off keeps the defaults: the master switch off.
  if (first && s != Scenario::ReverbOff) SetFullChain(set);
  if (s == Scenario::Gliding) SetGlidingRoom(block, set);
}

double Normalised(int index, double plain) {
  const KernelParamSpec& spec = kKernelParamSpecs[static_cast<size_t>(index)];
  return (plain - spec.minimum) / (spec.maximum - spec.minimum);
}

// One way of running the chain: parameters in plain values, one block at a time.
class Route {
 public:
  explicit Route(std::string name) : name_(std::move(name)) {}
  virtual ~Route() = default;
  virtual void Set(int index, double plain) = 0;
  // 64-bit in and out; 32-bit routes convert outside the timed call (Prepare).
  virtual void Process(int block, double* out[2]) = 0;
  const std::string& Name() const { return name_; }

 protected:
  std::string name_;
};

// The input programme, in both sample sizes, cycled block by block.
struct Programme {
  StereoBuffer in64 = MakeProgramme(kBlock * kProgrammeBlocks);
  std::vector<float> left32, right32;
  Programme() : left32(in64.left.begin(), in64.left.end()), right32(in64.right.begin(), in64.right.end()) {}
  double* Left(int block) { return in64.left.data() + (block % kProgrammeBlocks) * kBlock; }
  double* Right(int block) { return in64.right.data() + (block % kProgrammeBlocks) * kBlock; }
  const float* Left32(int block) const { return left32.data() + (block % kProgrammeBlocks) * kBlock; }
  const float* Right32(int block) const { return right32.data() + (block % kProgrammeBlocks) * kBlock; }
};

class KernelRoute : public Route {
 public:
  KernelRoute(Programme& p, EffectKernel::InstructionSet isa, const char* name)
      : Route(name), p_(p), kernel_(EffectKernel::Create(kRate, isa)) {}
  void Set(int index, double plain) override { kernel_->SetParameter(index, plain); }
  void Process(int block, double* out[2]) override {
    const double* in[2] = {p_.Left(block), p_.Right(block)};
    kernel_->Process(in, out, kBlock);
  }

 private:
  Programme& p_;
  std::unique_ptr<EffectKernel> kernel_;
};

class ReferenceRoute : public Route {
 public:
  explicit ReferenceRoute(Programme& p) : Route("plain evaluation"), p_(p), kernel_(kRate) {}
  void Set(int index, double plain) override { kernel_.SetParameter(index, plain); }
  void Process(int block, double* out[2]) override {
    const double* in[2] = {p_.Left(block), p_.Right(block)};
    kernel_.Process(in, out, kBlock);
  }

 private:
  Programme& p_;
  ReferenceKernel kernel_;
};

class ProcessBlockRoute : public Route {
 public:
  explicit ProcessBlockRoute(Programme& p) : Route("ProcessBlock"), p_(p), effect_(OfflineAdapter::HostArgs{120.0, true}) {
    effect_.Setup(kRate, kBlock);
  }
  void Set(int index, double plain) override {
    effect_.Param(index)->SetValue(plain);
    effect_.OnParamChanged(index);
  }
  void Process(int block, double* out[2]) override {
    double* in[2] = {p_.Left(block), p_.Right(block)};
    effect_.ProcessBlock(in, out, kBlock);
  }

 private:
  Programme& p_;
  Moravelle effect_;
};

class Vst2Route : public Route {
 public:
  Vst2Route(Programme& p, std::unique_ptr<Vst2HostedPlugin> plugin, bool useDouble)
      : Route(useDouble ? "VST2 64-bit" : "VST2 32-bit"), p_(p), plugin_(std::move(plugin)), double_(useDouble) {}
  void Set(int index, double plain) override { plugin_->SetParameter(index, static_cast<float>(Normalised(index, plain))); }
  void Process(int block, double* out[2]) override {
    if (double_) {
      const double* in[2] = {p_.Left(block), p_.Right(block)};
      plugin_->ProcessDouble(in, out, kBlock);
      return;
    }
    const float* in[2] = {p_.Left32(block), p_.Right32(block)};
    float* o[2] = {out32_[0], out32_[1]};
    plugin_->ProcessFloat(in, o, kBlock);
    // Kept in 32-bit: the comparison of routes reads only the first blocks.
    std::copy(out32_[0], out32_[0] + kBlock, out[0]);
    std::copy(out32_[1], out32_[1] + kBlock, out[1]);
  }

 private:
  Programme& p_;
  std::unique_ptr<Vst2HostedPlugin> plugin_;
  bool double_;
  float out32_[2][kBlock] = {};
};

class Vst3Route : public Route {
 public:
  Vst3Route(Programme& p, std::unique_ptr<host3::Vst3Host> host, bool useDouble)
      : Route(useDouble ? "VST3 64-bit" : "VST3 32-bit"), p_(p), host_(std::move(host)), double_(useDouble) {}
  void Set(int index, double plain) override {
    host_->QueueParam(static_cast<vst3::ParamID>(index), Normalised(index, plain));
  }
  void Process(int block, double* out[2]) override {
    if (double_) {
      double* in[2] = {p_.Left(block), p_.Right(block)};
      host_->Process64(in, out, kBlock);
      return;
    }
    const float* in[2] = {p_.Left32(block), p_.Right32(block)};
    float* o[2] = {out32_[0], out32_[1]};
    host_->Process32(in, o, kBlock);
    std::copy(out32_[0], out32_[0] + kBlock, out[0]);
    std::copy(out32_[1], out32_[1] + kBlock, out[1]);
  }

 private:
  Programme& p_;
  std::unique_ptr<host3::Vst3Host> host_;
  bool double_;
  float out32_[2][kBlock] = {};
};

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::string ProcessorName() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line))
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown processor";
}

struct Options {
  int rounds = 5;
  double seconds = 2.0;
  std::string vst2 = MORAVELLE_SPEED_VST2;
  std::string vst3 = MORAVELLE_SPEED_VST3;
};

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return false;
    if (a == "--rounds") {
      o->rounds = std::atoi(argv[++i]);
    } else if (a == "--seconds") {
      o->seconds = std::atof(argv[++i]);
    } else if (a == "--vst2") {
      o->vst2 = argv[++i];
    } else if (a == "--vst3") {
      o->vst3 = argv[++i];
    } else {
      return false;
    }
  }
  return o->rounds > 0 && o->seconds > 0.0;
}

std::vector<std::unique_ptr<Route>> MakeRoutes(Programme& p, const Options& o) {
  std::vector<std::unique_ptr<Route>> routes;
  using Isa = EffectKernel::InstructionSet;
  const bool avx2 = EffectKernel::ProcessorHasAvx2Fma();
  routes.push_back(std::make_unique<KernelRoute>(p, Isa::Auto, avx2 ? "kernel AVX2+FMA" : "kernel"));
  if (avx2) routes.push_back(std::make_unique<KernelRoute>(p, Isa::Baseline, "kernel baseline x86-64"));
  routes.push_back(std::make_unique<ProcessBlockRoute>(p));
  for (bool useDouble : {false, true}) {
    Vst2HostOptions options;
    options.sampleRate = kRate;
    options.blockSize = kBlock;
    std::string error;
    if (auto plugin = Vst2HostedPlugin::Load(o.vst2, &error, options)) {
      routes.push_back(std::make_unique<Vst2Route>(p, std::move(plugin), useDouble));
    } else {
      std::fprintf(stderr, "VST2 %s: %s (left out)\n", o.vst2.c_str(), error.c_str());
    }
    auto host = host3::Vst3Host::Load(o.vst3, &error);
    if (host && host->Setup(kRate, kBlock, useDouble ? vst3::kSample64 : vst3::kSample32)) {
      routes.push_back(std::make_unique<Vst3Route>(p, std::move(host), useDouble));
    } else {
      std::fprintf(stderr, "VST3 %s: %s (left out)\n", o.vst3.c_str(), host ? host->LastError().c_str() : error.c_str());
    }
  }
  routes.push_back(std::make_unique<ReferenceRoute>(p));
  return routes;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: %s [--rounds N] [--seconds S] [--vst2 PATH] [--vst3 PATH]\n", argv[0]);
    return 2;
  }
  std::printf("%s; 44.1 kHz stereo, blocks of %d; times real time on one core (thread CPU time, median of %d rounds"
              " of %.3g s of audio)\n\n", ProcessorName().c_str(), kBlock, options.rounds, options.seconds);
  Programme programme;
  const int timedBlocks = std::max(1, static_cast<int>(options.seconds * kRate / kBlock));
  std::vector<double> left(kBlock), right(kBlock);
  double* out[2] = {left.data(), right.data()};

  for (Scenario scenario : {Scenario::Settled, Scenario::Gliding, Scenario::ReverbOff}) {
    std::vector<std::unique_ptr<Route>> routes = MakeRoutes(programme, options);
    // Every route renders the same first blocks; their largest difference from the
    // kernel's says each runs the same chain (32-bit routes differ by float rounding).
    constexpr int kComparedBlocks = 8;
    std::vector<std::vector<double>> firstBlocks(routes.size());
    std::vector<int> blocks(routes.size(), 0);
    for (size_t r = 0; r < routes.size(); ++r) {
      Route& route = *routes[r];
      auto set = [&route](int index, double plain) { route.Set(index, plain); };
      Configure(scenario, 0, true, set);
      for (int b = 0; b < kComparedBlocks; ++b, ++blocks[r]) {
        Configure(scenario, blocks[r], false, set);
        route.Process(blocks[r], out);
        firstBlocks[r].insert(firstBlocks[r].end(), left.begin(), left.end());
        firstBlocks[r].insert(firstBlocks[r].end(), right.begin(), right.end());
      }
      // Let the smoothed parameters settle before timing.
      for (int b = 0; b < 200; ++b, ++blocks[r]) {
        Configure(scenario, blocks[r], false, set);
        route.Process(blocks[r], out);
      }
    }
    std::vector<std::vector<double>> seconds(routes.size());
    for (int round = 0; round < options.rounds; ++round) {
      for (size_t r = 0; r < routes.size(); ++r) {
        Route& route = *routes[r];
        auto set = [&route](int index, double plain) { route.Set(index, plain); };
        const double start = ThreadSeconds();
        for (int b = 0; b < timedBlocks; ++b, ++blocks[r]) {
          Configure(scenario, blocks[r], false, set);
          route.Process(blocks[r], out);
        }
        seconds[r].push_back(ThreadSeconds() - start);
      }
    }
    const double audioSeconds = timedBlocks * kBlock / kRate;
    double plain = 0.0;
    for (size_t r = 0; r < routes.size(); ++r)
      if (routes[r]->Name() == "plain evaluation") plain = audioSeconds / Median(seconds[r]);
    std::printf("%s\n", kScenarioNames[static_cast<int>(scenario)]);
    std::printf("  %-24s %12s %14s %22s\n", "route", "x real time", "x plain eval", "max diff from kernel");
    for (size_t r = 0; r < routes.size(); ++r) {
      const double factor = audioSeconds / Median(seconds[r]);
      double diff = 0.0;
      for (size_t i = 0; i < firstBlocks[r].size(); ++i) diff = std::fmax(diff, std::fabs(firstBlocks[r][i] - firstBlocks[0][i]));
      std::printf("  %-24s %11.0fx %13.2fx %22.3g\n", routes[r]->Name().c_str(), factor, plain > 0.0 ? factor / plain : 0.0, diff);
    }
    std::printf("\n");
  }
  return 0;
}
