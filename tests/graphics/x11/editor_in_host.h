#pragma once
// EditorX11 on a small plug-in, open in a host window of the test's own: two
// recording controls bound to parameters 0 and 1 over a recording background,
// and a save file selector bound to parameter 2. Idle is called from the
// test's own loop (step), as a VST 2 host's effEditIdle would be. Answerer
// plays the user at a modal menu from a thread of its own.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "editor_test_support.h"
#include "graphics/file_selector_control.h"
#include "graphics/x11/editor_x11.h"
#include "recording_control.h"
#include "x11_desktop.h"

constexpr int kWidth = 400;
constexpr int kHeight = 200;

// Plays the user at a menu: waits for one to show, then acts.
class Answerer {
 public:
  explicit Answerer(std::function<void()> act)
      : thread_([this, act] {
          Display* eyes = XOpenDisplay(nullptr);
          if (eyes == nullptr) return;
          bool found = false;
          for (int i = 0; i < 1500 && !found && !stop_; ++i) {
            found = xdesk::MappedPopupCount(eyes) > 0;
            if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
          XCloseDisplay(eyes);
          if (!found) return;
          std::this_thread::sleep_for(std::chrono::milliseconds(150));  // let it take the keyboard
          act();
          answered_ = true;
        }) {}
  ~Answerer() { Finish(); }
  bool Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return answered_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

struct EditorInHost {
  static constexpr Rect kSelectorRect{320, 120, 360, 145};

  std::unique_ptr<MemBitmap> selectorImage = MakeStripImage(40, 25, 1);  // outlives the editor
  TestPlugin plugin{3};
  EditorX11* editor = nullptr;  // owned by the plug-in
  RecordingControl* left = nullptr;
  RecordingControl* right = nullptr;
  FileSelectorControl* selector = nullptr;
  xdesk::HostWindow host{kWidth, kHeight};
  void* window = nullptr;
  int openings = 0;
  xdesk::Step step;

  EditorInHost() {
    plugin.Param(0)->InitContinuous("Gain", 2.0, 0.0, 10.0, 0.1, "dB", 1.0);
    editor = new EditorX11(&plugin);
    left = new RecordingControl(&plugin, Rect{10, 10, 110, 40}, 0);
    right = new RecordingControl(&plugin, Rect{200, 10, 300, 40}, 1);
    left->SetPromptDisabled(false);
    editor->AddControl(new RecordingControl(&plugin, Rect{0, 0, kWidth, kHeight}));  // background
    editor->AddControl(left);
    editor->AddControl(right);
    selector = new FileSelectorControl(&plugin, kSelectorRect, 2, StripOf(*selectorImage, 1), FileAction::Save,
                                       "/tmp/presets/", "moravellepreset");
    editor->AddControl(selector);
    plugin.Param(2)->SetValue(0.0);  // the selector toggles from 0
    plugin.AttachEditor(editor);
    window = editor->OpenWindow(host.Handle());
    step = [this](int ms) {
      editor->Idle();
      host.Serve();
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
    };
    xdesk::PumpFor(step, 100);
  }
  void Click(int x, int y, int button = 1) {
    xdesk::MoveTo(x, y);  // the host window sits at the screen's top left
    xdesk::Clicks(button, 1);
  }
  bool EntryOpen() const { return editor->Rules().EntryOpen(); }
  // Opens the value prompt of the left control. Each opening clicks elsewhere:
  // two right clicks on one spot would make a double click.
  bool OpenEntry() {
    Click(20 + 20 * (openings++ % 4), 25, 3);
    return xdesk::PumpUntil(step, [&] { return EntryOpen(); });
  }
};
