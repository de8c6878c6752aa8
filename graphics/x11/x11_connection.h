#pragma once
#include "graphics/x11/xlib.h"
// The editor's own connections to the X server. Xlib's default error handler
// ends the process, and a window of ours can vanish under us at any time (the
// host destroys its window first): while any editor connection is open a
// handler is installed that swallows the errors of our connections and hands
// every other connection's errors to the handler it replaced.


// [editor] A new connection to the default display (DISPLAY), or null.
Display* OpenEditorConnection();
// [editor] Closes a connection from OpenEditorConnection; null does nothing.
void CloseEditorConnection(Display* display);

// [editor] Watches the errors our handler swallows for one connection from here
// on: construct, make the requests, then ask Failed (which waits for the
// server's answers).
class X11ErrorCheck {
 public:
  explicit X11ErrorCheck(Display* display);
  bool Failed();

 private:
  Display* display_;
  unsigned long errorsBefore_;
};
