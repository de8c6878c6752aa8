#pragma once
// Vst3PluginView: the host's handle on the plug-in's editor. Opening, closing and
// sizing go to the editor through the plug-in; resize requests of the editor come
// back through RequestResize. [host] UI thread only; no lock is taken.
//
// The view offers the window system of the editor's window layer (HWND in the
// Windows build, X11EmbedWindowID in the Linux one). A window layer the host
// must drive (X11) is run from the host's run loop, found on the plug frame. A
// build without a window layer supports no platform type and
// attaches nothing, so a host never shows an empty frame as the editor.
//
// The view holds one reference on its plug-in, so the plug-in outlives it; it puts
// itself on the plug-in's view list at creation and takes itself off at destruction.

#include "adapters/vst3/sdk/plugin_view.h"

class Vst3Plugin;
class Vst3RunLoopClient;

class Vst3PluginView : public vst3::CPluginView {
 public:
  explicit Vst3PluginView(Vst3Plugin& plugin);
  // Closes a window this view still has open (a host that releases without removed).
  ~Vst3PluginView() override;

  vst3::tresult PLUGIN_API isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult PLUGIN_API attached(void* parent, vst3::FIDString type) override;
  vst3::tresult PLUGIN_API removed() override;
  vst3::tresult PLUGIN_API getSize(vst3::ViewRect* size) override;
  vst3::tresult PLUGIN_API onSize(vst3::ViewRect* newSize) override;
  vst3::tresult PLUGIN_API setFrame(vst3::IPlugFrame* frame) override;

  // [editor] Marks the view as expecting a resize and asks the frame for (0, 0, w, h).
  void RequestResize(int width, int height);
  bool ExpectingResize() const { return expectingResize_; }
  const vst3::ViewRect& CurrentRect() const { return Rect(); }

  const char* ClassName() const override { return "Vst3PluginView"; }

 private:
  // Whether the editor has a window layer for this type of host window.
  bool SupportsWindowType(vst3::FIDString type) const;
  void CloseIfOpen();
  // Starts driving an open editor that wants it from the frame's run loop.
  void StartRunLoop();

  Vst3Plugin& plugin_;
  bool expectingResize_ = false;
  // This view told the effect the editor opened (and may hold the window).
  bool opened_ = false;
  // Drives the open editor from the host's run loop; null when not needed.
  Vst3RunLoopClient* runLoopClient_ = nullptr;
};
