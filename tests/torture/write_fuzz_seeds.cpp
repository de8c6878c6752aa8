// Writes the fuzzers' seed corpus from the built plug-ins: VST2 program and bank
// chunks and VST3 states at the defaults and with every value at an end of its
// range, and a few dispatcher scripts. Run once; the corpus is kept in the tree.
//
// Usage: write-fuzz-seeds VST2_BINARY VST3_PATH CORPUS_DIR
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "torture_target.h"

namespace {
bool Write(const std::string& path, uint8_t prefix, const std::vector<uint8_t>& bytes, bool withPrefix = true) {
  std::ofstream out(path, std::ios::binary);
  if (withPrefix) out.put(static_cast<char>(prefix));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s VST2_BINARY VST3_PATH CORPUS_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[3];
  std::string error;
  auto vst2 = TortureTarget::Load(PluginFormat::Vst2, argv[1], &error);
  auto vst3 = TortureTarget::Load(PluginFormat::Vst3, argv[2], &error);
  if (!vst2 || !vst3) {
    std::fprintf(stderr, "write-fuzz-seeds: %s\n", error.c_str());
    return 1;
  }
  bool ok = true;
  for (int round = 0; round < 3; ++round) {
    if (round > 0) {
      for (int i = 0; i < 31; ++i) {
        if (i >= 17 && i <= 21) continue;
        const double v = (i + round) % 2 ? 1.0 : 0.0;
        vst2->SetParam(i, v, 0);
        vst3->SetParam(i, v, 0);
      }
      vst3->Setup(44100, 64, false);
      float l[64] = {}, r[64] = {};
      float* io[2] = {l, r};
      vst3->Process32(io, io, 64);  // delivers the queued values
    }
    const std::string n = std::to_string(round);
    ok &= Write(dir + "/fuzz_vst2_chunks/program-" + n, 1, vst2->GetState());
    // The same bytes offered as a bank: a bank with a program's content.
    ok &= Write(dir + "/fuzz_vst2_chunks/as-bank-" + n, 0, vst2->GetState());
    ok &= Write(dir + "/fuzz_vst3_state/state-" + n, 0, vst3->GetState());
    ok &= Write(dir + "/fuzz_vst3_state/short-reads-" + n, 1 + 4 * static_cast<uint8_t>(round), vst3->GetState());
  }
  std::mt19937 rng(3);
  for (int k = 0; k < 4; ++k) {
    std::vector<uint8_t> script(static_cast<size_t>(128 << k));
    for (uint8_t& b : script) b = static_cast<uint8_t>(rng());
    ok &= Write(dir + "/fuzz_vst2_dispatcher/script-" + std::to_string(k), 0, script, false);
  }
  return ok ? 0 : 1;
}
