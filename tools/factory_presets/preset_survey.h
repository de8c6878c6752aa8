#pragma once
// Renders a preset through the effect compiled in and measures it: its impulse
// response (the processed path alone, AmpMainBlend 1) for the reverberation time, the
// tail's spectral centroid and its stereo width, and the built-in demo (the preset as
// it is) for the output's peak and its level against the dry demo.

#include <optional>
#include <string>
#include <vector>

#include "tools/render/render_status.h"

struct PresetSurveyRow {
  int number = 0;
  std::string name;
  std::optional<double> reverbTimeSeconds;  // nullopt: no 25 dB decay within the render
  double tailCentroidHz = 0.0;
  double tailSideToMidDb = 0.0;  // stereo width of the tail
  double demoPeakDbfs = 0.0;
  double demoLevelDb = 0.0;  // output energy over the dry demo's energy
};

inline constexpr double kSurveySampleRate = 44100.0;
inline constexpr double kSurveyImpulseSeconds = 30.0;

// Measures the preset file at 'path'.
Status SurveyPreset(const std::string& path, PresetSurveyRow* row);

// The rows as docs/presets.md's Markdown table, one line per row after the header.
std::string SurveyMarkdownTable(const std::vector<PresetSurveyRow>& rows);
// The rows as aligned plain text.
std::string SurveyTextTable(const std::vector<PresetSurveyRow>& rows);
