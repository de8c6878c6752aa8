// EditorX11: the window's life (connection, creation, closing), presenting the
// surface, resizing, driving by the host, and images.
#include "graphics/x11/editor_x11.h"


#include <cstdint>

#include "framework/plugin_base.h"
#include "graphics/bitmap/module_resources.h"
#include "graphics/bitmap/png_decode.h"
#include "graphics/image_cache.h"
#include "graphics/x11/dialog_child.h"
#include "graphics/x11/x11_connection.h"
#include "graphics/x11/x11_pixels.h"
#include "graphics/x11/x11_shm_image.h"
#include "graphics/x11/xlib.h"

namespace {

constexpr long kEditorEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                                  KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;

}  // namespace

EditorX11::EditorX11(PluginBase* plug) : Editor(plug), rules_(*this) {}

// The window goes first: an open file dialog is killed and its asker, a control
// still alive, is told nothing was answered.
EditorX11::~EditorX11() { CloseWindow(); }

NativeWindowHandle EditorX11::NativeWindow() {
  return window_ != 0 ? reinterpret_cast<NativeWindowHandle>(static_cast<uintptr_t>(window_)) : nullptr;
}

int EditorX11::EventDescriptor() const { return display_ != nullptr ? ConnectionNumber(display_) : -1; }

NativeWindowHandle EditorX11::OpenWindow(NativeWindowHandle parent) {
  const auto parentId = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
  if (parentId == 0) return nullptr;
  if (display_ != nullptr) CloseWindow();  // re-opened in a new parent
  display_ = OpenEditorConnection();
  if (display_ == nullptr) return nullptr;
  X11ErrorCheck check(display_);
  XWindowAttributes parentAttributes{};
  if (XGetWindowAttributes(display_, parentId, &parentAttributes) == 0 || check.Failed() ||
      !TakesBitmapPixels(parentAttributes.visual, parentAttributes.depth)) {
    CloseEditorConnection(display_);
    display_ = nullptr;
    return nullptr;
  }
  visual_ = parentAttributes.visual;
  depth_ = parentAttributes.depth;
  parentWindow_ = parentId;

  XSetWindowAttributes attributes{};
  attributes.event_mask = kEditorEventMask;
  attributes.background_pixmap = None;  // no clearing to black before each Expose
  window_ = XCreateWindow(display_, parentId, 0, 0, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()),
                          0, CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
  XStoreName(display_, window_, kWindowName);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  const bool made = !check.Failed();
  // Outside the window's own checks: a segment the server refuses only means
  // plain image uploads.
  if (made) shm_ = X11ShmImage::Create(display_, static_cast<Visual*>(visual_), depth_, Width(), Height());
  X11ErrorCheck shown(display_);
  // The whole editor is drawn now, so the first Expose has pixels to show.
  for (int i = 0; i < ControlCount(); ++i) ControlAt(i)->MarkDirty(false);
  OnTimer();
  XMapWindow(display_, window_);
  if (!made || shown.Failed()) {
    CloseWindow();
    return nullptr;
  }
  lastTick_ = Clock::now();
  return NativeWindow();
}

void EditorX11::CloseWindow() {
  AbandonFileDialog();
  if (display_ == nullptr) return;
  if (rules_.EntryOpen()) FinishTextEntry(false);
  rules_.CaptureLost();
  DropMouseCapture();
  shm_.reset();
  if (gc_ != nullptr) XFreeGC(display_, static_cast<GC>(gc_));
  gc_ = nullptr;
  if (window_ != 0) XDestroyWindow(display_, window_);
  ForgetWindow();
  XSync(display_, False);
  CloseEditorConnection(display_);
  display_ = nullptr;
}

void EditorX11::ForgetWindow() {
  window_ = 0;
  parentWindow_ = 0;
  lastPressTime_ = 0;
}

bool EditorX11::PresentArea(const Rect& rect) {
  if (display_ == nullptr || window_ == 0 || Surface() == nullptr) return false;
  const bool put = shm_ ? shm_->Put(window_, static_cast<GC>(gc_), *Surface(), rect)
                        : PutPixels(display_, window_, static_cast<GC>(gc_), depth_, *Surface(), rect);
  if (!put) return false;
  XFlush(display_);
  return true;
}

void EditorX11::ResizeEditor(int width, int height) {
  if (width == Width() && height == Height()) return;
  AbandonFileDialog();  // its asker is one of the controls about to go
  Editor::ResizeEditor(width, height);
  if (display_ == nullptr || window_ == 0) return;
  XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (shm_) {
    shm_.reset();  // sized to the window
    shm_ = X11ShmImage::Create(display_, static_cast<Visual*>(visual_), depth_, width, height);
  }
  // VST 2 hosts leave growing their frame to the plug-in; VST 3 hosts size it
  // themselves through the view's frame.
  const int kind = Plug() != nullptr ? Plug()->HostInterfaceKind() : kHostInterfaceVst2;
  if (kind != kHostInterfaceVst3 && parentWindow_ != 0)
    XResizeWindow(display_, parentWindow_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  for (int i = 0; i < ControlCount(); ++i) ControlAt(i)->MarkDirty(false);
  XFlush(display_);
}

void EditorX11::Idle() {
  if (display_ == nullptr) return;
  HandlePendingEvents();
  // An answered file dialog's action may close the editor.
  if (window_ != 0) PollFileDialog();
  if (window_ == 0) return;
  const Clock::time_point now = Clock::now();
  // A host timer at our own period may fire a little early: a few
  // milliseconds short of the period still count as a tick.
  if (now - lastTick_ >= std::chrono::milliseconds(TimerPeriodMs() > 4 ? TimerPeriodMs() - 4 : 1)) {
    lastTick_ = now;
    OnTimer();
  }
  XFlush(display_);
}

Bitmap* EditorX11::LoadImageResource(int resourceId, const char* fileName) {
  if (!IsPngFileName(fileName)) return nullptr;
  return DecodePngResource(ModuleContaining(reinterpret_cast<const void*>(&IsPngFileName)), resourceId);
}
