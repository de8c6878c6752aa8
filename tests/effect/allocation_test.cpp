// Proves that the block path never allocates: every operator new of this binary is
// counted while a flag is up.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "effect/moravelle.h"
#include "test_signals.h"

// Once it inlines the replacements below, GCC sees free() take what operator new
// returned and calls the pair mismatched; both halves are this file's own malloc
// and free, so the pairing is right.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct CountScope {
  CountScope() {
    gAllocations = 0;
    gCounting = true;
  }
  ~CountScope() { gCounting = false; }
};

TEST(Allocation, ProcessingNeverAllocates) {
  Moravelle effect(OfflineAdapter::HostArgs{120.0, true});
  effect.Setup(44100, 256);
  StereoBuffer in = MakeProgramme(4096);
  StereoBuffer out(4096);
  std::vector<float> l32(4096, 0.25f), r32(4096, -0.25f), o1(4096), o2(4096);
  const float* in32[2] = {l32.data(), r32.data()};
  float* out32[2] = {o1.data(), o2.data()};
  double* in64[2] = {in.left.data(), in.right.data()};
  double* out64[2] = {out.left.data(), out.right.data()};

  // The counter itself must see allocations, or the test proves nothing.
  {
    CountScope counting;
    ::operator delete(::operator new(16));  // a direct call cannot be elided
    EXPECT_EQ(gAllocations.load(), 1);
  }

  for (double offOn : {0.0, 0.5, 1.0}) {
    effect.SetParameterFromHost(kReverbOffOn, offOn);
    effect.SetParameterFromHost(kPreampClippingOffOn, 1.0);
    CountScope counting;
    for (int block = 0; block < 20; ++block) {
      // Automation every block and controllers in the queue: the busy path.
      effect.SetParameterFromHost(kReverbRoomSize, block / 20.0);
      effect.SendMidi(MidiMessage{block * 3, 0xB0, 23, static_cast<uint8_t>(block * 5)});
      effect.Process64(in64, out64, 4096);
      effect.Process32(in32, out32, 4096);
      effect.ProcessBlock(in64, out64, 256);
    }
    EXPECT_EQ(gAllocations.load(), 0) << "ReverbOffOn " << offOn;
  }
}

TEST(Allocation, AFloodOfMidiInOneBlockAllocatesNothingAndIsCounted) {
  Moravelle effect(OfflineAdapter::HostArgs{120.0, true});
  effect.Setup(44100, 512);
  StereoBuffer in = MakeProgramme(512);
  StereoBuffer out(512);
  double* in64[2] = {in.left.data(), in.right.data()};
  double* out64[2] = {out.left.data(), out.right.data()};
  const int kFlood = 100000;
  {
    CountScope counting;
    // Out of order on purpose, so that every insertion searches the queue.
    for (int i = 0; i < kFlood; ++i)
      effect.SendMidi(MidiMessage{(i * 7919) % 512, 0xB0, 7, static_cast<uint8_t>(i & 0x7F)});
    effect.ProcessBlock(in64, out64, 512);
    EXPECT_EQ(gAllocations.load(), 0);
  }
  const MidiEventQueue& queue = effect.MidiQueue();
  EXPECT_EQ(queue.DroppedCount(), kFlood - queue.Capacity());
  EXPECT_GE(queue.Capacity(), 4096);
  EXPECT_TRUE(queue.Empty());  // every kept message belonged to this block
}

}  // namespace
