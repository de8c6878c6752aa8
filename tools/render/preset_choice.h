#pragma once
// --preset: a factory preset by its catalogue name, selected through the plug-in's
// own PresetSelector so that the plug-in loads it from its library folder, or a
// preset file read here, with the effect's own reader, and applied as parameter
// changes. A factory preset that is not installed in the library is such a file:
// the one this renderer was built with (built_factory_presets.h).

#include <string>

#include "effect/preset_text.h"
#include "render_status.h"
#include "render_target.h"

struct PresetChoice {
  int factoryNumber = 0;       // 1..31 for a factory preset the plug-in loads itself, else 0
  std::string path;            // the file that is (or will be, by the plug-in) read
  PresetRecordValues values;   // a file's values; unused when the plug-in loads the preset
  std::string origin;          // a factory preset read from a built file: a line saying so
};

// Resolves the argument before anything is applied: an exact catalogue name is a
// factory preset, loaded by the plug-in when its file is installed in the library
// folder, else read from the built factory file when the library has nothing in its
// place (a folder or a broken file there is the user's, and the plug-in would load
// nothing: an error, as when no built file exists either); otherwise an existing
// file is a preset file, which must hold a record with at least one value.
// Anything else is an error that suggests the closest catalogue name.
Status ResolvePresetArgument(const std::string& argument, PresetChoice* choice);

// Applies the choice to Moravelle: PresetSelector set to the factory number, or each
// value of the file, clamped to its parameter's range, set as a host sets it.
Status ApplyPresetChoice(const PresetChoice& choice, RenderTarget& target);
