// Vst3Plugin's whole state, shared by the component and the controller: the
// parameter state (8 bytes per parameter) followed by a 32-bit bypass flag.
#include <cstring>

#include "vst3_plugin.h"

using namespace vst3;

namespace {

// Reads up to size bytes, looping over short reads; returns the bytes obtained.
int32 ReadUpTo(IBStream* stream, void* out, int32 size) {
  int32 total = 0;
  auto* bytes = static_cast<unsigned char*>(out);
  while (total < size) {
    int32 got = 0;
    if (stream->read(bytes + total, size - total, &got) != kResultOk || got <= 0 || got > size - total) break;
    total += got;
  }
  return total;
}

}  // namespace

tresult PLUGIN_API Vst3Plugin::getState(IBStream* state) {
  if (state == nullptr) return kInvalidArgument;
  ScopedLock hold(InstanceLock());
  StateChunk chunk;
  if (!WriteState(chunk)) return kResultFalse;
  state->write(chunk.Data(), chunk.Size(), nullptr);
  int32 bypass = Bypassed() ? 1 : 0;
  state->write(&bypass, sizeof bypass, nullptr);
  return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setState(IBStream* state) {
  if (state == nullptr) return kInvalidArgument;
  ScopedLock hold(InstanceLock());
  RestoreScope restoring(*this);
  // The chunk starts as the current values: whatever the stream does not supply
  // keeps its value.
  StateChunk chunk;
  WriteState(chunk);
  if (chunk.Size() == 0) return kResultFalse;
  StateChunk incoming;
  if (!incoming.Resize(chunk.Size())) return kResultFalse;
  const int32 got = ReadUpTo(state, incoming.Data(), chunk.Size());
  // Only whole values are taken: a value cut by the end of the stream would mix
  // new and old bytes into a number nobody wrote.
  const int32 whole = got - got % static_cast<int32>(sizeof(double));
  std::memcpy(chunk.Data(), incoming.Data(), static_cast<size_t>(whole));
  ReadState(chunk, 0);
  int32 bypass = 0;
  if (got < chunk.Size() || ReadUpTo(state, &bypass, sizeof bypass) != sizeof bypass) return kResultFalse;
  SetBypassed(bypass != 0);
  PushValuesToEditor();
  return kResultOk;
}
