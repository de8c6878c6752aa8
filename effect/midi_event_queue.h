#pragma once
// Time-ordered queue of MIDI messages waiting for the block they belong to.
// Filled by the effect's OnMidiMessage, drained by ProcessBlock, both under the
// instance lock. It grows only when a block brings more messages than its capacity
// (sized by Resize to the host's block size), so the usual block path never allocates.

#include <memory>

#include "framework/midi_message.h"

class MidiEventQueue {
 public:
  MidiEventQueue();

  // Inserts after every entry with an offset <= its own (arrival order for ties).
  // Returns false when the entry had to be dropped (no memory to grow).
  bool Add(const MidiMessage& message);
  bool Empty() const { return front_ == length_; }
  const MidiMessage& Front() const { return entries_[front_]; }
  void PopFront() { ++front_; }
  // Discards consumed entries and moves the rest 'frames' earlier.
  void Flush(int frames);
  // Not on the audio thread: capacity for a block of 'frames' (multiples of 512).
  void Resize(int frames);

  int Size() const { return length_ - front_; }
  int Capacity() const { return capacity_; }
  int GrowthStep() const { return growthStep_; }

 private:
  void DiscardConsumed();
  bool Reallocate(int capacity);

  std::unique_ptr<MidiMessage[]> entries_;
  int capacity_ = 0;
  int growthStep_ = 1024;
  int front_ = 0;
  int length_ = 0;
};
