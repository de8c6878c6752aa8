#pragma once
// --preset: a factory preset by its catalogue name, selected through the plug-in's
// own PresetSelector so that the plug-in loads it from its library folder, or a
// preset file read here, with the effect's own reader, and applied as parameter
// changes.

#include <string>

#include "effect/preset_text.h"
#include "render_status.h"
#include "render_target.h"

struct PresetChoice {
  int factoryNumber = 0;       // 1..31 for a factory preset, else 0
  std::string path;            // the file that is (or will be, by the plug-in) read
  PresetRecordValues values;   // a file's values; unused for a factory preset
};

// Resolves the argument before anything is applied: an exact catalogue name is a
// factory preset, whose file must be installed in the library folder; otherwise an
// existing file is a preset file, which must hold a record with at least one value.
// Anything else is an error that suggests the closest catalogue name.
Status ResolvePresetArgument(const std::string& argument, PresetChoice* choice);

// Applies the choice to Moravelle: PresetSelector set to the factory number, or each
// value of the file, clamped to its parameter's range, set as a host sets it.
Status ApplyPresetChoice(const PresetChoice& choice, RenderTarget& target);
