// The X11 editor through the built plug-ins, as a Linux host uses them:
// Moravelle.so through the project's VST2 host (effEditIdle on the host's
// timer) and Moravelle.vst3 through its VST3 host with a run loop of the host's
// own on the plug frame, the editor opened inside a top-level host window and
// driven with real input from the X server.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

#include "adapters/offline/offline_adapter.h"
#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "module_sessions.h"

#include <X11/keysym.h>

using namespace vst3;

namespace {

TEST(EditorX11Vst2, OpensAsAChildOfTheHostWindowWithTheEditorsSize) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ERect* rect = nullptr;
  ASSERT_EQ(s.plugin->Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, kEditorWidth);
  EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);
  EXPECT_EQ(s.plugin->Dispatch(effEditOpen, 0, 0, nullptr), 0);  // no host window: nothing opens
  ASSERT_TRUE(s.Open());
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(s.host.Connection(), s.Editor(), &attributes), 0);
  EXPECT_EQ(attributes.width, kEditorWidth);
  EXPECT_EQ(attributes.height, kEditorHeight);
  EXPECT_EQ(attributes.map_state, IsViewable);
  s.Close();
  EXPECT_TRUE(s.host.Children().empty());
}

TEST(EditorX11Vst2, MouseEditsReachTheHostAsGestures) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  const float start = s.plugin->GetParameter(kRoomSize);

  // 10 pixels up on a 40-pixel knob with gearing 4: 10 / 40 / 4.
  s.plugin->ClearLogs();
  s.DragUp(kRoomKnobX, kRoomKnobY, 10);
  std::vector<float> values;
  const std::string order = s.EditsOf(kRoomSize, &values);
  EXPECT_TRUE(IsOneGesture(order)) << order;
  ASSERT_FALSE(values.empty());
  for (size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]);
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), start + 0.0625f, 1e-6);

  // With shift held the knob moves ten times finer.
  s.plugin->ClearLogs();
  xdesk::KeyDown("shift");
  s.DragUp(kRoomKnobX, kRoomKnobY, 10);
  xdesk::KeyUp("shift");
  EXPECT_TRUE(IsOneGesture(s.EditsOf(kRoomSize))) << s.EditsOf(kRoomSize);
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), start + 0.0625f + 0.00625f, 1e-6);

  // A wheel notch over the knob (button 4: away from the user).
  const float beforeWheel = s.plugin->GetParameter(kRoomSize);
  xdesk::MoveTo(kRoomKnobX, kRoomKnobY);
  xdesk::Clicks(4, 1);
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.plugin->GetParameter(kRoomSize) != beforeWheel; }));
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), beforeWheel + 0.01f, 1e-6);

  // A double click returns the knob to its first value.
  s.WaitOutDoubleClick();
  xdesk::MoveTo(kRoomKnobX, kRoomKnobY);
  xdesk::Clicks(1, 2);
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.plugin->GetParameter(kRoomSize) == start; }));

  // A click on the ACTIVE switch toggles the reverb.
  const float active = s.plugin->GetParameter(kReverbOffOn);
  s.plugin->ClearLogs();
  s.Click(kActiveSwitchX, kActiveSwitchY);
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.plugin->GetParameter(kReverbOffOn) != active; }));
  EXPECT_FLOAT_EQ(s.plugin->GetParameter(kReverbOffOn), 1.0f - active);
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.EditsOf(kReverbOffOn) == "BAE"; })) << s.EditsOf(kReverbOffOn);
  s.Close();
}

// Opens the editor presenting through shared memory or, told so through the
// environment, through plain image uploads, and compares what the window shows
// after a few edits with the offscreen editor's drawing of the same values.
void ExpectTheWindowToShowTheOffscreenDrawing(bool sharedMemory) {
  if (sharedMemory) unsetenv("MORAVELLE_X11_NO_SHM");
  else setenv("MORAVELLE_X11_NO_SHM", "1", 1);
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  unsetenv("MORAVELLE_X11_NO_SHM");  // read when the window opened
  // The server holds the window's segment (ours, marked for removal) while it is open.
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), sharedMemory ? 1 : 0);
  s.DragUp(kRoomKnobX, kRoomKnobY, 25);
  s.Click(kActiveSwitchX, kActiveSwitchY);
  xdesk::PumpFor(s.step, 300);
  const std::vector<uint32_t> before = s.Pixels();

  // A host change is on the screen after at most two redraw periods of idle
  // calls (each call comes a full period after the last).
  s.plugin->SetParameter(kMainVolume, 0.9f);
  bool redrawn = false;
  for (int period = 0; period < 2 && !redrawn; ++period) {
    std::this_thread::sleep_for(std::chrono::milliseconds(45));
    s.plugin->Dispatch(effEditIdle);
    redrawn = s.Pixels() != before;
  }
  EXPECT_TRUE(redrawn);
  xdesk::PumpFor(s.step, 200);
  const std::vector<uint32_t> shown = s.Pixels();
  ASSERT_EQ(shown.size(), static_cast<size_t>(kEditorWidth) * kEditorHeight);

  // The same values, exactly, drawn by an offscreen editor in this process.
  const std::vector<uint8_t> state = s.plugin->GetChunk(true);
  ASSERT_FALSE(state.empty());
  Moravelle reference(OfflineAdapter::HostArgs{});
  StateChunk chunk;
  chunk.PutBytes(state.data(), static_cast<int>(state.size()));
  int position = 0;
  ASSERT_GE(PluginBase::ReadChunkHeader(chunk, &position), 0);
  {
    ScopedLock hold(reference.InstanceLock());
    ASSERT_GE(reference.UnserializeParams(chunk, position), 0);
    reference.PushValuesToEditor();
  }
  auto* offscreen = dynamic_cast<OffscreenEditor*>(reference.Editor());
  ASSERT_NE(offscreen, nullptr);
  ASSERT_NE(offscreen->OpenWindow(nullptr), nullptr);
  ASSERT_TRUE(offscreen->Redraw(Rect{0, 0, kEditorWidth, kEditorHeight}));
  MemBitmap* drawn = offscreen->Window();
  int differing = 0;
  for (int y = 0; y < kEditorHeight; ++y)
    for (int x = 0; x < kEditorWidth; ++x)
      if ((drawn->Row(y)[x] & 0xFFFFFFu) != shown[static_cast<size_t>(y) * kEditorWidth + x]) ++differing;
  EXPECT_EQ(differing, 0);
  s.Close();
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
}

TEST(EditorX11Vst2, TheWindowShowsWhatTheOffscreenEditorDrawsThroughSharedMemory) {
  ExpectTheWindowToShowTheOffscreenDrawing(true);
}

TEST(EditorX11Vst2, TheWindowShowsWhatTheOffscreenEditorDrawsThroughPlainImages) {
  ExpectTheWindowToShowTheOffscreenDrawing(false);
}

TEST(EditorX11Vst2, ThePresetMenuOpensOnTheNameStripAndEscapeDismissesIt) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  std::vector<float> before;
  for (int i = 0; i < s.plugin->NumParams(); ++i) before.push_back(s.plugin->GetParameter(i));
  // The menu runs inside the plug-in's idle call: the user is another thread,
  // looking at the screen through a connection of its own.
  std::atomic<bool> seen{false};
  std::thread user([&] {
    Display* eyes = XOpenDisplay(nullptr);
    if (eyes == nullptr) return;
    for (int i = 0; i < 1500 && !seen; ++i) {
      if (xdesk::MappedPopupCount(eyes) > 0) seen = true;
      else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (seen) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      xdesk::Keys("Down Escape");
    }
    XCloseDisplay(eyes);
  });
  s.Click(kNameStripX, kNameStripY);
  Display* eyes = s.host.Connection();
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return seen.load() && xdesk::MappedPopupCount(eyes) == 0; }));
  user.join();
  EXPECT_TRUE(seen);
  for (int i = 0; i < s.plugin->NumParams(); ++i) EXPECT_EQ(s.plugin->GetParameter(i), before[static_cast<size_t>(i)]) << i;
  s.Close();
}

TEST(EditorX11Vst2, TheLoadButtonAsksTheDialogProgramAndLoadsThePresetChosen) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  const std::string preset = std::string(MORAVELLE_FACTORY_PRESETS) + "/DRUM - Big Punch.moravellepreset";
  // Both differ from the preset's before it loads.
  EXPECT_GT(std::fabs(s.plugin->GetParameter(kAmpClippingGain) - 0.3f), 0.01f);
  EXPECT_GT(std::fabs(s.plugin->GetParameter(kReverbDamp) - 0.2f), 0.01f);
  {
    xdesk::FakeDialogProgram zenity(preset, 0);
    s.Click(kLoadButtonX, kFileButtonY);
    EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return !zenity.Arguments().empty(); }));
    EXPECT_TRUE(zenity.Has("--file-selection"));
    EXPECT_FALSE(zenity.Has("--save"));
    EXPECT_TRUE(zenity.Has("--file-filter=*.moravellepreset"));
  }
  // Values of that preset, once the editor's idle has heard the dialog's answer.
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return std::fabs(s.plugin->GetParameter(kReverbDamp) - 0.2f) < 1e-6; }));
  EXPECT_NEAR(s.plugin->GetParameter(kAmpClippingGain), 0.3f, 1e-6);
  EXPECT_NEAR(s.plugin->GetParameter(kReverbDamp), 0.2f, 1e-6);
  s.Close();
}

TEST(EditorX11Vst2, KeysTheEditorDoesNotHandleReachTheHostWindow) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  s.Click(500, 520);  // the background: the editor takes the focus
  xdesk::PumpFor(s.step, 200);
  xdesk::Keys("q F12");
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.host.KeysReceived().size() >= 2; }));
  EXPECT_EQ(s.host.KeysReceived(), (std::vector<unsigned long>{XK_q, XK_F12}));
  s.Close();
}

TEST(EditorX11Vst2, TwoEditorsAtOnceWorkIndependently) {
  Vst2Session first;
  Vst2Session second;
  ASSERT_TRUE(first.plugin && second.plugin);
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.Open());
  EXPECT_NE(first.Editor(), second.Editor());
  first.Close();
  EXPECT_TRUE(first.host.Children().empty());
  EXPECT_EQ(second.host.Children().size(), 1u);
  // The second still answers input.
  const float active = second.plugin->GetParameter(kReverbOffOn);
  second.Click(kActiveSwitchX, kActiveSwitchY);
  EXPECT_TRUE(xdesk::PumpUntil(second.step, [&] { return second.plugin->GetParameter(kReverbOffOn) != active; }));
  second.Close();
}

// Each editor has an X connection of its own, and the server frees a
// connection's windows, pixmaps and GCs with it: a closed connection (its
// descriptor gone), no child window left and no shared-memory segment left
// mean nothing X-side survives. Memory is the sanitizer build's leak checker's.
TEST(EditorX11Vst2, TwoHundredOpeningsLeaveNoWindowConnectionOrSegmentBehind) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  // One opening first: what a process makes once (fonts, images) is made.
  ASSERT_TRUE(s.Open());
  s.Close();
  const int descriptors = xdesk::OpenDescriptorCount();
  const int segments = xdesk::SharedMemorySegmentsOfThisProcess();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(s.plugin->Dispatch(effEditOpen, 0, 0, s.host.Handle()), 1) << i;
    s.plugin->Dispatch(effEditIdle);
    ASSERT_EQ(s.host.Children().size(), 1u) << i;
    if (i == 0) {
      EXPECT_EQ(xdesk::OpenDescriptorCount(), descriptors + 1);  // the editor's connection
      EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), segments + 1);
    }
    s.Close();
    ASSERT_TRUE(s.host.Children().empty()) << i;
  }
  EXPECT_EQ(xdesk::OpenDescriptorCount(), descriptors);
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), segments);
}

TEST(EditorX11Vst2, TheHostWindowGoingFirstAndUnloadingWithTheEditorOpenAreSafe) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  s.host.Destroy();  // before effEditClose
  xdesk::PumpFor(s.step, 100);
  EXPECT_EQ(s.plugin->Dispatch(effEditClose), 1);
  xdesk::HostWindow again(kEditorWidth, kEditorHeight);
  ASSERT_EQ(s.plugin->Dispatch(effEditOpen, 0, 0, again.Handle()), 1);
  EXPECT_EQ(again.Children().size(), 1u);
  s.plugin.reset();  // effClose and unload, editor still open
  EXPECT_TRUE(again.Children().empty());
}

// ---- VST3 ----------------------------------------------------------------------------

TEST(EditorX11Vst3, TheViewOpensAnX11EditorDrivenByTheHostsRunLoop) {
  Vst3Session s;
  ASSERT_NE(s.view, nullptr);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
  ASSERT_EQ(s.view->setFrame(s.frame), kResultOk);
  EXPECT_EQ(s.view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
  ASSERT_EQ(s.view->attached(s.window.Handle(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(s.window.Children().size(), 1u);
  EXPECT_EQ(s.frame->TimerCount(), 1);
  EXPECT_EQ(s.frame->FirstInterval(), 40u);  // the editor's 25 frames per second
  EXPECT_EQ(s.frame->HandlerCount(), 1);
  xdesk::PumpFor(s.step, 100);

  const double start = s.host->ParamNormalized(kRoomSize);
  xdesk::MoveTo(kRoomKnobX, kRoomKnobY);
  xdesk::ButtonDown();
  xdesk::PumpFor(s.step, 50);
  for (int moved = 5; moved <= 10; moved += 5) {
    xdesk::MoveTo(kRoomKnobX, kRoomKnobY - moved);
    xdesk::PumpFor(s.step, 30);
  }
  xdesk::ButtonUp();
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return IsOneGesture(s.EditsOf(kRoomSize)); })) << s.EditsOf(kRoomSize);
  EXPECT_NEAR(s.host->ParamNormalized(kRoomSize), start + 0.0625, 1e-9);

  // A value from the host is on the screen after at most two timer periods.
  xdesk::PumpFor(s.step, 200);
  const Window editor = s.window.Children().front();
  const std::vector<uint32_t> before = xdesk::Capture(s.window.Connection(), editor, kEditorWidth, kEditorHeight);
  ASSERT_TRUE(s.host->Setup(44100.0, 512, kSample32)) << s.host->LastError();
  s.host->QueueParam(kMainVolume, 0.9);  // as automation reaches the plug-in
  ASSERT_TRUE(s.host->Flush());
  bool redrawn = false;
  for (int period = 0; period < 2 && !redrawn; ++period) {
    s.frame->Run(45);  // waits for the editor's timer
    redrawn = xdesk::Capture(s.window.Connection(), editor, kEditorWidth, kEditorHeight) != before;
  }
  EXPECT_TRUE(redrawn);

  EXPECT_EQ(s.view->removed(), kResultOk);
  EXPECT_TRUE(s.window.Children().empty());
  EXPECT_EQ(s.frame->TimerCount(), 0);
  EXPECT_EQ(s.frame->HandlerCount(), 0);
}

TEST(EditorX11Vst3, TwoHundredAttachmentsLeaveNoWindowConnectionOrSegmentBehind) {
  Vst3Session s;
  ASSERT_NE(s.view, nullptr);
  ASSERT_EQ(s.view->setFrame(s.frame), kResultOk);
  ASSERT_EQ(s.view->attached(s.window.Handle(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  ASSERT_EQ(s.view->removed(), kResultOk);
  const int descriptors = xdesk::OpenDescriptorCount();
  const int segments = xdesk::SharedMemorySegmentsOfThisProcess();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(s.view->attached(s.window.Handle(), kPlatformTypeX11EmbedWindowID), kResultTrue) << i;
    s.frame->Run(0);
    ASSERT_EQ(s.window.Children().size(), 1u) << i;
    ASSERT_EQ(s.view->removed(), kResultOk) << i;
    ASSERT_TRUE(s.window.Children().empty()) << i;
    ASSERT_EQ(s.frame->TimerCount(), 0) << i;
    ASSERT_EQ(s.frame->HandlerCount(), 0) << i;
  }
  EXPECT_EQ(xdesk::OpenDescriptorCount(), descriptors);
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), segments);
}

TEST(EditorX11Vst3, ReleasingEverythingWithTheEditorOpenIsSafe) {
  xdesk::HostWindow window(kEditorWidth, kEditorHeight);
  auto* frame = new xdesk::RunLoopFrame;
  {
    std::string error;
    auto host = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
    ASSERT_TRUE(host) << error;
    IPlugView* view = host->Controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    view->setFrame(frame);
    ASSERT_EQ(view->attached(window.Handle(), kPlatformTypeX11EmbedWindowID), kResultTrue);
    frame->Run(50);
    view->release();  // no removed(): the view closes its window as it goes
  }  // the plug-in and the module go
  EXPECT_TRUE(window.Children().empty());
  EXPECT_EQ(frame->TimerCount(), 0);
  frame->release();
}

}  // namespace
