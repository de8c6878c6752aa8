#pragma once
// Stereo audio handed to the render loop a slice at a time, from memory or a file.

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "render_status.h"

// Two planar channels of equal length.
struct StereoBuffer {
  std::array<std::vector<double>, 2> channels;
  int64_t Frames() const { return static_cast<int64_t>(channels[0].size()); }
};

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual double SampleRate() const = 0;
  virtual int64_t FrameCount() const = 0;
  // Fills up to maxFrames frames of both planar channels; *framesRead is 0 at the end.
  virtual Status Read(double* const* channels, int maxFrames, int* framesRead) = 0;
};

// Serves a buffer it holds.
class BufferSource : public AudioSource {
 public:
  BufferSource(StereoBuffer buffer, double sampleRate) : buffer_(std::move(buffer)), sampleRate_(sampleRate) {}

  double SampleRate() const override { return sampleRate_; }
  int64_t FrameCount() const override { return buffer_.Frames(); }
  Status Read(double* const* channels, int maxFrames, int* framesRead) override {
    const int64_t left = buffer_.Frames() - position_;
    const int n = static_cast<int>(left < maxFrames ? left : maxFrames);
    for (size_t c = 0; c < buffer_.channels.size(); ++c)
      std::copy_n(buffer_.channels[c].begin() + position_, n, channels[c]);
    position_ += n;
    *framesRead = n;
    return Status::Ok();
  }

 private:
  StereoBuffer buffer_;
  double sampleRate_;
  int64_t position_ = 0;
};
