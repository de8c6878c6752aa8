// EditorWin: the file and colour dialogs, message boxes (owned by the host's
// top window), links and the clipboard.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstring>
#include <sstream>

#include "graphics/win/editor_win.h"

namespace {

constexpr size_t kFilterCapacity = 256;     // 255 characters and the list's end
constexpr size_t kFileNameCapacity = 256;   // 255 characters
constexpr size_t kDefaultExtensionLength = 15;

// "*.a;*.b" from "a b": used as both the filter's description and its pattern.
std::string PatternsFor(const std::string& extensions, std::string* firstExtension) {
  std::istringstream words(extensions);
  std::string word;
  std::string patterns;
  while (words >> word) {
    if (patterns.empty()) *firstExtension = word.substr(0, kDefaultExtensionLength);
    else patterns += ";";
    patterns += "*." + word;
  }
  return patterns;
}

struct EnumSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<EnumSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* choice = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    const char* prompt = reinterpret_cast<const char*>(choice->lCustData);
    if (prompt != nullptr) SetWindowTextA(dialog, prompt);
  }
  return 0;
}

}  // namespace

void EditorWin::ChooseFile(std::string& file, FileAction action, std::string& folder, const std::string& extensions) {
  if (window_ == nullptr) {
    file.clear();
    return;
  }
  if (folder.empty()) DesktopFolder(folder);
  std::string defaultExtension;
  const std::string patterns = PatternsFor(extensions, &defaultExtension).substr(0, (kFilterCapacity - 3) / 2);
  // description NUL pattern NUL NUL
  char filter[kFilterCapacity] = {};
  std::memcpy(filter, patterns.data(), patterns.size());
  std::memcpy(filter + patterns.size() + 1, patterns.data(), patterns.size());
  char fileName[kFileNameCapacity] = {};
  std::strncpy(fileName, file.c_str(), kFileNameCapacity - 1);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(window_);
  dialog.lpstrFilter = patterns.empty() ? nullptr : filter;
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = kFileNameCapacity;
  dialog.lpstrInitialDir = folder.c_str();
  dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  // The host's working folder is its own business.
  dialog.Flags = OFN_NOCHANGEDIR | (action == FileAction::Save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT
                                                               : OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  const BOOL chosen = action == FileAction::Save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) {
    file.clear();
    return;
  }
  file = fileName;
  if (dialog.nFileOffset > 0 && dialog.nFileOffset <= file.size()) folder = file.substr(0, dialog.nFileOffset);
}

bool EditorWin::ChooseColour(Colour& colour, const char* prompt) {
  if (window_ == nullptr) return false;
  if (!customColours_) {
    customColours_ = std::make_unique<unsigned long[]>(16);
    for (int i = 0; i < 16; ++i) customColours_[i] = RGB(255, 255, 255);
  }
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(window_);
  dialog.rgbResult = RGB(colour.R, colour.G, colour.B);
  dialog.lpCustColors = customColours_.get();
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_ENABLEHOOK;
  dialog.lCustData = reinterpret_cast<LPARAM>(prompt);
  dialog.lpfnHook = ColourDialogHook;
  if (!ChooseColorA(&dialog)) return false;
  colour.R = GetRValue(dialog.rgbResult);
  colour.G = GetGValue(dialog.rgbResult);
  colour.B = GetBValue(dialog.rgbResult);
  return true;
}

void* EditorWin::TopWindow() {
  if (topWindow_ != nullptr && IsWindow(static_cast<HWND>(topWindow_))) return topWindow_;
  topWindow_ = nullptr;
  if (parentWindow_ != nullptr) {
    HWND top = static_cast<HWND>(parentWindow_);
    while (HWND up = GetParent(top)) top = up;
    char name[256] = {};
    GetClassNameA(top, name, sizeof name);
    topWindowClassName_ = name;
    topWindow_ = top;
  } else if (!topWindowClassName_.empty()) {
    if (processId_ == 0) processId_ = GetCurrentProcessId();
    EnumSearch search{processId_, topWindowClassName_.c_str(), nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    topWindow_ = search.found;
  }
  return topWindow_;
}

int EditorWin::ShowMessage(const char* text, const char* caption, int type) {
  return MessageBoxA(static_cast<HWND>(TopWindow()), text, caption, static_cast<UINT>(type));
}

bool EditorWin::OpenLink(const char* link, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText != nullptr && *confirmText != '\0' &&
      MessageBoxA(static_cast<HWND>(TopWindow()), confirmText, caption, MB_YESNO) != IDYES)
    return false;
  DWORD connection = 0;
  if (link != nullptr && InternetGetConnectedState(&connection, 0) &&
      reinterpret_cast<INT_PTR>(ShellExecuteA(static_cast<HWND>(window_), "open", link, nullptr, nullptr,
                                              SW_SHOWNORMAL)) > 32)
    return true;
  if (errorText != nullptr && *errorText != '\0') MessageBoxA(static_cast<HWND>(TopWindow()), errorText, caption, MB_OK);
  return false;
}

bool EditorWin::ClipboardText(std::string& out) {
  out.clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(static_cast<HWND>(window_))) return false;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      if (size > 0) {
        out.resize(static_cast<size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
        out.resize(static_cast<size_t>(size - 1));
        found = true;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return found;
}
