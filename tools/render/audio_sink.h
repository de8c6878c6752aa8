#pragma once
// Where the render loop delivers its output, a slice at a time.

#include "render_status.h"

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Two planar channels of 'frames' frames.
  virtual Status Write(const double* const* channels, int frames) = 0;
};
