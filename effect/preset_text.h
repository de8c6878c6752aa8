#pragma once
// The text of a preset file: one line of tagged decimal numbers for 18 of the
// effect's parameters, behind a three-element header. Composing and reading are
// pure text work here; the files themselves are preset_file_io's job. [any]

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int kPresetStoredParamCount = 18;

// A stored parameter: its index in the effect and its element name.
struct PresetStoredParam {
  int index;
  const char* element;
};
// In file order. The level and routing settings, the MIDI channel, the host and
// the preset parameters are never stored.
extern const std::array<PresetStoredParam, kPresetStoredParamCount> kPresetStoredParams;

// A value as the file writes it: general notation, six significant digits, no
// trailing zeros, "." whatever the process's locale, and an exponent (below
// 0.0001) with its sign and at least three digits ("1e-005"). 'out' holds at
// least 32 characters; returns the length.
int FormatPresetValue(double value, char* out);

// The whole file text for the given values, indexed by parameter index.
std::string ComposePresetText(const double* valuesByIndex);

// The values a record holds, in file order; nullopt where the element is missing
// or its text holds no usable number. Values are rounded to single precision and
// widened again; nothing is clamped here.
using PresetRecordValues = std::array<std::optional<double>, kPresetStoredParamCount>;
PresetRecordValues ParsePresetRecord(std::string_view record);

// The name shown for a preset path: the part after the last '/' or '\', cut
// before its last '.', and past 35 characters cut to 35 with "..." appended.
std::string PresetDisplayName(std::string_view path);
