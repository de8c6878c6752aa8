// The effect's preset actions in process: arrows, menu, selector, load and save
// through the editor's controls, restores that touch no file, and a library that
// cannot be found.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"
#include "temporary_library.h"

namespace {

constexpr MouseState kLeft{true, false, false, false, false};

class PresetActions : public testing::Test {
 protected:
  PresetActions() : library(testing::UnitTest::GetInstance()->current_test_info()->name()) {
    library.WriteAllFactoryPresets();
    effect = std::make_unique<Moravelle>(OfflineAdapter::HostArgs{});
    effect->Setup(44100, 256);
  }

  OffscreenEditor& Editor() { return *dynamic_cast<OffscreenEditor*>(effect->Editor()); }
  const MoravelleEditorControls& Controls() { return effect->EditorControls(); }
  double Room() { return effect->Param(kReverbRoomSize)->Value(); }
  // The room size that factory file n holds (its number / 100, in single precision).
  static double RoomOf(int n) { return static_cast<double>(static_cast<float>(n / 100.0)); }
  std::string Name() { return Controls().nameDisplay->DisplayText(); }
  void Click(int x, int y) {
    Editor().HandleButtonDown(x, y, kLeft);
    Editor().HandleButtonUp(x, y, kLeft);
  }
  void Arrow(bool forward) { Click(forward ? 705 : 285, 10); }
  // Marks the room size so that "nothing loaded" can be seen.
  void Mark() {
    effect->Param(kReverbRoomSize)->SetValue(0.777);
    effect->OnParamChanged(kReverbRoomSize);
  }
  void HostSets(int index, double plain) {
    effect->SetParameterFromHost(index, effect->Param(index)->ToNormalized(plain));
  }
  int ValueEvents(int index) {
    int n = 0;
    for (const auto& e : effect->Events()) n += e.kind == OfflineAdapter::HostEvent::Value && e.index == index;
    return n;
  }

  TemporaryLibrary library;
  std::unique_ptr<Moravelle> effect;
};

TEST_F(PresetActions, ArrowsStepFromTheLastSelectionWithoutWrapping) {
  EXPECT_EQ(Name(), "< Presets Library >");
  Arrow(true);  // a fresh instance: number 1
  EXPECT_EQ(Room(), RoomOf(1));
  EXPECT_EQ(Name(), "WLCM - Inside The First Room");
  EXPECT_EQ(effect->LastPresetSelection(), 1.0f);
  EXPECT_EQ(effect->Param(kPresetSelector)->Value(), 0.0);
  EXPECT_EQ(effect->Kernel().Parameter(kPresetSelector), 0.0);
  EXPECT_EQ(ValueEvents(kPresetForward), 2);  // press and release reach the host
  EXPECT_EQ(ValueEvents(kPresetSelector), 0);

  // Left to 0, then -1: nothing loads, and the steps stop at -1.
  Mark();
  Arrow(false);
  Arrow(false);
  Arrow(false);
  EXPECT_EQ(Room(), 0.777);
  EXPECT_EQ(effect->LastPresetSelection(), -1.0f);
  Arrow(true);  // 0: nothing
  EXPECT_EQ(Room(), 0.777);
  Arrow(true);  // 1
  EXPECT_EQ(Room(), RoomOf(1));

  // 31 -> 32 loads nothing; back to 31 loads it again.
  HostSets(kPresetSelector, 31);
  EXPECT_EQ(Room(), RoomOf(31));
  Mark();
  Arrow(true);
  EXPECT_EQ(Room(), 0.777);
  EXPECT_EQ(effect->LastPresetSelection(), 32.0f);
  Arrow(false);
  EXPECT_EQ(Room(), RoomOf(31));
  EXPECT_EQ(Name(), "SCAPE - Time Tide Projection");

  // A double click on an arrow steps twice.
  HostSets(kPresetSelector, 5);
  Editor().HandleButtonDown(705, 10, kLeft);
  Editor().HandleButtonUp(705, 10, kLeft);
  Editor().HandleDoubleClick(705, 10, kLeft);
  Editor().HandleButtonUp(705, 10, kLeft);
  EXPECT_EQ(Room(), RoomOf(7));
}

TEST_F(PresetActions, TheHostsSelectorRoundsToTheNearestNumberAndReadsZeroAfterwards) {
  HostSets(kPresetSelector, 9.6);
  EXPECT_EQ(Room(), RoomOf(10));
  EXPECT_EQ(Name(), "DRUM - Deeper");
  EXPECT_EQ(effect->LastPresetSelection(), 9.6f);
  EXPECT_EQ(effect->Param(kPresetSelector)->Value(), 0.0);
  Arrow(true);  // 10.6 names number 11
  EXPECT_EQ(Room(), RoomOf(11));
  // The load selector now names that factory file; the LOAD dialog starts there.
  EXPECT_EQ(Controls().loadSelector->File(), library.FactoryPath(11));

  for (double outside : {32.0, 10000.0, -1.0, 0.49}) {
    Mark();
    HostSets(kPresetSelector, outside);
    EXPECT_EQ(Room(), 0.777) << outside;
    EXPECT_EQ(Name(), "DRUM - High End Designs") << outside;
  }
  // Releasing an arrow (0) loads nothing; values other than 1 do nothing either.
  HostSets(kPresetForward, 0.5);
  HostSets(kPresetForward, 0.0);
  EXPECT_EQ(Room(), 0.777);
}

TEST_F(PresetActions, MenuChoicesLoadWithoutTellingTheHost) {
  PopupMenu& main = Controls().presetMenu->MainMenu();
  ASSERT_EQ(main.ItemCount(), 8);
  EXPECT_EQ(main.Item(0)->text, "< Presets Library >");
  EXPECT_EQ(main.Item(1)->text, "WLCM - Inside The First Room");
  EXPECT_EQ(main.Item(5)->text, "Factory > Guitars");
  PopupMenu* guitars = main.Item(5)->submenu;
  ASSERT_NE(guitars, nullptr);
  ASSERT_EQ(guitars->ItemCount(), 9);
  EXPECT_EQ(guitars->Item(5)->text, "GUITAR - South Passage");
  int guitarsFirstId = -1;
  for (const MenuIdRange& range : NumberMenuTree(main))
    if (range.menu == guitars) guitarsFirstId = range.firstId;
  ASSERT_GE(guitarsFirstId, 0);

  Editor().Script().menuChoices = {guitarsFirstId + 5, 0, -1};
  Click(500, 10);
  EXPECT_EQ(Room(), RoomOf(18));
  EXPECT_EQ(Name(), "GUITAR - South Passage");
  EXPECT_EQ(effect->LastPresetSelection(), 18.0f);
  EXPECT_EQ(effect->Param(kPresetSelector)->Value(), 0.0);
  EXPECT_TRUE(effect->Events().empty());  // the host hears nothing of a menu choice

  Mark();
  Click(500, 10);  // "< Presets Library >": nothing loads, the arrows count from 0
  EXPECT_EQ(Room(), 0.777);
  EXPECT_EQ(effect->LastPresetSelection(), 0.0f);
  Click(500, 10);  // dismissed: nothing at all
  EXPECT_EQ(Room(), 0.777);
  EXPECT_EQ(effect->LastPresetSelection(), 0.0f);
  EXPECT_TRUE(effect->Events().empty());
}

TEST_F(PresetActions, SaveThenLoadRoundTripsTheStoredParametersOnly) {
  const std::string path = library.Folder() + "round trip.moravellepreset";
  effect->Param(kReverbDamp)->SetValue(0.123456789);
  effect->Param(kAmpFilterMode)->SetValue(2.0);
  effect->Param(kPreampFilterCutoff)->SetValue(0.00001);
  Editor().Script().fileChoices = {path};
  Click(730, 10);  // SAVE
  EXPECT_EQ(Name(), "round trip");
  EXPECT_EQ(ValueEvents(kPresetSave), 1);
  std::ifstream saved(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("<ReverbDamp>0.123457</ReverbDamp>"), std::string::npos);
  EXPECT_NE(text.find("<PreampFilterCutoff>1e-005</PreampFilterCutoff>"), std::string::npos);
  EXPECT_NE(text.find("<AmpFilterMode>2</AmpFilterMode>"), std::string::npos);

  // Everything changes; the load brings back the stored 18 and leaves the rest.
  for (int i : {kReverbDamp, kAmpFilterMode, kPreampFilterCutoff, kAmpMainVolume, kPreampInputGain, kPreampInputMode,
                kMidiChannelInput}) {
    effect->Param(i)->SetValue(effect->Param(i)->Maximum() * 0.9);
    effect->OnParamChanged(i);
  }
  Editor().Script().fileChoices = {path};
  Click(250, 10);  // LOAD
  EXPECT_EQ(effect->Param(kReverbDamp)->Value(), static_cast<double>(0.123457f));
  EXPECT_EQ(effect->Kernel().Parameter(kReverbDamp), static_cast<double>(0.123457f));
  EXPECT_EQ(effect->Param(kAmpFilterMode)->Value(), 2.0);
  EXPECT_EQ(Controls().ampFilterMode->Value(), 1.0);  // the switch gets the normalised value
  EXPECT_EQ(effect->Param(kPreampFilterCutoff)->Value(), static_cast<double>(0.00001f));
  EXPECT_NEAR(effect->Param(kAmpMainVolume)->Value(), 0.9, 1e-12);
  EXPECT_NEAR(effect->Param(kPreampInputGain)->Value(), 0.9, 1e-12);
  EXPECT_NEAR(effect->Param(kPreampInputMode)->Value(), 2.7, 1e-12);
  EXPECT_NEAR(effect->Param(kMidiChannelInput)->Value(), 14.4, 1e-12);
}

TEST_F(PresetActions, ClampedValuesAndAFailedOrCancelledSaveLeaveTheDisplayAlone) {
  library.WriteFactory(10, "<ReverbDamp>7</ReverbDamp><ReverbPanorama> 0.25xyz</ReverbPanorama>");
  HostSets(kPresetSelector, 10);
  EXPECT_EQ(effect->Param(kReverbDamp)->Value(), 1.0);
  EXPECT_EQ(effect->Kernel().Parameter(kReverbDamp), 1.0);
  EXPECT_EQ(Controls().reverbDamp->Value(), 1.0);
  EXPECT_EQ(effect->Param(kReverbPanorama)->Value(), 0.25);
  EXPECT_EQ(Name(), "DRUM - Deeper");

  const std::string unwritable = library.Folder() + "no such folder/x.moravellepreset";
  Editor().Script().fileChoices = {unwritable, ""};
  Click(730, 10);
  EXPECT_FALSE(std::filesystem::exists(unwritable));
  EXPECT_EQ(Name(), "DRUM - Deeper");
  Click(730, 10);  // cancelled
  EXPECT_EQ(Name(), "DRUM - Deeper");
  EXPECT_EQ(ValueEvents(kPresetSave), 2);  // both presses still reach the host
}

TEST_F(PresetActions, RestoresTouchNoFileAndKeepTheRestoredValues) {
  // The user has selected, loaded and saved; both selectors name files.
  HostSets(kPresetSelector, 3);
  const std::string path = library.Folder() + "kept.moravellepreset";
  Editor().Script().fileChoices = {path};
  Click(730, 10);
  std::ifstream before(path, std::ios::binary);
  const std::string savedText((std::istreambuf_iterator<char>(before)), {});

  // A state in which every preset parameter would act, and other values.
  effect->Param(kReverbRoomSize)->SetValue(0.5);
  effect->Param(kReverbDecayTime)->SetValue(0.9);
  effect->Param(kPresetSelector)->SetValue(12);
  effect->Param(kPresetForward)->SetValue(1);
  StateChunk state;
  ASSERT_TRUE(effect->WriteState(state));
  effect->Param(kReverbRoomSize)->SetValue(0.1);
  effect->Param(kPresetSelector)->SetValue(0);
  effect->ClearEvents();

  ASSERT_GT(effect->ReadState(state, 0), 0);
  EXPECT_EQ(effect->Param(kReverbRoomSize)->Value(), 0.5);
  EXPECT_EQ(effect->Kernel().Parameter(kReverbRoomSize), 0.5);
  EXPECT_EQ(effect->Param(kReverbDecayTime)->Value(), 0.9);
  EXPECT_EQ(effect->Param(kPresetSelector)->Value(), 12.0);  // as restored, not reset to 0
  EXPECT_EQ(effect->LastPresetSelection(), 3.0f);
  std::ifstream after(path, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), savedText);
  // The bank preset "Init" restores the same way.
  ASSERT_TRUE(effect->LoadPresetSlot(0));
  EXPECT_EQ(effect->Param(kReverbRoomSize)->Value(), 0.0);
  std::ifstream afterBank(path, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(afterBank)), {}), savedText);
}

#if !defined(_WIN32)
TEST(PresetLibrary, FollowsXdgDocumentsThenHomeAndIsDisabledWithoutEither) {
  const std::string xdg = std::getenv("XDG_DOCUMENTS_DIR") ? std::getenv("XDG_DOCUMENTS_DIR") : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DOCUMENTS_DIR", "/srv/docs", 1);
  EXPECT_EQ(PresetLibraryFolder(), "/srv/docs/PellionAudio/Moravelle/Presets/");
  setenv("XDG_DOCUMENTS_DIR", "relative/docs", 1);  // not absolute: ignored
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(PresetLibraryFolder(), "/home/someone/Documents/PellionAudio/Moravelle/Presets/");
  EXPECT_EQ(PresetDialogFolder(), "/home/someone/Documents/PellionAudio/Moravelle/Presets");
  unsetenv("XDG_DOCUMENTS_DIR");
  unsetenv("HOME");
  EXPECT_EQ(PresetLibraryFolder(), "");
  EXPECT_EQ(PresetDialogFolder(), "");
  {
    // Without a library nothing loads and nothing crashes.
    Moravelle effect(OfflineAdapter::HostArgs{});
    effect.Setup(44100, 256);
    effect.SetParameterFromHost(kPresetSelector, effect.Param(kPresetSelector)->ToNormalized(10));
    EXPECT_EQ(effect.EditorControls().loadSelector->File(), "");
    EXPECT_EQ(effect.EditorControls().nameDisplay->DisplayText(), "< Presets Library >");
    effect.SetParameterFromHost(kPresetLoad, 1.0);
    effect.SetParameterFromHost(kPresetSave, 1.0);
  }
  if (!home.empty()) setenv("HOME", home.c_str(), 1);
  if (!xdg.empty()) setenv("XDG_DOCUMENTS_DIR", xdg.c_str(), 1);
}
#endif

}  // namespace
