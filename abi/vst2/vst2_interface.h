#pragma once
// The VST 2.4 binary interface as this project declares it: basic types, the four
// function-pointer types, the effect record and its flags. Everything is laid out
// for x86-64 with the compilers' natural alignment, identical under g++ (System V)
// and MinGW-w64 (Microsoft x64); the static_asserts below pin every offset that
// hosts read. Records of the opcodes' arguments are in vst2_records.h, the opcode
// numbers in vst2_opcodes.h.
//
// Rules that keep the declarations binary-compatible:
// - pointer-sized values are intptr_t, never long (4 bytes on Windows x64);
// - no packing pragmas: natural alignment is what hosts compiled against;
// - the records stay plain standard-layout structs (no virtual functions).

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct AEffect;

// Host -> plug-in and plug-in -> host calls share one signature.
using AEffectDispatcherProc = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt);
using audioMasterCallback = AEffectDispatcherProc;
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          int32_t sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, int32_t index, float normalised);
using AEffectGetParameterProc = float (*)(AEffect* effect, int32_t index);
using VstPluginMainProc = AEffect* (*)(audioMasterCallback host);

// Four-character codes, first character in the most significant byte.
inline constexpr int32_t kEffectMagic = 0x56737450;      // 'VstP'; bytes 50 74 73 56 in memory
inline constexpr int32_t kEffectIdentify = 0x4E764566;   // 'NvEf', the answer to effIdentify
inline constexpr intptr_t kVendorSpecificDone = 0xBEEF;  // answer of the display extensions
inline constexpr int32_t kVstVersion = 2400;

// The effect record. The plug-in owns it for the instance's lifetime and keeps its
// own pointer only in 'object': hosts write theirs into resvd1, resvd2 or user.
struct AEffect {
  int32_t magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating; must differ from processReplacing
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;
  intptr_t resvd1;  // the host's
  intptr_t resvd2;  // the host's
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;  // the plug-in's instance
  void* user;    // the host's
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// AEffect.flags
enum VstAEffectFlags : int32_t {
  effFlagsHasEditor = 1 << 0,
  effFlagsHasClip = 1 << 1,
  effFlagsHasVu = 1 << 2,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsExtIsAsync = 1 << 10,
  effFlagsExtHasBuffer = 1 << 11,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// VstPlugCategory, the answer to effGetPlugCategory.
enum VstPlugCategory : int32_t {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
};

static_assert(sizeof(void*) == 8, "the VST2 declarations are laid out for x86-64");
static_assert(sizeof(intptr_t) == 8 && sizeof(int32_t) == 4 && sizeof(float) == 4);
static_assert(std::is_standard_layout_v<AEffect> && std::is_trivially_copyable_v<AEffect>);
static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, process) == 16);
static_assert(offsetof(AEffect, setParameter) == 24);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, numParams) == 44);
static_assert(offsetof(AEffect, numInputs) == 48);
static_assert(offsetof(AEffect, numOutputs) == 52);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, resvd2) == 72);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, realQualities) == 84);
static_assert(offsetof(AEffect, offQualities) == 88);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(offsetof(AEffect, future) == 136);
static_assert(sizeof(AEffect) == 192);
