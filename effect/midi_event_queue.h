#pragma once
// Time-ordered queue of MIDI messages waiting for the block they belong to.
// Filled by the effect's OnMidiMessage, drained by ProcessBlock, both under the
// instance lock, both on the audio thread. Its memory is sized by Resize, when the
// host sets the block size; Add never allocates: a message that finds the queue
// full is dropped and counted.

#include <cstdint>
#include <memory>

#include "framework/midi_message.h"

class MidiEventQueue {
 public:
  // The smallest capacity, whatever the block size: far more messages than a block
  // of any usual size can carry (a MIDI cable carries about one per millisecond).
  static constexpr int kMinimumCapacity = 8192;
  // Room per frame of the block size beyond that minimum.
  static constexpr int kEntriesPerFrame = 2;

  MidiEventQueue();

  // Inserts after every entry with an offset <= its own (arrival order for ties).
  // Returns false when the queue is full: the message is dropped and counted.
  bool Add(const MidiMessage& message);
  bool Empty() const { return front_ == length_; }
  const MidiMessage& Front() const { return entries_[front_]; }
  void PopFront() { ++front_; }
  // Discards consumed entries and moves the rest 'frames' earlier.
  void Flush(int frames);
  // Not on the audio thread: capacity for blocks of 'frames' (multiples of 512, at
  // least kMinimumCapacity). Entries waiting in the queue are kept.
  void Resize(int frames);

  int Size() const { return length_ - front_; }
  int Capacity() const { return capacity_; }
  // Messages dropped because the queue was full, since construction.
  int64_t DroppedCount() const { return dropped_; }

 private:
  void DiscardConsumed();
  bool Reallocate(int capacity);

  std::unique_ptr<MidiMessage[]> entries_;
  int capacity_ = 0;
  int front_ = 0;
  int length_ = 0;
  int64_t dropped_ = 0;
};
