#include "effect/factory_preset_location.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "effect/preset_catalogue.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

constexpr const char* kSharedPresetSuffix = "share/moravelle/presets/";
// A module lies a few folders below lib/ (lib/vst3/Moravelle.vst3/Contents/x86_64-linux/).
constexpr int kAncestorLimit = 8;

bool EntryExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::path(path), ec) && !ec;
}

bool EntryIsMissing(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(std::filesystem::path(path), ec);
  // An error other than "not found" (a denied folder on the way) counts as present.
  return status.type() == std::filesystem::file_type::not_found;
}

#if !defined(_WIN32)
std::string LoadedModulePath() {
  Dl_info info{};
  // Any function of this file names the module it was linked into: the plug-in's
  // .so, or the executable for the tools and tests.
  if (dladdr(reinterpret_cast<void*>(&SharedPresetFolderBesideModule), &info) == 0 || info.dli_fname == nullptr)
    return {};
  return info.dli_fname;
}
#endif

std::vector<std::string> FindSharedFolders() {
  std::vector<std::string> folders;
#if !defined(_WIN32)
  const std::string module = LoadedModulePath();
  std::error_code ec;
  const std::filesystem::path real = module.empty() ? std::filesystem::path() : std::filesystem::canonical(module, ec);
  for (const std::string& path : {module, ec ? std::string() : real.string()}) {
    const std::string folder = SharedPresetFolderBesideModule(path);
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
#endif
  return folders;
}

}  // namespace

std::string SharedPresetFolderBesideModule(const std::string& modulePath) {
  if (modulePath.empty() || modulePath[0] != '/') return {};
  std::filesystem::path folder = std::filesystem::path(modulePath).lexically_normal().parent_path();
  for (int depth = 0; depth < kAncestorLimit && folder.has_relative_path(); ++depth) {
    const std::string name = folder.filename().string();
    if (name == "lib" || name == "lib64") {
      std::string prefix = folder.parent_path().string();
      if (prefix.empty() || prefix.back() != '/') prefix += '/';
      return prefix + kSharedPresetSuffix;
    }
    folder = folder.parent_path();
  }
  return {};
}

const std::vector<std::string>& SharedFactoryPresetFolders() {
  static const std::vector<std::string> folders = FindSharedFolders();
  return folders;
}

std::string FactoryPresetPath(const std::string& libraryFolder, int number,
                              const std::vector<std::string>& sharedFolders) {
  if (libraryFolder.empty()) return {};
  const std::string relative = FactoryPresetRelativePath(number);
  const std::string inLibrary = libraryFolder + relative;
  if (relative.empty() || !EntryIsMissing(inLibrary)) return inLibrary;
  for (const std::string& folder : sharedFolders)
    if (EntryExists(folder + relative)) return folder + relative;
  return inLibrary;
}
