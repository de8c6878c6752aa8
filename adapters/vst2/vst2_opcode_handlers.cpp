// The opcodes with an algorithm of their own: events, text to parameter, pin
// properties, speaker arrangements, vendor extensions and can-do questions.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "abi/vst2/vst2_opcodes.h"
#include "framework/decimal_text.h"
#include "vst2_plugin.h"
#include "vst2_text_limits.h"

intptr_t Vst2Plugin::ProcessEvents(const VstEvents* events) {
  if (events == nullptr) return 0;
  // The pointer array runs past its declared two entries; walk it through a plain
  // pointer so that no bounds are assumed.
  VstEvent* const* list = &events->events[0];
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (event == nullptr) continue;
    if (event->type == kVstMidiType) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      MidiMessage message;
      message.frameOffset = midi->deltaFrames;
      message.status = static_cast<uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<uint8_t>(midi->midiData[2]);
      OnMidiMessage(message);
    } else if (event->type == kVstSysExType) {
      const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      SysExMessage message;
      message.frameOffset = sysex->deltaFrames;
      message.size = sysex->dumpBytes;
      message.data = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
      OnSysEx(message);
    }
  }
  return 1;
}

intptr_t Vst2Plugin::TextToParameter(int index, const char* text) {
  if (!ParamInRange(index)) return 0;
  if (text == nullptr) return 1;  // the host asks whether text input is possible
  PluginParam* param = Param(index);
  double plain = 0.0;
  if (!param->ValueTexts().empty()) {
    const auto& texts = param->ValueTexts();
    const auto hit = std::find_if(texts.begin(), texts.end(),
                                  [&](const ValueText& entry) { return std::strcmp(entry.text, text) == 0; });
    if (hit == texts.end()) return 0;
    plain = hit->value;
  } else {
    plain = ParseLeadingDecimal(text).value_or(0.0);
    if (param->NegateDisplay()) plain = -plain;
  }
  if (EditorLink* editor = Editor()) editor->UpdateControlsForParam(index, plain, false);
  param->SetValue(plain);
  ParamChangedByHost(index);
  return 1;
}

void Vst2Plugin::ParamChangedByHost(int index) {
  if (!hostSetsProgram_) {
    OnParamChanged(index);
    return;
  }
  RestoreScope restoring(*this);
  OnParamChanged(index);
}

intptr_t Vst2Plugin::PinProperties(bool input, int index, VstPinProperties* properties) const {
  const int count = input ? InputCount() : OutputCount();
  if (properties == nullptr || index < 0 || index >= count) return 0;
  properties->flags = kVstPinIsActive;
  // An even channel pairs with the next one as a stereo pair.
  if (index % 2 == 0 && index != count - 1) properties->flags |= kVstPinIsStereo;
  std::snprintf(properties->label, sizeof properties->label, "%s %d", input ? "Input" : "Output", index + 1);
  return 1;
}

intptr_t Vst2Plugin::SetSpeakerArrangement(const VstSpeakerArrangement* inputs,
                                           const VstSpeakerArrangement* outputs) {
  if (inputs != nullptr) {
    const int k = std::clamp(inputs->numChannels, 0, InputCount());
    ConnectInputs(0, k, true);
    ConnectInputs(k, InputCount() - k, false);
  }
  if (outputs != nullptr) {
    const int k = std::clamp(outputs->numChannels, 0, OutputCount());
    ConnectOutputs(0, k, true);
    ConnectOutputs(k, OutputCount() - k, false);
  }
  return 1;
}

intptr_t Vst2Plugin::VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
  const bool inRange = value >= 0 && value < ParamCount();
  if (index == kVendorParamDisplay && ptr != nullptr) {
    if (inRange)
      Param(static_cast<int>(value))
          ->FormatForHost(opt, true, static_cast<char*>(ptr), static_cast<int>(kHostExtensionDisplayChars + 1), true);
    return kVendorSpecificDone;
  }
  if (index == kVendorParamUsesIntStep && inRange)
    return Param(static_cast<int>(value))->Type() != ParamType::Double ? kVendorSpecificDone : 0;
  return 0;
}

intptr_t Vst2Plugin::CanDo(const char* question) const {
  if (question == nullptr) return 0;
  if (std::strcmp(question, "receiveVstTimeInfo") == 0) return 1;
  static constexpr const char* kMidiAnswers[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                                 "receiveVstMidiEvent"};
  for (const char* midi : kMidiAnswers)
    if (std::strcmp(question, midi) == 0) return DoesMidi() ? 1 : 0;
  // Anything else is answered "don't know": some hosts take -1 for yes.
  return 0;
}
