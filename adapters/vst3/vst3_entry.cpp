#include "vst3_entry.h"

#include <new>

#include "adapters/vst3/sdk/plugin_factory.h"
#include "abi/vst3/text16.h"
#include "effect/moravelle.h"
#include "effect/moravelle_version.h"
#include "framework/recursive_lock.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace vst3;

namespace {

// Process-wide locks, created on first use so that nothing depends on the order of
// static construction across the module.
RecursiveLock& CreationLock() {
  static RecursiveLock lock;
  return lock;
}
RecursiveLock& FactoryLock() {
  static RecursiveLock lock;
  return lock;
}

CPluginFactory* gFactory = nullptr;  // holds the module's own reference
void* gModuleHandle = nullptr;
int gEntryCount = 0;  // hosts may load, scan and load again: entry and exit pair up

FUnknown* CreateMoravelle(void*) {
  ScopedLock hold(CreationLock());
  try {
    auto* effect = new Moravelle(Moravelle::HostArgs{});
    return static_cast<IAudioProcessor*>(effect);
  } catch (...) {
    return nullptr;  // nothing may cross into the host
  }
}

PClassInfo2 MoravelleClassInfo() {
  const PluginConfig config = MoravelleConfig();
  PClassInfo2 info{};
  const Uid cid = MoravelleClassId();
  std::memcpy(info.cid, cid.bytes, sizeof info.cid);
  info.cardinality = PClassInfo::kManyInstances;
  CopyText8(info.category, sizeof info.category, "Audio Module Class");
  CopyText8(info.name, sizeof info.name, config.effectName);
  info.classFlags = kSimpleModeSupported;
  CopyText8(info.subCategories, sizeof info.subCategories, "Fx|Reverb");
  CopyText8(info.vendor, sizeof info.vendor, "");
  CopyText8(info.version, sizeof info.version, kMoravelleVersionText);
  CopyText8(info.sdkVersion, sizeof info.sdkVersion, "VST 3.6.0");
  return info;
}

CPluginFactory* MakeFactory() {
  PFactoryInfo info{};
  CopyText8(info.vendor, sizeof info.vendor, MoravelleConfig().makerName);
  CopyText8(info.url, sizeof info.url, "https://www.pellionaudio.com");
  CopyText8(info.email, sizeof info.email, "mailto:support@pellionaudio.com");
  info.flags = PFactoryInfo::kUnicode;
  auto* factory = new CPluginFactory(info);
  factory->AddClass(MoravelleClassInfo(), CreateMoravelle);
  return factory;
}

bool EnterModule(void* handle) {
  ScopedLock hold(FactoryLock());
  if (gEntryCount++ == 0) gModuleHandle = handle;
  return true;
}

bool LeaveModule() {
  ScopedLock hold(FactoryLock());
  if (gEntryCount == 0 || --gEntryCount > 0) return true;
  // The host's own references keep the factory alive; the module lets go of its one.
  if (gFactory != nullptr) gFactory->release();
  gFactory = nullptr;
  return true;
}

}  // namespace

Uid MoravelleClassId() {
  const PluginConfig config = MoravelleConfig();
  return Uid::FromNumbers(0xF2AEE70D, 0x00DE4F4E, static_cast<uint32>(config.makerId),
                          static_cast<uint32>(config.uniqueId));
}

void* Vst3ModuleHandle() { return gModuleHandle; }

extern "C" {

MORAVELLE_VST3_EXPORT IPluginFactory* PLUGIN_API GetPluginFactory() {
  ScopedLock hold(FactoryLock());
  try {
    if (gFactory == nullptr) gFactory = MakeFactory();
  } catch (...) {
    return nullptr;
  }
  gFactory->addRef();  // the caller's reference
  return gFactory;
}

#if defined(_WIN32)
MORAVELLE_VST3_EXPORT bool InitDll() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&InitDll), &module);
  return EnterModule(module);
}

MORAVELLE_VST3_EXPORT bool ExitDll() { return LeaveModule(); }
#else
MORAVELLE_VST3_EXPORT bool ModuleEntry(void* sharedLibraryHandle) { return EnterModule(sharedLibraryHandle); }
MORAVELLE_VST3_EXPORT bool ModuleExit() { return LeaveModule(); }
#endif

}  // extern "C"
