#pragma once
// Memory placed above 4 GiB, so that a pointer passed in a pointer-sized argument
// that a plug-in cut to 32 bits would point elsewhere. Falls back to null when the
// system does not give such an address.

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

class HighMemory {
 public:
  explicit HighMemory(size_t bytes) : bytes_(bytes) {
#ifdef _WIN32
    for (uintptr_t hint = uintptr_t{1} << 33; hint < (uintptr_t{1} << 40) && data_ == nullptr; hint <<= 1)
      data_ = VirtualAlloc(reinterpret_cast<void*>(hint), bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
    void* p = mmap(reinterpret_cast<void*>(uintptr_t{0x7e0000000000}), bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    data_ = p == MAP_FAILED ? nullptr : p;
#endif
    if (data_ != nullptr && reinterpret_cast<uintptr_t>(data_) <= 0xFFFFFFFFu) Release();
  }
  ~HighMemory() { Release(); }
  HighMemory(const HighMemory&) = delete;
  HighMemory& operator=(const HighMemory&) = delete;

  void* Data() const { return data_; }

 private:
  void Release() {
    if (data_ == nullptr) return;
#ifdef _WIN32
    VirtualFree(data_, 0, MEM_RELEASE);
#else
    munmap(data_, bytes_);
#endif
    data_ = nullptr;
  }
  size_t bytes_;
  void* data_ = nullptr;
};
