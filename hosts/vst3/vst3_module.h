#pragma once
// A loaded VST 3 module: the shared library (through the hosts' one loader), its
// entry and exit calls and its factory. Accepts the binary itself or a bundle folder
// (Name.vst3), which is resolved to Contents/x86_64-linux/Name.so or
// Contents/x86_64-win/Name.vst3.

#include <memory>
#include <string>

#include "abi/vst3/vst3_factory_interfaces.h"

class PluginModule;

namespace host3 {

class Vst3Module {
 public:
  // Loads, calls the entry function and fetches the factory; null with a reason.
  static std::unique_ptr<Vst3Module> Open(const std::string& path, std::string* error);
  // Releases the factory, calls the exit function, unloads.
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  vst3::IPluginFactory* Factory() const { return factory_; }
  const std::string& BinaryPath() const { return binaryPath_; }
  // A symbol of the module, or null.
  void* Symbol(const char* name) const;

  // The binary inside a bundle folder, as the platform's loader takes its path.
  static std::string ResolveBinary(const std::string& path);

 private:
  Vst3Module() = default;
  std::unique_ptr<PluginModule> library_;
  bool entered_ = false;  // the entry call succeeded, so the exit call is owed
  vst3::IPluginFactory* factory_ = nullptr;
  std::string binaryPath_;
};

}  // namespace host3
