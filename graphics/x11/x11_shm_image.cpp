#include "graphics/x11/x11_shm_image.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/x11/x11_connection.h"
#include "graphics/x11/xlib.h"
#include <X11/extensions/XShm.h>

struct X11ShmImage::Segment {
  XShmSegmentInfo info{};
};

namespace {

bool ForcedOff() {
  const char* value = std::getenv(X11ShmImage::kDisableVariable);
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// A server on this machine, reached through a Unix socket: it can map our
// segment. (A remote server may well have the extension too, for its own clients.)
bool LocalServer(Display* display) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  return address.ss_family == AF_UNIX;
}

// The image is ready to take our pixels (B, G, R, A bytes) row for row.
bool TakesOurPixels(const XImage& image) {
  return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.bytes_per_line == image.width * 4;
}

void ForgetImage(XImage* image) {
  image->data = nullptr;  // the segment's, not Xlib's to free
  XDestroyImage(image);
}

}  // namespace

std::unique_ptr<X11ShmImage> X11ShmImage::Create(Display* display, Visual* visual, int depth, int width, int height) {
  if (display == nullptr || width <= 0 || height <= 0 || ForcedOff() || !LocalServer(display) ||
      XShmQueryExtension(display) == False)
    return nullptr;
  auto segment = std::make_unique<Segment>();
  XShmSegmentInfo& info = segment->info;
  XImage* image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &info,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return nullptr;
  if (!TakesOurPixels(*image)) {
    ForgetImage(image);
    return nullptr;
  }
  info.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
  if (info.shmid < 0) {
    ForgetImage(image);
    return nullptr;
  }
  void* memory = shmat(info.shmid, nullptr, 0);
  if (memory == reinterpret_cast<void*>(-1)) {
    shmctl(info.shmid, IPC_RMID, nullptr);
    ForgetImage(image);
    return nullptr;
  }
  info.shmaddr = image->data = static_cast<char*>(memory);
  info.readOnly = False;
  // The server may refuse (another user's server, a container's own IPC
  // namespace): the error arrives through our connection's handler.
  X11ErrorCheck check(display);
  const bool attached = XShmAttach(display, &info) != False && !check.Failed();
  // Attached or not, the segment now lives only as long as its attachments.
  shmctl(info.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(memory);
    ForgetImage(image);
    return nullptr;
  }
  return std::unique_ptr<X11ShmImage>(new X11ShmImage(display, image, std::move(segment)));
}

X11ShmImage::X11ShmImage(Display* display, XImage* image, std::unique_ptr<Segment> segment)
    : display_(display), image_(image), segment_(std::move(segment)) {}

X11ShmImage::~X11ShmImage() {
  XShmDetach(display_, &segment_->info);
  XSync(display_, False);  // the server lets go before the memory does
  shmdt(segment_->info.shmaddr);
  ForgetImage(image_);
}

int X11ShmImage::Width() const { return image_->width; }
int X11ShmImage::Height() const { return image_->height; }

bool X11ShmImage::Put(Drawable target, GC gc, Bitmap& bitmap, const Rect& area) {
  if (bitmap.Bits() == nullptr) return false;
  const int left = std::max(area.L, 0);
  const int top = std::max(area.T, 0);
  const int right = std::min({area.R, bitmap.Width(), image_->width});
  const int bottom = std::min({area.B, bitmap.Height(), image_->height});
  if (left >= right || top >= bottom) return true;
  for (int y = top; y < bottom; ++y)
    std::memcpy(image_->data + static_cast<long>(y) * image_->bytes_per_line + left * 4, bitmap.Row(y) + left,
                static_cast<size_t>(right - left) * 4);
  XShmPutImage(display_, target, gc, image_, left, top, left, top, static_cast<unsigned>(right - left),
               static_cast<unsigned>(bottom - top), False);
  // Written again on the next redraw: the server must be done reading it.
  XSync(display_, False);
  return true;
}
