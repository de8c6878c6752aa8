#pragma once
// Channel records that connect a host's sample arrays to the effect's 64-bit pointers.

#include <vector>

struct IOConfig {
  int inputs = 0;
  int outputs = 0;
};

struct InChannel {
  bool connected = false;
  int slot = 0;                  // index of this channel's entry in the input pointers
  std::vector<double> scratch;   // block-size samples, sized by ChangeBlockSize
};

struct OutChannel {
  bool connected = false;
  int slot = 0;                  // index of this channel's entry in the output pointers
  float* destination32 = nullptr;  // host array of the current 32-bit block
  std::vector<double> scratch;
};
