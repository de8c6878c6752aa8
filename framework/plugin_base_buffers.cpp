// The block path between host sample arrays and the effect's 64-bit pointers.
// Nothing here allocates.
#include <algorithm>
#include <cmath>
#include <limits>

#include "plugin_base.h"

void PluginBase::BindInputs32(const float* const* arrays, int frames) {
  frames = std::clamp(frames, 0, blockSize_);
  int k = 0;
  for (InChannel& ch : inChannels_) {
    if (!ch.connected) continue;
    const float* src = arrays[k++];
    std::copy(src, src + frames, ch.scratch.begin());
    inputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
  }
}

void PluginBase::BindOutputs32(float* const* arrays) {
  int k = 0;
  for (OutChannel& ch : outChannels_) {
    if (!ch.connected) continue;
    ch.destination32 = arrays[k++];
    outputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
  }
}

void PluginBase::BindInputs64(double* const* arrays) {
  int k = 0;
  for (InChannel& ch : inChannels_)
    if (ch.connected) inputPtrs_[static_cast<size_t>(ch.slot)] = arrays[k++];
}

void PluginBase::BindOutputs64(double* const* arrays) {
  int k = 0;
  for (OutChannel& ch : outChannels_)
    if (ch.connected) outputPtrs_[static_cast<size_t>(ch.slot)] = arrays[k++];
}

namespace {
// A tail that is a normal double can still be a denormal float; those become 0.
inline float ToFloatFlushed(double v) {
  const float f = static_cast<float>(v);
  return std::fabs(f) < std::numeric_limits<float>::min() ? 0.0f : f;
}
}  // namespace

void PluginBase::RunBlock32Impl(int frames, bool accumulate, bool flushDenormals) {
  frames = std::clamp(frames, 0, blockSize_);
  for (OutChannel& ch : outChannels_) {
    if (!ch.connected || ch.destination32 == nullptr) continue;
    const double* src = ch.scratch.data();
    float* dst = ch.destination32;
    if (accumulate && flushDenormals) {
      for (int f = 0; f < frames; ++f) dst[f] += ToFloatFlushed(src[f]);
    } else if (accumulate) {
      for (int f = 0; f < frames; ++f) dst[f] += static_cast<float>(src[f]);
    } else if (flushDenormals) {
      for (int f = 0; f < frames; ++f) dst[f] = ToFloatFlushed(src[f]);
    } else {
      for (int f = 0; f < frames; ++f) dst[f] = static_cast<float>(src[f]);
    }
  }
}

void PluginBase::RunBlock32(int frames) {
  ProcessBlock(inputPtrs_.data(), outputPtrs_.data(), std::clamp(frames, 0, blockSize_));
  RunBlock32Impl(frames, false, !PassedInputsThrough());
}

void PluginBase::RunBlock32Accumulating(int frames) {
  ProcessBlock(inputPtrs_.data(), outputPtrs_.data(), std::clamp(frames, 0, blockSize_));
  RunBlock32Impl(frames, true, !PassedInputsThrough());
}

void PluginBase::BypassBlock32(int frames) {
  frames = std::clamp(frames, 0, blockSize_);
  if (passThrough_ && latency_ != 0) {
    passThrough_->Process(inputPtrs_.data(), outputPtrs_.data(), frames);
  } else {
    PluginBase::ProcessBlock(inputPtrs_.data(), outputPtrs_.data(), frames);
  }
  RunBlock32Impl(frames, false, false);  // a bypass is the input, bit for bit
}

void PluginBase::ClearScratch() {
  for (InChannel& ch : inChannels_) std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
  for (OutChannel& ch : outChannels_) std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
}

namespace {
// Up to this many channel pointers are offset on the stack per slice; more
// channels than that are not sliced (this plug-in has two).
constexpr int kMaxSlicedChannels = 16;

template <typename T>
void OffsetPointers(T* const* src, T** dst, int count, int offset) {
  for (int i = 0; i < count; ++i) dst[i] = src[i] + offset;
}

int ConnectedCount(const std::vector<InChannel>& channels) {
  return static_cast<int>(std::count_if(channels.begin(), channels.end(), [](const InChannel& c) { return c.connected; }));
}
int ConnectedCount(const std::vector<OutChannel>& channels) {
  return static_cast<int>(std::count_if(channels.begin(), channels.end(), [](const OutChannel& c) { return c.connected; }));
}
}  // namespace

void PluginBase::RunHostBlock32(const float* const* inputs, float* const* outputs, int frames,
                                bool accumulate) {
  const int nIn = ConnectedCount(inChannels_);
  const int nOut = ConnectedCount(outChannels_);
  if (frames <= 0 || blockSize_ <= 0 || nIn > kMaxSlicedChannels || nOut > kMaxSlicedChannels) return;
  const float* in[kMaxSlicedChannels];
  float* out[kMaxSlicedChannels];
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, blockSize_);
    OffsetPointers(inputs, in, nIn, done);
    OffsetPointers(outputs, out, nOut, done);
    BindInputs32(in, n);
    BindOutputs32(out);
    if (accumulate) {
      RunBlock32Accumulating(n);
    } else {
      RunBlock32(n);
    }
    done += n;
  }
}

void PluginBase::RunHostBlock64(double* const* inputs, double* const* outputs, int frames) {
  const int nIn = ConnectedCount(inChannels_);
  const int nOut = ConnectedCount(outChannels_);
  if (frames <= 0 || blockSize_ <= 0 || nIn > kMaxSlicedChannels || nOut > kMaxSlicedChannels) return;
  double* in[kMaxSlicedChannels];
  double* out[kMaxSlicedChannels];
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, blockSize_);
    OffsetPointers(inputs, in, nIn, done);
    OffsetPointers(outputs, out, nOut, done);
    BindInputs64(in);
    BindOutputs64(out);
    ProcessBlock(inputPtrs_.data(), outputPtrs_.data(), n);
    done += n;
  }
}

void PluginBase::ConnectInputs(int first, int count, bool connected) {
  const int begin = std::max(first, 0);
  const int end = std::min(first + count, InputCount());
  for (int i = begin; i < end; ++i) {
    InChannel& ch = inChannels_[static_cast<size_t>(i)];
    ch.connected = connected;
    if (!connected) inputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
  }
}

void PluginBase::ConnectOutputs(int first, int count, bool connected) {
  const int begin = std::max(first, 0);
  const int end = std::min(first + count, OutputCount());
  for (int i = begin; i < end; ++i) {
    OutChannel& ch = outChannels_[static_cast<size_t>(i)];
    ch.connected = connected;
    if (!connected) outputPtrs_[static_cast<size_t>(ch.slot)] = ch.scratch.data();
  }
}
