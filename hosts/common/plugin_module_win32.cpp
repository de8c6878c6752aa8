// Loads plug-in DLLs the way Windows hosts do.
#include <windows.h>

#include <cstdio>

#include "native_path.h"
#include "plugin_module.h"

std::unique_ptr<PluginModule> PluginModule::Open(const std::string& path, std::string* error) {
  HMODULE handle = LoadLibraryA(NativePath(path).c_str());
  if (handle == nullptr) {
    if (error != nullptr) {
      char text[64];
      std::snprintf(text, sizeof text, "LoadLibrary failed, error %lu", GetLastError());
      *error = text;
    }
    return nullptr;
  }
  return std::unique_ptr<PluginModule>(new PluginModule(handle));
}

PluginModule::~PluginModule() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* PluginModule::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}
