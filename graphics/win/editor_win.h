#pragma once
// EditorWin: the editor bound to Win32. A child window of class
// "MoravelleEditorWindow" inside the window the host gives, a timer (id 2) that
// turns dirty controls into paints, the translation of window messages into the
// editor's mouse and key routing (EditorWindowRules), the in-place text entry,
// popup menus, the file and colour dialogs, message boxes, the clipboard and
// the standard folders. Everything it shows is the editor's drawing surface,
// copied into the window on each paint.
//
// Only the sources of this folder include windows.h; this header keeps the
// window system's types behind void pointers. Every operation runs on the
// thread that owns the window, the host's user-interface thread [editor].

#include <memory>
#include <string>

#include "graphics/editor.h"
#include "graphics/editor_window_rules.h"

class EditorWin : public Editor {
 public:
  static constexpr const char* kWindowClassName = "MoravelleEditorWindow";
  static constexpr const char* kWindowTitle = "Moravelle";
  static constexpr int kRedrawTimerId = 2;
  static constexpr int kTextEntryControlId = 99;

  // moduleInstance: the HMODULE whose resources and window class the editor uses.
  EditorWin(PluginBase* plug, void* moduleInstance);
  // Closes the window, then the editor itself goes.
  ~EditorWin() override;

  // How many editor windows of this module are open; the window class is
  // registered while it is above 0. [editor]
  static int OpenWindowCount();

  bool PresentArea(const Rect& rect) override;
  void CancelTextEntry() override;
  void ResizeEditor(int width, int height) override;
  const char* DrawingApiName() const override { return "Windows GDI"; }
  const char* WindowSystem() const override { return "HWND"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                     PluginParam* param) override;
  void HostFolder(std::string& out) override;
  void PluginFolder(std::string& out) override;
  void DesktopFolder(std::string& out) override;
  void AppDataFolder(std::string& out, bool allUsers) override;
  void UserAppDataFolder(std::string& out) override { AppDataFolder(out, false); }
  void ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) override;
  bool ChooseColour(Colour& colour, const char* prompt) override;
  bool OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) override;
  NativeWindowHandle OpenWindow(NativeWindowHandle parent) override;
  void CloseWindow() override;
  NativeWindowHandle NativeWindow() override { return window_; }
  bool ClipboardText(std::string& out) override;
  void HideCursor() override;
  void RestoreCursor() override;
  Bitmap* LoadImageResource(int resourceId, const char* fileName) override;

  void* ModuleInstance() const { return moduleInstance_; }
  void* TextEntryWindow() const { return textEntryWindow_; }
  const EditorWindowRules& Rules() const { return rules_; }

  // ---- For the window procedures (editor_win_proc.cpp, editor_win_entry.cpp)
  // [editor] One message of the editor window; the result the procedure returns.
  intptr_t HandleWindowMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);
  // [editor] One message of the text entry's edit control.
  intptr_t HandleEntryMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);
  // [editor] The editor window was destroyed under the editor (its parent went).
  void WindowDestroyed();

 private:
  void OnTimer();
  void FinishTextEntry(bool commit);
  void* TopWindow();

  void* moduleInstance_;
  void* window_ = nullptr;             // HWND of the editor window
  void* textEntryWindow_ = nullptr;    // HWND of the edit control while an entry is open
  void* savedEntryProcedure_ = nullptr;
  void* textEntryFont_ = nullptr;      // HFONT the entry shows its text in
  std::unique_ptr<unsigned long[]> customColours_;  // 16 COLORREFs, made on first use
  unsigned long processId_ = 0;
  void* parentWindow_ = nullptr;
  void* topWindow_ = nullptr;
  std::string topWindowClassName_;
  EditorWindowRules rules_;
};
