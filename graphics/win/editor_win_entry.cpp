// EditorWin: the in-place text entry, an edit control laid over a control, with
// its own procedure (filters, Enter and Escape) and the commit on the next tick.
#include <windows.h>

#include "framework/plugin_param.h"
#include "graphics/win/editor_win.h"

namespace {

// Marks an edit control as this editor's text entry.
constexpr LONG_PTR kTextEntryMark = 0xDEADF00B;

LRESULT CALLBACK TextEntryProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* editor = reinterpret_cast<EditorWin*>(GetWindowLongPtrA(GetParent(window), GWLP_USERDATA));
  if (editor == nullptr || editor->TextEntryWindow() != window) return DefWindowProcA(window, message, wParam, lParam);
  return editor->HandleEntryMessage(window, message, wParam, lParam);
}

DWORD AlignmentStyle(int alignment) {
  if (alignment == kAlignCentre) return ES_CENTER;
  if (alignment == kAlignFar) return ES_RIGHT;
  return ES_LEFT;
}

}  // namespace

void EditorWin::OpenTextEntry(Control* control, const TextStyle& style, const Rect& rect, const std::string& text,
                              PluginParam* param) {
  if (control == nullptr || rules_.EntryOpen() || window_ == nullptr) return;
  HWND parent = static_cast<HWND>(window_);
  HWND entry = CreateWindowExA(0, "EDIT", text.c_str(),
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | AlignmentStyle(style.alignment),
                               rect.L, rect.T, rect.R - rect.L + 1, rect.B - rect.T + 1, parent,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(kTextEntryControlId)),
                               static_cast<HINSTANCE>(moduleInstance_), nullptr);
  if (entry == nullptr) return;
  // Without this font the edit keeps the system's default one.
  HFONT font = CreateFontA(style.size, 0, 0, 0, style.style == kTextStyleBold ? FW_BOLD : FW_DONTCARE,
                           style.style == kTextStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.face);
  if (font != nullptr) SendMessageA(entry, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  textEntryFont_ = font;
  SendMessageA(entry, EM_LIMITTEXT, static_cast<WPARAM>(control->TextEntryLimit()), 0);
  SendMessageA(entry, EM_SETSEL, 0, -1);
  textEntryWindow_ = entry;
  rules_.EntryOpened(control, param);
  savedEntryProcedure_ = reinterpret_cast<void*>(
      SetWindowLongPtrA(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEntryProcedure)));
  SetWindowLongPtrA(entry, GWLP_USERDATA, kTextEntryMark);
  SetFocus(entry);
}

intptr_t EditorWin::HandleEntryMessage(void* windowHandle, unsigned message, uintptr_t wParam, intptr_t lParam) {
  HWND window = static_cast<HWND>(windowHandle);
  const auto own = reinterpret_cast<WNDPROC>(savedEntryProcedure_);
  switch (message) {
    case WM_SETFOCUS:
      rules_.SetEntryState(TextEntryState::Focused);
      break;
    case WM_KILLFOCUS:
      rules_.SetEntryState(TextEntryState::Commit);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        rules_.SetEntryState(TextEntryState::Commit);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        rules_.SetEntryState(TextEntryState::Cancel);
        return 0;
      }
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(own, window, message, wParam, lParam);
      const auto* pending = reinterpret_cast<const MSG*>(lParam);
      if (rules_.EntryParam() == nullptr && pending != nullptr && pending->message == WM_KEYDOWN &&
          pending->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_CHAR: {
      const char c = static_cast<char>(wParam);
      // Enter and Escape already acted on their key-down; a multi-line edit
      // would otherwise take them as text.
      if (c == '\r' || c == '\n' || c == 27) return 0;
      if (!TextEntryAccepts(rules_.EntryParam(), c)) return 0;
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) {
        rules_.SetEntryState(TextEntryState::Commit);
        return 0;
      }
      break;
    case WM_NCDESTROY: {
      // Destroyed with the editor window: the entry is over.
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
      textEntryWindow_ = nullptr;
      savedEntryProcedure_ = nullptr;
      if (textEntryFont_ != nullptr) DeleteObject(static_cast<HFONT>(textEntryFont_));
      textEntryFont_ = nullptr;
      rules_.EntryClosed();
      return CallWindowProcA(own, window, message, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcA(own, window, message, wParam, lParam);
}

void EditorWin::CancelTextEntry() { rules_.SetEntryState(TextEntryState::Cancel); }

void EditorWin::FinishTextEntry(bool commit) {
  HWND entry = static_cast<HWND>(textEntryWindow_);
  Control* control = rules_.EntryControl();
  PluginParam* param = rules_.EntryParam();
  std::string text;
  if (commit && entry != nullptr) {
    char buffer[32] = {};
    GetWindowTextA(entry, buffer, sizeof buffer);
    text = buffer;
  }
  textEntryWindow_ = nullptr;
  if (entry != nullptr) {
    SetWindowLongPtrA(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedEntryProcedure_));
    DestroyWindow(entry);
  }
  savedEntryProcedure_ = nullptr;
  if (textEntryFont_ != nullptr) DeleteObject(static_cast<HFONT>(textEntryFont_));
  textEntryFont_ = nullptr;
  rules_.EntryClosed();
  if (window_ != nullptr && GetFocus() == nullptr) SetFocus(static_cast<HWND>(window_));
  // The value goes last: it may start a drawing pass or a host call.
  if (commit) CommitTextEntry(control, param, text);
}
