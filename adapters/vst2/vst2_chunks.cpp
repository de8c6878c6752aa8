// Program and bank chunks (effGetChunk, effSetChunk).
#include "vst2_plugin.h"

namespace {
// This plug-in's chunks are a few hundred bytes; a host claiming more than this is
// passing garbage, and copying it would only cost memory.
constexpr intptr_t kMaxChunkBytes = 1 << 20;
}  // namespace

intptr_t Vst2Plugin::GetChunk(bool bank, void** data) {
  if (data == nullptr) return 0;
  StateChunk& chunk = bank ? bankChunk_ : programChunk_;
  WriteChunkHeader(chunk);
  bool ok = false;
  if (bank) {
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  } else {
    ok = WriteState(chunk);
  }
  if (!ok || chunk.Size() == 0) return 0;
  *data = chunk.Data();
  return chunk.Size();
}

intptr_t Vst2Plugin::SetChunk(bool bank, intptr_t size, const void* data) {
  if (data == nullptr || size < 0 || size > kMaxChunkBytes) return 0;
  StateChunk& chunk = bank ? bankChunk_ : programChunk_;
  if (!chunk.Assign(data, static_cast<int>(size))) return 0;
  // Everything below restores state: preset actions must not run on it.
  RestoreScope restoring(*this);
  int pos = 0;
  const int32_t version = ReadChunkHeader(chunk, &pos);
  if (!bank || version < kChunkVersion) {
    // A program, or a bank without our header: a bare parameter state. A header cut
    // short leaves pos at -1, and the readers then read nothing and report it.
    pos = ReadState(chunk, pos);
    ModifyCurrentPreset();
  } else {
    pos = UnserializePresets(chunk, pos);
  }
  if (pos < 0) return 0;
  PushValuesToEditor();
  return 1;
}
