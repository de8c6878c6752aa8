#pragma once
// What the X11 editor tests need of a desktop: a host's top-level window on a
// connection of the host's own, the host's side of driving the editor (VST 2
// idle calls, a VST 3 run loop), real input made by the X server (xdotool),
// and reading back a window's pixels.
//
// Every wait is bounded by a generous deadline and ends as soon as its
// condition holds, so a loaded machine only makes the tests slower.

#define KeyCode XKeyCode
#define Font XFont
#include <X11/Xlib.h>
#undef KeyCode
#undef Font

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "abi/vst3/fobject.h"
#include "abi/vst3/vst3_linux_run_loop.h"
#include "abi/vst3/vst3_view.h"

namespace xdesk {

inline constexpr int kWaitMs = 15000;

// A top-level window of width x height at the screen's top left (there is no
// window manager on the test display), on its own connection; it records the
// keys that reach it.
class HostWindow {
 public:
  HostWindow(int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  Display* Connection() const { return display_; }
  Window Id() const { return window_; }
  void* Handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }
  // The key symbols of the KeyPress events the window received.
  const std::vector<unsigned long>& KeysReceived() const { return keys_; }
  // Handles the window's pending events.
  void Serve();
  // The window's children (the editor's window, when open).
  std::vector<Window> Children() const;
  void Destroy();
  // Forgets a window another connection destroyed.
  void Forget() { window_ = 0; }

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
  std::vector<unsigned long> keys_;
};

// The host's run loop for VST 3 views, offered through its plug frame: timers
// and descriptor handlers called from Run, on the test's thread.
class RunLoopFrame : public vst3::FObject, public vst3::IPlugFrame, public vst3::IRunLoop {
 public:
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override { return AddReference(); }
  vst3::uint32 PLUGIN_API release() override { return ReleaseReference(); }
  vst3::tresult PLUGIN_API resizeView(vst3::IPlugView*, vst3::ViewRect*) override { return vst3::kResultOk; }
  vst3::tresult PLUGIN_API registerEventHandler(vst3::IEventHandler* handler, vst3::FileDescriptor fd) override;
  vst3::tresult PLUGIN_API unregisterEventHandler(vst3::IEventHandler* handler) override;
  vst3::tresult PLUGIN_API registerTimer(vst3::ITimerHandler* handler, vst3::TimerInterval ms) override;
  vst3::tresult PLUGIN_API unregisterTimer(vst3::ITimerHandler* handler) override;

  // Waits up to ms for a descriptor or a timer, and calls what is due.
  void Run(int ms);
  int TimerCount() const { return static_cast<int>(timers_.size()); }
  int HandlerCount() const { return static_cast<int>(handlers_.size()); }
  vst3::TimerInterval FirstInterval() const { return timers_.empty() ? 0 : timers_.front().interval; }

 private:
  struct Timer {
    vst3::ITimerHandler* handler;
    vst3::TimerInterval interval;
    int64_t dueMs;
  };
  struct Handler {
    vst3::IEventHandler* handler;
    int fd;
  };
  std::vector<Timer> timers_;
  std::vector<Handler> handlers_;
};

// One step of the host's loop: the plug-in's idle or run loop, then the host window.
using Step = std::function<void(int ms)>;
bool PumpUntil(const Step& step, const std::function<bool()>& done, int timeoutMs = kWaitMs);
void PumpFor(const Step& step, int ms);

// Real input through xdotool; positions are screen pixels, keys X key names.
void MoveTo(int x, int y);
void ButtonDown(int button = 1);
void ButtonUp(int button = 1);
void Clicks(int button, int count);
void Keys(const char* keyNames);
void TypeText(const std::string& text);
void KeyDown(const char* keyName);
void KeyUp(const char* keyName);

// A window's pixels as 0xRRGGBB values, rows top first; empty when unreadable.
std::vector<uint32_t> Capture(Display* display, Window window, int width, int height);
// The top-level windows of the screen that are mapped and override-redirect (menus).
int MappedPopupCount(Display* display);

// The processes whose parent is this one, zombies included; with a name, only
// those running that program.
std::vector<int> ChildProcesses(const std::string& name = "");

// The file descriptors this process has open.
int OpenDescriptorCount();

// The System V shared-memory segments this process created that still exist
// (a segment marked for removal lives on while anyone has it attached).
int SharedMemorySegmentsOfThisProcess();

// A stand-in for the desktop's dialog program, first on PATH while it lives:
// it records its arguments and answers with the given output and exit status,
// after MORAVELLE_FAKE_DIALOG_SECONDS when that is set.
class FakeDialogProgram {
 public:
  FakeDialogProgram(const std::string& answer, int status, const char* name = "zenity");
  ~FakeDialogProgram();
  FakeDialogProgram(const FakeDialogProgram&) = delete;
  FakeDialogProgram& operator=(const FakeDialogProgram&) = delete;
  // The arguments of the last run, one a line; empty when it never ran.
  std::vector<std::string> Arguments() const;
  bool Has(const std::string& argument) const;

 private:
  std::string folder_;
  std::string script_;
  std::string savedPath_;
};

}  // namespace xdesk
