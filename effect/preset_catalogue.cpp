#include "effect/preset_catalogue.h"

#include <cmath>

namespace {

const char* const kNames[kFactoryPresetCount + 1] = {
    kPresetLibraryTitle,
    "WLCM - Inside The First Room",
    "STUDIO - PostProcess H",
    "STUDIO - PostProcess L",
    "STUDIO - PreProcess H",
    "STUDIO - PreProcess L",
    "ROOM - Early Vibes",
    "ROOM - Wide Reflections 1",
    "ROOM - Wide Reflections 2",
    "DRUM - Big Punch",
    "DRUM - Deeper",
    "DRUM - High End Designs",
    "DRUM - Industrial",
    "GUITAR - Country Souls",
    "GUITAR - Gentle Crunch 1",
    "GUITAR - Gentle Crunch 2",
    "GUITAR - Once Upon A Fable",
    "GUITAR - Small Room Overtones",
    "GUITAR - South Passage",
    "GUITAR - The Strum Pad",
    "GUITAR - Transduced Spaces",
    "GUITAR - Wide Electric Echoes",
    "VOCAL - Studio LoFi 1",
    "VOCAL - Studio LoFi 2",
    "VOCAL - Studio LoFi 3",
    "VOCAL - Studio Professional 1",
    "VOCAL - Studio Professional 2",
    "VOCAL - Studio Professional 3",
    "SCAPE - Shadow Flares 1",
    "SCAPE - Shadow Flares 2",
    "SCAPE - Space Drops",
    "SCAPE - Time Tide Projection",
};

}  // namespace

const PresetCategory kPresetCategories[kPresetCategoryCount] = {
    {"Factory > Studio", 2, 5},   {"Factory > Rooms", 6, 8},   {"Factory > Drums", 9, 12},
    {"Factory > Guitars", 13, 21}, {"Factory > Vocals", 22, 27}, {"Factory > Scapes", 28, 31},
};

const char* FactoryPresetName(int number) {
  return number >= 0 && number <= kFactoryPresetCount ? kNames[number] : nullptr;
}

std::string FactoryPresetRelativePath(int number) {
  if (number < 1 || number > kFactoryPresetCount) return {};
  return std::string("Factory/") + kNames[number] + "." + kPresetFileExtension;
}

int PresetNumberFromSelector(double value) {
  const double shifted = std::trunc(value + 0.5);
  // Only 1 to 31 name a file; anything else, however large, is "no preset".
  if (!(shifted >= 0.0 && shifted <= 1.0e6)) return 0;
  return static_cast<int>(shifted);
}

int FactoryPresetNumber(const std::string& name) {
  for (int n = 1; n <= kFactoryPresetCount; ++n)
    if (name == kNames[n]) return n;
  return 0;
}
