// libFuzzer target: the VST2 program and bank chunks. The first byte picks the
// kind; the rest is the chunk as a host would hand it over (effSetChunk), after
// which the state is read back (effGetChunk) and a few frames are processed.
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "vst2_instance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One instance for the run (creating one costs its delay memory); every input
  // starts from the same state: the defaults, restored from the program chunk.
  static Vst2Instance instance;
  static std::vector<uint8_t> defaults = [] {
    void* bytes = nullptr;
    const intptr_t n = instance.Call(effGetChunk, 1, 0, &bytes);
    return std::vector<uint8_t>(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + n);
  }();
  std::vector<uint8_t> reset = defaults;
  instance.Call(effSetChunk, 1, static_cast<intptr_t>(reset.size()), reset.data());

  if (size == 0) return 0;
  const bool program = (data[0] & 1) != 0;
  // The host's own copy: the plug-in must not keep pointing into it.
  std::vector<uint8_t> chunk(data + 1, data + size);
  instance.Call(effSetChunk, program ? 1 : 0, static_cast<intptr_t>(chunk.size()), chunk.empty() ? nullptr : chunk.data());
  chunk.assign(chunk.size(), 0xEE);

  for (int32_t kind : {0, 1}) {
    void* out = nullptr;
    const intptr_t n = instance.Call(effGetChunk, kind, 0, &out);
    if (n > 0 && out != nullptr) {
      volatile uint8_t sum = 0;
      for (intptr_t i = 0; i < n; ++i) sum = sum + static_cast<uint8_t*>(out)[i];
    }
  }
  for (int32_t i = 0; i < instance.Effect()->numParams; ++i) {
    const float v = instance.Effect()->getParameter(instance.Effect(), i);
    if (!(v >= 0.0f && v <= 1.0f)) __builtin_trap();  // a state must not leave a value out of range
  }
  instance.ProcessSome(32);
  return 0;
}
