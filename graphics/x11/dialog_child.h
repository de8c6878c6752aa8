#pragma once
// DialogChild: a desktop dialog program (zenity, kdialog, xdg-open) run as a
// child process, its standard output read through a pipe without ever waiting
// for it: the editor polls from its idle calls, so the host's loop runs on while
// the dialog is open. A child still running when its DialogChild goes is killed
// and reaped, so no dialog outlives its editor and none is left a zombie.
//
// Hosts that ignore SIGCHLD, or reap every child themselves, take the exit
// status away: the child then counts as done once it is gone (waitpid answers
// ECHILD only after that), with an unknown status.

#include <sys/types.h>

#include <string>
#include <vector>

// [any] Whether an executable of that name is on PATH.
bool ProgramInstalled(const std::string& name);

class DialogChild {
 public:
  static constexpr int kUnknownStatus = -2;

  // Starts the program (arguments[0], looked up on PATH); Started tells whether it runs.
  explicit DialogChild(const std::vector<std::string>& arguments);
  ~DialogChild();
  DialogChild(const DialogChild&) = delete;
  DialogChild& operator=(const DialogChild&) = delete;

  bool Started() const { return started_; }
  // [editor] Reads what the program has written so far and reaps it once it has
  // exited. True once it is done (at once when it never started).
  bool Poll();
  // The pipe to poll for the program's output; -1 once it reached its end.
  int OutputDescriptor() const { return output_; }
  // Once done: the exit status (-1 when it did not start or was killed by a
  // signal, kUnknownStatus when the host reaped it), and what it wrote, without
  // the trailing line break.
  int ExitStatus() const { return exitStatus_; }
  std::string Output() const;

 private:
  void ReadAvailable();
  void CloseOutput();

  pid_t pid_ = -1;
  bool started_ = false;
  bool reaped_ = false;
  int output_ = -1;  // the pipe's read end; -1 once it reached its end
  int exitStatus_ = -1;
  std::string written_;
};
