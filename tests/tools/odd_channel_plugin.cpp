// A tiny VST2 plug-in with an odd channel layout, for the renderer's channel mapping:
// ODD_INPUTS inputs, ODD_OUTPUTS outputs, 32-bit processing only, one parameter
// "Gain" (normalised, no text input). Every output is a known sum of the inputs, so a
// test can tell exactly what the renderer fed in and which outputs it kept:
//   out[k] = Gain * (in[0] + 10 * in[1] + 100 * in[2] + 1000 * in[3]) * (k + 1)
// with the inputs the plug-in does not have counted as zero.
#include <cstring>

#include "abi/vst2/vst2_interface.h"
#include "abi/vst2/vst2_opcodes.h"

namespace {

struct OddPlugin {
  AEffect effect{};
  float gain = 0.5f;
};

OddPlugin* Self(AEffect* effect) { return static_cast<OddPlugin*>(effect->object); }

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t, void* ptr, float) {
  switch (opcode) {
    case effClose:
      delete Self(effect);
      return 0;
    case effGetParamName:
    case effGetParamLabel:
    case effGetParamDisplay:
      if (ptr != nullptr && index == 0) std::strcpy(static_cast<char*>(ptr), opcode == effGetParamName ? "Gain" : "");
      return 0;
    case effGetEffectName:
      std::strcpy(static_cast<char*>(ptr), "Odd Channels");
      return 1;
    default:
      return 0;  // no text input, no double processing, nothing else
  }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
  if (index == 0) Self(effect)->gain = value;
}

float GetParameter(AEffect* effect, int32_t index) { return index == 0 ? Self(effect)->gain : 0.0f; }

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  for (int32_t f = 0; f < frames; ++f) {
    float sum = 0.0f, weight = 1.0f;
    for (int c = 0; c < ODD_INPUTS && c < 4; ++c, weight *= 10.0f) sum += weight * inputs[c][f];
    for (int k = 0; k < ODD_OUTPUTS; ++k) outputs[k][f] = Self(effect)->gain * sum * static_cast<float>(k + 1);
  }
}

void Process(AEffect*, float**, float**, int32_t) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  auto* plugin = new OddPlugin();
  AEffect& e = plugin->effect;
  e.magic = kEffectMagic;
  e.dispatcher = Dispatch;
  e.process = Process;
  e.setParameter = SetParameter;
  e.getParameter = GetParameter;
  e.numParams = 1;
  e.numInputs = ODD_INPUTS;
  e.numOutputs = ODD_OUTPUTS;
  e.flags = effFlagsCanReplacing;
  e.object = plugin;
  e.uniqueID = 0x4F646443;  // 'OddC'
  e.processReplacing = ProcessReplacing;
  return &e;
}
