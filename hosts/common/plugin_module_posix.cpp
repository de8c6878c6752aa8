// Loads plug-in binaries the way Linux hosts do: RTLD_LOCAL, so that plug-ins
// cannot see each other's symbols.
#include <dlfcn.h>

#include "native_path.h"
#include "plugin_module.h"

std::unique_ptr<PluginModule> PluginModule::Open(const std::string& path, std::string* error) {
  void* handle = dlopen(NativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = dlerror();
      *error = reason != nullptr ? reason : "dlopen failed";
    }
    return nullptr;
  }
  return std::unique_ptr<PluginModule>(new PluginModule(handle));
}

PluginModule::~PluginModule() { dlclose(handle_); }

void* PluginModule::Symbol(const char* name) const { return dlsym(handle_, name); }
