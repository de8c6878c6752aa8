#include "midi_event_queue.h"

#include <algorithm>
#include <new>

namespace {
int RoundUpTo(int n, int multiple) { return ((std::max(n, 0) + multiple - 1) / multiple) * multiple; }
}  // namespace

MidiEventQueue::MidiEventQueue() { Reallocate(1024); }

bool MidiEventQueue::Reallocate(int capacity) {
  std::unique_ptr<MidiMessage[]> grown(new (std::nothrow) MidiMessage[static_cast<size_t>(capacity)]);
  if (!grown) return false;
  std::copy(entries_.get() + front_, entries_.get() + length_, grown.get());
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
  if (length_ == capacity_) {
    if (front_ > 0) {
      DiscardConsumed();
    } else {
      const int grown = (capacity_ / growthStep_ + 1) * growthStep_;
      if (!Reallocate(grown)) return false;
    }
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
  growthStep_ = std::max(RoundUpTo(frames, 512), 512);
  const int capacity = std::max(growthStep_, RoundUpTo(length_, 512));
  if (capacity != capacity_) Reallocate(capacity);
}
