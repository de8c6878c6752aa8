#include "zenity_user.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "x11_desktop.h"

namespace xdesk {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kShowTimeoutMs = 20000;  // zenity's first start on a cold machine takes seconds
constexpr int kCloseTimeoutMs = 5000;
constexpr int kDialogTop = 560;  // below the tallest editor the tests open

// The dialog's window: a direct child of the root (so not the editor's own
// window, which has the same name), or "" when there is none.
std::string DialogWindow() {
  FILE* search = popen("xdotool search --maxdepth 1 --name '^Moravelle$' 2>/dev/null", "r");
  if (search == nullptr) return {};
  char line[64] = {};
  const bool found = std::fgets(line, sizeof line, search) != nullptr;
  pclose(search);
  std::string id = found ? line : "";
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
  return id;
}

void Xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "xdotool %s failed\n", arguments.c_str());
}

bool WaitFor(const std::atomic<bool>& stop, int timeoutMs, bool wantWindow) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!stop && Clock::now() < deadline) {
    if (DialogWindow().empty() != wantWindow) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

ZenityUser::ZenityUser(std::string path) : path_(std::move(path)) {
  // Quicker starts, and no complaints about a missing session bus on the test display.
  setenv("GSETTINGS_BACKEND", "memory", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  thread_ = std::thread([this] { Play(); });
}

ZenityUser::~ZenityUser() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  for (int pid : ChildProcesses("zenity")) kill(pid, SIGKILL);
}

void ZenityUser::Play() {
  if (!WaitFor(stop_, kShowTimeoutMs, true)) return;
  const std::string window = DialogWindow();
  if (window.empty()) return;
  // Moved below the host's window (which sits at the top left), so that the
  // editor stays in sight while the dialog is open.
  Xdotool("windowmove --sync " + window + " 0 " + std::to_string(kDialogTop));
  shown_ = true;
  // Told to answer by the test; or, when the test's thread is stuck (a dialog
  // that blocks the host's loop would keep it from telling), after a while anyway.
  const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(kShowTimeoutMs);
  while (!answer_ && !stop_ && Clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (stop_) return;
  Xdotool("windowfocus --sync " + window);
  if (path_.empty()) {
    Xdotool("key Escape");
  } else {
    Xdotool("key ctrl+l");
    Xdotool("type --delay 10 '" + path_ + "'");
    // The entry's completion settles before Return, or GTK swallows the key.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Xdotool("key Return");
  }
  if (!WaitFor(stop_, kCloseTimeoutMs / 2, false) && !path_.empty() && !stop_) {
    // Once in a while the first Return is still taken by the completion.
    Xdotool("windowfocus --sync " + window);
    Xdotool("key Return");
  }
  gone_ = WaitFor(stop_, kCloseTimeoutMs, false);
}

}  // namespace xdesk
