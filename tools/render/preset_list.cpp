#include "preset_list.h"

#include <string>

#include "effect/preset_catalogue.h"
#include "effect/preset_file_io.h"
#include "effect/preset_library_folder.h"

namespace {

// The category label without its "Factory > " menu prefix; number 1 stands in the
// main menu, outside every category.
std::string CategoryOf(int number) {
  for (const PresetCategory& category : kPresetCategories) {
    if (number < category.firstNumber || number > category.lastNumber) continue;
    const std::string label = category.label;
    const size_t arrow = label.find("> ");
    return arrow == std::string::npos ? label : label.substr(arrow + 2);
  }
  return "Main";
}

}  // namespace

void PrintPresetList(std::FILE* stream) {
  const std::string library = PresetLibraryFolder();
  if (library.empty())
    std::fprintf(stream, "# no preset library folder (neither XDG_DOCUMENTS_DIR nor HOME is set)\n");
  else
    std::fprintf(stream, "# library %s\n", library.c_str());
  std::fprintf(stream, "%6s  %-8s %-10s %s\n", "number", "category", "file", "name");
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    std::string record;
    const bool installed = !library.empty() && ReadPresetRecord(library + FactoryPresetRelativePath(n), record) ==
                                                   PresetReadResult::kRecord;
    std::fprintf(stream, "%6d  %-8s %-10s %s\n", n, CategoryOf(n).c_str(), installed ? "installed" : "missing",
                 FactoryPresetName(n));
  }
}
