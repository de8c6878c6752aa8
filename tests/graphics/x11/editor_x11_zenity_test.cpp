// The LOAD and SAVE buttons of the built plug-ins with the desktop's real file
// dialog: the editor starts zenity, a user thread answers it with xdotool, and
// the test's thread runs the host's loop the whole time, as a host's
// interface thread would.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "module_sessions.h"
#include "zenity_user.h"

using namespace vst3;

namespace {

// A folder of the test's own for the presets it writes, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    char name[] = "/tmp/moravelle-zenity-XXXXXX";
    path_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  int FileCount() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) count += entry.is_regular_file() ? 1 : 0;
    return count;
  }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Every value but the LOAD and SAVE buttons' own, which toggle on every answer
// (a cancel included) to tell the plug-in that the dialog returned.
std::vector<float> SoundValues(Vst2HostedPlugin& plugin) {
  std::vector<float> values;
  for (int i = 0; i < plugin.NumParams(); ++i)
    if (i != kPresetLoad && i != kPresetSave) values.push_back(plugin.GetParameter(i));
  return values;
}

// Clicks a file button and answers the dialog it opens at once.
void AnswerDialog(Vst2Session& s, int buttonX, const std::string& path) {
  xdesk::ZenityUser user(path);
  user.Answer();
  s.Click(buttonX, kFileButtonY);
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return user.DialogGone(); }));
  // Reaped (a zombie still counts as a child) by the editor's idle, which
  // then completed the button's action.
  EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return xdesk::ChildProcesses("zenity").empty(); }));
}

TEST(EditorX11Zenity, Vst2SaveWritesTheValuesLoadBringsThemBackAndCancelChangesNothing) {
  Vst2Session s;
  ASSERT_TRUE(s.plugin);
  ASSERT_TRUE(s.Open());
  TempFolder folder;
  const std::string path = folder.File("zenity-take.moravellepreset");
  s.plugin->SetParameter(kReverbDamp, 0.625f);
  s.plugin->SetParameter(kRoomSize, 0.375f);
  xdesk::PumpFor(s.step, 100);
  {
    xdesk::ZenityUser user(path);
    s.Click(kSaveButtonX, kFileButtonY);
    ASSERT_TRUE(xdesk::PumpUntil(s.step, [&] { return user.DialogShown(); }));
    // The host's loop runs on while the dialog is open: a host change is redrawn.
    xdesk::PumpFor(s.step, 100);
    const std::vector<uint32_t> before = s.Pixels();
    s.plugin->SetParameter(kMainVolume, 0.9f);
    EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return s.Pixels() != before; }, 2000));
    EXPECT_EQ(xdesk::ChildProcesses("zenity").size(), 1u);
    EXPECT_FALSE(user.DialogGone());
    EXPECT_FALSE(std::filesystem::exists(path));
    user.Answer();
    EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return user.DialogGone() && std::filesystem::exists(path); }));
  }
  const std::string saved = ReadAll(path);
  EXPECT_NE(saved.find("<ReverbDamp>"), std::string::npos) << saved;

  // Changed, then loaded: the saved values are back.
  s.plugin->SetParameter(kReverbDamp, 0.125f);
  s.plugin->SetParameter(kRoomSize, 0.875f);
  AnswerDialog(s, kLoadButtonX, path);
  EXPECT_NEAR(s.plugin->GetParameter(kReverbDamp), 0.625f, 1e-5);
  EXPECT_NEAR(s.plugin->GetParameter(kRoomSize), 0.375f, 1e-5);

  // Cancelled, neither button changes a value or a file, though both have
  // that file as their last choice and the values now differ from it.
  s.plugin->SetParameter(kReverbDamp, 0.25f);
  xdesk::PumpFor(s.step, 100);
  const std::vector<float> values = SoundValues(*s.plugin);
  AnswerDialog(s, kSaveButtonX, "");
  AnswerDialog(s, kLoadButtonX, "");
  EXPECT_EQ(SoundValues(*s.plugin), values);
  EXPECT_EQ(ReadAll(path), saved);
  EXPECT_EQ(folder.FileCount(), 1);
  EXPECT_TRUE(xdesk::ChildProcesses("zenity").empty());
  s.Close();
}

TEST(EditorX11Zenity, Vst3LoadBringsInThePresetChosen) {
  Vst3Session s;
  ASSERT_NE(s.view, nullptr);
  ASSERT_EQ(s.view->setFrame(s.frame), kResultOk);
  ASSERT_EQ(s.view->attached(s.window.Handle(), kPlatformTypeX11EmbedWindowID), kResultTrue);
  xdesk::PumpFor(s.step, 100);
  // Both differ from the preset's before it loads.
  EXPECT_GT(std::fabs(s.host->ParamNormalized(kAmpClippingGain) - 0.3), 0.01);
  EXPECT_GT(std::fabs(s.host->ParamNormalized(kReverbDamp) - 0.2), 0.01);
  {
    xdesk::ZenityUser user(std::string(MORAVELLE_FACTORY_PRESETS) + "/DRUM - Big Punch.moravellepreset");
    xdesk::MoveTo(kLoadButtonX, kFileButtonY);
    xdesk::Clicks(1, 1);
    ASSERT_TRUE(xdesk::PumpUntil(s.step, [&] { return user.DialogShown(); }));
    user.Answer();
    EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return std::fabs(s.host->ParamNormalized(kReverbDamp) - 0.2) < 1e-6; }));
    EXPECT_TRUE(xdesk::PumpUntil(s.step, [&] { return user.DialogGone(); }));
  }
  EXPECT_NEAR(s.host->ParamNormalized(kAmpClippingGain), 0.3, 1e-6);
  EXPECT_EQ(s.view->removed(), kResultOk);
  EXPECT_TRUE(xdesk::ChildProcesses("zenity").empty());
}

}  // namespace
