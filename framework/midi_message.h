#pragma once
// MIDI records passed between host adapters and the effect. Plain values.

#include <cstdint>

struct MidiMessage {
  int32_t frameOffset = 0;  // frame within the current block
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;

  int Channel() const { return status & 0x0F; }
  bool IsControlChange() const { return (status & 0xF0) == 0xB0; }
};

struct SysExMessage {
  int32_t frameOffset = 0;
  int32_t size = 0;              // bytes
  const uint8_t* data = nullptr;  // not owned; valid for the call only
};
