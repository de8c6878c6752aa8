#include "plugin_view.h"

namespace vst3 {

tresult PLUGIN_API CPluginView::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  if (FUnknown::iid.Matches(iid) || IPlugView::iid.Matches(iid)) return AnswerQuery<IPlugView>(this, obj);
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API CPluginView::isPlatformTypeSupported(FIDString) { return kResultFalse; }

tresult PLUGIN_API CPluginView::attached(void* parent, FIDString) {
  parent_ = parent;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::removed() {
  parent_ = nullptr;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::getSize(ViewRect* size) {
  if (size == nullptr) return kInvalidArgument;
  *size = rect_;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::onSize(ViewRect* newSize) {
  if (newSize != nullptr) rect_ = *newSize;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::setFrame(IPlugFrame* frame) {
  frame_ = frame;
  return kResultOk;
}

}  // namespace vst3
