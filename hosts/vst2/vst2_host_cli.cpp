// moravelle-vst2-host: loads a VST2 plug-in by path, lists its identity and
// parameters, renders a test signal (a decaying 440 Hz burst, then silence) through
// it and prints the level of what comes out; optionally writes the render.
//
// Usage: moravelle-vst2-host PLUGIN [--set INDEX=NORMALISED]... [--seconds S]
//                            [--rate HZ] [--block FRAMES] [--double] [--out FILE.wav]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "vst2_host.h"
#ifdef MORAVELLE_HAVE_SNDFILE
#include <sndfile.h>
#endif

namespace {
struct CliArgs {
  std::string plugin;
  std::vector<std::pair<int, float>> sets;
  double seconds = 2.0;
  double rate = 44100.0;
  int block = 512;
  bool useDouble = false;
  std::string out;
};

bool ParseArgs(int argc, char** argv, CliArgs* args) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--set" && hasValue) {
      int index = 0;
      float value = 0.0f;
      if (std::sscanf(argv[++i], "%d=%f", &index, &value) != 2) return false;
      args->sets.emplace_back(index, value);
    } else if (a == "--seconds" && hasValue) {
      args->seconds = std::atof(argv[++i]);
    } else if (a == "--rate" && hasValue) {
      args->rate = std::atof(argv[++i]);
    } else if (a == "--block" && hasValue) {
      args->block = std::atoi(argv[++i]);
    } else if (a == "--double") {
      args->useDouble = true;
    } else if (a == "--out" && hasValue) {
      args->out = argv[++i];
    } else if (!a.empty() && a[0] != '-' && args->plugin.empty()) {
      args->plugin = a;
    } else {
      return false;
    }
  }
  return !args->plugin.empty() && args->seconds > 0.0 && args->rate > 0.0 && args->block > 0;
}

double Rms(const std::vector<double>& samples) {
  double sum = 0.0;
  for (double v : samples) sum += v * v;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

bool WriteWav(const std::string& path, const std::vector<std::vector<double>>& channels, double rate) {
#ifdef MORAVELLE_HAVE_SNDFILE
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = static_cast<int>(channels.size());
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const size_t frames = channels.empty() ? 0 : channels[0].size();
  std::vector<double> interleaved(frames * channels.size());
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < channels.size(); ++c) interleaved[f * channels.size() + c] = channels[c][f];
  const bool ok = sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames)) ==
                  static_cast<sf_count_t>(frames);
  sf_close(file);
  return ok;
#else
  (void)path, (void)channels, (void)rate;
  return false;
#endif
}
}  // namespace

int main(int argc, char** argv) {
  CliArgs args;
  if (!ParseArgs(argc, argv, &args)) {
    std::fprintf(stderr,
                 "usage: %s PLUGIN [--set INDEX=NORMALISED]... [--seconds S] [--rate HZ] [--block FRAMES]"
                 " [--double] [--out FILE.wav]\n",
                 argv[0]);
    return 2;
  }
  Vst2HostOptions options;
  options.sampleRate = args.rate;
  options.blockSize = args.block;
  options.processLevel = kVstProcessLevelOffline;
  std::string error;
  auto plugin = Vst2HostedPlugin::Load(args.plugin, &error, options);
  if (!plugin) {
    std::fprintf(stderr, "cannot load %s: %s\n", args.plugin.c_str(), error.c_str());
    return 1;
  }
  const AEffect* e = plugin->Effect();
  std::printf("effect \"%s\" vendor \"%s\" id 0x%08x version %d\n", plugin->EffectName().c_str(),
              plugin->VendorName().c_str(), static_cast<unsigned>(e->uniqueID), e->version);
  std::printf("inputs %d outputs %d params %d programs %d flags 0x%x entry %s\n", e->numInputs, e->numOutputs,
              e->numParams, e->numPrograms, static_cast<unsigned>(e->flags), plugin->EntryPointUsed().c_str());
  for (const auto& [index, value] : args.sets) plugin->SetParameter(index, value);
  for (const HostedParamInfo& p : plugin->Params())
    std::printf("  %3d %-28s %-12s %-8s %.5f\n", p.index, p.name.c_str(), p.display.c_str(), p.label.c_str(),
                static_cast<double>(p.normalised));

  const int frames = static_cast<int>(args.seconds * args.rate);
  const int nIn = std::max(e->numInputs, 0);
  const int nOut = std::max(e->numOutputs, 0);
  std::vector<std::vector<double>> in(static_cast<size_t>(nIn), std::vector<double>(static_cast<size_t>(frames)));
  std::vector<std::vector<double>> out(static_cast<size_t>(nOut), std::vector<double>(static_cast<size_t>(frames)));
  const int burst = std::min(frames, static_cast<int>(0.25 * args.rate));
  for (auto& channel : in)
    for (int f = 0; f < burst; ++f)
      channel[static_cast<size_t>(f)] = 0.5 * std::sin(2.0 * std::numbers::pi * 440.0 * f / args.rate) * std::exp(-8.0 * f / args.rate);

  std::vector<const double*> inPtrs;
  std::vector<double*> outPtrs;
  for (auto& channel : in) inPtrs.push_back(channel.data());
  for (auto& channel : out) outPtrs.push_back(channel.data());
  if (args.useDouble) {
    plugin->ProcessDouble(inPtrs.data(), outPtrs.data(), frames);
  } else {
    std::vector<std::vector<float>> in32(in.size()), out32(out.size(), std::vector<float>(static_cast<size_t>(frames)));
    std::vector<const float*> in32Ptrs;
    std::vector<float*> out32Ptrs;
    for (size_t c = 0; c < in.size(); ++c) {
      in32[c].assign(in[c].begin(), in[c].end());
      in32Ptrs.push_back(in32[c].data());
    }
    for (auto& channel : out32) out32Ptrs.push_back(channel.data());
    plugin->ProcessFloat(in32Ptrs.data(), out32Ptrs.data(), frames);
    for (size_t c = 0; c < out.size(); ++c) out[c].assign(out32[c].begin(), out32[c].end());
  }
  std::printf("rendered %d frames (%s): input rms %.6f\n", frames, plugin->CanProcessDouble() && args.useDouble ? "64-bit" : "32-bit",
              in.empty() ? 0.0 : Rms(in[0]));
  for (size_t c = 0; c < out.size(); ++c) {
    const auto tailStart = out[c].begin() + burst;
    const std::vector<double> tail(tailStart, out[c].end());
    std::printf("  output %zu rms %.6f, rms after the burst %.6f\n", c, Rms(out[c]), Rms(tail));
  }
  if (!args.out.empty() && !WriteWav(args.out, out, args.rate)) {
    std::fprintf(stderr, "cannot write %s\n", args.out.c_str());
    return 1;
  }
  return 0;
}
