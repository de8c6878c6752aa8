#pragma once
// A growable byte buffer for host state. Values are stored little-endian by copying
// their bytes. Every Get returns the position after what it read, or -1 when the
// bytes are not there (and leaves its output untouched).

#include <cstdint>
#include <string>
#include <vector>

class StateChunk {
 public:
  // Appends return false, leaving the chunk as it was, when memory runs out.
  bool PutInt32(int32_t v) { return PutBytes(&v, sizeof v); }
  bool PutDouble(double v) { return PutBytes(&v, sizeof v); }
  bool PutByte(uint8_t v) { return PutBytes(&v, 1); }
  bool PutBytes(const void* data, int size);
  bool PutString(const char* text);  // 32-bit length, then the characters, no terminator

  int GetInt32(int32_t* v, int pos) const { return GetBytes(v, sizeof *v, pos); }
  int GetDouble(double* v, int pos) const { return GetBytes(v, sizeof *v, pos); }
  int GetByte(uint8_t* v, int pos) const { return GetBytes(v, 1, pos); }
  int GetBytes(void* out, int size, int pos) const;

  int Size() const { return static_cast<int>(bytes_.size()); }
  const uint8_t* Data() const { return bytes_.data(); }
  uint8_t* Data() { return bytes_.data(); }
  bool Resize(int size);
  void Clear() { bytes_.clear(); }
  bool Assign(const void* data, int size);

 private:
  std::vector<uint8_t> bytes_;
};

inline constexpr int kPresetNameSize = 256;

struct PresetSlot {
  bool initialised = false;
  char name[kPresetNameSize] = "empty";
  StateChunk state;
};
