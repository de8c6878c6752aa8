#pragma once
// Plays the user at the desktop's real file dialog (zenity, started by the
// editor under test) from a thread of its own, with xdotool: it waits for the
// dialog's top-level window, titled "Moravelle", moves it below the host's
// window so that the editor stays in sight, and once told to answer gives
// it the keyboard (the test display has no window manager) and either types a
// path into its location entry (Ctrl+L, the path, Return) or presses Escape.
// The test's own thread meanwhile runs the host's loop.
//
// Every wait is bounded; a zenity of this process still open when the user
// goes is killed, so a failed test leaves no dialog behind.

#include <atomic>
#include <string>
#include <thread>

namespace xdesk {

class ZenityUser {
 public:
  // path "" cancels the dialog.
  explicit ZenityUser(std::string path);
  ~ZenityUser();
  ZenityUser(const ZenityUser&) = delete;
  ZenityUser& operator=(const ZenityUser&) = delete;

  // The dialog's window has shown (and been moved aside).
  bool DialogShown() const { return shown_; }
  // Answer the dialog now (or as soon as it shows).
  void Answer() { answer_ = true; }
  // The answer was given and the dialog's window has gone.
  bool DialogGone() const { return gone_; }

 private:
  void Play();

  std::string path_;
  std::atomic<bool> shown_{false};
  std::atomic<bool> answer_{false};
  std::atomic<bool> gone_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace xdesk
