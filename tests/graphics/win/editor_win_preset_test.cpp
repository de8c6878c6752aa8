// The preset controls of Moravelle.dll's editor with real input: the name
// strip's menu of factory presets, and SAVE and LOAD through the system's file
// dialogs, in the all-users preset library the plug-in uses.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "adapters/offline/offline_adapter.h"
#include "effect/moravelle.h"
#include "effect/preset_file_io.h"
#include "effect/preset_text.h"
#include "module_session.h"
#include "tests/support/factory_preset_library.h"

using namespace modtest;

namespace {

// The parameter values a preset file sets, as the normalised values a host
// reads back: index -> value (only the parameters the file stores).
std::vector<std::pair<int, float>> ValuesInPresetFile(const std::string& path) {
  std::string record;
  if (ReadPresetRecord(path, record) != PresetReadResult::kRecord) return {};
  Moravelle reference(OfflineAdapter::HostArgs{});
  const PresetRecordValues values = ParsePresetRecord(record);
  std::vector<std::pair<int, float>> expected;
  for (size_t k = 0; k < values.size(); ++k) {
    if (!values[k]) continue;
    PluginParam* param = reference.Param(kPresetStoredParams[k].index);
    param->SetValue(*values[k]);
    expected.emplace_back(kPresetStoredParams[k].index, static_cast<float>(param->NormalizedValue()));
  }
  return expected;
}

// How many of the file's values the plug-in does not hold (within tolerance).
int Mismatches(Vst2Session& s, const std::vector<std::pair<int, float>>& expected, float tolerance) {
  int wrong = 0;
  for (const auto& [index, value] : expected)
    if (std::abs(s.plugin->GetParameter(index) - value) > tolerance) ++wrong;
  return wrong;
}

// The sound parameters, without the preset buttons' own (they toggle on a click).
std::vector<float> SoundParameters(Vst2Session& s) {
  std::vector<float> values = s.Parameters();
  for (int button : {kPresetLoad, kPresetSave, kPresetSelector}) values[static_cast<size_t>(button)] = 0.0f;
  return values;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool NoDialogOrMenu() {
  return desk::FindProcessWindow("#32770") == nullptr && desk::FindProcessWindow("#32768") == nullptr;
}

TEST(EditorWinPresets, TheNameStripsMenuLoadsAFactoryPresetAndEscapeChangesNothing) {
  const std::string library = PresetLibrary();
  ASSERT_FALSE(library.empty());
  InstallFactoryPresets(std::filesystem::path(PublicDocuments()));
  const std::vector<std::pair<int, float>> expected =
      ValuesInPresetFile(library + "Factory\\GUITAR - South Passage.moravellepreset");
  ASSERT_FALSE(expected.empty());
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  ASSERT_GT(Mismatches(s, expected, 1e-6f), 0);  // the preset is not what the plug-in starts with

  // The sixth entry is the guitars' submenu; its sixth entry is South Passage.
  {
    desk::Answerer user("#32768", [](HWND) {
      desk::Keys("Down Down Down Down Down Down Right Down Down Down Down Down Return");
    });
    Click(s.editor, kNameStripX, kPresetRowY);
    EXPECT_TRUE(desk::PumpUntil(
        [&] { return user.Answered() && NoDialogOrMenu() && Mismatches(s, expected, 1e-6f) == 0; }));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(Mismatches(s, expected, 1e-6f), 0);

  const std::vector<float> loaded = SoundParameters(s);
  {
    desk::Answerer user("#32768", [](HWND) { desk::Keys("Down Down Escape"); });
    Click(s.editor, kNameStripX, kPresetRowY);
    EXPECT_TRUE(desk::PumpUntil([&] { return user.Answered() && NoDialogOrMenu(); }));
  }
  desk::PumpFor(200);
  EXPECT_EQ(SoundParameters(s), loaded);
  s.Close();
}

// The dialogs here may open away from the pointer, where Wine on a bare X
// server gives them no keyboard: the name goes into the focused field and the
// keys are posted to it (the in-process dialog test types for real).
TEST(EditorWinPresets, SaveWritesTheValuesLoadRestoresThemAndCancelChangesNothing) {
  const std::string library = PresetLibrary();
  ASSERT_FALSE(library.empty());
  const std::string file = library + "wintest take.moravellepreset";
  DeleteFileA(file.c_str());
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 25);
  const float savedRoom = s.plugin->GetParameter(kRoomSize);

  // SAVE: the dialog starts in the library with the preset filter; a bare name
  // gets the extension.
  std::string lookIn;
  std::string types;
  bool typed = false;
  {
    desk::Answerer user("#32770", [&](HWND dialog) {
      lookIn = DialogComboText(dialog, 0x471);  // cmb2
      types = DialogComboText(dialog, 0x470);   // cmb1
      typed = desk::SetFocusText(dialog, "wintest take");
      desk::PostKey(dialog, VK_RETURN);
    });
    Click(s.editor, kSaveButtonX, kPresetRowY);
    EXPECT_TRUE(desk::PumpUntil([&] {
      return user.Answered() && NoDialogOrMenu() && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    }));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_EQ(lookIn, "Presets");
  EXPECT_EQ(types, "*.moravellepreset");
  EXPECT_TRUE(typed);
  const std::vector<std::pair<int, float>> inFile = ValuesInPresetFile(file);
  ASSERT_FALSE(inFile.empty());
  // The file holds six significant digits of each value.
  EXPECT_EQ(Mismatches(s, inFile, 2e-5f), 0);
  const float roomInFile = [&] {
    for (const auto& [index, value] : inFile)
      if (index == kRoomSize) return value;
    return -1.0f;
  }();
  EXPECT_NEAR(roomInFile, savedRoom, 2e-5f);

  // A change, then LOAD of that file puts the saved value back.
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 20);
  ASSERT_GT(std::abs(s.plugin->GetParameter(kRoomSize) - savedRoom), 0.01f);
  {
    desk::Answerer user("#32770", [&](HWND dialog) {
      typed = desk::SetFocusText(dialog, "wintest take.moravellepreset");
      desk::PostKey(dialog, VK_RETURN);
    });
    Click(s.editor, kLoadButtonX, kPresetRowY);
    EXPECT_TRUE(desk::PumpUntil(
        [&] { return user.Answered() && NoDialogOrMenu() && s.plugin->GetParameter(kRoomSize) == roomInFile; }));
    EXPECT_TRUE(user.Finish());
  }
  EXPECT_TRUE(typed);
  EXPECT_EQ(Mismatches(s, inFile, 1e-6f), 0);

  // Cancelled SAVE and LOAD change neither the file nor a value.
  DragUp(s.editor, kRoomKnobX, kRoomKnobY, 10);
  const std::vector<float> before = SoundParameters(s);
  const std::string text = FileText(file);
  for (int button : {kSaveButtonX, kLoadButtonX}) {
    desk::Answerer user("#32770", [](HWND dialog) { desk::PostKey(dialog, VK_ESCAPE); });
    Click(s.editor, button, kPresetRowY);
    EXPECT_TRUE(desk::PumpUntil([&] { return user.Answered() && NoDialogOrMenu(); })) << button;
  }
  desk::PumpFor(200);
  EXPECT_EQ(SoundParameters(s), before);
  EXPECT_EQ(FileText(file), text);
  s.Close();
  DeleteFileA(file.c_str());
}

}  // namespace
