#include "graphics/x11/dialog_child.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

extern char** environ;

bool ProgramInstalled(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr && *path != '\0' ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':'))
    if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) return true;
  return false;
}

DialogChild::DialogChild(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return;
  // Both ends close on exec: neither the dialog (but for its standard output)
  // nor any other program the host starts keeps the pipe open.
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return;
  fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  started_ = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (started_) {
    output_ = ends[0];
  } else {
    close(ends[0]);
    pid_ = -1;
  }
}

DialogChild::~DialogChild() {
  if (started_ && !reaped_) {
    // The dialog's answer is no longer wanted; it has nothing of ours to save.
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  CloseOutput();
}

bool DialogChild::Poll() {
  if (!started_) return true;
  ReadAvailable();
  if (reaped_) return true;
  int status = 0;
  const pid_t answer = waitpid(pid_, &status, WNOHANG);
  if (answer == 0) return false;
  if (answer == pid_) exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  else if (errno == EINTR) return false;
  else exitStatus_ = kUnknownStatus;  // ECHILD: the host reaped it, so it has gone
  reaped_ = true;
  // Its last words are in the pipe by now. Whatever a program it started (a
  // browser from xdg-open) might write later is not waited for.
  ReadAvailable();
  CloseOutput();
  return true;
}

std::string DialogChild::Output() const {
  std::string out = written_;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

void DialogChild::ReadAvailable() {
  while (output_ >= 0) {
    char buffer[512];
    const ssize_t got = read(output_, buffer, sizeof buffer);
    if (got > 0) {
      written_.append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      if (got == 0 || errno != EAGAIN) CloseOutput();  // the end, or a broken pipe
      return;
    }
  }
}

void DialogChild::CloseOutput() {
  if (output_ < 0) return;
  close(output_);
  output_ = -1;
}
