// EditorX11: message boxes, colours and links through the desktop's own
// programs (zenity, else kdialog; xdg-open) run as child processes, the
// clipboard, and the standard folders (the XDG base directories).
//
// These dialogs are modal, as their callers need the answer: while the program
// runs the editor keeps its own window drawn (it redraws, and takes no input)
// but the host's event loop waits until the dialog is answered. The file
// dialogs run beside the host's loop (editor_x11_file_dialog.cpp).
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "graphics/x11/dialog_child.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/xlib.h"

namespace {

// Windows' message box codes, which the editor's callers use.
constexpr int kMessageOk = 0;
constexpr int kMessageOkCancel = 1;
constexpr int kMessageYesNoCancel = 3;
constexpr int kMessageYesNo = 4;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

constexpr int kClipboardWaitMs = 1000;

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string HomeFolder() { return EnvOr("HOME", "/tmp"); }

}  // namespace

// Runs a program to its end with its standard output read into out; the exit
// status, or -1 when it could not start. The editor's window is served
// meanwhile (drawn, no input); the host's loop waits.
int EditorX11::RunDialogProgram(const std::vector<std::string>& arguments, std::string& out) {
  out.clear();
  DialogChild child(arguments);
  if (!child.Started()) return -1;
  const bool wasRunning = dialogRunning_;
  dialogRunning_ = true;
  while (!child.Poll()) {
    pollfd waiting[2] = {{child.OutputDescriptor(), POLLIN, 0},
                         {display_ != nullptr ? ConnectionNumber(display_) : -1, POLLIN, 0}};
    poll(waiting, 2, TimerPeriodMs());
    Idle();
  }
  dialogRunning_ = wasRunning;
  out = child.Output();
  return child.ExitStatus();
}

bool EditorX11::ChooseColour(Colour& colour, const char* prompt) {
  // Only zenity's colour dialog answers in a form read here.
  if (window_ == 0 || !ProgramInstalled("zenity")) return false;
  char current[32];
  std::snprintf(current, sizeof current, "rgb(%d,%d,%d)", colour.R, colour.G, colour.B);
  std::string chosen;
  if (RunDialogProgram({"zenity", "--color-selection", std::string("--title=") + (prompt ? prompt : ""),
                        std::string("--color=") + current},
                       chosen) != 0)
    return false;
  int r = 0;
  int g = 0;
  int b = 0;
  if (std::sscanf(chosen.c_str(), "rgb(%d,%d,%d)", &r, &g, &b) != 3) return false;
  colour.R = static_cast<uint8_t>(r);
  colour.G = static_cast<uint8_t>(g);
  colour.B = static_cast<uint8_t>(b);
  return true;
}

int EditorX11::ShowMessage(const char* text, const char* caption, int type) {
  const int buttons = type & 0xF;
  const bool question = buttons == kMessageOkCancel || buttons == kMessageYesNo || buttons == kMessageYesNoCancel;
  const std::string message = text != nullptr ? text : "";
  const std::string title = caption != nullptr ? caption : "";
  std::string output;
  if (ProgramInstalled("zenity")) {
    std::vector<std::string> arguments{"zenity", question ? "--question" : "--info", "--title=" + title,
                                       "--text=" + message, "--no-markup"};
    if (buttons == kMessageOkCancel) {
      arguments.push_back("--ok-label=OK");
      arguments.push_back("--cancel-label=Cancel");
    } else if (question) {
      arguments.push_back("--ok-label=Yes");
      arguments.push_back("--cancel-label=No");
      // The third button answers with its label on the output.
      if (buttons == kMessageYesNoCancel) arguments.push_back("--extra-button=Cancel");
    }
    const int status = RunDialogProgram(arguments, output);
    if (!question) return kAnswerOk;
    if (buttons == kMessageOkCancel) return status == 0 ? kAnswerOk : kAnswerCancel;
    if (status == 0) return kAnswerYes;
    return buttons == kMessageYesNoCancel && output == "Cancel" ? kAnswerCancel : kAnswerNo;
  }
  if (ProgramInstalled("kdialog")) {
    // kdialog answers 0 for yes or OK, 1 for no, 2 for cancel.
    const char* kind = !question ? "--msgbox"
                       : buttons == kMessageOkCancel ? "--warningcontinuecancel"
                       : buttons == kMessageYesNo ? "--yesno"
                                                   : "--yesnocancel";
    const int status = RunDialogProgram({"kdialog", "--title", title, kind, message}, output);
    if (!question) return kAnswerOk;
    if (buttons == kMessageOkCancel) return status == 0 ? kAnswerOk : kAnswerCancel;
    if (status == 0) return kAnswerYes;
    return buttons == kMessageYesNoCancel && status == 2 ? kAnswerCancel : kAnswerNo;
  }
  // No dialog program: the message goes to the host's log and a question gets
  // the answer that changes nothing.
  std::fprintf(stderr, "Moravelle: %s: %s\n", title.c_str(), message.c_str());
  if (!question) return kAnswerOk;
  return buttons == kMessageOkCancel ? kAnswerCancel : kAnswerNo;
}

bool EditorX11::OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText != nullptr && *confirmText != '\0' && ShowMessage(confirmText, caption, kMessageYesNo) != kAnswerYes)
    return false;
  std::string ignored;
  if (link != nullptr && ProgramInstalled("xdg-open") && RunDialogProgram({"xdg-open", link}, ignored) == 0) return true;
  if (errorText != nullptr && *errorText != '\0') ShowMessage(errorText, caption, kMessageOk);
  return false;
}

bool EditorX11::ClipboardText(std::string& out) {
  out.clear();
  if (display_ == nullptr || window_ == 0) return false;
  const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  const Atom property = XInternAtom(display_, "MORAVELLE_CLIPBOARD", False);
  if (XGetSelectionOwner(display_, clipboard) == None) return false;
  XConvertSelection(display_, clipboard, utf8, property, window_, CurrentTime);
  XFlush(display_);
  // The owner answers with a SelectionNotify to our window.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kClipboardWaitMs);
  XEvent event;
  bool answered = false;
  while (!answered && Clock::now() < deadline) {
    if (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event)) {
      answered = true;
      break;
    }
    pollfd waiting{ConnectionNumber(display_), POLLIN, 0};
    poll(&waiting, 1, 20);
  }
  if (!answered || event.xselection.property == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window_, property, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &left,
                         &data) == Success &&
      data != nullptr) {
    if (format == 8) out.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return !out.empty();
}

// ---- Folders

void EditorX11::HostFolder(std::string& out) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  out.clear();
  if (length <= 0) return;
  out.assign(path, static_cast<size_t>(length));
  out = out.substr(0, out.find_last_of('/') + 1);
}

void EditorX11::PluginFolder(std::string& out) {
  Dl_info info{};
  out.clear();
  if (dladdr(reinterpret_cast<const void*>(&HomeFolder), &info) == 0 || info.dli_fname == nullptr) return;
  out = info.dli_fname;
  if (out.empty() || out[0] != '/') {
    // A name as the program was started (the main program's, maybe relative):
    // resolved against the working folder, else the host's folder.
    char full[PATH_MAX];
    if (realpath(info.dli_fname, full) == nullptr) {
      HostFolder(out);
      return;
    }
    out = full;
  }
  const size_t slash = out.find_last_of('/');
  out = slash == std::string::npos ? std::string() : out.substr(0, slash + 1);
}

void EditorX11::DesktopFolder(std::string& out) {
  out = EnvOr("XDG_DESKTOP_DIR", HomeFolder() + "/Desktop");
  if (access(out.c_str(), F_OK) != 0) out = HomeFolder();
}

void EditorX11::AppDataFolder(std::string& out, bool allUsers) {
  if (allUsers) {
    // The first of the shared data folders.
    const std::string folders = EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    out = folders.substr(0, folders.find(':'));
    return;
  }
  out = EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share");
}
