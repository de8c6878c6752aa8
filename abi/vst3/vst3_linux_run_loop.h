#pragma once
// The Linux run loop a host offers through its plug frame: the plug-in's
// editor registers a timer and the descriptor of its window-system connection,
// and the host calls back on its user-interface thread.

#include "vst3_base.h"

namespace vst3 {

using FileDescriptor = int;
using TimerInterval = uint64;

class IEventHandler : public FUnknown {
 public:
  virtual void PLUGIN_API onFDIsSet(FileDescriptor fd) = 0;
  static constexpr Uid iid = Uid::FromNumbers(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

class ITimerHandler : public FUnknown {
 public:
  virtual void PLUGIN_API onTimer() = 0;
  static constexpr Uid iid = Uid::FromNumbers(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult PLUGIN_API registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
  virtual tresult PLUGIN_API unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult PLUGIN_API registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
  virtual tresult PLUGIN_API unregisterTimer(ITimerHandler* handler) = 0;
  static constexpr Uid iid = Uid::FromNumbers(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};

}  // namespace vst3
