#pragma once
// Loading the built Moravelle VST2 binary through the project's host, as a DAW does.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "hosts/common/native_path.h"
#include "hosts/vst2/vst2_host.h"

// The binary under test; the build passes its path.
inline std::string MoravelleBinaryPath() { return NativePath(MORAVELLE_VST2_BINARY); }

inline std::unique_ptr<Vst2HostedPlugin> LoadMoravelle(const Vst2HostOptions& options = {}) {
  std::string error;
  auto plugin = Vst2HostedPlugin::Load(MoravelleBinaryPath(), &error, options);
  EXPECT_TRUE(plugin) << "loading " << MoravelleBinaryPath() << ": " << error;
  return plugin;
}

// Parameter indices of the effect that the tests drive.
enum MoravelleParam : int {
  kParamMainBlend = 5,
  kParamMainVolume = 6,
  kParamHostTempo = 8,
  kParamMidiChannel = 10,
  kParamPresetSelector = 21,
  kParamReverbDecay = 23,
  kParamReverbEarly = 24,
  kParamReverbLate = 25,
  kParamReverbOn = 26,
  kParamReverbPanorama = 27,
  kParamRoomSize = 29,
};

// Settings under which the reverb is clearly audible.
inline void SwitchReverbOn(Vst2HostedPlugin& plugin) {
  plugin.SetParameter(kParamReverbOn, 1.0f);
  plugin.SetParameter(kParamRoomSize, 0.6f);
  plugin.SetParameter(kParamReverbDecay, 0.5f);
  plugin.SetParameter(kParamReverbEarly, 0.5f);
  plugin.SetParameter(kParamReverbLate, 0.5f);
  plugin.SetParameter(kParamMainBlend, 0.5f);
}

// A stereo test signal: a decaying tone burst on the left, a different one on the right.
inline std::vector<std::vector<float>> TestSignal(int frames, double rate = 44100.0) {
  std::vector<std::vector<float>> channels(2, std::vector<float>(static_cast<size_t>(frames)));
  for (int f = 0; f < frames; ++f) {
    const double t = f / rate;
    channels[0][static_cast<size_t>(f)] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * t) * std::exp(-6 * t));
    channels[1][static_cast<size_t>(f)] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 660 * t) * std::exp(-4 * t));
  }
  return channels;
}

template <typename T>
std::vector<T*> ChannelPointers(std::vector<std::vector<T>>& channels) {
  std::vector<T*> pointers;
  for (auto& channel : channels) pointers.push_back(channel.data());
  return pointers;
}

// Fills a host text buffer with canary bytes; CanaryIntact checks what lies past the
// first limit + 1 bytes.
inline constexpr unsigned char kCanary = 0xA5;
inline bool CanaryIntact(const std::vector<unsigned char>& buffer, size_t usable) {
  for (size_t i = usable; i < buffer.size(); ++i)
    if (buffer[i] != kCanary) return false;
  return true;
}
