#pragma once
// X11ShmImage: an image in a shared-memory segment that the X server reads
// directly (MIT-SHM), for presenting the editor's surface without sending its
// pixels through the connection. One per open window, the window's size.
//
// The segment is marked for removal as soon as the server has attached it, so
// it goes with the last detach even when the process dies. Only a local
// server (a Unix socket) with the extension, 32-bit pixels in our byte order,
// and a successful attach gets one; everything else presents with XPutImage.

#include <memory>

#include "graphics/bitmap/bitmap.h"
#include "graphics/bitmap/rect.h"
#include "graphics/x11/xlib.h"

class X11ShmImage {
 public:
  // Set (to anything but "" or "0") when a window opens, it forces XPutImage.
  static constexpr const char* kDisableVariable = "MORAVELLE_X11_NO_SHM";

  // [editor] A new image of width x height for windows of the visual and depth,
  // or null when shared memory cannot serve them (see above).
  static std::unique_ptr<X11ShmImage> Create(Display* display, Visual* visual, int depth, int width, int height);
  // [editor] Detaches the segment from the server and from this process.
  ~X11ShmImage();
  X11ShmImage(const X11ShmImage&) = delete;
  X11ShmImage& operator=(const X11ShmImage&) = delete;

  int Width() const;
  int Height() const;
  // [editor] Copies the area of the bitmap (clipped to both) into the segment
  // and has the server put it at the same place in the drawable. The server has
  // read the segment when this returns, so the next call may write it again.
  bool Put(Drawable target, GC gc, Bitmap& bitmap, const Rect& area);

 private:
  struct Segment;  // the extension's record of the segment, kept out of this header
  X11ShmImage(Display* display, XImage* image, std::unique_ptr<Segment> segment);

  Display* display_;
  XImage* image_;
  std::unique_ptr<Segment> segment_;
};
