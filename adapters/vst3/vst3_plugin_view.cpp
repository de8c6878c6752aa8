#include "vst3_plugin_view.h"

#include <cstring>

#include "vst3_plugin.h"

using namespace vst3;

namespace {
bool IsHwnd(FIDString type) { return type != nullptr && std::strcmp(type, kPlatformTypeHWND) == 0; }
}  // namespace

Vst3PluginView::Vst3PluginView(Vst3Plugin& plugin) : plugin_(plugin) {
  plugin_.AddReference();
  plugin_.AddView(this);
}

Vst3PluginView::~Vst3PluginView() {
  plugin_.RemoveView(this);
  plugin_.ReleaseReference();
}

tresult PLUGIN_API Vst3PluginView::isPlatformTypeSupported(FIDString type) {
  if (plugin_.Editor() == nullptr) return kResultFalse;
  return IsHwnd(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Vst3PluginView::attached(void* parent, FIDString type) {
  if (plugin_.Editor() == nullptr) return kResultFalse;
  if (IsHwnd(type)) plugin_.OpenEditorWindow(parent);
  plugin_.OnEditorOpened();
  CPluginView::attached(parent, type);
  return kResultTrue;
}

tresult PLUGIN_API Vst3PluginView::removed() {
  if (plugin_.Editor() != nullptr) {
    plugin_.OnEditorClosed();
    plugin_.CloseEditorWindow();
  }
  return CPluginView::removed();
}

tresult PLUGIN_API Vst3PluginView::getSize(ViewRect* size) {
  int width = 0;
  int height = 0;
  if (size == nullptr || plugin_.Editor() == nullptr) return kResultFalse;
  // The window's size when a window layer answers, else the editor's own.
  if (!plugin_.EditorWindowSize(&width, &height) && !plugin_.Editor()->EditorSize(&width, &height))
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
