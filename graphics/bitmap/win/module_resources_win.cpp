// Module resources on Windows: resources of type "PNG" with integer ids.
#include <windows.h>

#include "graphics/bitmap/module_resources.h"

ModuleHandle ModuleContaining(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module))
    return nullptr;
  return module;
}

bool FindPngResource(ModuleHandle module, int resourceId, const unsigned char** data, size_t* size) {
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(handle, MAKEINTRESOURCEA(resourceId), "PNG");
  if (!found) return false;
  DWORD length = SizeofResource(handle, found);
  HGLOBAL loaded = LoadResource(handle, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  *data = static_cast<const unsigned char*>(bytes);
  *size = length;
  return true;
}
