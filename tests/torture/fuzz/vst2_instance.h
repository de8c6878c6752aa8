#pragma once
// A VST2 instance created through the module's entry point, in process, with a host
// callback that answers like a quiet host. Used by the VST2 fuzzers.

#include <cstdint>
#include <cstring>

#include "abi/vst2/vst2_interface.h"
#include "abi/vst2/vst2_opcodes.h"
#include "abi/vst2/vst2_records.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback);

inline intptr_t QuietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return 44100;
    case audioMasterGetBlockSize: return 512;
    default: return 0;
  }
}

class Vst2Instance {
 public:
  Vst2Instance() : effect_(VSTPluginMain(QuietHost)) {
    Call(effOpen);
    Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Call(effSetBlockSize, 0, 512);
    Call(effMainsChanged, 0, 1);
  }
  ~Vst2Instance() {
    if (effect_ != nullptr) effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
  }
  Vst2Instance(const Vst2Instance&) = delete;
  Vst2Instance& operator=(const Vst2Instance&) = delete;

  AEffect* Effect() const { return effect_; }
  intptr_t Call(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  // A short block through each callback, so that whatever a call left behind is used.
  void ProcessSome(int frames) {
    float l[64] = {}, r[64] = {}, ol[64], orr[64];
    double dl[64] = {}, dr[64] = {}, odl[64], odr[64];
    for (int i = 0; i < 64; ++i) l[i] = r[i] = static_cast<float>(dl[i] = dr[i] = (i % 7) * 0.1 - 0.3);
    float* in[2] = {l, r};
    float* out[2] = {ol, orr};
    double* din[2] = {dl, dr};
    double* dout[2] = {odl, odr};
    frames = frames < 0 ? 0 : (frames > 64 ? 64 : frames);
    effect_->processReplacing(effect_, in, out, frames);
    effect_->processDoubleReplacing(effect_, din, dout, frames);
  }

 private:
  AEffect* effect_;
};
