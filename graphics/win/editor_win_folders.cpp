// EditorWin: the folders the editor reports (host, plug-in, desktop, app data).
#include <windows.h>
#include <shlobj.h>

#include "graphics/win/editor_win.h"

namespace {

// The folder of a module's file, with its trailing backslash; "" when unknown.
std::string FolderOfModule(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string folder(path, length);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace

void EditorWin::HostFolder(std::string& out) { out = FolderOfModule(nullptr); }

void EditorWin::PluginFolder(std::string& out) { out = FolderOfModule(static_cast<HMODULE>(moduleInstance_)); }

void EditorWin::DesktopFolder(std::string& out) {
  char path[MAX_PATH] = {};
  out = SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE) ? path : "";
}

void EditorWin::AppDataFolder(std::string& out, bool allUsers) {
  char path[MAX_PATH] = {};
  const int folder = allUsers ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  out = SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}
