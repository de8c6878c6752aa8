#pragma once
// A power-of-two ring of 64-bit samples with linear-interpolated fractional reads.
// Each Reset sizes it for the maximum delay asked for (new memory only where the
// capacity changes) and clears it. Reads, writes and steps never allocate.

#include <cstdint>
#include <cstring>
#include <memory>
#include "dsp_isa.h"
#include "reverb_steps.h"

MORAVELLE_DSP_BEGIN

class DelayLine {
 public:
  // Sizes the line for 'maximumDelay' samples (the smallest power of two that holds
  // them) and clears it. A later call that needs another size allocates anew; if
  // that fails, the old memory and its maximum serve on. Returns false when the line
  // has no memory (after a failed first allocation: it then reads 0 and ignores
  // writes). Never on the audio thread.
  bool Reset(int32_t maximumDelay);

  // Delay in samples, raised to 1 when nothing was written in this frame yet (else 0)
  // and lowered to the maximum delay.
  double Read(double delay) const {
    if (memory_ == nullptr) return 0.0;
    const double minimum = lastWrite_ != head_ ? 1.0 : 0.0;
    if (delay < minimum) delay = minimum;
    if (delay > maximumDelay_) delay = maximumDelay_;
    const double x = static_cast<double>(head_ + size_) - delay;
    const auto i = static_cast<int32_t>(x);
    const double frac = x - static_cast<double>(i);
    return reverb_steps::Interpolate(memory_[i & mask_], memory_[(i + 1) & mask_], frac);
  }

  // A read position prepared once for a delay that stays put over many frames.
  struct Tap {
    int32_t offset = 0;  // whole samples from the head, size - delay rounded down
    double frac = 0.0;
  };

  // For reads that always follow at least one write of the line (its minimum delay
  // is then 1): the delay is raised to 1 and lowered to the maximum here, once.
  Tap MakeTap(double delay) const {
    if (delay < 1.0) delay = 1.0;
    if (delay > maximumDelay_) delay = maximumDelay_;
    const double ahead = static_cast<double>(size_) - delay;
    Tap tap;
    tap.offset = static_cast<int32_t>(ahead);
    tap.frac = ahead - static_cast<double>(tap.offset);
    return tap;
  }

  // Read(delay) for a prepared tap. On a freshly reset line the minimum of 1 reads
  // the same silence as Read's minimum of 0. kMayLackMemory false is for callers
  // that checked HasMemory() for the whole block.
  template <bool kMayLackMemory = true>
  double ReadTap(const Tap& tap) const {
    if (kMayLackMemory && memory_ == nullptr) return 0.0;
    const int32_t i = head_ + tap.offset;
    return reverb_steps::Interpolate(memory_[i & mask_], memory_[(i + 1) & mask_], tap.frac);
  }

  // Stores the value at the head; the caller has already guarded it.
  template <bool kMayLackMemory = true>
  void Write(double value) {
    lastWrite_ = head_;
    if (!kMayLackMemory || memory_ != nullptr) memory_[head_] = value;
  }

  void Step() { head_ = (head_ + 1) & mask_; }  // wraps to 0 at size

  // 'frames' frames of Write(0) then Step() at once: the positions from the head on
  // are cleared (a whole line at most, since later writes overwrite earlier ones).
  void SilenceFrames(int frames);
  // The same for a line that holds only zeros already: only the head moves.
  void AdvanceFrames(int frames) {
    if (frames <= 0) return;
    lastWrite_ = (head_ + frames - 1) & mask_;
    head_ = (head_ + frames) & mask_;
  }

  // The memory for a run of frames in which the caller keeps one head for several
  // lines: lines that step together from the same reset have heads that agree
  // modulo their sizes, so one frame counter, masked per line, serves them all.
  // The caller moves the line itself on afterwards (AdvanceFrames).
  struct Cursor {
    double* memory;
    uint32_t mask;
  };
  Cursor CursorOf() { return Cursor{memory_, static_cast<uint32_t>(mask_)}; }

  // ReadTap and Write at a caller's frame counter.
  template <bool kMayLackMemory>
  static double ReadAt(Cursor c, uint32_t frame, const Tap& tap) {
    if (kMayLackMemory && c.memory == nullptr) return 0.0;
    const uint32_t i = frame + static_cast<uint32_t>(tap.offset);
    return reverb_steps::Interpolate(c.memory[i & c.mask], c.memory[(i + 1) & c.mask], tap.frac);
  }
  template <bool kMayLackMemory>
  static void WriteAt(Cursor c, uint32_t frame, double value) {
    if (!kMayLackMemory || c.memory != nullptr) c.memory[frame & c.mask] = value;
  }

  // For runs of frames: 'count' consecutive samples from position 'first' (masked)
  // on, as a pointer into the line where they do not wrap, else copied to 'scratch'.
  static const double* Span(Cursor c, uint32_t first, int count, double* scratch) {
    const uint32_t start = first & c.mask;
    if (start + static_cast<uint32_t>(count) <= c.mask + 1) return c.memory + start;
    for (int j = 0; j < count; ++j) scratch[j] = c.memory[(first + static_cast<uint32_t>(j)) & c.mask];
    return scratch;
  }
  // Behind the line's last sample the memory holds a copy of its first, so that a
  // pair of samples read from any position comes from one load. Reads see the
  // first sample's value of the last refresh: runs whose reads reach no sample
  // their own frames write refresh the copy before they start.
  static void RefreshCopyOfFirst(Cursor c) { c.memory[c.mask + 1] = c.memory[0]; }
  // Writes 'count' values (no more than the line holds) at consecutive positions from 'first' on.
  static void PutRun(Cursor c, uint32_t first, const double* values, int count) {
    const uint32_t start = first & c.mask;
    const uint32_t head = c.mask + 1 - start < static_cast<uint32_t>(count) ? c.mask + 1 - start : static_cast<uint32_t>(count);
    std::memcpy(c.memory + start, values, head * sizeof(double));
    std::memcpy(c.memory, values + head, (static_cast<uint32_t>(count) - head) * sizeof(double));
  }
  // The whole samples of a tap's delay: no read through the tap reaches a sample
  // written fewer frames ago.
  int32_t WholeDelay(const Tap& tap) const { return size_ - tap.offset - (tap.frac > 0.0 ? 1 : 0); }

  int32_t Size() const { return size_; }
  int32_t MaximumDelay() const { return maximumDelay_; }
  bool HasMemory() const { return memory_ != nullptr; }

  // Test seam: makes the next allocations fail, to exercise the out-of-memory path.
  static void FailAllocationsForTesting(int count);

 private:
  std::unique_ptr<double[]> backing_;
  double* memory_ = nullptr;
  int32_t size_ = 0;
  int32_t mask_ = 0;
  int32_t maximumDelay_ = 0;
  int32_t head_ = 0;
  int32_t lastWrite_ = 0;
  bool sized_ = false;
};

MORAVELLE_DSP_END
