#pragma once
// The sound of each factory preset, as designed here: the 18 stored values of every
// catalogue entry. moravelle-factory-presets writes them into the preset files of
// resources/presets/Factory with the effect's own writer; the files, not this table,
// are what the plug-in loads.

#include <array>
#include <optional>

#include "effect/kernel_params.h"

// Plain parameter values, named for what they do. A clipper is on when its drive is
// given. Everything not named keeps the effect's default, except the master switch,
// which every factory preset turns on.
struct FactoryPresetDesign {
  double roomSize = 0.0;        // ReverbRoomSize: 10 + 90p metres
  double decayTime = 0.0;       // ReverbDecayTime: 0.1 + 19.9p seconds
  double damp = 0.0;            // ReverbDamp: high frequencies fade faster on every pass
  double early = 0.0;           // ReverbEarlyReflections
  double late = 0.0;            // ReverbLateReverberation: level 0.9p^2
  double panorama = 0.5;        // ReverbPanorama: 0.5 keeps the image, above widens
  double preDelay = 0.0;        // ReverbPreDelay: 2p^2 seconds
  double blend = 0.3;           // AmpMainBlend: 0 dry, 1 processed
  double preampCutoff = 1.0;    // PreampFilterCutoff: 20 + 19980p^3 Hz
  bool preampHighPass = false;  // PreampFilterType
  std::optional<double> preampDrive = std::nullopt;  // PreampClippingGain, clipper on
  int ampFilterMode = 0;        // 0 through, 1 band-pass, 2 band-reject
  double ampHighPass = 0.35;    // AmpFilterHpCutoff: 20 + 19980p^3 Hz
  double ampLowPass = 0.65;     // AmpFilterLpCutoff
  std::optional<double> ampDrive = std::nullopt;  // AmpClippingGain, clipper on
};

// The design of factory preset 1 to 31.
const FactoryPresetDesign& FactoryDesign(int number);

// All 31 parameter values of a design, by parameter index: the design's stored values,
// the effect's defaults elsewhere.
std::array<double, kKernelParamCount> FactoryPresetValues(int number);
