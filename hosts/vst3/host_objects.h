#pragma once
// The host-side interface objects this host hands to a plug-in: the host context,
// a memory stream, parameter-change queues, an event list and a component handler
// that records what the plug-in tells its host. Each is reference-counted; the
// host keeps them alive for as long as the plug-in may use them.

#include <string>
#include <vector>

#include "abi/vst3/fobject.h"
#include "abi/vst3/vst3_component.h"
#include "abi/vst3/vst3_controller.h"
#include "abi/vst3/vst3_processor.h"

namespace host3 {

class HostApplication : public vst3::FObject, public vst3::IHostApplication {
 public:
  explicit HostApplication(std::u16string name) : name_(std::move(name)) {}
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::tresult PLUGIN_API getName(vst3::String128 name) override;
  vst3::tresult PLUGIN_API createInstance(vst3::TUID cid, vst3::TUID iid, void** obj) override;

 private:
  std::u16string name_;
};

// A growable byte stream with one position shared by reads and writes.
class MemoryStream : public vst3::FObject, public vst3::IBStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::tresult PLUGIN_API read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
  vst3::tresult PLUGIN_API write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
  vst3::tresult PLUGIN_API seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
  vst3::tresult PLUGIN_API tell(vst3::int64* pos) override;

  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  void Rewind() { position_ = 0; }

 private:
  std::vector<unsigned char> bytes_;
  size_t position_ = 0;
};

class ParamValueQueue : public vst3::FObject, public vst3::IParamValueQueue {
 public:
  explicit ParamValueQueue(vst3::ParamID id) : id_(id) {}
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::ParamID PLUGIN_API getParameterId() override { return id_; }
  vst3::int32 PLUGIN_API getPointCount() override { return static_cast<vst3::int32>(points_.size()); }
  vst3::tresult PLUGIN_API getPoint(vst3::int32 index, vst3::int32& sampleOffset, vst3::ParamValue& value) override;
  vst3::tresult PLUGIN_API addPoint(vst3::int32 sampleOffset, vst3::ParamValue value, vst3::int32& index) override;

 private:
  struct Point {
    vst3::int32 offset;
    vst3::ParamValue value;
  };
  vst3::ParamID id_;
  std::vector<Point> points_;
};

class ParameterChanges : public vst3::FObject, public vst3::IParameterChanges {
 public:
  ~ParameterChanges() override { Clear(); }
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::int32 PLUGIN_API getParameterCount() override { return static_cast<vst3::int32>(queues_.size()); }
  vst3::IParamValueQueue* PLUGIN_API getParameterData(vst3::int32 index) override;
  vst3::IParamValueQueue* PLUGIN_API addParameterData(const vst3::ParamID& id, vst3::int32& index) override;
  void Clear();

 private:
  std::vector<ParamValueQueue*> queues_;  // one reference each
};

class EventList : public vst3::FObject, public vst3::IEventList {
 public:
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::int32 PLUGIN_API getEventCount() override { return static_cast<vst3::int32>(events_.size()); }
  vst3::tresult PLUGIN_API getEvent(vst3::int32 index, vst3::Event& e) override;
  vst3::tresult PLUGIN_API addEvent(vst3::Event& e) override;
  void Clear() { events_.clear(); }

 private:
  std::vector<vst3::Event> events_;
};

// Records every call; createContextMenu is answered (with a menu that records its
// popup) only when context menus are enabled.
class ComponentHandler : public vst3::FObject, public vst3::IComponentHandler, public vst3::IComponentHandler3 {
 public:
  struct Call {
    enum Kind { Begin, Perform, End, Restart, ContextMenu, Popup } kind;
    vst3::ParamID id;
    double value;
  };

  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::tresult PLUGIN_API beginEdit(vst3::ParamID id) override;
  vst3::tresult PLUGIN_API performEdit(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
  vst3::tresult PLUGIN_API endEdit(vst3::ParamID id) override;
  vst3::tresult PLUGIN_API restartComponent(vst3::int32 flags) override;
  vst3::IContextMenu* PLUGIN_API createContextMenu(vst3::IPlugView* plugView, const vst3::ParamID* paramId) override;

  void EnableContextMenus(bool enabled) { contextMenus_ = enabled; }
  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  void Record(Call call) { calls_.push_back(call); }

 private:
  bool contextMenus_ = false;
  std::vector<Call> calls_;
};

}  // namespace host3
