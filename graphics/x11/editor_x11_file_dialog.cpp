// EditorX11: the file dialogs, through zenity or else kdialog, or, when neither
// is installed, a path typed into the editor itself.
//
// ChooseFileThen starts the dialog program and returns at once: the host's
// loop, its windows and the editor go on as before (only another file dialog is
// refused), and Idle polls the program until it exits, then hands its answer on.
// Closing the window, or rebuilding the controls, kills and reaps a dialog
// still open and tells the asker that nothing was answered.
#include <poll.h>

#include <memory>
#include <sstream>
#include <utility>

#include "graphics/x11/dialog_child.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/xlib.h"

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The folder of a chosen path (with its slash), else the one the dialog started in.
std::string FolderOf(const std::string& file, const std::string& otherwise) {
  const size_t slash = file.find_last_of('/');
  return slash != std::string::npos ? file.substr(0, slash + 1) : otherwise;
}

// The command line of the dialog: the program, its kind, a title, where it
// starts, and the extensions ("moravellepreset fxp") as its filter.
std::vector<std::string> FileDialogCommand(bool zenity, FileAction action, const std::string& start,
                                           const std::string& extensions) {
  std::istringstream words(extensions);
  std::string word;
  std::string patterns;
  while (words >> word) patterns += (patterns.empty() ? "*." : " *.") + word;
  std::vector<std::string> arguments;
  if (zenity) {
    arguments = {"zenity", "--file-selection", "--title=Moravelle"};
    if (action == FileAction::Save) {
      arguments.push_back("--save");
      arguments.push_back("--confirm-overwrite");
    }
    arguments.push_back("--filename=" + start);
    if (!patterns.empty()) arguments.push_back("--file-filter=" + patterns);
  } else {
    arguments = {"kdialog", "--title", "Moravelle",
                 action == FileAction::Save ? "--getsavefilename" : "--getopenfilename", start};
    if (!patterns.empty()) arguments.push_back(patterns);
  }
  return arguments;
}

// The path a finished dialog program chose; "" when it was cancelled.
std::string ChosenPath(const DialogChild& child) {
  const int status = child.ExitStatus();
  if (status != 0 && status != DialogChild::kUnknownStatus) return {};
  return child.Output();
}

}  // namespace

// What every file dialog does first: with a window, the starting folder (the
// desktop when none is given), and then either the dialog program started or,
// with none installed, the path asked for in the editor.
EditorX11::FileDialogStart EditorX11::StartFileDialog(const std::string& file, FileAction action,
                                                      std::string& folder, const std::string& extensions) {
  FileDialogStart start;
  if (window_ == 0) return start;
  if (folder.empty()) DesktopFolder(folder);
  const bool zenity = ProgramInstalled("zenity");
  if (!zenity && !ProgramInstalled("kdialog")) {
    start.typedPath = AskForPath(WithSlash(folder) + file);
    return start;
  }
  start.child = std::make_unique<DialogChild>(FileDialogCommand(zenity, action, WithSlash(folder) + file, extensions));
  if (!start.child->Started()) start.child.reset();
  return start;
}

void EditorX11::ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) {
  FileDialogStart start = StartFileDialog(file, action, folder, extensions);
  file = std::move(start.typedPath);
  if (start.child) {
    // Modal: the window is served meanwhile, without input.
    const bool wasRunning = dialogRunning_;
    dialogRunning_ = true;
    while (!start.child->Poll()) {
      pollfd waiting[2] = {{start.child->OutputDescriptor(), POLLIN, 0},
                           {display_ != nullptr ? ConnectionNumber(display_) : -1, POLLIN, 0}};
      poll(waiting, 2, TimerPeriodMs());
      Idle();
    }
    dialogRunning_ = wasRunning;
    file = ChosenPath(*start.child);
  }
  folder = FolderOf(file, folder);
}

void EditorX11::ChooseFileThen(const std::string& file, FileAction action, const std::string& folder,
                               const std::string& extensions, FileChoiceDone done) {
  if (fileDialog_) {
    if (done) done(FileChoice{false, {}, folder});
    return;
  }
  FileChoice choice{true, {}, folder};
  FileDialogStart start = StartFileDialog(file, action, choice.folder, extensions);
  if (!start.child) {
    // No window, no program that would start, or a path typed in the editor:
    // answered now.
    choice.file = std::move(start.typedPath);
    choice.folder = FolderOf(choice.file, choice.folder);
    if (done) done(choice);
    return;
  }
  fileDialog_ = std::move(start.child);
  fileDialogDone_ = std::move(done);
  fileDialogFolder_ = choice.folder;
}

void EditorX11::PollFileDialog() {
  if (!fileDialog_ || !fileDialog_->Poll()) return;
  FileChoice choice{true, ChosenPath(*fileDialog_), {}};
  choice.folder = FolderOf(choice.file, fileDialogFolder_);
  // Forgotten before the answer goes out: the asker's action may show a message
  // box (whose loop calls Idle) or open the next dialog.
  fileDialog_.reset();
  const FileChoiceDone done = std::move(fileDialogDone_);
  fileDialogDone_ = nullptr;
  if (done) done(choice);
}

void EditorX11::AbandonFileDialog() {
  if (!fileDialog_) return;
  fileDialog_.reset();  // kills and reaps the program
  const FileChoiceDone done = std::move(fileDialogDone_);
  fileDialogDone_ = nullptr;
  if (done) done(FileChoice{false, {}, fileDialogFolder_});
}
