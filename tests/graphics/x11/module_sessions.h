#pragma once
// The built plug-ins as a Linux host holds them, for the module tests: a
// session loads Moravelle.so (effEditIdle from the host's loop) or
// Moravelle.vst3 (a run loop of the host's own on the plug frame) and opens the
// editor in a top-level host window; step is one turn of the host's loop.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effect/kernel_params.h"
#include "hosts/vst2/vst2_host.h"
#include "tests/support/host_edit_order.h"
#include "vst3_host.h"
#include "x11_desktop.h"

constexpr int kEditorWidth = 1000;
constexpr int kEditorHeight = 530;
constexpr int kRoomSize = kReverbRoomSize;
constexpr int kMainVolume = kAmpMainVolume;
constexpr int kRoomKnobX = 250;       // centre of the ROOM SIZE knob
constexpr int kRoomKnobY = 270;
constexpr int kActiveSwitchX = 101;   // inside the ACTIVE switch's lamp
constexpr int kActiveSwitchY = 190;
constexpr int kNameStripX = 500;      // the preset name strip
constexpr int kNameStripY = 12;
constexpr int kLoadButtonX = 260;     // the LOAD and SAVE file selectors
constexpr int kSaveButtonX = 740;
constexpr int kFileButtonY = 12;
constexpr int kIdlePeriodMs = 20;     // how often this host calls effEditIdle
constexpr int kDoubleClickMs = 500;   // the editor's double-click time

// "B", one or more "A", "E": one complete gesture.
inline bool IsOneGesture(const std::string& order) {
  return order.size() >= 3 && order.front() == 'B' && order.back() == 'E' &&
         order.find_first_not_of('A', 1) == order.size() - 1;
}

// The VST2 plug-in in a host window, driven by effEditIdle from the host's loop.
struct Vst2Session {
  std::unique_ptr<Vst2HostedPlugin> plugin;
  xdesk::HostWindow host{kEditorWidth, kEditorHeight};
  xdesk::Step step;

  Vst2Session() {
    std::string error;
    plugin = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error);
    EXPECT_TRUE(plugin) << error;
    step = [this](int ms) {
      if (plugin) plugin->Dispatch(effEditIdle);
      host.Serve();
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, kIdlePeriodMs)));
    };
  }
  bool Open() {
    const intptr_t answer = plugin->Dispatch(effEditOpen, 0, 0, host.Handle());
    xdesk::PumpFor(step, 100);
    const size_t children = host.Children().size();
    if (answer == 1 && children == 1) return true;
    ADD_FAILURE() << "effEditOpen answered " << answer << "; the host window has " << children << " children";
    return false;
  }
  void Close() { plugin->Dispatch(effEditClose); }
  Window Editor() const {
    const std::vector<Window> children = host.Children();
    return children.empty() ? 0 : children.front();
  }
  std::string EditsOf(int index, std::vector<float>* values = nullptr) const {
    return Vst2EditOrder(plugin->CallbackLog(), index, values);
  }
  std::vector<uint32_t> Pixels() { return xdesk::Capture(host.Connection(), Editor(), kEditorWidth, kEditorHeight); }
  // A new press must not pair with the last one as a double click.
  void WaitOutDoubleClick() { xdesk::PumpFor(step, kDoubleClickMs + 100); }
  void DragUp(int x, int y, int dy) {
    WaitOutDoubleClick();
    xdesk::MoveTo(x, y);
    xdesk::ButtonDown();
    xdesk::PumpFor(step, 50);
    for (int moved = 5; moved <= dy; moved += 5) {
      xdesk::MoveTo(x, y - moved);
      xdesk::PumpFor(step, 30);
    }
    xdesk::ButtonUp();
    xdesk::PumpFor(step, 100);
  }
  void Click(int x, int y) {
    WaitOutDoubleClick();
    xdesk::MoveTo(x, y);
    xdesk::Clicks(1, 1);
  }
};

struct Vst3Session {
  std::unique_ptr<host3::Vst3Host> host;
  vst3::IPlugView* view = nullptr;
  xdesk::RunLoopFrame* frame = new xdesk::RunLoopFrame;
  xdesk::HostWindow window{kEditorWidth, kEditorHeight};
  xdesk::Step step;

  Vst3Session() {
    std::string error;
    host = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
    EXPECT_TRUE(host) << error;
    if (host) view = host->Controller()->createView("editor");
    step = [this](int ms) {
      frame->Run(ms);
      window.Serve();
    };
  }
  ~Vst3Session() {
    if (view != nullptr) {
      view->removed();
      view->setFrame(nullptr);
      view->release();
    }
    frame->release();
  }
  std::string EditsOf(vst3::ParamID id) const { return Vst3EditOrder(host->Handler().Calls(), id); }
};
