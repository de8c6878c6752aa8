#pragma once
// The audio-level types shared by the component, processor and controller interfaces.

#include "vst3_base.h"

namespace vst3 {

using TChar = char16;
using String128 = TChar[128];
using CString = const char8*;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using ParamID = uint32;
using ParamValue = double;
using TQuarterNotes = double;
using TSamples = int64;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using SpeakerArrangement = uint64;
using KnobMode = int32;

inline constexpr ParamID kNoParamId = 0xFFFFFFFFu;
inline constexpr UnitID kRootUnitId = 0;
inline constexpr UnitID kNoParentUnitId = -1;
inline constexpr ProgramListID kNoProgramListId = -1;
inline constexpr uint32 kNoTail = 0;

enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum IoModes : int32 { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
enum ComponentFlags : uint32 { kDistributable = 1, kSimpleModeSupported = 2 };

// Restart flags for IComponentHandler::restartComponent.
enum RestartFlags : int32 {
  kReloadComponent = 0x1,
  kIoChanged = 0x2,
  kParamValuesChanged = 0x4,
  kLatencyChanged = 0x8,
  kParamTitlesChanged = 0x10,
};

namespace SpeakerArr {
inline constexpr SpeakerArrangement kEmpty = 0;
inline constexpr SpeakerArrangement kMono = 0x80000;
inline constexpr SpeakerArrangement kStereo = 0x3;
inline constexpr SpeakerArrangement k30Music = 0x103;
inline constexpr SpeakerArrangement kAmbi1stOrderACN = 0xF00000;
inline constexpr SpeakerArrangement k50 = 0x37;
inline constexpr SpeakerArrangement k51 = 0x3F;
}  // namespace SpeakerArr

// Channel count of an arrangement: one channel per speaker bit.
constexpr int32 SpeakerCount(SpeakerArrangement arrangement) {
  int32 n = 0;
  for (; arrangement != 0; arrangement &= arrangement - 1) ++n;
  return n;
}

}  // namespace vst3
