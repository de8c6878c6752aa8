#pragma once
// The instance lock: a recursive mutex, a Win32 critical section on Windows.
// The platform half lives in platform/recursive_lock_*.cpp.

class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void Lock();
  void Unlock();
  bool TryLock();  // true when taken (also when this thread holds it already)

 private:
  // Opaque room for the platform object (CRITICAL_SECTION is 40 bytes on x64,
  // std::recursive_mutex 40 with glibc); each platform file checks that it fits.
  alignas(16) unsigned char storage_[64];
};

// Holds a lock for one scope.
class ScopedLock {
 public:
  explicit ScopedLock(RecursiveLock& lock) : lock_(lock) { lock_.Lock(); }
  ~ScopedLock() { lock_.Unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  RecursiveLock& lock_;
};
