#include "vst3_module.h"

#include <filesystem>

#include "hosts/common/native_path.h"
#include "hosts/common/plugin_module.h"

namespace host3 {
namespace {

#if defined(_WIN32)
constexpr const char* kBundleArch = "x86_64-win";
constexpr const char* kBinaryExtension = ".vst3";
constexpr const char* kEntryName = "InitDll";
constexpr const char* kExitName = "ExitDll";
#else
constexpr const char* kBundleArch = "x86_64-linux";
constexpr const char* kBinaryExtension = ".so";
constexpr const char* kEntryName = "ModuleEntry";
constexpr const char* kExitName = "ModuleExit";
#endif

using GetFactoryFunc = vst3::IPluginFactory*(PLUGIN_API*)();
using InitFunc = bool (*)();
using EntryFunc = bool (*)(void*);
using ExitFunc = bool (*)();

}  // namespace

std::string Vst3Module::ResolveBinary(const std::string& path) {
  const std::string native = NativePath(path);
  std::error_code ec;
  if (!std::filesystem::is_directory(native, ec)) return native;
  const std::filesystem::path bundle(native);
  const std::string base = bundle.stem().string();
  return (bundle / "Contents" / kBundleArch / (base + kBinaryExtension)).string();
}

std::unique_ptr<Vst3Module> Vst3Module::Open(const std::string& path, std::string* error) {
  auto fail = [error](const std::string& why) -> std::unique_ptr<Vst3Module> {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  std::unique_ptr<Vst3Module> module(new Vst3Module());
  module->binaryPath_ = ResolveBinary(path);
  std::string reason;
  module->library_ = PluginModule::Open(module->binaryPath_, &reason);
  if (!module->library_) return fail("cannot load " + module->binaryPath_ + ": " + reason);
#if defined(_WIN32)
  // InitDll is optional on Windows; a module without it is entered by loading.
  auto init = reinterpret_cast<InitFunc>(module->Symbol(kEntryName));
  if (init != nullptr && !init()) return fail("InitDll failed");
  module->entered_ = true;
#else
  // Linux hosts must call ModuleEntry with the library's handle before anything else.
  auto entry = reinterpret_cast<EntryFunc>(module->Symbol(kEntryName));
  if (entry == nullptr || module->Symbol(kExitName) == nullptr) return fail("no ModuleEntry/ModuleExit");
  if (!entry(module->library_->Handle())) return fail("ModuleEntry failed");
  module->entered_ = true;
#endif
  auto getFactory = reinterpret_cast<GetFactoryFunc>(module->Symbol("GetPluginFactory"));
  if (getFactory == nullptr) return fail("no GetPluginFactory");
  module->factory_ = getFactory();
  if (module->factory_ == nullptr) return fail("GetPluginFactory returned null");
  return module;
}

void* Vst3Module::Symbol(const char* name) const { return library_ ? library_->Symbol(name) : nullptr; }

Vst3Module::~Vst3Module() {
  if (factory_ != nullptr) factory_->release();
  if (entered_)
    if (auto exitModule = reinterpret_cast<ExitFunc>(Symbol(kExitName))) exitModule();
  // library_ unloads the binary after the exit call.
}

}  // namespace host3
