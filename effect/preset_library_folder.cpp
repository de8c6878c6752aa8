#include "effect/preset_library_folder.h"

#include <algorithm>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#include <shlobj.h>
#endif

namespace {

constexpr const char* kLibrarySuffix = "/PellionAudio/Moravelle/Presets";

std::string PlatformDocumentsFolder() {
#if defined(_WIN32)
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
#else
  const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
  if (documents != nullptr && documents[0] == '/') return documents;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/Documents";
#endif
}

}  // namespace

std::string SharedDocumentsFolder() {
  std::string folder = PlatformDocumentsFolder();
  std::replace(folder.begin(), folder.end(), '\\', '/');
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string PresetLibraryFolder() {
  const std::string documents = SharedDocumentsFolder();
  if (documents.empty()) return {};
  return documents + kLibrarySuffix + "/";
}

std::string PresetDialogFolder() {
  const std::string documents = SharedDocumentsFolder();
  if (documents.empty()) return {};
  std::string folder = documents + kLibrarySuffix;
#if defined(_WIN32)
  std::replace(folder.begin(), folder.end(), '/', '\\');
#endif
  if (folder.size() > 511) folder.resize(511);  // the dialogs' 512-byte buffer
  return folder;
}
