#pragma once
// The kernel's parameter set: one index space shared by the kernel, the host, the
// editor and the state formats.

#include <array>

enum KernelParam : int {
  kAmpClippingGain = 0,
  kAmpClippingOffOn = 1,
  kAmpFilterHpCutoff = 2,
  kAmpFilterLpCutoff = 3,
  kAmpFilterMode = 4,
  kAmpMainBlend = 5,
  kAmpMainVolume = 6,
  kHostBarStartPulse = 7,
  kHostTempoBpm = 8,
  kHostTransportIsRunning = 9,
  kMidiChannelInput = 10,
  kPreampClippingGain = 11,
  kPreampClippingOffOn = 12,
  kPreampFilterCutoff = 13,
  kPreampFilterType = 14,
  kPreampInputGain = 15,
  kPreampInputMode = 16,
  kPresetBackward = 17,
  kPresetForward = 18,
  kPresetLoad = 19,
  kPresetSave = 20,
  kPresetSelector = 21,
  kReverbDamp = 22,
  kReverbDecayTime = 23,
  kReverbEarlyReflections = 24,
  kReverbLateReverberation = 25,
  kReverbOffOn = 26,
  kReverbPanorama = 27,
  kReverbPreDelay = 28,
  kReverbRoomSize = 29,
  kZInitParams = 30,
  kKernelParamCount = 31,
};

// One record per kernel parameter, in table order. Every parameter of this kernel
// is continuous with an output range and no input range.
struct KernelParamInfo {
  double defaultValue = 0.0;
  const double* defaultReference = nullptr;  // always null here
  bool hasInputRange = false;
  bool hasOutputRange = true;
  double inputMinimum = 0.0, inputMaximum = 1.0;
  double outputMinimum = 0.0, outputMaximum = 1.0;
  const char* name = "";
  const char* units = "";
  int type = 0;  // 0: continuous
  double exponent = 0.0;
};

// The one table of the kernel's parameters: name, plain range, reset value and
// units of each index, in index order. The kernel's Init resets to these values,
// and its KernelParamInfo records are built from them.
struct KernelParamSpec {
  const char* name;
  double minimum;
  double maximum;
  double defaultValue;
  const char* units;  // the display label; empty for every parameter of this kernel
};

inline constexpr std::array<KernelParamSpec, kKernelParamCount> kKernelParamSpecs = {{
    {"AmpClippingGain", 0, 1, 0.0, ""},
    {"AmpClippingOffOn", 0, 1, 0.0, ""},
    {"AmpFilterHpCutoff", 0, 1, 0.35, ""},
    {"AmpFilterLpCutoff", 0, 1, 0.65, ""},
    {"AmpFilterMode", 0, 2, 0.0, ""},
    {"AmpMainBlend", 0, 1, 0.3, ""},
    {"AmpMainVolume", 0, 1, 0.5, ""},
    {"HostBarStartPulse", 0, 1, 0.0, ""},
    {"HostTempoBpm", 0, 1000, 120.0, ""},
    {"HostTransportIsRunning", 0, 1, 0.0, ""},
    {"MidiChannelInput", 1, 16, 1.0, ""},
    {"PreampClippingGain", 0, 1, 0.0, ""},
    {"PreampClippingOffOn", 0, 1, 0.0, ""},
    {"PreampFilterCutoff", 0, 1, 1.0, ""},
    {"PreampFilterType", 0, 1, 0.0, ""},
    {"PreampInputGain", 0, 1, 0.5, ""},
    {"PreampInputMode", 0, 3, 0.0, ""},
    {"PresetBackward", 0, 1, 0.0, ""},
    {"PresetForward", 0, 1, 0.0, ""},
    {"PresetLoad", 0, 1, 0.0, ""},
    {"PresetSave", 0, 1, 0.0, ""},
    {"PresetSelector", -1, 10000, 0.0, ""},
    {"ReverbDamp", 0, 1, 0.0, ""},
    {"ReverbDecayTime", 0, 1, 0.0, ""},
    {"ReverbEarlyReflections", 0, 1, 0.0, ""},
    {"ReverbLateReverberation", 0, 1, 0.0, ""},
    {"ReverbOffOn", 0, 1, 0.0, ""},
    {"ReverbPanorama", 0, 1, 0.5, ""},
    {"ReverbPreDelay", 0, 1, 0.0, ""},
    {"ReverbRoomSize", 0, 1, 0.0, ""},
    {"zInitParams", 0, 1, 0.0, ""},
}};

// Channel names the kernel states for itself.
inline constexpr const char* kKernelInputNames[2] = {"in1", "in2"};
inline constexpr const char* kKernelOutputNames[2] = {"audio_out_1", "audio_out_2"};
