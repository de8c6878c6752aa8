#include "host_objects.h"

#include <algorithm>
#include <cstring>

using namespace vst3;

namespace host3 {
namespace {

// A context menu that records its popup in the handler that created it.
class RecordingMenu : public FObject, public IContextMenu {
 public:
  RecordingMenu(ComponentHandler& handler, ParamID id) : handler_(handler), id_(id) { handler_.AddReference(); }
  ~RecordingMenu() override { handler_.ReleaseReference(); }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknown::iid.Matches(iid) || IContextMenu::iid.Matches(iid)) return AnswerQuery<IContextMenu>(this, obj);
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }
  int32 PLUGIN_API getItemCount() override { return 0; }
  tresult PLUGIN_API getItem(int32, Item&, IContextMenuTarget**) override { return kResultFalse; }
  tresult PLUGIN_API addItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API removeItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API popup(UCoord x, UCoord y) override {
    handler_.Record({ComponentHandler::Call::Popup, id_, static_cast<double>(x) * 65536.0 + y});
    return kResultOk;
  }

 private:
  ComponentHandler& handler_;
  ParamID id_;
};

}  // namespace

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IHostApplication::iid.Matches(iid)) return AnswerQuery<IHostApplication>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API HostApplication::getName(String128 name) {
  if (name == nullptr) return kInvalidArgument;
  const size_t n = std::min<size_t>(name_.size(), 127);
  std::copy(name_.begin(), name_.begin() + static_cast<std::ptrdiff_t>(n), name);
  name[n] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID, TUID, void** obj) {
  if (obj != nullptr) *obj = nullptr;
  return kNotImplemented;
}

tresult PLUGIN_API MemoryStream::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IBStream::iid.Matches(iid)) return AnswerQuery<IBStream>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytes < 0 || (numBytes > 0 && buffer == nullptr)) return kInvalidArgument;
  const size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  const size_t n = std::min(available, static_cast<size_t>(numBytes));
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  if (numBytesRead != nullptr) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytes < 0 || (numBytes > 0 && buffer == nullptr)) return kInvalidArgument;
  const auto n = static_cast<size_t>(numBytes);
  if (bytes_.size() < position_ + n) bytes_.resize(position_ + n);
  if (n > 0) std::memcpy(bytes_.data() + position_, buffer, n);
  position_ += n;
  if (numBytesWritten != nullptr) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  int64 base = 0;
  if (mode == kIBSeekCur) base = static_cast<int64>(position_);
  else if (mode == kIBSeekEnd) base = static_cast<int64>(bytes_.size());
  else if (mode != kIBSeekSet) return kInvalidArgument;
  if (base + pos < 0) return kInvalidArgument;
  position_ = static_cast<size_t>(base + pos);
  if (result != nullptr) *result = static_cast<int64>(position_);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (pos == nullptr) return kInvalidArgument;
  *pos = static_cast<int64>(position_);
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IParamValueQueue::iid.Matches(iid)) return AnswerQuery<IParamValueQueue>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  sampleOffset = points_[static_cast<size_t>(index)].offset;
  value = points_[static_cast<size_t>(index)].value;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
  // Points stay sorted by offset; a point at an existing offset replaces it.
  auto at = std::lower_bound(points_.begin(), points_.end(), sampleOffset,
                             [](const Point& p, int32 offset) { return p.offset < offset; });
  if (at != points_.end() && at->offset == sampleOffset) {
    at->value = value;
  } else {
    at = points_.insert(at, Point{sampleOffset, value});
  }
  index = static_cast<int32>(at - points_.begin());
  return kResultOk;
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IParameterChanges::iid.Matches(iid))
    return AnswerQuery<IParameterChanges>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? queues_[static_cast<size_t>(index)] : nullptr;
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < queues_.size(); ++i) {
    if (queues_[i]->getParameterId() == id) {
      index = static_cast<int32>(i);
      return queues_[i];
    }
  }
  queues_.push_back(new ParamValueQueue(id));
  index = static_cast<int32>(queues_.size()) - 1;
  return queues_.back();
}

void ParameterChanges::Clear() {
  for (ParamValueQueue* queue : queues_) queue->release();
  queues_.clear();
}

tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IEventList::iid.Matches(iid)) return AnswerQuery<IEventList>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e) {
  if (index < 0 || index >= getEventCount()) return kResultFalse;
  e = events_[static_cast<size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e) {
  events_.push_back(e);
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj) {
  if (FUnknown::iid.Matches(iid) || IComponentHandler::iid.Matches(iid))
    return AnswerQuery<IComponentHandler>(this, obj);
  if (contextMenus_ && IComponentHandler3::iid.Matches(iid)) return AnswerQuery<IComponentHandler3>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id) {
  calls_.push_back({Call::Begin, id, 0.0});
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
  calls_.push_back({Call::Perform, id, valueNormalized});
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::endEdit(ParamID id) {
  calls_.push_back({Call::End, id, 0.0});
  return kResultOk;
}
tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags) {
  calls_.push_back({Call::Restart, 0, static_cast<double>(flags)});
  return kResultOk;
}

IContextMenu* PLUGIN_API ComponentHandler::createContextMenu(IPlugView* plugView, const ParamID* paramId) {
  if (plugView == nullptr) return nullptr;
  const ParamID id = paramId != nullptr ? *paramId : kNoParamId;
  calls_.push_back({Call::ContextMenu, id, 0.0});
  return new RecordingMenu(*this, id);
}

}  // namespace host3
