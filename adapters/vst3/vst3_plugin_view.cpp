#include "vst3_plugin_view.h"

#include <cstring>

#include "vst3_plugin.h"
#include "vst3_run_loop_client.h"

using namespace vst3;

Vst3PluginView::Vst3PluginView(Vst3Plugin& plugin) : plugin_(plugin) {
  plugin_.AddReference();
  plugin_.AddView(this);
}

Vst3PluginView::~Vst3PluginView() {
  CloseIfOpen();
  plugin_.RemoveView(this);
  plugin_.ReleaseReference();
}

bool Vst3PluginView::SupportsWindowType(FIDString type) const {
  const EditorLink* editor = plugin_.Editor();
  const char* system = editor != nullptr ? editor->WindowSystem() : nullptr;
  return system != nullptr && type != nullptr && std::strcmp(type, system) == 0;
}

tresult PLUGIN_API Vst3PluginView::isPlatformTypeSupported(FIDString type) {
  return SupportsWindowType(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Vst3PluginView::attached(void* parent, FIDString type) {
  EditorLink* editor = plugin_.Editor();
  if (editor == nullptr || editor->WindowSystem() == nullptr) return kResultFalse;
  // A window that cannot be made is a failed attach, not an empty editor.
  if (SupportsWindowType(type) && editor->OpenWindow(parent) == nullptr) return kResultFalse;
  opened_ = true;
  plugin_.OnEditorOpened();
  CPluginView::attached(parent, type);
  StartRunLoop();
  return kResultTrue;
}

void Vst3PluginView::StartRunLoop() {
  EditorLink* editor = plugin_.Editor();
  if (!opened_ || editor == nullptr || editor->IdlePeriodMs() <= 0) return;
  if (runLoopClient_ == nullptr) runLoopClient_ = new Vst3RunLoopClient(*editor);
  runLoopClient_->Start(Frame());
}

tresult PLUGIN_API Vst3PluginView::setFrame(IPlugFrame* frame) {
  if (frame == nullptr && runLoopClient_ != nullptr) runLoopClient_->Stop();  // the run loop goes with its frame
  CPluginView::setFrame(frame);
  StartRunLoop();
  return kResultOk;
}

void Vst3PluginView::CloseIfOpen() {
  if (!opened_) return;
  opened_ = false;
  if (runLoopClient_ != nullptr) {
    runLoopClient_->Stop();
    runLoopClient_->release();
    runLoopClient_ = nullptr;
  }
  if (EditorLink* editor = plugin_.Editor()) {
    plugin_.OnEditorClosed();
    editor->CloseWindow();
  }
}

tresult PLUGIN_API Vst3PluginView::removed() {
  CloseIfOpen();
  return CPluginView::removed();
}

tresult PLUGIN_API Vst3PluginView::getSize(ViewRect* size) {
  int width = 0;
  int height = 0;
  if (size == nullptr || plugin_.Editor() == nullptr || !plugin_.Editor()->EditorSize(&width, &height))
    return kResultFalse;
  *size = ViewRect{0, 0, width, height};
  return kResultOk;
}

tresult PLUGIN_API Vst3PluginView::onSize(ViewRect* newSize) {
  if (newSize == nullptr) return kResultOk;
  SetRect(*newSize);
  if (expectingResize_) {
    expectingResize_ = false;
    plugin_.AfterEditorResize();
  }
  return kResultOk;
}

void Vst3PluginView::RequestResize(int width, int height) {
  expectingResize_ = true;
  if (IPlugFrame* frame = Frame()) {
    ViewRect rect{0, 0, width, height};
    frame->resizeView(this, &rect);
  }
}
