#include "graphics/x11/x11_connection.h"

#include <algorithm>
#include <mutex>
#include <vector>
#include "graphics/x11/xlib.h"

namespace {

// The handler may be called on any thread that uses Xlib (the host's too), so
// the list of our connections has a lock of its own.
std::mutex connectionsLock;
std::vector<Display*> ourConnections;
unsigned long swallowedErrors = 0;
XErrorHandler replacedHandler = nullptr;
bool handlerInstalled = false;

int SwallowOurErrors(Display* display, XErrorEvent* error) {
  XErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> hold(connectionsLock);
    if (std::find(ourConnections.begin(), ourConnections.end(), display) != ourConnections.end()) {
      ++swallowedErrors;
      return 0;
    }
    previous = replacedHandler;
  }
  return previous != nullptr ? previous(display, error) : 0;
}

}  // namespace

Display* OpenEditorConnection() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(connectionsLock);
  ourConnections.push_back(display);
  if (!handlerInstalled) {
    replacedHandler = XSetErrorHandler(SwallowOurErrors);
    handlerInstalled = true;
  }
  return display;
}

void CloseEditorConnection(Display* display) {
  if (display == nullptr) return;
  XCloseDisplay(display);
  std::lock_guard<std::mutex> hold(connectionsLock);
  ourConnections.erase(std::remove(ourConnections.begin(), ourConnections.end(), display), ourConnections.end());
  if (ourConnections.empty() && handlerInstalled) {
    // Put the host's handler back, unless someone replaced ours meanwhile.
    XErrorHandler current = XSetErrorHandler(replacedHandler);
    if (current != SwallowOurErrors) XSetErrorHandler(current);
    replacedHandler = nullptr;
    handlerInstalled = false;
  }
}

X11ErrorCheck::X11ErrorCheck(Display* display) : display_(display) {
  XSync(display_, False);
  std::lock_guard<std::mutex> hold(connectionsLock);
  errorsBefore_ = swallowedErrors;
}

bool X11ErrorCheck::Failed() {
  XSync(display_, False);
  std::lock_guard<std::mutex> hold(connectionsLock);
  return swallowedErrors != errorsBefore_;
}
