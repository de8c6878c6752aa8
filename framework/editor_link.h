#pragma once
// What the plug-in base needs of the editor: the narrow half of the one two-way
// link between framework and graphics. The editor core implements it.

class EditorLink {
 public:
  virtual ~EditorLink() = default;

  // Host or restore thread, instance lock held: stores a parameter's value in the
  // controls bound to it and marks them dirty; never draws, never calls back.
  virtual void UpdateControlsForParam(int index, double value, bool valueIsNormalised) = 0;

  // Creates the offscreen drawing surfaces; called once when the editor is attached.
  virtual void PrepareSurfaces() = 0;

  // [any] The editor's size in pixels; false when it has none to report.
  virtual bool EditorSize(int* /*width*/, int* /*height*/) const { return false; }

  // [any] The kind of host window the editor opens inside ("HWND"), or null when
  // this build has no window layer: the adapters then open no editor for hosts.
  virtual const char* WindowSystem() const { return nullptr; }
  // [editor] Opens the editor's window inside the host's window; the new window,
  // or null when none opened.
  virtual void* OpenWindow(void* /*parent*/) { return nullptr; }
  // [editor] Closes the window; nothing when none is open.
  virtual void CloseWindow() {}

  // Window layers with no event loop of their own (X11) are driven by the host:
  // the descriptor their window-system events arrive on (-1: none), how often
  // they want Idle called (0: never), and Idle itself, which handles the pending
  // window events and runs the redraw timer when its period has passed.
  virtual int EventDescriptor() const { return -1; }  // [editor]
  virtual int IdlePeriodMs() const { return 0; }      // [any]
  virtual void Idle() {}                              // [editor]
};
