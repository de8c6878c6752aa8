// moravelle-torture: the torture runs through a built plug-in binary.
//
// Usage: moravelle-torture soak     --format vst2|vst3 --plugin PATH [--seconds S] [--seed N] [--watchdog S]
//        moravelle-torture extremes --format vst2|vst3 --plugin PATH [--hold S] [--bound B] [--float] [--watchdog S]
// Exit code 0 when every check held, 1 when one failed, 2 on bad usage or a binary
// that does not load, 3 from the watchdog.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "torture_runs.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s soak|extremes --format vst2|vst3 --plugin PATH [options]\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  std::string format = "vst2", plugin;
  double seconds = 60.0, hold = 10.0, bound = 64.0, watchdogSeconds = 60.0;
  uint64_t seed = 1;
  bool doublePrecision = true;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--format" && hasValue) format = argv[++i];
    else if (a == "--plugin" && hasValue) plugin = argv[++i];
    else if (a == "--seconds" && hasValue) seconds = std::atof(argv[++i]);
    else if (a == "--seed" && hasValue) seed = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--hold" && hasValue) hold = std::atof(argv[++i]);
    else if (a == "--bound" && hasValue) bound = std::atof(argv[++i]);
    else if (a == "--watchdog" && hasValue) watchdogSeconds = std::atof(argv[++i]);
    else if (a == "--float") doublePrecision = false;
    else {
      std::fprintf(stderr, "moravelle-torture: unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  const PluginFormat pluginFormat = format == "vst3" ? PluginFormat::Vst3 : PluginFormat::Vst2;
  std::string error;
  auto target = TortureTarget::Load(pluginFormat, plugin, &error);
  if (!target) {
    std::fprintf(stderr, "moravelle-torture: cannot load %s: %s\n", plugin.c_str(), error.c_str());
    return 2;
  }
  Watchdog watchdog(watchdogSeconds, "moravelle-torture " + mode + " " + FormatName(pluginFormat));
  if (mode == "soak") {
    SoakOptions options;
    options.audioSeconds = seconds;
    options.seed = seed;
    const SoakFigures figures = RunSoak(*target, options, watchdog);
    PrintSoak(FormatName(pluginFormat), figures);
    return figures.Failed() ? 1 : 0;
  }
  if (mode == "extremes") {
    const ExtremesFigures figures = RunExtremes(*target, hold, bound, doublePrecision, watchdog);
    std::printf("extremes %s (%s): %d holds (a setting at a rate; hold %.2f s), %d failed; worst peak %.6g: %s\n",
                FormatName(pluginFormat), doublePrecision ? "64-bit" : "32-bit", figures.settings, hold,
                figures.failures, figures.worstPeak, figures.worstContext.c_str());
    if (!figures.firstFailure.empty()) std::printf("  first failure: %s\n", figures.firstFailure.c_str());
    return figures.failures > 0 ? 1 : 0;
  }
  std::fprintf(stderr, "moravelle-torture: unknown mode %s\n", mode.c_str());
  return 2;
}
