#include "delay_line.h"

#include <algorithm>
#include <cstdio>
#include <new>

MORAVELLE_DSP_BEGIN

namespace {
int gFailAllocations = 0;
constexpr const char* kOutOfMemoryMessage = "allocating [data]: out of memory";

// A line of 'samples' samples, and the copy of its first sample behind them.
double* Allocate(int32_t samples, std::unique_ptr<double[]>& owner) {
  if (gFailAllocations > 0) {
    --gFailAllocations;
    return nullptr;
  }
  owner.reset(new (std::nothrow) double[static_cast<size_t>(samples) + 1]());
  return owner.get();
}

int32_t PowerOfTwoAtLeast(int32_t n) {
  int32_t size = 2;
  while (size < n && size < (1 << 30)) size <<= 1;
  return size;
}
}  // namespace

void DelayLine::FailAllocationsForTesting(int count) { gFailAllocations = count; }

bool DelayLine::Reset(int32_t maximumDelay) {
  const int32_t wanted = std::max(maximumDelay, 0);
  const int32_t size = PowerOfTwoAtLeast(std::max(maximumDelay, 2));
  if (!sized_) {
    sized_ = true;
    maximumDelay_ = wanted;
    size_ = size;
    memory_ = Allocate(size_, backing_);
    if (memory_ == nullptr) {
      std::fprintf(stderr, "%s\n", kOutOfMemoryMessage);
      const int32_t retry = size_ > 512 ? 512 : 4;
      memory_ = Allocate(retry, backing_);
      // A smaller block cannot serve this line: it stays without memory.
      if (memory_ != nullptr && retry != size_) {
        std::fprintf(stderr, "%s\n", "delay memory size error");
        backing_.reset();
        memory_ = nullptr;
      }
    }
  } else if (memory_ != nullptr && size != size_) {
    // Another rate needs another capacity. The size is a function of the rate alone,
    // so that a line's reads (whose fractions depend on it) give the same bits as a
    // line first sized at this rate. Should the memory not be had, the old memory
    // serves on, with its clamp.
    std::unique_ptr<double[]> replacement;
    if (double* memory = Allocate(size, replacement)) {
      backing_ = std::move(replacement);
      memory_ = memory;
      size_ = size;
      maximumDelay_ = wanted;
    } else {
      std::fprintf(stderr, "%s\n", kOutOfMemoryMessage);
      maximumDelay_ = std::min(wanted, maximumDelay_);
      std::fill(memory_, memory_ + size_ + 1, 0.0);
    }
  } else if (memory_ != nullptr) {
    maximumDelay_ = wanted;
    std::fill(memory_, memory_ + size_ + 1, 0.0);
  }
  head_ = 0;
  lastWrite_ = head_;
  mask_ = size_ - 1;
  return memory_ != nullptr;
}

void DelayLine::SilenceFrames(int frames) {
  if (frames <= 0) return;
  if (memory_ != nullptr) {
    const int32_t count = frames < size_ ? frames : size_;
    const int32_t first = count < size_ - head_ ? count : size_ - head_;
    std::fill(memory_ + head_, memory_ + head_ + first, 0.0);
    std::fill(memory_, memory_ + (count - first), 0.0);
  }
  lastWrite_ = (head_ + frames - 1) & mask_;
  head_ = (head_ + frames) & mask_;
}

MORAVELLE_DSP_END
