#include "built_factory_presets.h"

#include <filesystem>
#include <system_error>

#include "effect/preset_catalogue.h"
#include "executable_folder.h"

namespace {

// The install layout's folder for the factory presets (cmake/install_layout.cmake),
// relative to the prefix.
constexpr const char* kInstalledPresetFolder = "share/moravelle/presets/";

}  // namespace

std::vector<std::string> BuiltFactoryPresetFolders(const std::string& executableFolder) {
  std::vector<std::string> folders;
  if (!executableFolder.empty()) {
    std::filesystem::path bin = std::filesystem::path(executableFolder).lexically_normal();
    if (!bin.has_filename()) bin = bin.parent_path();  // "<prefix>/bin/"
    const std::filesystem::path prefix = bin.parent_path();
    folders.push_back((prefix / kInstalledPresetFolder).string());
  }
#ifdef MORAVELLE_RENDER_SOURCE_PRESET_FOLDER
  folders.push_back(std::string(MORAVELLE_RENDER_SOURCE_PRESET_FOLDER) + "/");
#endif
  return folders;
}

std::vector<std::string> BuiltFactoryPresetFolders() { return BuiltFactoryPresetFolders(ExecutableFolder().string()); }

std::string BuiltFactoryPresetFile(int number, const std::vector<std::string>& folders) {
  const std::string relative = FactoryPresetRelativePath(number);
  if (relative.empty()) return {};
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder + relative, ec)) return folder + relative;
  }
  return {};
}
