#pragma once
// The factory preset catalogue: 31 presets in six categories. Number 0 is the
// title entry of the preset menu and has no file. The catalogue is constant; the
// preset values themselves live only in the factory files of the library folder.

#include <string>

inline constexpr int kFactoryPresetCount = 31;
inline constexpr const char* kPresetLibraryTitle = "< Presets Library >";
inline constexpr const char* kPresetFileExtension = "moravellepreset";

// A submenu of the preset menu: its label and the preset numbers it holds.
struct PresetCategory {
  const char* label;
  int firstNumber;
  int lastNumber;
};
inline constexpr int kPresetCategoryCount = 6;
extern const PresetCategory kPresetCategories[kPresetCategoryCount];

// The name of preset number n (0 to 31); null outside.
const char* FactoryPresetName(int number);
// "Factory/" + name + ".moravellepreset" for 1 to 31; empty outside.
std::string FactoryPresetRelativePath(int number);
// The preset number a PresetSelector value names: trunc(v + 0.5), toward zero.
// Values far outside the parameter's range (and NaN) name number 0.
int PresetNumberFromSelector(double value);
// The number of the factory preset with this name (1 to 31), or 0.
int FactoryPresetNumber(const std::string& name);
