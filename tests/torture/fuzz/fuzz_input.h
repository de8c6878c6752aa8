#pragma once
// Reads a fuzzer's bytes as a stream of small values; past the end every read is 0.

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  size_t Remaining() const { return size_ - pos_; }

  template <typename T>
  T Take() {
    T v{};
    const size_t n = sizeof(T) < Remaining() ? sizeof(T) : Remaining();
    std::memcpy(&v, data_ + pos_, n);
    pos_ += n;
    return v;
  }
  // A value in 0 .. limit - 1 (limit > 0).
  uint32_t Below(uint32_t limit) { return Take<uint16_t>() % limit; }
  // Up to n bytes, as many as remain.
  const uint8_t* Bytes(size_t n, size_t* got) {
    *got = n < Remaining() ? n : Remaining();
    const uint8_t* at = data_ + pos_;
    pos_ += *got;
    return at;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
