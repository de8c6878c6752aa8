// The effect's editor on the VST2 adapter, in process: the record announces the
// editor, and a drag through the offscreen editor reaches the host as begin-edit,
// automate and end-edit messages, in order, with the drag's values.
#include <gtest/gtest.h>

#include <vector>

#include "abi/vst2/vst2_opcodes.h"
#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"

namespace {

struct HostMessage {
  int32_t opcode;
  int32_t index;
  float value;
};
std::vector<HostMessage> g_messages;

intptr_t RecordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt) {
  if (opcode == audioMasterBeginEdit || opcode == audioMasterAutomate || opcode == audioMasterEndEdit)
    g_messages.push_back({opcode, index, opt});
  return opcode == audioMasterVersion ? 2400 : 0;
}

const MouseState kLeft{true, false, false, false, false};

TEST(Vst2Editor, TheRecordAnnouncesAnEditorOfTheEditorsSize) {
  Moravelle effect(Vst2Plugin::HostArgs{RecordingHost});
  EXPECT_EQ(effect.Effect()->flags, 0x1011);
  EXPECT_EQ(effect.EditRect().right, 1000);
  EXPECT_EQ(effect.EditRect().bottom, 530);
  ASSERT_NE(dynamic_cast<OffscreenEditor*>(effect.Editor()), nullptr);
}

TEST(Vst2Editor, AKnobDragReachesTheHostAsAnEditGesture) {
  Moravelle effect(Vst2Plugin::HostArgs{RecordingHost});
  auto* editor = dynamic_cast<OffscreenEditor*>(effect.Editor());
  ASSERT_NE(editor, nullptr);
  const Rect volume = effect.EditorControls().ampMainVolume->GetRect();
  if (volume.R == volume.L) GTEST_SKIP() << "the knob images are not built in";
  g_messages.clear();

  // AmpMainVolume stands at 0.5; every 10 pixels up in a 40-pixel knob with
  // gearing 4 add 10 / 40 / 4.
  editor->HandleButtonDown(820, 405, kLeft);
  editor->HandleDrag(820, 395, kLeft);
  editor->HandleDrag(820, 385, kLeft);
  editor->HandleDrag(900, 600, kLeft);  // far outside: still the same knob
  editor->HandleButtonUp(900, 600, kLeft);

  ASSERT_EQ(g_messages.size(), 5u);
  EXPECT_EQ(g_messages[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(g_messages[1].opcode, audioMasterAutomate);
  EXPECT_FLOAT_EQ(g_messages[1].value, 0.5625f);
  EXPECT_FLOAT_EQ(g_messages[2].value, 0.625f);
  EXPECT_EQ(g_messages[3].opcode, audioMasterAutomate);
  EXPECT_FLOAT_EQ(g_messages[3].value, 0.0f);  // 215 pixels down: clamped at the bottom
  EXPECT_EQ(g_messages[4].opcode, audioMasterEndEdit);
  for (const HostMessage& m : g_messages) EXPECT_EQ(m.index, 6);
  EXPECT_DOUBLE_EQ(effect.Param(6)->NormalizedValue(), 0.0);
}

TEST(Vst2Editor, HostChangesReachTheControls) {
  Moravelle effect(Vst2Plugin::HostArgs{RecordingHost});
  effect.Effect()->setParameter(effect.Effect(), 23, 0.8f);  // ReverbDecayTime
  EXPECT_FLOAT_EQ(static_cast<float>(effect.EditorControls().reverbDecayTime->Value()), 0.8f);
}

}  // namespace
