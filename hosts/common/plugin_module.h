#pragma once
// A loaded plug-in binary: dlopen on Linux, LoadLibrary on Windows; the one loader of
// both hosts. The platform half lives in plugin_module_posix.cpp / plugin_module_win32.cpp.

#include <memory>
#include <string>

class PluginModule {
 public:
  // Loads the binary at path (mapped by NativePath); null with a reason in *error
  // when it cannot be loaded.
  static std::unique_ptr<PluginModule> Open(const std::string& path, std::string* error);
  ~PluginModule();  // unloads the binary
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  // The platform's handle (dlopen's, or the HMODULE), for entry calls that take it.
  void* Handle() const { return handle_; }

 private:
  explicit PluginModule(void* handle) : handle_(handle) {}
  void* handle_;
};
