#include "module_library.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host3 {
namespace {

#if defined(_WIN32)
constexpr const char* kBundleArch = "x86_64-win";
constexpr const char* kBinaryExtension = ".vst3";
#else
constexpr const char* kBundleArch = "x86_64-linux";
constexpr const char* kBinaryExtension = ".so";
#endif

using GetFactoryFunc = vst3::IPluginFactory* (PLUGIN_API*)();
using InitFunc = bool (*)();
using EntryFunc = bool (*)(void*);
using ExitFunc = bool (*)();

std::string NativePath(std::string path) {
#if defined(_WIN32)
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

}  // namespace

std::string ModuleLibrary::ResolveBinary(const std::string& path) {
  const std::string native = NativePath(path);
  std::error_code ec;
  if (!std::filesystem::is_directory(native, ec)) return native;
  const std::filesystem::path bundle(native);
  const std::string base = bundle.stem().string();
  return (bundle / "Contents" / kBundleArch / (base + kBinaryExtension)).string();
}

std::unique_ptr<ModuleLibrary> ModuleLibrary::Open(const std::string& path, std::string* error) {
  auto fail = [error](const std::string& why) -> std::unique_ptr<ModuleLibrary> {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  std::unique_ptr<ModuleLibrary> module(new ModuleLibrary());
  module->binaryPath_ = ResolveBinary(path);
#if defined(_WIN32)
  module->handle_ = LoadLibraryA(module->binaryPath_.c_str());
  if (module->handle_ == nullptr) return fail("cannot load " + module->binaryPath_);
  if (auto init = reinterpret_cast<InitFunc>(module->Symbol("InitDll")); init != nullptr && !init())
    return fail("InitDll failed");
#else
  module->handle_ = dlopen(module->binaryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module->handle_ == nullptr) return fail(std::string("cannot load: ") + dlerror());
  auto entry = reinterpret_cast<EntryFunc>(module->Symbol("ModuleEntry"));
  if (entry == nullptr || module->Symbol("ModuleExit") == nullptr) return fail("no ModuleEntry/ModuleExit");
  if (!entry(module->handle_)) return fail("ModuleEntry failed");
#endif
  auto getFactory = reinterpret_cast<GetFactoryFunc>(module->Symbol("GetPluginFactory"));
  if (getFactory == nullptr) return fail("no GetPluginFactory");
  module->factory_ = getFactory();
  if (module->factory_ == nullptr) return fail("GetPluginFactory returned null");
  return module;
}

void* ModuleLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

ModuleLibrary::~ModuleLibrary() {
  if (factory_ != nullptr) factory_->release();
  if (handle_ == nullptr) return;
#if defined(_WIN32)
  if (auto exitDll = reinterpret_cast<ExitFunc>(Symbol("ExitDll"))) exitDll();
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  if (auto exitModule = reinterpret_cast<ExitFunc>(Symbol("ModuleExit"))) exitModule();
  dlclose(handle_);
#endif
}

}  // namespace host3
