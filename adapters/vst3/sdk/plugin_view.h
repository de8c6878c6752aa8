#pragma once
// CPluginView: the plain editor view. It keeps the host's frame, the size the host
// gave and the parent it was attached to; the plug-in's view class decides what
// opening, closing and sizing mean. [host] UI thread only.

#include "abi/vst3/fobject.h"
#include "abi/vst3/vst3_view.h"

namespace vst3 {

class CPluginView : public FObject, public IPlugView {
 public:
  CPluginView() = default;

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return AddReference(); }
  uint32 PLUGIN_API release() override { return ReleaseReference(); }

  tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override;
  tresult PLUGIN_API attached(void* parent, FIDString type) override;
  tresult PLUGIN_API removed() override;
  tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
  tresult PLUGIN_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
  tresult PLUGIN_API getSize(ViewRect* size) override;
  tresult PLUGIN_API onSize(ViewRect* newSize) override;
  tresult PLUGIN_API onFocus(TBool) override { return kResultFalse; }
  tresult PLUGIN_API setFrame(IPlugFrame* frame) override;
  tresult PLUGIN_API canResize() override { return kResultFalse; }
  tresult PLUGIN_API checkSizeConstraint(ViewRect*) override { return kResultFalse; }

  const char* ClassName() const override { return "CPluginView"; }

 protected:
  // Not reference-counted: the host keeps the frame alive while it is set.
  IPlugFrame* Frame() const { return frame_; }
  void* ParentWindow() const { return parent_; }
  const ViewRect& Rect() const { return rect_; }
  void SetRect(const ViewRect& rect) { rect_ = rect; }

 private:
  ViewRect rect_{};
  IPlugFrame* frame_ = nullptr;
  void* parent_ = nullptr;
};

}  // namespace vst3
