#pragma once
// A recursive lock for the process-wide state of this layer (the font scratch
// surfaces and the count of live fonts): a critical section on Windows, a
// recursive mutex elsewhere. The platform halves are */graphics_lock_*.cpp.

class GraphicsLock {
 public:
  GraphicsLock();
  ~GraphicsLock();
  GraphicsLock(const GraphicsLock&) = delete;
  GraphicsLock& operator=(const GraphicsLock&) = delete;

  void Lock();
  void Unlock();

 private:
  // Room for CRITICAL_SECTION (40 bytes on x64) or std::recursive_mutex (40
  // with glibc); each platform file checks that its object fits.
  alignas(16) unsigned char storage_[64];
};

// Holds a lock for one scope.
class GraphicsLockHold {
 public:
  explicit GraphicsLockHold(GraphicsLock& lock) : lock_(lock) { lock_.Lock(); }
  ~GraphicsLockHold() { lock_.Unlock(); }
  GraphicsLockHold(const GraphicsLockHold&) = delete;
  GraphicsLockHold& operator=(const GraphicsLockHold&) = delete;

 private:
  GraphicsLock& lock_;
};
