#pragma once
// EditorX11: the editor bound to X11. A child window of the window the host
// gives (its X window id), on a Display connection of the editor's own, opened
// with the window and closed with it. Everything the window shows is the
// editor's drawing surface, copied in on Expose and after each redraw; mouse
// and key events go through EditorWindowRules and window_keys like the Win32
// window's, keys the editor does not take are sent on to the host's window.
// Popup menus and the text entry are drawn by the editor itself.
//
// There is no event loop or thread of our own: the host drives the window
// through Idle (VST2's effEditIdle, a VST 3 host's run loop calling on timer
// and on the connection's descriptor). Idle handles the pending events, runs
// the redraw timer once its period has passed and looks whether an open file
// dialog has been answered. A host that never drives the editor gets a window
// that shows the editor as it was drawn when it opened, answers no input and
// never hears back from a file dialog.
//
// Only the sources of this folder include Xlib; this header keeps its types
// behind opaque pointers and plain X ids. Every operation runs on the host's
// user-interface thread [editor].

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "graphics/editor.h"
#include "graphics/editor_window_rules.h"

union _XEvent;
struct _XDisplay;
class DialogChild;
class X11ShmImage;

class EditorX11 : public Editor {
 public:
  static constexpr const char* kWindowName = "Moravelle";
  // Two presses of the left button this close in time and place make a double click.
  static constexpr int kDoubleClickMs = 500;
  static constexpr int kDoubleClickDistance = 4;

  explicit EditorX11(PluginBase* plug);
  // Closes the window (and the connection), then the editor itself goes.
  ~EditorX11() override;

  bool PresentArea(const Rect& rect) override;
  void CancelTextEntry() override;
  void ResizeEditor(int width, int height) override;
  const char* DrawingApiName() const override { return "X11"; }
  const char* WindowSystem() const override { return "X11EmbedWindowID"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& rect) override;
  void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                     PluginParam* param) override;
  void HostFolder(std::string& out) override;
  void PluginFolder(std::string& out) override;
  void DesktopFolder(std::string& out) override;
  void AppDataFolder(std::string& out, bool allUsers) override;
  void UserAppDataFolder(std::string& out) override { AppDataFolder(out, false); }
  // Modal: the window is served (without input) until the dialog is answered.
  void ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) override;
  // Starts the dialog and returns; Idle hands its answer to done once it exits.
  void ChooseFileThen(const std::string& file, FileAction action, const std::string& folder,
                      const std::string& extensions, FileChoiceDone done) override;
  bool FileChoicePending() const override { return fileDialog_ != nullptr; }
  bool ChooseColour(Colour& colour, const char* prompt) override;
  bool OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) override;
  // parent: the host's X window id. Null when there is no parent, no display
  // or the window cannot be made.
  NativeWindowHandle OpenWindow(NativeWindowHandle parent) override;
  void CloseWindow() override;
  NativeWindowHandle NativeWindow() override;
  bool ClipboardText(std::string& out) override;
  Bitmap* LoadImageResource(int resourceId, const char* fileName) override;

  int EventDescriptor() const override;
  int IdlePeriodMs() const override { return TimerPeriodMs(); }
  void Idle() override;

  const EditorWindowRules& Rules() const { return rules_; }
  // Whether the window is presented through a shared-memory image (else XPutImage).
  bool PresentsThroughSharedMemory() const { return shm_ != nullptr; }
  // The text the drawn entry holds while it is open.
  const std::string& EntryText() const { return entryText_; }

 private:
  using Clock = std::chrono::steady_clock;

  // editor_x11_events.cpp
  void HandlePendingEvents();
  void HandleEvent(_XEvent& event);
  void HandleButtonPress(_XEvent& event);
  void HandleButtonRelease(_XEvent& event);
  void HandleKeyPress(_XEvent& event);
  void PassKeyToHost(_XEvent& event);
  void OnTimer();
  void PaintArea(const Rect& rect);

  // editor_x11_entry.cpp
  bool HandleEntryKey(_XEvent& event);
  void DrawTextEntry();
  void PaintEntryBox(const Rect& rect, const TextStyle& look, const std::string& text, bool allSelected);
  // A modal entry across the editor's top: the path typed, or "" on Escape.
  std::string AskForPath(const std::string& initial);
  void FinishTextEntry(bool commit);

  // editor_x11_dialogs.cpp: runs a dialog program, serving the window meanwhile.
  int RunDialogProgram(const std::vector<std::string>& arguments, std::string& out);

  // editor_x11_file_dialog.cpp
  struct FileDialogStart {
    std::unique_ptr<DialogChild> child;  // the running dialog program, if one started
    std::string typedPath;               // else the path typed in the editor ("" for none)
  };
  FileDialogStart StartFileDialog(const std::string& file, FileAction action, std::string& folder,
                                  const std::string& extensions);
  void PollFileDialog();     // from Idle: hands on the answer once the program exited
  void AbandonFileDialog();  // kills an open dialog; its asker hears "not answered"

  void ForgetWindow();

  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;        // our window's id; 0 while closed
  unsigned long parentWindow_ = 0;
  void* gc_ = nullptr;              // GC for copying the surface in
  std::unique_ptr<X11ShmImage> shm_;  // the window's shared-memory image, when the server can take one
  void* visual_ = nullptr;          // Visual* of the window
  int depth_ = 0;
  EditorWindowRules rules_;
  Clock::time_point lastTick_{};
  // The last press of the left button, for double clicks.
  unsigned long lastPressTime_ = 0;
  int lastPressX_ = -1000;
  int lastPressY_ = -1000;
  bool lastPressWasDouble_ = false;
  // The drawn text entry.
  std::string entryText_;
  Rect entryRect_{};
  bool entryAllSelected_ = false;  // the first key replaces the text
  // A modal dialog program runs: the window shows and redraws but takes no input.
  bool dialogRunning_ = false;
  // The file dialog open beside the host's loop, whom to answer, and the folder it started in.
  std::unique_ptr<DialogChild> fileDialog_;
  FileChoiceDone fileDialogDone_;
  std::string fileDialogFolder_;
  TextStyle entryStyle_{};
};
