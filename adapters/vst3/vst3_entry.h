#pragma once
// The module's exported functions and its one class. GetPluginFactory creates the
// factory on its first call; later calls add a reference to the same factory.
// The module keeps one reference of its own until the exit function runs.

#include "abi/vst3/vst3_factory_interfaces.h"

#if defined(_WIN32)
#define MORAVELLE_VST3_EXPORT __declspec(dllexport)
#else
#define MORAVELLE_VST3_EXPORT __attribute__((visibility("default")))
#endif

// The plug-in's class ID in the four-number form: 0xF2AEE70D, 0x00DE4F4E, the maker
// ID ("Plln"), the unique ID ("Mrv2").
vst3::Uid MoravelleClassId();

// The platform module handle the entry function received (Windows: the DLL's
// HMODULE, for resource loading; Linux: the host's dlopen handle); null before.
void* Vst3ModuleHandle();

extern "C" {
MORAVELLE_VST3_EXPORT vst3::IPluginFactory* PLUGIN_API GetPluginFactory();
#if defined(_WIN32)
MORAVELLE_VST3_EXPORT bool InitDll();
MORAVELLE_VST3_EXPORT bool ExitDll();
#else
MORAVELLE_VST3_EXPORT bool ModuleEntry(void* sharedLibraryHandle);
MORAVELLE_VST3_EXPORT bool ModuleExit();
#endif
}
