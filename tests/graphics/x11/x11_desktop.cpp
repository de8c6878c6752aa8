#include "x11_desktop.h"

#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#define KeyCode XKeyCode
#define Font XFont
#include <X11/Xutil.h>
#undef KeyCode
#undef Font

namespace xdesk {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Found once, before any test changes PATH (the dialog tests do).
std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;
}
const std::string xdotoolProgram = FindOnPath("xdotool");

void Xdotool(const std::string& arguments) {
  const std::string command = xdotoolProgram + " " + arguments + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "xdotool %s failed\n", arguments.c_str());
}

}  // namespace

HostWindow::HostWindow(int width, int height) {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return;
  window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, 0x202020);
  XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask);
  XMapWindow(display_, window_);
  // Mapped and on the screen before anything opens inside it.
  for (;;) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == MapNotify && event.xmap.window == window_) break;
  }
}

HostWindow::~HostWindow() {
  Destroy();
  if (display_ != nullptr) XCloseDisplay(display_);
}

void HostWindow::Destroy() {
  if (display_ == nullptr || window_ == 0) return;
  XDestroyWindow(display_, window_);
  XSync(display_, False);
  window_ = 0;
}

void HostWindow::Serve() {
  if (display_ == nullptr) return;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == KeyPress && event.xkey.window == window_) keys_.push_back(XLookupKeysym(&event.xkey, 0));
  }
}

std::vector<Window> HostWindow::Children() const {
  std::vector<Window> found;
  if (display_ == nullptr || window_ == 0) return found;
  XSync(display_, False);
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, window_, &root, &parent, &children, &count) != 0 && children != nullptr) {
    found.assign(children, children + count);
    XFree(children);
  }
  return found;
}

// ---- The run loop

vst3::tresult PLUGIN_API RunLoopFrame::queryInterface(const vst3::TUID iid, void** obj) {
  if (obj == nullptr) return vst3::kInvalidArgument;
  if (vst3::FUnknown::iid.Matches(iid) || vst3::IPlugFrame::iid.Matches(iid))
    return vst3::AnswerQuery<vst3::IPlugFrame>(this, obj);
  if (vst3::IRunLoop::iid.Matches(iid)) return vst3::AnswerQuery<vst3::IRunLoop>(this, obj);
  *obj = nullptr;
  return vst3::kNoInterface;
}

vst3::tresult PLUGIN_API RunLoopFrame::registerEventHandler(vst3::IEventHandler* handler, vst3::FileDescriptor fd) {
  if (handler == nullptr || fd < 0) return vst3::kInvalidArgument;
  handlers_.push_back(Handler{handler, fd});
  return vst3::kResultOk;
}

vst3::tresult PLUGIN_API RunLoopFrame::unregisterEventHandler(vst3::IEventHandler* handler) {
  const size_t before = handlers_.size();
  handlers_.erase(std::remove_if(handlers_.begin(), handlers_.end(), [&](const Handler& h) { return h.handler == handler; }),
                  handlers_.end());
  return handlers_.size() != before ? vst3::kResultOk : vst3::kInvalidArgument;
}

vst3::tresult PLUGIN_API RunLoopFrame::registerTimer(vst3::ITimerHandler* handler, vst3::TimerInterval ms) {
  if (handler == nullptr || ms == 0) return vst3::kInvalidArgument;
  timers_.push_back(Timer{handler, ms, NowMs() + static_cast<int64_t>(ms)});
  return vst3::kResultOk;
}

vst3::tresult PLUGIN_API RunLoopFrame::unregisterTimer(vst3::ITimerHandler* handler) {
  const size_t before = timers_.size();
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.handler == handler; }),
                timers_.end());
  return timers_.size() != before ? vst3::kResultOk : vst3::kInvalidArgument;
}

void RunLoopFrame::Run(int ms) {
  std::vector<pollfd> waiting;
  for (const Handler& h : handlers_) waiting.push_back(pollfd{h.fd, POLLIN, 0});
  int64_t wait = ms;
  for (const Timer& t : timers_) wait = std::min<int64_t>(wait, std::max<int64_t>(0, t.dueMs - NowMs()));
  poll(waiting.data(), waiting.size(), static_cast<int>(wait));
  // Handlers may unregister while called: copies are walked.
  const std::vector<Handler> handlers = handlers_;
  for (size_t i = 0; i < waiting.size() && i < handlers.size(); ++i)
    if ((waiting[i].revents & POLLIN) != 0) handlers[i].handler->onFDIsSet(handlers[i].fd);
  const std::vector<Timer> timers = timers_;
  const int64_t now = NowMs();
  for (const Timer& t : timers) {
    if (t.dueMs > now) continue;
    for (Timer& kept : timers_)
      if (kept.handler == t.handler) kept.dueMs = now + static_cast<int64_t>(kept.interval);
    t.handler->onTimer();
  }
}

// ---- Pumping

bool PumpUntil(const Step& step, const std::function<bool()>& done, int timeoutMs) {
  const int64_t deadline = NowMs() + timeoutMs;
  while (!done()) {
    if (NowMs() > deadline) return done();
    step(10);
  }
  return true;
}

void PumpFor(const Step& step, int ms) {
  const int64_t deadline = NowMs() + ms;
  while (NowMs() < deadline) step(std::max<int>(1, std::min<int>(10, static_cast<int>(deadline - NowMs()))));
}

// ---- Input

void MoveTo(int x, int y) {
  // Not xdotool's --sync: it waits for a move, and there is none when the
  // pointer is already there.
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
  static Display* eyes = XOpenDisplay(nullptr);
  if (eyes == nullptr) return;
  for (int tries = 0; tries < 500; ++tries) {
    Window root = 0;
    Window child = 0;
    int atX = -1;
    int atY = -1;
    int localX = 0;
    int localY = 0;
    unsigned state = 0;
    XQueryPointer(eyes, DefaultRootWindow(eyes), &root, &child, &atX, &atY, &localX, &localY, &state);
    if (atX == x && atY == y) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
void ButtonDown(int button) { Xdotool("mousedown " + std::to_string(button)); }
void ButtonUp(int button) { Xdotool("mouseup " + std::to_string(button)); }
void Clicks(int button, int count) {
  Xdotool("click --repeat " + std::to_string(count) + " --delay 60 " + std::to_string(button));
}
void Keys(const char* keyNames) { Xdotool(std::string("key --delay 30 ") + keyNames); }
void TypeText(const std::string& text) { Xdotool("type --delay 30 '" + text + "'"); }
void KeyDown(const char* keyName) { Xdotool(std::string("keydown ") + keyName); }
void KeyUp(const char* keyName) { Xdotool(std::string("keyup ") + keyName); }

// ---- Pixels

std::vector<uint32_t> Capture(Display* display, Window window, int width, int height) {
  std::vector<uint32_t> pixels;
  XSync(display, False);
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  pixels.reserve(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

int MappedPopupCount(Display* display) {
  XSync(display, False);
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  int popups = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[i], &attributes) != 0 && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      ++popups;
  }
  if (children != nullptr) XFree(children);
  return popups;
}

// ---- Processes

std::vector<int> ChildProcesses(const std::string& name) {
  std::vector<int> children;
  const std::string me = std::to_string(getpid());
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return children;
  while (dirent* entry = readdir(processes)) {
    const int pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "pid (name) state ppid ...": the name may hold spaces, so read after its ')'.
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    if (!name.empty() && line.substr(open + 1, close - open - 1) != name) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    std::string parent;
    rest >> state >> parent;
    if (parent == me) children.push_back(pid);
  }
  closedir(processes);
  return children;
}

int OpenDescriptorCount() {
  DIR* descriptors = opendir("/proc/self/fd");
  if (descriptors == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(descriptors))
    if (entry->d_name[0] != '.') ++count;
  closedir(descriptors);
  return count - 1;  // the listing's own
}

int SharedMemorySegmentsOfThisProcess() {
  // Columns: key shmid perms size cpid ...
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the heading
  int count = 0;
  while (std::getline(table, line)) {
    std::istringstream columns(line);
    long key = 0;
    long id = 0;
    long perms = 0;
    long size = 0;
    long creator = 0;
    if (columns >> key >> id >> perms >> size >> creator && creator == getpid()) ++count;
  }
  return count;
}

// ---- The dialog program

FakeDialogProgram::FakeDialogProgram(const std::string& answer, int status, const char* name) {
  char folder[] = "/tmp/moravelle-dialog-XXXXXX";
  folder_ = mkdtemp(folder) != nullptr ? folder : "/tmp";
  script_ = folder_ + "/" + name;
  std::ofstream(script_) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << folder_ << "/arguments'\n"
                         << "sleep \"${MORAVELLE_FAKE_DIALOG_SECONDS:-0}\"\n"
                         << "printf '%s\\n' '" << answer << "'\nexit " << status << "\n";
  chmod(script_.c_str(), 0755);
  const char* path = std::getenv("PATH");
  savedPath_ = path != nullptr ? path : "";
  setenv("PATH", (folder_ + ":" + savedPath_).c_str(), 1);
}

FakeDialogProgram::~FakeDialogProgram() {
  setenv("PATH", savedPath_.c_str(), 1);
  unlink(script_.c_str());
  unlink((folder_ + "/arguments").c_str());
  rmdir(folder_.c_str());
}

std::vector<std::string> FakeDialogProgram::Arguments() const {
  std::vector<std::string> lines;
  std::ifstream in(folder_ + "/arguments");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool FakeDialogProgram::Has(const std::string& argument) const {
  const std::vector<std::string> lines = Arguments();
  return std::find(lines.begin(), lines.end(), argument) != lines.end();
}

}  // namespace xdesk
