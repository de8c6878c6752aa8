#pragma once
// Editor: the platform-neutral half of the effect's editor. It owns the ordered
// list of controls (index 0 is the background, later controls lie on top), the
// drawing surface the size of the editor, and the rules that turn window events
// into control operations: which control a mouse event goes to, when the host
// hears that an edit gesture begins and ends, which part of the surface is
// redrawn, and how a value from the host reaches the controls bound to it.
//
// A window layer derives from it and supplies the platform operations (the pure
// virtuals below): presenting the surface, menus, text entry, dialogs, folders,
// loading images. graphics/offscreen/ has one whose window is a bitmap. No
// window-system header is included here or in the controls.
//
// Threads: [editor] is the thread that owns the window (drawing, timer, mouse,
// keys). UpdateControlsForParam runs on the host's parameter thread [host] and
// only writes control values and flags (atomics, see control.h); the editor
// holds no lock while drawing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/editor_link.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/sys_bitmap.h"
#include "graphics/blend_spec.h"
#include "graphics/colour.h"
#include "graphics/control.h"
#include "graphics/image_strip.h"
#include "graphics/input_events.h"
#include "graphics/popup_menu.h"
#include "graphics/text_style.h"

class PluginBase;
class PluginParam;

// A native window handle (HWND, X11 window id) or, offscreen, the window bitmap.
using NativeWindowHandle = void*;

enum class FileAction : int { Open = 0, Save = 1 };

// What became of a file the editor was asked to choose (ChooseFileThen).
struct FileChoice {
  // False when the window closed while the dialog was still open: nothing was
  // chosen or cancelled, and the asker's action must not run.
  bool answered = true;
  std::string file;    // the chosen path; "" after a cancel
  std::string folder;  // the chosen file's folder, or the folder the dialog started in
};
using FileChoiceDone = std::function<void(const FileChoice& choice)>;

class Editor : public EditorLink {
 public:
  // This system's editor is 1000 x 530 pixels at 25 frames per second.
  static constexpr int kDefaultWidth = 1000;
  static constexpr int kDefaultHeight = 530;
  static constexpr int kDefaultFrameRate = 25;

  explicit Editor(PluginBase* plug);
  // The key catcher, then the controls from last to first, then the surfaces.
  // Images and fonts stay in their process-wide caches.
  ~Editor() override;
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // ---- Building [editor, or the effect's constructor]
  // Appends; the editor owns the control from then on. Returns its index.
  int AddControl(Control* control);
  // The image as a full-size, non-parameter control at index 0 (replace blend).
  void SetBackground(int resourceId, const char* fileName);
  // The cached image for the id, loaded (LoadImageResource) on the first fetch in
  // this process. Null when it cannot be loaded; the cache owns the image.
  Bitmap* FetchImage(int resourceId, const char* fileName);
  // Takes ownership of the control that receives keys no other control takes.
  void SetKeyCatcher(Control* control);

  // ---- From the plug-in base
  // [host] Stores the value in every control bound to the parameter and marks
  // it dirty; a plain value is normalised first. Never draws.
  void UpdateControlsForParam(int index, double value, bool valueIsNormalised) override;
  void PrepareSurfaces() override;  // [editor] the drawing surface and an empty scratch bitmap
  bool EditorSize(int* width, int* height) const override;

  // ---- Value prompt and text entry [editor]
  // A menu of the value texts for list-valued parameters, else a text entry
  // holding the current value. Missing arguments do nothing.
  void OpenValuePrompt(Control* control, PluginParam* param, const Rect* rect);
  // What a window does when the user commits a text entry: with a parameter the
  // text becomes a value (a leading number, or the value whose text matches
  // exactly for list-valued parameters) handed to the control's
  // SetValueFromUser; without one the control gets the text itself.
  static void CommitTextEntry(Control* control, PluginParam* param, const std::string& text);
  // Whether a typed character passes the text entry's filter for the parameter.
  static bool TextEntryAccepts(const PluginParam* param, char c);

  // ---- Drawing primitives [editor], into the surface, clipped to the redraw area
  bool PaintImage(const ImageStrip& strip, const Rect& dest, int sourceX, int sourceY, const BlendSpec* blend);
  bool PaintImageFrame(const ImageStrip& strip, const Rect& dest, int frame, const BlendSpec* blend);
  bool PaintRect(const Colour& colour, const Rect& rect, const BlendSpec* blend);  // not clipped
  // Draws text in rect, or with measure sets rect to the text's extent. False
  // when no font can be made.
  bool PaintText(TextStyle& style, const char* text, Rect& rect, bool measure);

  // ---- The drawing pass [editor]
  // Grows rect (start from an empty one) by every control that needs a redraw;
  // true when any did.
  bool CollectDirtyArea(Rect& rect);
  // Redraws everything that overlaps rect, back to front, clears every
  // control's dirty state and presents rect.
  bool Redraw(const Rect& rect);
  // One tick of the window's timer: redraws the dirty area, if any. Returns
  // whether anything was drawn. Windows call it every TimerPeriodMs().
  bool OnTimerTick();
  int TimerPeriodMs() const { return frameRate_ > 0 ? 1000 / frameRate_ : 40; }

  // ---- Mouse and keys [editor], in editor pixels
  bool HandleButtonDown(int x, int y, const MouseState& mouse);
  bool HandleDrag(int x, int y, const MouseState& mouse);
  bool HandleButtonUp(int x, int y, const MouseState& mouse);
  // True when the control took the double click as a button down; the window
  // then captures the mouse.
  bool HandleDoubleClick(int x, int y, const MouseState& mouse);
  void HandleWheel(int x, int y, const MouseState& mouse, int notches);
  bool HandleKey(int x, int y, KeyCode key);  // false: not handled, pass it to the host
  void DropMouseCapture();
  // The topmost control under the point that is neither hidden nor greyed; -1 for none.
  int ControlIndexAt(int x, int y) const;

  // ---- Platform operations
  virtual bool PresentArea(const Rect& rect) = 0;
  virtual bool MeasureText(TextStyle& style, const char* text, Rect& rect);
  virtual void CancelTextEntry() = 0;
  // Base part: new size, no capture, no controls (emptied under the instance
  // lock), new surfaces, the host told.
  virtual void ResizeEditor(int width, int height);
  virtual bool IsWindowOpen() { return NativeWindow() != nullptr; }
  virtual const char* DrawingApiName() const { return ""; }
  virtual int ShowMessage(const char* text, const char* caption, int type) = 0;
  // The menu of the tree the user chose from (its chosen index set), or null.
  virtual PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& rect) = 0;
  virtual void OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                             PluginParam* param) = 0;
  virtual void HostFolder(std::string& out) = 0;
  virtual void PluginFolder(std::string& out) = 0;
  virtual void DesktopFolder(std::string& out) = 0;
  virtual void AppDataFolder(std::string& out, bool allUsers) = 0;
  virtual void UserAppDataFolder(std::string& out) = 0;
  // Modal; on return file holds the chosen path or "" and folder the chosen file's folder.
  virtual void ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) = 0;
  // [editor] Asks the user for a file and hands the answer to done exactly once.
  // This base runs the modal ChooseFile and answers before returning. A window
  // layer whose dialogs run beside the host's own loop (X11) returns at once and
  // answers from a later Idle, or with answered false when its window closes (or
  // its controls are rebuilt) first; it answers a second request made while one
  // is open with answered false at once.
  virtual void ChooseFileThen(const std::string& file, FileAction action, const std::string& folder,
                              const std::string& extensions, FileChoiceDone done);
  // [editor] Whether a file dialog of this editor is open and not yet answered.
  virtual bool FileChoicePending() const { return false; }
  virtual bool ChooseColour(Colour& colour, const char* prompt) = 0;
  virtual bool OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) = 0;
  NativeWindowHandle OpenWindow(NativeWindowHandle parent) override = 0;
  void CloseWindow() override = 0;
  virtual NativeWindowHandle NativeWindow() = 0;
  virtual bool ClipboardText(std::string& out) = 0;
  virtual void HideCursor() {}
  virtual void RestoreCursor() {}
  // A new image for the resource (the caller owns it), or null.
  virtual Bitmap* LoadImageResource(int resourceId, const char* fileName) = 0;

  // ---- Fields
  PluginBase* Plug() const { return plug_; }
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  Control* ControlAt(int index) const;  // null outside the list
  Control* KeyCatcher() const { return keyCatcher_.get(); }
  SysBitmap* Surface() const { return surface_.get(); }
  MemBitmap* Scratch() const { return scratch_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int FrameRate() const { return frameRate_; }
  int CaptureIndex() const { return captureIndex_; }
  const Rect& RedrawArea() const { return redrawArea_; }
  bool StrictRedraw() const { return strictRedraw_; }

 protected:
  bool cursorHidden_ = false;     // for the window layer
  int hiddenCursorX_ = -1;
  int hiddenCursorY_ = -1;

 private:
  Control* ControlUnderOrCaptured(int x, int y) const;

  std::vector<std::unique_ptr<Control>> controls_;
  PluginBase* plug_;
  Rect redrawArea_{};
  std::unique_ptr<SysBitmap> surface_;
  std::unique_ptr<MemBitmap> scratch_;
  int width_ = kDefaultWidth;
  int height_ = kDefaultHeight;
  int frameRate_ = kDefaultFrameRate;
  int captureIndex_ = -1;
  int lastMouseX_ = 0;
  int lastMouseY_ = 0;
  // The parameter whose begin-edit the host has had without its end-edit yet;
  // -1 for none. Keeps the host's begin and end messages paired.
  int openEditParam_ = -1;
  const bool strictRedraw_ = true;
  std::unique_ptr<Control> keyCatcher_;
};
