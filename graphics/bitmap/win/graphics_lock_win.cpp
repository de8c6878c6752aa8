#include <windows.h>

#include "graphics/bitmap/graphics_lock.h"

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
}  // namespace

GraphicsLock::GraphicsLock() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(storage_));
  InitializeCriticalSection(Section(storage_));
}
GraphicsLock::~GraphicsLock() { DeleteCriticalSection(Section(storage_)); }
void GraphicsLock::Lock() { EnterCriticalSection(Section(storage_)); }
void GraphicsLock::Unlock() { LeaveCriticalSection(Section(storage_)); }
