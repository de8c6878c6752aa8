// Windows instance lock: a critical section, recursive by nature.
#include <windows.h>

#include "../recursive_lock.h"

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
}  // namespace

RecursiveLock::RecursiveLock() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(storage_));
  InitializeCriticalSection(Section(storage_));
}
RecursiveLock::~RecursiveLock() { DeleteCriticalSection(Section(storage_)); }
void RecursiveLock::Lock() { EnterCriticalSection(Section(storage_)); }
void RecursiveLock::Unlock() { LeaveCriticalSection(Section(storage_)); }
bool RecursiveLock::TryLock() { return TryEnterCriticalSection(Section(storage_)) != 0; }
