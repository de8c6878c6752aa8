#include "midi_event_queue.h"

#include <algorithm>
#include <new>

namespace {
int RoundUpTo(int n, int multiple) { return ((std::max(n, 0) + multiple - 1) / multiple) * multiple; }
}  // namespace

MidiEventQueue::MidiEventQueue() { Reallocate(kMinimumCapacity); }

bool MidiEventQueue::Reallocate(int capacity) {
  std::unique_ptr<MidiMessage[]> grown(new (std::nothrow) MidiMessage[static_cast<size_t>(capacity)]);
  if (!grown) return false;
  if (entries_) std::copy(entries_.get() + front_, entries_.get() + length_, grown.get());
  length_ -= front_;
  front_ = 0;
  entries_ = std::move(grown);
  capacity_ = capacity;
  return true;
}

void MidiEventQueue::DiscardConsumed() {
  if (front_ == 0) return;
  std::copy(entries_.get() + front_, entries_.get() + length_, entries_.get());
  length_ -= front_;
  front_ = 0;
}

bool MidiEventQueue::Add(const MidiMessage& message) {
  if (length_ == capacity_) DiscardConsumed();
  if (length_ == capacity_) {
    ++dropped_;
    return false;
  }
  int at = length_;
  while (at > front_ && entries_[at - 1].frameOffset > message.frameOffset) {
    entries_[at] = entries_[at - 1];
    --at;
  }
  entries_[at] = message;
  ++length_;
  return true;
}

void MidiEventQueue::Flush(int frames) {
  DiscardConsumed();
  for (int i = 0; i < length_; ++i) entries_[i].frameOffset -= frames;
}

void MidiEventQueue::Resize(int frames) {
  DiscardConsumed();
  // Clamped so that the product cannot overflow; block sizes are far below this.
  const int perBlock = RoundUpTo(std::clamp(frames, 0, 1 << 24) * kEntriesPerFrame, 512);
  const int capacity = std::max({kMinimumCapacity, perBlock, RoundUpTo(length_, 512)});
  // When the memory cannot be had, the queue keeps what it has.
  if (capacity != capacity_) Reallocate(capacity);
}
