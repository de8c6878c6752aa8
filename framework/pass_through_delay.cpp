#include "pass_through_delay.h"

#include <algorithm>

void PassThroughDelay::SetLength(int samples) {
  length_ = std::max(samples, 0);
  ring_.assign(static_cast<size_t>(length_) * static_cast<size_t>(std::max(inputs_, 0)), 0.0);
  writePos_ = 0;
}

void PassThroughDelay::Process(double* const* inputs, double* const* outputs, int frames) {
  const int shared = std::min(inputs_, outputs_);
  for (int f = 0; f < frames; ++f) {
    for (int ch = 0; ch < shared; ++ch) {
      double delayed = inputs[ch][f];
      if (length_ > 0) {
        double& cell = ring_[static_cast<size_t>(ch) * static_cast<size_t>(length_) + static_cast<size_t>(writePos_)];
        delayed = cell;
        cell = inputs[ch][f];
      }
      outputs[ch][f] = delayed;
    }
    if (length_ > 0 && ++writePos_ == length_) writePos_ = 0;
  }
  for (int ch = shared; ch < outputs_; ++ch) std::fill(outputs[ch], outputs[ch] + frames, 0.0);
}
