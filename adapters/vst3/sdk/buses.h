#pragma once
// Audio and event buses and the per-direction lists a component keeps.

#include <memory>
#include <string>
#include <vector>

#include "abi/vst3/vst3_component.h"

namespace vst3 {

class Bus {
 public:
  Bus(const char16* name, BusType busType, uint32 flags) : name_(name != nullptr ? name : u""), busType_(busType), flags_(flags) {}
  virtual ~Bus() = default;

  const std::u16string& Name() const { return name_; }
  BusType Type() const { return busType_; }
  uint32 Flags() const { return flags_; }
  bool IsActive() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  virtual int32 ChannelCount() const = 0;
  void FillInfo(BusInfo& info, MediaType mediaType, BusDirection direction) const;

 private:
  std::u16string name_;
  BusType busType_;
  uint32 flags_;
  bool active_ = false;
};

class AudioBus : public Bus {
 public:
  AudioBus(const char16* name, BusType busType, uint32 flags, SpeakerArrangement arrangement)
      : Bus(name, busType, flags), arrangement_(arrangement) {}
  SpeakerArrangement Arrangement() const { return arrangement_; }
  void SetArrangement(SpeakerArrangement arrangement) { arrangement_ = arrangement; }
  int32 ChannelCount() const override { return SpeakerCount(arrangement_); }

 private:
  SpeakerArrangement arrangement_;
};

class EventBus : public Bus {
 public:
  EventBus(const char16* name, BusType busType, uint32 flags, int32 channelCount)
      : Bus(name, busType, flags), channelCount_(channelCount) {}
  int32 ChannelCount() const override { return channelCount_; }

 private:
  int32 channelCount_;
};

class BusList {
 public:
  BusList(MediaType mediaType, BusDirection direction) : mediaType_(mediaType), direction_(direction) {}
  Bus* Add(std::unique_ptr<Bus> bus);
  Bus* At(int32 index) const;
  // Replaces the bus at index, keeping its activity; false for an index outside the list.
  bool Replace(int32 index, std::unique_ptr<Bus> bus);
  int32 Count() const { return static_cast<int32>(buses_.size()); }
  void Clear() { buses_.clear(); }
  MediaType Media() const { return mediaType_; }
  BusDirection Direction() const { return direction_; }

 private:
  MediaType mediaType_;
  BusDirection direction_;
  std::vector<std::unique_ptr<Bus>> buses_;
};

}  // namespace vst3
