#pragma once
// Where the build put the module, and a loader for tests that need a fresh instance.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vst3_host.h"

inline const char* ModulePath() { return MORAVELLE_VST3_MODULE; }
inline const char* BundlePath() { return MORAVELLE_VST3_BUNDLE_PATH; }

inline std::unique_ptr<host3::Vst3Host> LoadModule() {
  std::string error;
  auto host = host3::Vst3Host::Load(ModulePath(), &error);
  EXPECT_TRUE(host) << error;
  return host;
}

inline constexpr vst3::ParamID kPresetId = 0x70727374;
inline constexpr vst3::ParamID kBypassId = 0x62706173;
inline constexpr int kEffectParams = 31;
