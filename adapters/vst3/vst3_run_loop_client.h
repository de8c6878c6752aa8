#pragma once
// Vst3RunLoopClient: drives an editor whose window layer has no event loop of
// its own (X11) from the host's Linux run loop, which the host offers through
// the view's plug frame: a timer at the editor's idle period and a handler on
// the descriptor its window-system events arrive on, both calling the editor's
// Idle on the host's user-interface thread. Hosts without a run loop are not
// served (Start answers false). [host] UI thread only.

#include "abi/vst3/fobject.h"
#include "abi/vst3/vst3_linux_run_loop.h"
#include "abi/vst3/vst3_view.h"
#include "framework/editor_link.h"

class Vst3RunLoopClient : public vst3::FObject, public vst3::ITimerHandler, public vst3::IEventHandler {
 public:
  explicit Vst3RunLoopClient(EditorLink& editor) : editor_(editor) {}
  ~Vst3RunLoopClient() override { Stop(); }

  // Registers with the frame's run loop, when the frame has one and the editor
  // wants driving; false when nothing was registered.
  bool Start(vst3::IPlugFrame* frame);
  // Unregisters from the run loop; nothing when not registered.
  void Stop();
  bool Running() const { return runLoop_ != nullptr; }

  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  void PLUGIN_API onTimer() override { editor_.Idle(); }
  void PLUGIN_API onFDIsSet(vst3::FileDescriptor) override { editor_.Idle(); }

  const char* ClassName() const override { return "Vst3RunLoopClient"; }

 private:
  EditorLink& editor_;
  vst3::IRunLoop* runLoop_ = nullptr;  // one reference while registered
  bool eventsRegistered_ = false;
};
