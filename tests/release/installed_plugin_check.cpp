// moravelle-installed-check: loads installed Moravelle plug-ins from where an installer
// or package put them, through the project's own hosts, as a DAW does; renders audio
// through each and selects a factory preset with PresetSelector, so the plug-in finds
// the preset file itself from its installed place. Prints one line per check and
// exits 1 when any fails.
//
// Usage: moravelle-installed-check [--vst2 PATH] [--vst3 PATH] --preset NUMBER --expect FILE
//   FILE is the factory preset file the selection must load (its values are compared
//   with the parameters the plug-in reports afterwards).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "effect/kernel_params.h"
#include "effect/preset_file_io.h"
#include "effect/preset_text.h"
#include "hosts/common/native_path.h"
#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/vst3_host.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 40;  // about half a second at 44.1 kHz

struct Args {
  std::string vst2;
  std::string vst3;
  int preset = 0;
  std::string expect;
};

int failures = 0;

void Report(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  if (!ok) ++failures;
}

double Normalised(int index, double plain) {
  const KernelParamSpec& range = kKernelParamSpecs[static_cast<size_t>(index)];
  return (plain - range.minimum) / (range.maximum - range.minimum);
}

// Settings under which the reverb is clearly audible: on, a mid-sized room, half wet.
const std::pair<int, double> kAudible[] = {{kReverbOffOn, 1.0},           {kReverbRoomSize, 0.6},
                                           {kReverbDecayTime, 0.5},       {kReverbEarlyReflections, 0.5},
                                           {kReverbLateReverberation, 0.5}, {kAmpMainBlend, 0.5}};

// Plays an impulse, then silence, under the audible settings; `process` runs one
// stereo block. Returns the energy after the first block: the reverb's tail.
double TailEnergy(const std::function<void(float* const*, float* const*)>& process, bool* finite) {
  std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  double tail = 0.0;
  *finite = true;
  for (int block = 0; block < kBlocks; ++block) {
    std::fill(inL.begin(), inL.end(), 0.0f);
    std::fill(inR.begin(), inR.end(), 0.0f);
    if (block == 0) inL[0] = inR[0] = 0.5f;
    process(in, out);
    for (int f = 0; f < kBlock; ++f) {
      if (!std::isfinite(outL[f]) || !std::isfinite(outR[f])) *finite = false;
      if (block > 0) tail += double(outL[f]) * outL[f] + double(outR[f]) * outR[f];
    }
  }
  return tail;
}

// Compares what the plug-in reports after the selection with the file's values,
// clamped to each range as the plug-in clamps them; at least one of them must have
// been different before, or the check could not tell a load from none.
void CheckPresetValues(const std::string& format, const PresetRecordValues& expected,
                       const std::function<double(int)>& normalisedValue, const std::vector<double>& before) {
  int compared = 0, changed = 0, wrong = 0;
  for (size_t k = 0; k < expected.size(); ++k) {
    if (!expected[k]) continue;
    const int index = kPresetStoredParams[k].index;
    const KernelParamSpec& range = kKernelParamSpecs[static_cast<size_t>(index)];
    const double plain = std::fmin(std::fmax(*expected[k], range.minimum), range.maximum);
    const double want = Normalised(index, plain);
    const double got = normalisedValue(index);
    ++compared;
    if (std::fabs(got - want) > 1e-6) {
      ++wrong;
      std::printf("  %s: %s is %.7g, the preset says %.7g\n", format.c_str(), kPresetStoredParams[k].element, got,
                  want);
    }
    if (std::fabs(before[static_cast<size_t>(index)] - want) > 1e-6) ++changed;
  }
  Report(compared > 0 && wrong == 0 && changed > 0,
         format + ": the factory preset set " + std::to_string(compared) + " parameters (" + std::to_string(changed) +
             " changed)");
}

void CheckVst2(const std::string& path, int preset, const PresetRecordValues& expected) {
  std::string error;
  auto plugin = Vst2HostedPlugin::Load(NativePath(path), &error);
  Report(plugin != nullptr, "VST2 loads from " + path + (plugin ? "" : ": " + error));
  if (!plugin) return;
  Report(plugin->EffectName() == "Moravelle", "VST2 names itself \"" + plugin->EffectName() + "\"");
  plugin->SetSampleRate(44100.0);
  plugin->SetBlockSize(kBlock);
  for (const auto& [index, normalised] : kAudible) plugin->SetParameter(index, static_cast<float>(normalised));
  bool finite = false;
  const double tail = TailEnergy([&](float* const* in, float* const* out) { plugin->ProcessFloat(in, out, kBlock); },
                                 &finite);
  Report(finite && tail > 1e-9, "VST2 renders a reverb tail (energy " + std::to_string(tail) + ")");

  std::vector<double> before(kKernelParamCount);
  for (int i = 0; i < kKernelParamCount; ++i) before[static_cast<size_t>(i)] = plugin->GetParameter(i);
  plugin->SetParameter(kPresetSelector, static_cast<float>(Normalised(kPresetSelector, preset)));
  CheckPresetValues("VST2", expected, [&](int index) { return double(plugin->GetParameter(index)); }, before);
}

void CheckVst3(const std::string& path, int preset, const PresetRecordValues& expected) {
  std::string error;
  auto host = host3::Vst3Host::Load(NativePath(path), &error);
  Report(host != nullptr, "VST3 loads from " + path + (host ? "" : ": " + error));
  if (!host) return;
  Report(std::strcmp(host->LoadedClass().name, "Moravelle") == 0,
         std::string("VST3 class \"") + host->LoadedClass().name + "\"");
  const bool ready = host->Setup(44100.0, kBlock, 0);
  Report(ready, "VST3 sets up" + (ready ? "" : ": " + host->LastError()));
  if (!ready) return;
  for (const auto& [index, normalised] : kAudible) host->QueueParam(static_cast<vst3::ParamID>(index), normalised);
  bool finite = false;
  bool processed = true;
  const double tail = TailEnergy(
      [&](float* const* in, float* const* out) { processed = host->Process32(in, out, kBlock) && processed; }, &finite);
  Report(processed && finite && tail > 1e-9, "VST3 renders a reverb tail (energy " + std::to_string(tail) + ")");

  std::vector<double> before(kKernelParamCount);
  for (int i = 0; i < kKernelParamCount; ++i) before[static_cast<size_t>(i)] = host->ParamNormalized(i);
  host->QueueParam(static_cast<vst3::ParamID>(kPresetSelector), Normalised(kPresetSelector, preset));
  Report(host->Flush(), "VST3 takes the preset selection");
  CheckPresetValues("VST3", expected, [&](int index) { return host->ParamNormalized(index); }, before);
}

bool ParseArgs(int argc, char** argv, Args* args) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--vst2") args->vst2 = argv[i + 1];
    else if (option == "--vst3") args->vst3 = argv[i + 1];
    else if (option == "--preset") args->preset = std::atoi(argv[i + 1]);
    else if (option == "--expect") args->expect = argv[i + 1];
    else return false;
  }
  return argc % 2 == 1 && (!args->vst2.empty() || !args->vst3.empty()) && args->preset > 0 && !args->expect.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, &args)) {
    std::fprintf(stderr,
                 "usage: moravelle-installed-check [--vst2 PATH] [--vst3 PATH] --preset NUMBER --expect FILE\n");
    return 2;
  }
  std::string record;
  if (ReadPresetRecord(NativePath(args.expect), record) != PresetReadResult::kRecord) {
    std::fprintf(stderr, "moravelle-installed-check: no preset in %s\n", args.expect.c_str());
    return 2;
  }
  const PresetRecordValues expected = ParsePresetRecord(record);
  if (!args.vst2.empty()) CheckVst2(args.vst2, args.preset, expected);
  if (!args.vst3.empty()) CheckVst3(args.vst3, args.preset, expected);
  std::printf("%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
