// The effect's editor on the VST3 adapter, in process: a drag through the
// offscreen editor reaches the component handler as beginEdit, performEdit and
// endEdit, in order, with the drag's values; a right click opens the host's
// parameter menu instead of reaching the control.
#include <gtest/gtest.h>

#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "host_objects.h"

using namespace vst3;

namespace {

using Call = host3::ComponentHandler::Call;

struct HostedMoravelle {
  Moravelle* effect = new Moravelle(Vst3Plugin::HostArgs{});
  host3::ComponentHandler* handler = new host3::ComponentHandler();
  IPlugView* view = nullptr;

  HostedMoravelle() {
    effect->initialize(nullptr);
    effect->setComponentHandler(handler);
    view = effect->createView("editor");
  }
  ~HostedMoravelle() {
    if (view) view->release();
    effect->terminate();
    effect->release();
    handler->ReleaseReference();
  }
  OffscreenEditor* Editor() { return dynamic_cast<OffscreenEditor*>(effect->Editor()); }
};

TEST(Vst3Editor, AnEditorWithoutAWindowLayerOffersNoPlatformButReportsItsSize) {
  HostedMoravelle h;
  ASSERT_NE(h.view, nullptr);
  ASSERT_NE(h.Editor(), nullptr);
  EXPECT_EQ(h.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(h.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(h.view->attached(nullptr, kPlatformTypeHWND), kResultFalse);
  ViewRect rect{};
  ASSERT_EQ(h.view->getSize(&rect), kResultOk);
  EXPECT_EQ(rect.right, 1000);
  EXPECT_EQ(rect.bottom, 530);
  EXPECT_EQ(h.view->removed(), kResultOk);
  EXPECT_EQ(h.effect->createView("other"), nullptr);
}

TEST(Vst3Editor, AKnobDragReachesTheComponentHandlerAsAnEditGesture) {
  HostedMoravelle h;
  OffscreenEditor* editor = h.Editor();
  ASSERT_NE(editor, nullptr);
  const Rect room = h.effect->EditorControls().reverbRoomSize->GetRect();
  if (room.R == room.L) GTEST_SKIP() << "the knob images are not built in";
  const double start = h.effect->Param(29)->NormalizedValue();
  const MouseState left{true, false, false, false, false};
  const MouseState shift{true, false, true, false, false};
  editor->HandleButtonDown(250, 270, left);
  editor->HandleDrag(250, 250, left);   // 20 up: + 20 / 40 / 4
  editor->HandleDrag(250, 270, shift);  // 20 down with shift: - 20 / 40 / 40
  editor->HandleButtonUp(250, 270, left);

  const std::vector<Call>& calls = h.handler->Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Call::Begin);
  EXPECT_EQ(calls[1].kind, Call::Perform);
  EXPECT_DOUBLE_EQ(calls[1].value, start + 0.125);
  EXPECT_EQ(calls[2].kind, Call::Perform);
  EXPECT_DOUBLE_EQ(calls[2].value, start + 0.125 - 0.0125);
  EXPECT_EQ(calls[3].kind, Call::End);
  for (const Call& call : calls) EXPECT_EQ(call.id, 29u);  // ReverbRoomSize
}

TEST(Vst3Editor, RightClickOpensTheHostsParameterMenu) {
  HostedMoravelle h;
  OffscreenEditor* editor = h.Editor();
  const Rect room = h.effect->EditorControls().reverbRoomSize->GetRect();
  if (room.R == room.L) GTEST_SKIP() << "the knob images are not built in";
  h.handler->EnableContextMenus(true);
  const double before = h.effect->EditorControls().reverbRoomSize->Value();
  editor->HandleButtonDown(250, 270, MouseState{false, true, false, false, false});
  editor->HandleButtonUp(250, 270, MouseState{false, true, false, false, false});
  const std::vector<Call>& calls = h.handler->Calls();
  ASSERT_GE(calls.size(), 1u);
  EXPECT_EQ(calls[0].kind, Call::ContextMenu);
  EXPECT_EQ(calls[0].id, 29u);
  for (const Call& call : calls) EXPECT_NE(call.kind, Call::Begin);
  EXPECT_EQ(h.effect->EditorControls().reverbRoomSize->Value(), before);
}

// A parameter flush carrying one queue of points, as a host sends edits back.
void HostSends(Moravelle& effect, ParamID id, std::initializer_list<double> points) {
  host3::ParameterChanges* changes = new host3::ParameterChanges();
  int32 index = 0;
  IParamValueQueue* queue = changes->addParameterData(id, index);
  for (double point : points) queue->addPoint(0, point, index);
  ProcessData data{};
  data.inputParameterChanges = changes;
  effect.process(data);
  changes->release();
}

TEST(Vst3Editor, TheHostsEchoOfAnArrowDoesNotStepAgainButItsAutomationDoes) {
  HostedMoravelle h;
  OffscreenEditor* editor = h.Editor();
  const Rect forward = h.effect->EditorControls().presetForward->GetRect();
  if (forward.R == forward.L) GTEST_SKIP() << "the arrow images are not built in";
  const MouseState left{true, false, false, false, false};
  auto click = [&] {
    editor->HandleButtonDown(forward.L + 2, forward.T + 2, left);
    editor->HandleButtonUp(forward.L + 2, forward.T + 2, left);
  };
  click();
  EXPECT_EQ(h.effect->LastPresetSelection(), 1.0f);
  HostSends(*h.effect, kPresetForward, {1.0, 0.0});  // press and release in one block
  EXPECT_EQ(h.effect->LastPresetSelection(), 1.0f);

  click();
  HostSends(*h.effect, kPresetForward, {1.0});  // the press first, the release later
  HostSends(*h.effect, kPresetForward, {0.0});
  EXPECT_EQ(h.effect->LastPresetSelection(), 2.0f);

  // The host's own automation acts as usual.
  HostSends(*h.effect, kPresetForward, {1.0});
  EXPECT_EQ(h.effect->LastPresetSelection(), 3.0f);
  HostSends(*h.effect, kPresetForward, {0.0});
  HostSends(*h.effect, kPresetForward, {1.0});
  EXPECT_EQ(h.effect->LastPresetSelection(), 4.0f);
}

}  // namespace
