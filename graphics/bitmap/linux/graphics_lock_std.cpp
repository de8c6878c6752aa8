#include <mutex>
#include <new>

#include "graphics/bitmap/graphics_lock.h"

namespace {
std::recursive_mutex* Mutex(unsigned char* storage) { return std::launder(reinterpret_cast<std::recursive_mutex*>(storage)); }
}  // namespace

GraphicsLock::GraphicsLock() {
  static_assert(sizeof(std::recursive_mutex) <= sizeof(storage_));
  new (storage_) std::recursive_mutex();
}
GraphicsLock::~GraphicsLock() { Mutex(storage_)->~recursive_mutex(); }
void GraphicsLock::Lock() { Mutex(storage_)->lock(); }
void GraphicsLock::Unlock() { Mutex(storage_)->unlock(); }
