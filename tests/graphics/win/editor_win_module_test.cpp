// The Win32 editor through the built plug-ins, as a host uses them: Moravelle.dll
// through the project's VST2 host and Moravelle.vst3 through its VST3 host, the
// editor opened inside a top-level host window and driven with real input.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>

#include <atomic>
#include <thread>

#include "framework/plugin_base.h"
#include "module_session.h"

using namespace vst3;
using namespace modtest;

namespace {

bool ClassRegistered(HMODULE module) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  return GetClassInfoExA(module, "MoravelleEditorWindow", &info) != 0;
}

TEST(EditorWinVst2, OpensInTheHostWindowWithTheEditorsRectangle) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ERect* rect = nullptr;
  ASSERT_EQ(s.plugin->Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, kEditorWidth);
  EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);
  EXPECT_EQ(s.plugin->Dispatch(effEditOpen, 0, 0, nullptr), 0);  // no host window: nothing opens
  ASSERT_TRUE(s.Open());
  EXPECT_TRUE(IsWindowVisible(s.editor));
  EXPECT_EQ(GetParent(s.editor), s.host.Handle());
  RECT client{};
  GetClientRect(s.editor, &client);
  EXPECT_EQ(client.right, kEditorWidth);
  EXPECT_EQ(client.bottom, kEditorHeight);
  EXPECT_EQ(s.plugin->Dispatch(effEditIdle), 0);
  s.Close();
  EXPECT_EQ(EditorWindowIn(s.host.Handle()), nullptr);
}

TEST(EditorWinVst2, MouseEditsReachTheHostAsGestures) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  const float start = s.plugin->GetParameter(kRoomSize);

  // 10 pixels up on a 40-pixel knob with gearing 4: 10 / 40 / 4.
  s.plugin->ClearLogs();
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 10);
  std::vector<float> values;
  const std::string order = s.EditsOf(kRoomSize, &values);
  EXPECT_TRUE(IsOneGesture(order)) << order;
  ASSERT_FALSE(values.empty());
  for (size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]);
  EXPECT_NEAR(values.back(), start + 0.0625f, 1e-6);
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), start + 0.0625f, 1e-6);

  // With shift held the knob moves ten times finer.
  s.plugin->ClearLogs();
  desk::KeyDown("shift", VK_SHIFT);
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 10);
  desk::KeyUp("shift", VK_SHIFT);
  EXPECT_TRUE(IsOneGesture(s.EditsOf(kRoomSize))) << s.EditsOf(kRoomSize);
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), start + 0.0625f + 0.00625f, 1e-6);

  // A wheel notch over the knob.
  const float beforeWheel = s.plugin->GetParameter(kRoomSize);
  MoveToEditor(s.editor, kRoomKnobX, kRoomKnobY);
  desk::Wheel(1);
  EXPECT_TRUE(desk::PumpUntil([&] { return s.plugin->GetParameter(kRoomSize) != beforeWheel; }));
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), beforeWheel + 0.01f, 1e-6);

  // A double click returns the knob to its first value.
  WaitOutDoubleClick();
  MoveToEditor(s.editor, kRoomKnobX, kRoomKnobY);
  for (int i = 0; i < 2; ++i) {
    desk::ButtonDown();
    desk::ButtonUp();
  }
  EXPECT_TRUE(desk::PumpUntil([&] { return s.plugin->GetParameter(kRoomSize) == start; }));

  // A click on the ACTIVE switch toggles the reverb.
  const float active = s.plugin->GetParameter(kReverbOffOn);
  s.plugin->ClearLogs();
  Click(s.editor, kActiveSwitchX, kActiveSwitchY);
  EXPECT_TRUE(desk::PumpUntil([&] { return s.plugin->GetParameter(kReverbOffOn) != active; }));
  EXPECT_FLOAT_EQ(s.plugin->GetParameter(kReverbOffOn), 1.0f - active);
  EXPECT_TRUE(desk::PumpUntil([&] { return s.EditsOf(kReverbOffOn) == "BAE"; })) << s.EditsOf(kReverbOffOn);
  s.Close();
}

// The editor's timer, ticked by hand: nothing else runs in between, so a
// change the picture shows after n ticks was drawn within n timer periods.
void TickTimer(HWND editor, int ticks) {
  for (int i = 0; i < ticks; ++i) SendMessageA(editor, WM_TIMER, 2, 0);
}

TEST(EditorWinVst2, TheWindowShowsWhatTheOffscreenEditorDrawsForTheSameValues) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 25);
  Click(s.editor, kActiveSwitchX, kActiveSwitchY);
  const std::vector<uint32_t> before = SettledPixels(s.editor);
  // A host change redraws its knob within two timer periods.
  s.plugin->SetParameter(kAmpMainVolume, 0.9f);
  TickTimer(s.editor, 2);
  EXPECT_NE(desk::CaptureClient(s.editor, kEditorWidth, kEditorHeight), before);
  const std::vector<uint32_t> shown = SettledPixels(s.editor);

  // The same values, exactly, drawn by an offscreen editor in this process.
  const std::vector<uint8_t> state = s.plugin->GetChunk(true);
  ASSERT_FALSE(state.empty());
  StateChunk chunk;
  chunk.PutBytes(state.data(), static_cast<int>(state.size()));
  int position = 0;
  ASSERT_GE(PluginBase::ReadChunkHeader(chunk, &position), 0);
  EXPECT_EQ(PixelsDifferingFromOffscreen(shown, chunk, position), 0);
  s.Close();
}

TEST(EditorWinVst2, TheLoadButtonOpensTheFileDialogInThePresetLibrary) {
  ASSERT_FALSE(PresetLibrary().empty());  // the folder the editor starts its dialogs in
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  std::vector<float> before;
  for (int i = 0; i < s.plugin->NumParams(); ++i) before.push_back(s.plugin->GetParameter(i));

  std::atomic<bool> seen{false};
  std::string lookIn;
  std::string types;
  std::thread user([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 1500 && dialog == nullptr; ++i, Sleep(10)) dialog = desk::FindProcessWindow("#32770");
    if (dialog == nullptr) return;
    Sleep(200);
    lookIn = DialogComboText(dialog, 0x471);  // cmb2
    types = DialogComboText(dialog, 0x470);   // cmb1
    seen = true;
    desk::Keys("Escape");
  });
  Click(s.editor, kLoadButtonX, kPresetRowY);
  EXPECT_TRUE(desk::PumpUntil([&] { return seen.load() && desk::FindProcessWindow("#32770") == nullptr; }));
  user.join();
  EXPECT_EQ(lookIn, "Presets");
  EXPECT_EQ(types, "*.moravellepreset");
  // Cancelled: no sound parameter moved (the LOAD action's own one toggles).
  for (int i = 0; i < s.plugin->NumParams(); ++i)
    if (i != kPresetLoad) {
      EXPECT_EQ(s.plugin->GetParameter(i), before[static_cast<size_t>(i)]) << i;
    }
  s.Close();
}

TEST(EditorWinVst2, KeysTheEditorDoesNotHandleReachTheHostWindow) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  Click(s.editor, 500, 520);  // the background: the editor takes the focus
  desk::PumpUntil([&] { return GetFocus() == s.editor; });
  ASSERT_EQ(GetFocus(), s.editor);
  desk::Keys("q F12");
  EXPECT_TRUE(desk::PumpUntil([&] { return s.host.KeysReceived().size() >= 2; }));
  EXPECT_EQ(s.host.KeysReceived(), (std::vector<int>{'Q', VK_F12}));
  s.Close();
}

TEST(EditorWinVst2, TwoEditorsShareTheClassUntilTheLastCloses) {
  Vst2Session first;
  Vst2Session second;
  ASSERT_TRUE(first.plugin && second.plugin);
  HMODULE module = GetModuleHandleA("Moravelle.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_FALSE(ClassRegistered(module));
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.Open());
  EXPECT_TRUE(ClassRegistered(module));
  first.Close();
  EXPECT_TRUE(ClassRegistered(module));
  EXPECT_TRUE(IsWindow(second.editor));
  second.Close();
  EXPECT_FALSE(ClassRegistered(module));
}

TEST(EditorWinVst2, OpeningAndClosingManyTimesLeaksNothing) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  const auto cycle = [&](int times) {
    for (int i = 0; i < times; ++i) {
      ASSERT_TRUE(s.Open());
      desk::PumpFor(5);
      s.Close();
    }
  };
  cycle(20);  // caches, fonts and the window system's own first-use state
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX before{};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof before);
  cycle(200);
  // Wine counts no GUI objects (both 0); the memory check below still holds there.
  if (gdi > 0 || user > 0) {
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  }
  PROCESS_MEMORY_COUNTERS_EX after{};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after), sizeof after);
  // A leak of a surface or a window per cycle would cost megabytes over 200.
  EXPECT_LT(after.PrivateUsage, before.PrivateUsage + 2 * 1024 * 1024);
}

TEST(EditorWinVst2, ClosingTheHostWindowUnderTheEditorIsSafe) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  DestroyWindow(s.host.Handle());  // before effEditClose
  desk::PumpFor(100);
  EXPECT_EQ(s.plugin->Dispatch(effEditClose), 1);  // late: only the class is left to go
  EXPECT_FALSE(ClassRegistered(GetModuleHandleA("Moravelle.dll")));
  desk::HostWindow again(kEditorWidth, kEditorHeight);
  ASSERT_EQ(s.plugin->Dispatch(effEditOpen, 0, 0, again.Handle()), 1);
  EXPECT_NE(EditorWindowIn(again.Handle()), nullptr);
  s.plugin->Dispatch(effEditClose);
}

TEST(EditorWinVst2, UnloadingThePluginWithItsEditorOpenIsSafe) {
  desk::HostWindow host(kEditorWidth, kEditorHeight);
  {
    std::string error;
    auto plugin = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error);
    ASSERT_TRUE(plugin) << error;
    ASSERT_EQ(plugin->Dispatch(effEditOpen, 0, 0, host.Handle()), 1);
    desk::PumpFor(100);
  }  // effClose and unload, editor still open
  desk::PumpFor(200);
  EXPECT_EQ(EditorWindowIn(host.Handle()), nullptr);
}

// ---- VST3 ----------------------------------------------------------------------------

TEST(EditorWinVst3, TheViewOpensAnHwndEditorAndEditsReachTheComponentHandler) {
  Vst3Session s;
  ASSERT_NE(s.view, nullptr);
  ViewRect size{};
  ASSERT_EQ(s.view->getSize(&size), kResultOk);
  EXPECT_EQ(size.left, 0);
  EXPECT_EQ(size.top, 0);
  EXPECT_EQ(size.right, kEditorWidth);
  EXPECT_EQ(size.bottom, kEditorHeight);
  EXPECT_EQ(s.view->canResize(), kResultFalse);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(s.view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
  ASSERT_EQ(s.view->attached(s.window.Handle(), kPlatformTypeHWND), kResultTrue);
  s.editor = EditorWindowIn(s.window.Handle());
  ASSERT_NE(s.editor, nullptr);
  desk::PumpFor(100);

  const double start = s.host->ParamNormalized(kRoomSize);
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 10);
  EXPECT_TRUE(IsOneGesture(s.EditsOf(kRoomSize))) << s.EditsOf(kRoomSize);
  EXPECT_NEAR(s.host->ParamNormalized(kRoomSize), start + 0.0625, 1e-9);

  // A double click returns the knob to its first value, told to the host.
  WaitOutDoubleClick();
  MoveToEditor(s.editor, kRoomKnobX, kRoomKnobY);
  for (int i = 0; i < 2; ++i) {
    desk::ButtonDown();
    desk::ButtonUp();
  }
  EXPECT_TRUE(desk::PumpUntil([&] { return s.host->ParamNormalized(kRoomSize) == start; }));

  // A right click asks the host's context menu for the parameter; no gesture.
  s.host->Handler().ClearCalls();
  Click(s.editor, kRoomKnobX, kRoomKnobY, true);
  EXPECT_TRUE(desk::PumpUntil([&] { return s.EditsOf(kRoomSize) == "M"; })) << s.EditsOf(kRoomSize);
  bool poppedUp = false;
  for (const host3::ComponentHandler::Call& call : s.host->Handler().Calls())
    poppedUp |= call.kind == host3::ComponentHandler::Call::Popup && call.id == kRoomSize;
  EXPECT_TRUE(poppedUp);

  EXPECT_EQ(s.view->removed(), kResultOk);
  EXPECT_EQ(EditorWindowIn(s.window.Handle()), nullptr);
}

TEST(EditorWinVst3, TheWindowShowsWhatTheOffscreenEditorDrawsForTheSameValues) {
  Vst3Session s;
  ASSERT_TRUE(s.host);
  ASSERT_TRUE(s.host->Setup(44100.0, 256, kSample32));
  ASSERT_TRUE(s.Attach());
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 25);
  Click(s.editor, kActiveSwitchX, kActiveSwitchY);
  EXPECT_TRUE(desk::PumpUntil([&] { return s.EditsOf(kReverbOffOn) == "BAE"; })) << s.EditsOf(kReverbOffOn);
  const std::vector<uint32_t> before = SettledPixels(s.editor);
  // Host automation arrives with a block and redraws its knob within two timer periods.
  s.host->QueueParam(kAmpMainVolume, 0.9);
  ASSERT_TRUE(s.host->Flush());
  TickTimer(s.editor, 2);
  EXPECT_NE(desk::CaptureClient(s.editor, kEditorWidth, kEditorHeight), before);
  const std::vector<uint32_t> shown = SettledPixels(s.editor);

  // The component's state: the parameter values, then a 32-bit bypass flag.
  std::vector<unsigned char> state = s.host->GetState();
  ASSERT_GT(state.size(), 4u);
  StateChunk chunk;
  chunk.PutBytes(state.data(), static_cast<int>(state.size() - 4));
  EXPECT_EQ(PixelsDifferingFromOffscreen(shown, chunk, 0), 0);
}

TEST(EditorWinVst3, ReleasingEverythingWithTheEditorOpenIsSafe) {
  desk::HostWindow window(kEditorWidth, kEditorHeight);
  {
    std::string error;
    auto host = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
    ASSERT_TRUE(host) << error;
    IPlugView* view = host->Controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->attached(window.Handle(), kPlatformTypeHWND), kResultTrue);
    desk::PumpFor(100);
    view->release();  // no removed(): the view closes its window as it goes
  }  // the plug-in and the module go
  desk::PumpFor(200);
  EXPECT_EQ(EditorWindowIn(window.Handle()), nullptr);
}

}  // namespace
