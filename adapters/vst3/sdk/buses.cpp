#include "buses.h"

namespace vst3 {

void Bus::FillInfo(BusInfo& info, MediaType mediaType, BusDirection direction) const {
  info.mediaType = mediaType;
  info.direction = direction;
  info.channelCount = ChannelCount();
  size_t n = 0;
  for (; n < name_.size() && n < 127; ++n) info.name[n] = name_[n];
  info.name[n] = 0;
  info.busType = busType_;
  info.flags = flags_;
}

Bus* BusList::Add(std::unique_ptr<Bus> bus) {
  if (!bus) return nullptr;
  bus->SetActive((bus->Flags() & BusInfo::kDefaultActive) != 0);
  buses_.push_back(std::move(bus));
  return buses_.back().get();
}

Bus* BusList::At(int32 index) const {
  return index >= 0 && index < Count() ? buses_[static_cast<size_t>(index)].get() : nullptr;
}

bool BusList::Replace(int32 index, std::unique_ptr<Bus> bus) {
  if (!bus || At(index) == nullptr) return false;
  bus->SetActive(buses_[static_cast<size_t>(index)]->IsActive());
  buses_[static_cast<size_t>(index)] = std::move(bus);
  return true;
}

}  // namespace vst3
