#pragma once
// A small plug-in on the in-process adapter with an EditorWin open inside a
// top-level host window: a full-size background and two recording controls.

#include "desktop_session.h"
#include "editor_test_support.h"
#include "graphics/win/editor_win.h"
#include "recording_control.h"

inline constexpr int kWidth = 400;
inline constexpr int kHeight = 200;

struct EditorInHost {
  TestPlugin plugin{2};
  EditorWin* editor = nullptr;  // owned by the plug-in
  RecordingControl* left = nullptr;
  RecordingControl* right = nullptr;
  desk::HostWindow host{kWidth, kHeight};
  HWND window = nullptr;
  int openings = 0;

  EditorInHost() {
    plugin.Param(0)->InitContinuous("Gain", 2.0, 0.0, 10.0, 0.1, "dB", 1.0);
    editor = new EditorWin(&plugin, GetModuleHandleA(nullptr));
    left = new RecordingControl(&plugin, Rect{10, 10, 110, 40}, 0);
    right = new RecordingControl(&plugin, Rect{200, 10, 300, 40}, 1);
    left->SetPromptDisabled(false);
    editor->AddControl(new RecordingControl(&plugin, Rect{0, 0, kWidth, kHeight}));  // background
    editor->AddControl(left);
    editor->AddControl(right);
    plugin.AttachEditor(editor);
    window = static_cast<HWND>(editor->OpenWindow(host.Handle()));
    desk::PumpFor(100);
  }
  void Click(int x, int y, bool rightButton = false) {
    const POINT at = desk::ScreenPoint(window, x, y);
    desk::MoveTo(at.x, at.y);
    desk::ButtonDown(rightButton);
    desk::ButtonUp(rightButton);
  }
  HWND Entry() const { return static_cast<HWND>(editor->TextEntryWindow()); }
  // Opens the value prompt of the left control and waits for its entry to take
  // the keyboard. Each opening clicks elsewhere: two right clicks on one spot
  // would make a double click.
  bool OpenEntry() {
    Click(20 + 20 * (openings++ % 4), 25, true);
    return desk::PumpUntil([&] { return Entry() != nullptr && GetFocus() == Entry(); });
  }
};

