#include "state_chunk.h"

#include <cstring>
#include <new>

bool StateChunk::PutBytes(const void* data, int size) {
  if (size <= 0) return size == 0;
  try {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool StateChunk::PutString(const char* text) {
  const size_t length = text ? std::strlen(text) : 0;
  const auto n = static_cast<int32_t>(length);
  const int before = Size();
  if (!PutInt32(n) || !PutBytes(text, n)) {
    bytes_.resize(static_cast<size_t>(before));
    return false;
  }
  return true;
}

int StateChunk::GetBytes(void* out, int size, int pos) const {
  if (pos < 0 || size < 0 || pos > Size() || Size() - pos < size) return -1;
  if (size > 0) std::memcpy(out, bytes_.data() + pos, static_cast<size_t>(size));
  return pos + size;
}

bool StateChunk::Resize(int size) {
  if (size < 0) return false;
  try {
    bytes_.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool StateChunk::Assign(const void* data, int size) {
  if (size < 0 || (size > 0 && data == nullptr)) return false;
  try {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.assign(p, p + size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
