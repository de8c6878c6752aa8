// libFuzzer target: the VST2 dispatcher and callbacks with hostile arguments. The
// input is a script of calls: every opcode the interface knows and beyond, any
// index, value and opt, and pointers to buffers of the sizes the interface promises
// filled with fuzzed bytes (event lists and speaker arrangements are built from the
// bytes, their pointers valid), interleaved with parameter calls and processing.
// effClose is left out: it ends the instance.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "vst2_instance.h"

namespace {

// Large enough for every record and text the interface lets a plug-in write.
constexpr size_t kBufferBytes = 4096;

float FuzzFloat(FuzzInput& in) {
  switch (in.Below(8)) {
    case 0: return NAN;
    case 1: return INFINITY;
    case 2: return -INFINITY;
    case 3: return -1.0f;
    case 4: return 1e30f;
    default: return in.Take<float>();
  }
}

intptr_t FuzzValue(FuzzInput& in) {
  switch (in.Below(6)) {
    case 0: return -1;
    case 1: return INTPTR_MAX;
    case 2: return INT32_MIN;
    case 3: return in.Below(4096);
    default: return in.Take<intptr_t>();
  }
}

struct EventScript {
  std::vector<uint8_t> list;  // VstEvents with its pointer array
  std::vector<VstMidiEvent> midi;
  std::vector<VstMidiSysexEvent> sysex;
  std::vector<char> dump;
};

// An event list whose pointers are valid and whose fields are the fuzzer's.
VstEvents* BuildEvents(FuzzInput& in, EventScript& s) {
  const int count = static_cast<int>(in.Below(300));
  s.midi.assign(static_cast<size_t>(count), VstMidiEvent{});
  s.sysex.assign(static_cast<size_t>(count), VstMidiSysexEvent{});
  s.dump.assign(256, 0x7F);
  s.list.assign(16 + sizeof(VstEvent*) * static_cast<size_t>(count < 2 ? 2 : count), 0);
  auto* list = reinterpret_cast<VstEvents*>(s.list.data());
  list->numEvents = count;
  VstEvent** pointers = &list->events[0];
  for (int i = 0; i < count; ++i) {
    const uint32_t kind = in.Below(4);
    if (kind == 0) {
      pointers[i] = nullptr;
    } else if (kind == 1) {
      VstMidiSysexEvent& e = s.sysex[static_cast<size_t>(i)];
      e.type = kVstSysExType;
      e.byteSize = sizeof e;
      e.deltaFrames = in.Take<int32_t>();
      e.dumpBytes = static_cast<int32_t>(in.Below(257));
      e.sysexDump = s.dump.data();
      pointers[i] = reinterpret_cast<VstEvent*>(&e);
    } else {
      VstMidiEvent& e = s.midi[static_cast<size_t>(i)];
      e.type = kind == 2 ? kVstMidiType : in.Take<int32_t>();
      e.byteSize = sizeof e;
      e.deltaFrames = in.Below(2) ? in.Take<int32_t>() : static_cast<int32_t>(in.Below(1024));
      for (char& b : e.midiData) b = static_cast<char>(in.Take<uint8_t>());
      pointers[i] = reinterpret_cast<VstEvent*>(&e);
    }
  }
  if (in.Below(4) == 0) list->numEvents = in.Take<int32_t>() % (count + 1);  // fewer than built, or negative
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One instance for the run (a fresh one per input would cost its delay memory
  // every time); each input starts it over: rate, block size, channels, program,
  // the default values, a reset.
  static Vst2Instance instance;
  static std::vector<uint8_t> defaults = [] {
    void* bytes = nullptr;
    const intptr_t n = instance.Call(effGetChunk, 1, 0, &bytes);
    return std::vector<uint8_t>(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + n);
  }();
  // Each reset clears the delay memory, so rate and block size are set again only
  // after an input that may have changed them.
  static bool setupChanged = false;
  if (setupChanged) {
    instance.Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    instance.Call(effSetBlockSize, 0, 512);
    setupChanged = false;
  }
  {
    VstSpeakerArrangement stereo[2] = {};
    stereo[0].numChannels = stereo[1].numChannels = 2;
    instance.Call(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&stereo[0]), &stereo[1]);
    instance.Call(effSetProgram, 0, 0);
    std::vector<uint8_t> reset = defaults;
    instance.Call(effSetChunk, 1, static_cast<intptr_t>(reset.size()), reset.data());
  }
  FuzzInput in(data, size);
  auto buffer = std::make_unique<uint8_t[]>(kBufferBytes);
  for (int step = 0; step < 64 && !in.Empty(); ++step) {
    std::memset(buffer.get(), 0, kBufferBytes);
    const uint32_t action = in.Below(16);
    if (action == 0) {
      instance.Effect()->setParameter(instance.Effect(), in.Take<int32_t>() % 40, FuzzFloat(in));
      continue;
    }
    if (action == 1) {
      (void)instance.Effect()->getParameter(instance.Effect(), in.Take<int32_t>() % 40);
      continue;
    }
    if (action == 2) {
      instance.ProcessSome(static_cast<int>(in.Below(80)) - 8);
      continue;
    }
    int32_t opcode = static_cast<int32_t>(in.Below(84));
    if (opcode == effClose) opcode = effGetVstVersion;
    const int32_t index = in.Below(2) ? static_cast<int32_t>(in.Below(40)) - 4 : in.Take<int32_t>();
    intptr_t value = FuzzValue(in);
    const float opt = FuzzFloat(in);
    void* ptr = nullptr;
    EventScript events;
    VstSpeakerArrangement arrangements[2] = {};
    const uint32_t pointerKind = in.Below(4);
    if (pointerKind != 0) {
      // The buffer holds fuzzed bytes, terminated, so texts read from it end.
      size_t got = 0;
      const uint8_t* bytes = in.Bytes(in.Below(512), &got);
      std::memcpy(buffer.get(), bytes, got);
      ptr = buffer.get();
    }
    if (opcode == effProcessEvents && pointerKind != 0) ptr = BuildEvents(in, events);
    if (opcode == effSetSpeakerArrangement) {
      for (VstSpeakerArrangement& a : arrangements) {
        a.type = in.Take<int32_t>();
        a.numChannels = in.Below(2) ? in.Take<int32_t>() : static_cast<int32_t>(in.Below(9));
      }
      value = in.Below(2) ? reinterpret_cast<intptr_t>(&arrangements[0]) : 0;
      ptr = in.Below(2) ? &arrangements[1] : nullptr;
    }
    if (opcode == effSetChunk && ptr != nullptr) value = static_cast<intptr_t>(in.Below(kBufferBytes + 1));
    if (opcode == effGetSpeakerArrangement) {
      static VstSpeakerArrangement* slots[2];
      value = in.Below(2) ? reinterpret_cast<intptr_t>(&slots[0]) : 0;
      ptr = in.Below(2) ? &slots[1] : nullptr;
    }
    if (opcode == effEditOpen) ptr = nullptr;  // a window handle; there is no window layer here
    if (opcode == effSetBlockSize && in.Below(2)) value = static_cast<intptr_t>(in.Below(5000));
    if (opcode == effSetSampleRate || opcode == effSetBlockSize || opcode == effMainsChanged) setupChanged = true;
    instance.Call(opcode, index, value, ptr, opt);
  }
  instance.ProcessSome(64);
  return 0;
}
