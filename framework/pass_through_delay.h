#pragma once
// Delays each input by the plug-in's latency, so that a bypassed plug-in keeps
// its outputs aligned with the host's delay compensation.

#include <vector>

class PassThroughDelay {
 public:
  PassThroughDelay(int inputs, int outputs) : inputs_(inputs), outputs_(outputs) {}

  // Not on the audio thread: resizes the ring (length x inputs samples), zeroes it.
  void SetLength(int samples);
  int Length() const { return length_; }

  // Output channel k receives input k delayed by the length, for k below both counts;
  // other outputs get silence. inputs and outputs may alias.
  void Process(double* const* inputs, double* const* outputs, int frames);

 private:
  int inputs_;
  int outputs_;
  int length_ = 0;
  int writePos_ = 0;
  std::vector<double> ring_;
};
