#include "vst3_run_loop_client.h"

using namespace vst3;

bool Vst3RunLoopClient::Start(IPlugFrame* frame) {
  if (runLoop_ != nullptr) return true;
  if (frame == nullptr || editor_.IdlePeriodMs() <= 0) return false;
  IRunLoop* runLoop = QueryFrom<IRunLoop>(frame);
  if (runLoop == nullptr) return false;
  if (runLoop->registerTimer(this, static_cast<TimerInterval>(editor_.IdlePeriodMs())) != kResultOk) {
    runLoop->release();
    return false;
  }
  runLoop_ = runLoop;
  const int descriptor = editor_.EventDescriptor();
  eventsRegistered_ = descriptor >= 0 && runLoop_->registerEventHandler(this, descriptor) == kResultOk;
  return true;
}

void Vst3RunLoopClient::Stop() {
  if (runLoop_ == nullptr) return;
  if (eventsRegistered_) runLoop_->unregisterEventHandler(this);
  eventsRegistered_ = false;
  runLoop_->unregisterTimer(this);
  runLoop_->release();
  runLoop_ = nullptr;
}

tresult PLUGIN_API Vst3RunLoopClient::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  if (FUnknown::iid.Matches(iid) || ITimerHandler::iid.Matches(iid)) return AnswerQuery<ITimerHandler>(this, obj);
  if (IEventHandler::iid.Matches(iid)) return AnswerQuery<IEventHandler>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}
