#pragma once
// A loaded VST 3 module: the shared library, its entry and exit calls and its
// factory. Accepts the binary itself or a bundle folder (Name.vst3), which is
// resolved to Contents/x86_64-linux/Name.so or Contents/x86_64-win/Name.vst3.
// On Windows an absolute Unix path (as a test passes it under Wine) is mapped to
// drive Z:.

#include <memory>
#include <string>

#include "adapters/vst3/sdk/vst3_factory_interfaces.h"

namespace host3 {

class ModuleLibrary {
 public:
  // Loads, calls the entry function and fetches the factory; null with a reason.
  static std::unique_ptr<ModuleLibrary> Open(const std::string& path, std::string* error);
  // Releases the factory, calls the exit function, unloads.
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  vst3::IPluginFactory* Factory() const { return factory_; }
  const std::string& BinaryPath() const { return binaryPath_; }
  // A symbol of the module, or null.
  void* Symbol(const char* name) const;

  static std::string ResolveBinary(const std::string& path);

 private:
  ModuleLibrary() = default;
  void* handle_ = nullptr;
  vst3::IPluginFactory* factory_ = nullptr;
  std::string binaryPath_;
};

}  // namespace host3
