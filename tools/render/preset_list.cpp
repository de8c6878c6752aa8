#include "preset_list.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "built_factory_presets.h"
#include "effect/preset_catalogue.h"
#include "effect/preset_library_folder.h"
#include "preset_choice.h"

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
  for (const std::string& folder : BuiltFactoryPresetFolders()) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder + "Factory", ec))
      std::fprintf(stream, "# built %sFactory/ (for a preset not installed)\n", folder.c_str());
  }
  std::fprintf(stream, "%6s  %-8s %-10s %s\n", "number", "category", "file", "name");
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    PresetChoice choice;
    const bool found = ResolvePresetArgument(FactoryPresetName(n), &choice).ok();
    const char* where = !found ? "missing" : choice.factoryNumber > 0 ? "installed" : "built";
    std::fprintf(stream, "%6d  %-8s %-10s %s\n", n, CategoryOf(n).c_str(), where, FactoryPresetName(n));
  }
}
