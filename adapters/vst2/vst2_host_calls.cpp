// The base's host-facing operations, each a call of the host callback.
#include <cmath>
#include <cstring>

#include "abi/vst2/vst2_opcodes.h"
#include "vst2_plugin.h"

void Vst2Plugin::BeginParamEdit(int index) { CallHost(audioMasterBeginEdit, index); }

void Vst2Plugin::ReportParamValue(int index, double normalised) {
  CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalised));
}

void Vst2Plugin::EndParamEdit(int index) { CallHost(audioMasterEndEdit, index); }

void Vst2Plugin::ReportPresetChange() { CallHost(audioMasterUpdateDisplay); }

bool Vst2Plugin::IsOfflineRender() {
  return CallHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

const VstTimeInfo* Vst2Plugin::HostTime(int32_t requestMask) {
  // The host's record is shared and lives until its next call: read it at once.
  return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, requestMask));
}

int Vst2Plugin::HostSamplePos() {
  const VstTimeInfo* time = HostTime(0);
  if (time == nullptr || !(time->samplePos >= 0.0) || time->samplePos + 0.5 >= 2147483647.0) return 0;
  return static_cast<int>(time->samplePos + 0.5);
}

double Vst2Plugin::HostTempo() {
  const VstTimeInfo* time = HostTime(kVstTempoValid);
  if (time == nullptr || (time->flags & kVstTempoValid) == 0 || !(time->tempo >= 0.0)) return 0.0;
  return time->tempo;
}

void Vst2Plugin::HostTimeSignature(int* numerator, int* denominator) {
  if (numerator != nullptr) *numerator = 0;
  if (denominator != nullptr) *denominator = 0;
  const VstTimeInfo* time = HostTime(kVstTimeSigValid);
  if (time == nullptr || (time->flags & kVstTimeSigValid) == 0) return;
  if (time->timeSigNumerator < 0 || time->timeSigDenominator < 0) return;
  if (numerator != nullptr) *numerator = time->timeSigNumerator;
  if (denominator != nullptr) *denominator = time->timeSigDenominator;
}

void Vst2Plugin::HostTransport(TransportInfo* info) {
  constexpr int32_t kAsked =
      kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  if (info == nullptr) return;
  const VstTimeInfo* time = HostTime(kAsked);
  if (time == nullptr || (time->flags & kAsked) == 0) return;
  const VstTimeInfo t = *time;
  info->samplePos = t.samplePos;
  if ((t.flags & kVstPpqPosValid) && t.ppqPos >= 0.0) info->ppqPos = t.ppqPos;
  if ((t.flags & kVstTempoValid) && t.tempo > 0.0) info->tempoBpm = t.tempo;
  if ((t.flags & kVstBarsValid) && t.barStartPos >= 0.0) info->barStartPpq = t.barStartPos;
  if ((t.flags & kVstCyclePosValid) && t.cycleStartPos >= 0.0 && t.cycleEndPos >= 0.0) {
    info->cycleStartPpq = t.cycleStartPos;
    info->cycleEndPpq = t.cycleEndPos;
  }
  if ((t.flags & kVstTimeSigValid) && t.timeSigNumerator > 0 && t.timeSigDenominator > 0) {
    info->timeSigNumerator = t.timeSigNumerator;
    info->timeSigDenominator = t.timeSigDenominator;
  }
  info->running = (t.flags & kVstTransportPlaying) != 0;
  info->cycleActive = (t.flags & kVstTransportCycleActive) != 0;
}

int Vst2Plugin::IdentifyHost() {
  const int known = PluginBase::IdentifyHost();
  if (known != kHostNotAsked) return known;
  // Hosts copy up to 64 characters and a terminator without checking; give room.
  char product[256] = {};
  CallHost(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';
  int32_t version = 0;
  if (product[0] != '\0') {
    // The host's decimal version (major * 10000 + minor * 100 + patch) as 0xMMMMmmpp.
    const intptr_t v = CallHost(audioMasterGetVendorVersion);
    if (v >= 0 && v <= 0x7FFFFFFF)
      version = static_cast<int32_t>(v + (v % 10000 / 100) * 156 + (v / 10000) * 55536);
  }
  const int code = HostFromProductName(product);
  SetHost(code, version);
  return code;
}

bool Vst2Plugin::EmitMidiMessage(const MidiMessage& message) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = message.frameOffset;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}

bool Vst2Plugin::EmitSysEx(const SysExMessage& message) {
  VstMidiSysexEvent event{};
  event.type = kVstSysExType;
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = message.frameOffset;
  event.dumpBytes = message.size;
  event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(message.data));
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}
