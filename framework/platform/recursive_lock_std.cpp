// Portable instance lock for every platform but Windows.
#include <mutex>
#include <new>

#include "../recursive_lock.h"

namespace {
std::recursive_mutex& Mutex(unsigned char* storage) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() {
  static_assert(sizeof(std::recursive_mutex) <= sizeof(storage_));
  static_assert(alignof(std::recursive_mutex) <= 16);
  new (storage_) std::recursive_mutex();
}
RecursiveLock::~RecursiveLock() { Mutex(storage_).~recursive_mutex(); }
void RecursiveLock::Lock() { Mutex(storage_).lock(); }
void RecursiveLock::Unlock() { Mutex(storage_).unlock(); }
bool RecursiveLock::TryLock() { return Mutex(storage_).try_lock(); }
