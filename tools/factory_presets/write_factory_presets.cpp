// moravelle-factory-presets FOLDER: writes the 31 factory preset files into FOLDER
// with the effect's own writer, so their bytes are exactly what the plug-in writes.
// The committed files in resources/presets/Factory come from here
// (the factory-presets-update target).
#include <cstdio>
#include <string>

#include "effect/preset_catalogue.h"
#include "effect/preset_file_io.h"
#include "effect/preset_text.h"
#include "factory_preset_designs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: moravelle-factory-presets FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    const std::string path = folder + "/" + FactoryPresetName(n) + "." + kPresetFileExtension;
    if (!ReplaceFileWithText(path, ComposePresetText(FactoryPresetValues(n).data()))) {
      std::fprintf(stderr, "moravelle-factory-presets: cannot write '%s'\n", path.c_str());
      return 1;
    }
  }
  std::printf("wrote %d factory presets into %s\n", kFactoryPresetCount, folder.c_str());
  return 0;
}
