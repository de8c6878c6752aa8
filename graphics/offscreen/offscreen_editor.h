#pragma once
// OffscreenEditor: an editor whose window is a bitmap of the editor's size.
// PresentArea copies the presented area from the drawing surface into it, and
// every dialog is answered from an OffscreenScript. The tests and the snapshot
// tool drive it; it is also the editor of platforms that have no window layer
// yet. [editor] is whichever thread drives it.

#include <memory>

#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/editor.h"
#include "graphics/offscreen/offscreen_script.h"

class OffscreenEditor : public Editor {
 public:
  explicit OffscreenEditor(PluginBase* plug);
  ~OffscreenEditor() override;

  OffscreenScript& Script() { return script_; }
  // The window's pixels, or null while the window is closed.
  MemBitmap* Window() { return window_.get(); }
  int PresentCount() const { return presentCount_; }
  const Rect& LastPresented() const { return lastPresented_; }

  bool PresentArea(const Rect& rect) override;
  void CancelTextEntry() override {}
  void ResizeEditor(int width, int height) override;
  const char* DrawingApiName() const override { return "offscreen"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                     PluginParam* param) override;
  void HostFolder(std::string& out) override { out = script_.hostFolder; }
  void PluginFolder(std::string& out) override { out = script_.pluginFolder; }
  void DesktopFolder(std::string& out) override { out = script_.desktopFolder; }
  void AppDataFolder(std::string& out, bool allUsers) override;
  void UserAppDataFolder(std::string& out) override { out = script_.userAppDataFolder; }
  void ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) override;
  bool ChooseColour(Colour& colour, const char* prompt) override;
  bool OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) override;
  // The window is a fresh bitmap of the editor's size (the parent is ignored).
  NativeWindowHandle OpenWindow(NativeWindowHandle parent) override;
  void CloseWindow() override { window_.reset(); }
  NativeWindowHandle NativeWindow() override { return window_.get(); }
  bool ClipboardText(std::string& out) override;
  // The module's PNG resource with that id, for PNG file names; else null.
  Bitmap* LoadImageResource(int resourceId, const char* fileName) override;

 private:
  OffscreenScript script_;
  std::unique_ptr<MemBitmap> window_;
  int presentCount_ = 0;
  Rect lastPresented_{};
};
