// The host callback: what this host answers a plug-in.
#include <cstring>

#include "vst2_host.h"

namespace {
// Hosts copy their texts into the plug-in's buffer; 64 bytes is the interface's size.
void CopyHostText(void* buffer, const std::string& text) {
  if (buffer == nullptr) return;
  const size_t n = text.size() < 63 ? text.size() : 63;
  std::memcpy(buffer, text.data(), n);
  static_cast<char*>(buffer)[n] = '\0';
}

bool HostCanDo(const char* question) {
  if (question == nullptr) return false;
  static constexpr const char* kYes[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                                         "receiveVstEvents", "receiveVstMidiEvent", "startStopProcess"};
  for (const char* yes : kYes)
    if (std::strcmp(question, yes) == 0) return true;
  return false;
}
}  // namespace

intptr_t Vst2HostedPlugin::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (hook_) hook_(*this, opcode);
  switch (opcode) {
    case audioMasterWantMidi:
      ++wantMidiCount_;
      return 1;
    case audioMasterGetTime:
      ++getTimeCount_;
      return options_.provideTime ? reinterpret_cast<intptr_t>(&timeInfo_) : 0;
    default:
      callbackLog_.push_back({opcode, index, value, opt});
      break;
  }
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterProcessEvents: {
      const auto* list = static_cast<const VstEvents*>(ptr);
      if (list == nullptr) return 0;
      VstEvent* const* events = &list->events[0];
      for (int32_t i = 0; i < list->numEvents; ++i) {
        if (events[i] == nullptr || events[i]->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(events[i]);
        HostMidiEvent copy;
        copy.deltaFrames = midi->deltaFrames;
        for (int b = 0; b < 3; ++b) copy.bytes[b] = static_cast<uint8_t>(midi->midiData[b]);
        midiFromPlugin_.push_back(copy);
      }
      return 1;
    }
    case audioMasterIOChanged:
    case audioMasterUpdateDisplay:
      return 1;
    case audioMasterGetSampleRate:
      return static_cast<intptr_t>(sampleRate_);
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      return options_.processLevel;
    case audioMasterGetVendorString:
      CopyHostText(ptr, options_.vendorName);
      return 1;
    case audioMasterGetProductString:
      CopyHostText(ptr, options_.productName);
      return 1;
    case audioMasterGetVendorVersion:
      return options_.vendorVersion;
    case audioMasterCanDo:
      return HostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterGetLanguage:
      return 1;  // English
    default:
      // audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit and the rest are
      // only recorded.
      return 0;
  }
}
