// The deliverable's exported entry points: VSTPluginMain, and the legacy `main`
// that some hosts look up first. Only these two symbols leave the module.
#include <algorithm>
#include <new>

#include "effect/moravelle.h"
#include "framework/recursive_lock.h"
#include "vst2_plugin.h"

#if defined(_WIN32)
#define MORAVELLE_VST2_EXPORT __declspec(dllexport)
#else
#define MORAVELLE_VST2_EXPORT __attribute__((visibility("default")))
#endif

namespace {
// Serialises instance creation across the process. Created on first use and
// destroyed when the module unloads; a critical section on Windows.
RecursiveLock& CreationLock() {
  static RecursiveLock lock;
  return lock;
}
}  // namespace

extern "C" MORAVELLE_VST2_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
  ScopedLock hold(CreationLock());
  // No exception may reach the host: a failed creation is a null record.
  try {
    Vst2Plugin::HostArgs args;
    args.hostCallback = hostCallback;
    auto* effect = new Moravelle(args);
    effect->FillEmptyPresets("Empty", effect->PresetCount());
    AEffect* record = effect->Effect();
    record->numPrograms = std::max(record->numPrograms, 1);
    return record;
  } catch (...) {
    return nullptr;
  }
}

// A C++ function cannot be called main and return a pointer, so the legacy entry
// gets its symbol name from an assembler label. Programs that link the entry point
// in (the fuzzers) have a main of their own and leave it out.
#if !defined(MORAVELLE_VST2_NO_LEGACY_MAIN)
extern "C" MORAVELLE_VST2_EXPORT AEffect* LegacyVstMain(audioMasterCallback hostCallback) __asm__("main");
extern "C" AEffect* LegacyVstMain(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
#endif
