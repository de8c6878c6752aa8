// moravelle-preset-survey [--markdown] [FOLDER]: renders every factory preset file in
// FOLDER (by default the committed resources/presets/Factory) through the effect
// compiled in and prints, per preset, its RT60, the spectral centroid of its tail and
// the peak and level of the built-in demo rendered through it. --markdown prints the
// table that docs/presets.md carries.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effect/preset_catalogue.h"
#include "preset_survey.h"

int main(int argc, char** argv) {
  bool markdown = false;
  std::string folder = MORAVELLE_FACTORY_PRESET_SOURCE_DIR;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--markdown") == 0) {
      markdown = true;
    } else if (argv[i][0] != '-') {
      folder = argv[i];
    } else {
      std::fprintf(stderr, "usage: moravelle-preset-survey [--markdown] [FOLDER]\n");
      return 2;
    }
  }
  std::vector<PresetSurveyRow> rows;
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    PresetSurveyRow row;
    row.number = n;
    row.name = FactoryPresetName(n);
    const std::string path = folder + "/" + row.name + "." + kPresetFileExtension;
    const Status status = SurveyPreset(path, &row);
    if (!status.ok()) {
      std::fprintf(stderr, "moravelle-preset-survey: %s\n", status.message().c_str());
      return 1;
    }
    rows.push_back(row);
  }
  std::fputs((markdown ? SurveyMarkdownTable(rows) : SurveyTextTable(rows)).c_str(), stdout);
  return 0;
}
