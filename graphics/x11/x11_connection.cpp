#include "graphics/x11/x11_connection.h"

#include <algorithm>
#include <mutex>
#include <vector>
#include "graphics/x11/xlib.h"

namespace {

// The handler may be called on any thread that uses Xlib (the host's too), so
// the list of our connections has a lock of its own.
struct OurConnection {
  Display* display;
  unsigned long swallowedErrors;
};
std::mutex connectionsLock;
std::vector<OurConnection> ourConnections;
XErrorHandler replacedHandler = nullptr;
bool handlerInstalled = false;

int SwallowOurErrors(Display* display, XErrorEvent* error) {
  XErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> hold(connectionsLock);
    for (OurConnection& connection : ourConnections)
      if (connection.display == display) {
        ++connection.swallowedErrors;
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
  ourConnections.push_back(OurConnection{display, 0});
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
  ourConnections.erase(std::remove_if(ourConnections.begin(), ourConnections.end(),
                                      [display](const OurConnection& c) { return c.display == display; }),
                       ourConnections.end());
  if (ourConnections.empty() && handlerInstalled) {
    // Put the host's handler back, unless someone replaced ours meanwhile.
    XErrorHandler current = XSetErrorHandler(replacedHandler);
    if (current != SwallowOurErrors) XSetErrorHandler(current);
    replacedHandler = nullptr;
    handlerInstalled = false;
  }
}

namespace {

unsigned long SwallowedErrorsOf(Display* display) {
  std::lock_guard<std::mutex> hold(connectionsLock);
  for (const OurConnection& connection : ourConnections)
    if (connection.display == display) return connection.swallowedErrors;
  return 0;
}

}  // namespace

X11ErrorCheck::X11ErrorCheck(Display* display) : display_(display) {
  XSync(display_, False);
  errorsBefore_ = SwallowedErrorsOf(display_);
}

bool X11ErrorCheck::Failed() {
  XSync(display_, False);
  return SwallowedErrorsOf(display_) != errorsBefore_;
}
