// moravelle-render with presets: a factory preset selected through each route (the
// effect compiled in, the VST2 binary, the VST3 bundle) from a temporary library,
// preset files against the same values given as --param, the order of preset and
// --param, and the errors and listing a user sees.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render_test_files.h"
#include "rendered_files_test.h"
#include "tests/support/factory_preset_library.h"

namespace fs = std::filesystem;

namespace {

const std::string kVst2 = MORAVELLE_VST2_BINARY;
const std::string kBundle = MORAVELLE_VST3_BUNDLE_PATH;
constexpr const char* kDeeper = "DRUM - Deeper";

// A scratch folder that is the documents folder, with the factory presets installed
// in its library the way `cmake --install` puts them.
class RenderPreset : public RenderedFilesTest {
 protected:
  void SetUp() override {
    RenderedFilesTest::SetUp();
    const char* previous = getenv("XDG_DOCUMENTS_DIR");
    hadDocuments_ = previous != nullptr;
    if (hadDocuments_) previousDocuments_ = previous;
    documents_ = dir_ / "documents";
    factory_ = InstallFactoryPresets(documents_);
    setenv("XDG_DOCUMENTS_DIR", documents_.c_str(), 1);
  }
  void TearDown() override {
    if (hadDocuments_) setenv("XDG_DOCUMENTS_DIR", previousDocuments_.c_str(), 1);
    else unsetenv("XDG_DOCUMENTS_DIR");
    RenderedFilesTest::TearDown();
  }

  std::string WritePreset(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }

  fs::path documents_, factory_;
  bool hadDocuments_ = false;
  std::string previousDocuments_;
};

TEST_F(RenderPreset, FactoryPresetSoundsTheSameThroughEveryRouteAsItsFile) {
  const std::string inProcess = Render("in.w64", {"--in-process", "--preset", kDeeper});
  ASSERT_FALSE(inProcess.empty());
  EXPECT_EQ(Render("vst2.w64", {"--plugin", kVst2, "--preset", kDeeper}), inProcess);
  EXPECT_EQ(Render("vst3.w64", {"--plugin", kBundle, "--preset", kDeeper}), inProcess);
  // The plug-in's own loading gives what reading the file here gives.
  const std::string file = (factory_ / (std::string(kDeeper) + ".moravellepreset")).string();
  EXPECT_EQ(Render("file.w64", {"--in-process", "--preset", file}), inProcess);
  // And it is a preset, not the renderer's audible defaults nor another preset.
  EXPECT_NE(Render("plain.w64", {"--in-process"}), inProcess);
  EXPECT_NE(Render("other.w64", {"--in-process", "--preset", "DRUM - Big Punch"}), inProcess);
}

TEST_F(RenderPreset, PresetFileEqualsItsValuesGivenAsParams) {
  // Values that single precision holds exactly, in any order, one out of range
  // (clamped, as the plug-in clamps), header left out, unknown elements ignored.
  const std::string preset = WritePreset(
      "mine.moravellepreset",
      "<ReverbRoomSize>0.75</ReverbRoomSize><ReverbOffOn>1</ReverbOffOn><ReverbDamp>7</ReverbDamp>"
      "<ReverbDecayTime>0.125</ReverbDecayTime><ReverbLateReverberation>0.5</ReverbLateReverberation>"
      "<AmpFilterMode>2</AmpFilterMode><AmpMainBlend>0.625</AmpMainBlend><Colour>9</Colour>"
      "<PreampClippingOffOn>1</PreampClippingOffOn><PreampClippingGain>0.25</PreampClippingGain>");
  const std::vector<std::string> params = {
      "--param", "ReverbRoomSize=0.75",  "--param", "ReverbOffOn=1",         "--param", "ReverbDamp=1",
      "--param", "ReverbDecayTime=0.125", "--param", "ReverbLateReverberation=0.5", "--param", "AmpFilterMode=2",
      "--param", "AmpMainBlend=0.625",   "--param", "PreampClippingOffOn=1", "--param", "PreampClippingGain=0.25"};
  std::vector<std::string> asParams = {"--in-process"};
  asParams.insert(asParams.end(), params.begin(), params.end());
  const std::string expected = Render("params.w64", asParams);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Render("file.w64", {"--in-process", "--preset", preset}), expected);
  EXPECT_EQ(Render("vst2.w64", {"--plugin", kVst2, "--preset", preset}), expected);
  EXPECT_EQ(Render("vst3.w64", {"--plugin", kBundle, "--preset", preset}), expected);
}

TEST_F(RenderPreset, ParamsApplyAfterThePreset) {
  // Switching the preset's master switch off afterwards passes the input through.
  const std::string dry = Render("dry.w64", {"--in-process", "--param", "ReverbOffOn=0"});
  EXPECT_EQ(Render("vst2.w64", {"--plugin", kVst2, "--preset", kDeeper, "--param", "ReverbOffOn=0"}), dry);
  EXPECT_EQ(Render("vst3.w64", {"--plugin", kBundle, "--preset", kDeeper, "--param", "ReverbOffOn=0"}), dry);
  // A changed value differs from the preset alone.
  EXPECT_NE(Render("room.w64", {"--in-process", "--preset", kDeeper, "--param", "ReverbRoomSize=0.9"}),
            Render("deeper.w64", {"--in-process", "--preset", kDeeper}));
}

TEST_F(RenderPreset, WrongOrMissingPresetsAreErrorsBeforeTheOutputIsTouched) {
  struct Case {
    std::string preset, message;
  };
  const std::string lineBreak = WritePreset("ends.moravellepreset", "<ReverbDamp>0.5</ReverbDamp>\n");
  const std::string nothing = WritePreset("nothing.moravellepreset", "<Colour>1</Colour>");
  const std::string huge = WritePreset("huge.moravellepreset", std::string(70000, 'x'));
  // Something in the preset's place in the library is the user's, and the plug-in would
  // load nothing from it: no factory file stands in.
  fs::remove(factory_ / "SCAPE - Space Drops.moravellepreset");
  fs::create_directory(factory_ / "SCAPE - Space Drops.moravellepreset");
  const std::vector<Case> cases = {
      {"drum deeper", "no preset file or factory preset named 'drum deeper' (did you mean 'DRUM - Deeper'?)"},
      {"SCAPE - Space Drop", "(did you mean 'SCAPE - Space Drops'?)"},
      {"SCAPE - Space Drops", "factory preset 'SCAPE - Space Drops' is not installed"},
      {lineBreak, "holds no preset"},
      {nothing, "holds no parameter values"},
      {huge, "longer than 64 KiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preset);
    const CommandResult result = Run({input_, "-o", Path("out.wav"), "--in-process", "--preset", c.preset});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
}

TEST_F(RenderPreset, OnlyMoravelleTakesPresets) {
  const CommandResult result =
      Run({input_, "-o", Path("out.wav"), "--plugin", MORAVELLE_ODD_MONO_IN_PLUGIN, "--preset", kDeeper});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("--preset needs Moravelle"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));
}

TEST_F(RenderPreset, ListShowsTheCatalogueAndWhereEachPresetComesFrom) {
  fs::remove(factory_ / (std::string(kDeeper) + ".moravellepreset"));
  fs::remove(factory_ / "SCAPE - Space Drops.moravellepreset");
  fs::create_directory(factory_ / "SCAPE - Space Drops.moravellepreset");
  const CommandResult result = Run({"--list-presets"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("# library " + documents_.string() + "/PellionAudio/Moravelle/Presets/"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("# built " MORAVELLE_FACTORY_PRESET_SOURCE_DIR "/ (for a preset not installed)\n"),
            std::string::npos)
      << result.out;
  std::istringstream lines(result.out);
  std::string line;
  int rows = 0, built = 0, missing = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#' || line.find("number") != std::string::npos) continue;
    ++rows;
    if (line.find(" built ") != std::string::npos) {
      ++built;
      EXPECT_NE(line.find("10  Drums"), std::string::npos) << line;
    }
    if (line.find(" missing ") != std::string::npos) {
      ++missing;
      EXPECT_NE(line.find("30  Scapes"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(rows, 31);
  EXPECT_EQ(built, 1);
  EXPECT_EQ(missing, 1);
  EXPECT_NE(result.out.find("    28  Scapes   installed  SCAPE - Shadow Flares 1\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("     1  Main     installed  WLCM - Inside The First Room\n"), std::string::npos);
}

// A fresh clone: nothing installed in the documents folder yet.
TEST_F(RenderPreset, PresetNotInstalledIsReadFromTheSourceTreeAsItsFileWouldBe) {
  fs::remove_all(documents_ / "PellionAudio");
  const std::string source = std::string(MORAVELLE_FACTORY_PRESET_SOURCE_DIR) + "/" + kDeeper + ".moravellepreset";
  const std::string asFile = Render("file.w64", {"--preset", source});
  ASSERT_FALSE(asFile.empty());
  // The default target, as tools/demo.sh renders, and the effect compiled in.
  EXPECT_EQ(Render("name.w64", {"--preset", kDeeper}), asFile);
  EXPECT_EQ(Render("in.w64", {"--in-process", "--preset", kDeeper}),
            Render("in-file.w64", {"--in-process", "--preset", source}));
  const CommandResult result = Run({input_, "-o", Path("out.w64"), "-q", "--preset", kDeeper});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("preset \"DRUM - Deeper\" from " + source + " (not installed in the library)\n", 0), 0u)
      << result.out;
}

TEST_F(RenderPreset, InstalledFileWinsAndThePluginLoadsIt) {
  // Deeper's place in the library holds Big Punch: the plug-in's load gives Big Punch.
  const std::string punch = std::string(MORAVELLE_FACTORY_PRESET_SOURCE_DIR) + "/DRUM - Big Punch.moravellepreset";
  fs::copy_file(punch, factory_ / (std::string(kDeeper) + ".moravellepreset"), fs::copy_options::overwrite_existing);
  EXPECT_EQ(Render("name.w64", {"--preset", kDeeper}), Render("punch.w64", {"--preset", punch}));
  const CommandResult result = Run({input_, "-o", Path("out.w64"), "-q", "--preset", kDeeper});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find("preset \""), std::string::npos) << result.out;
}

TEST_F(RenderPreset, InstalledRendererReadsTheInstallationsFactoryFiles) {
  // <prefix>/bin/moravelle-render with <prefix>/share/moravelle/presets/Factory holding,
  // in Deeper's place, Big Punch: the installation's file comes before the source tree's.
  fs::remove_all(documents_ / "PellionAudio");
  const fs::path prefix = dir_ / "prefix";
  const fs::path shared = prefix / "share" / "moravelle" / "presets" / "Factory";
  fs::create_directories(prefix / "bin");
  fs::create_directories(shared);
  fs::copy_file(MORAVELLE_RENDER_EXE, prefix / "bin" / "moravelle-render");
  const std::string punch = std::string(MORAVELLE_FACTORY_PRESET_SOURCE_DIR) + "/DRUM - Big Punch.moravellepreset";
  const fs::path installed = shared / (std::string(kDeeper) + ".moravellepreset");
  fs::copy_file(punch, installed);
  const CommandResult result = RunRendererAt((prefix / "bin" / "moravelle-render").string(),
                                             {input_, "-o", Path("name.w64"), "--format", "float64", "--tail", "1",
                                              "-q", "--in-process", "--preset", kDeeper},
                                             dir_);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("from " + installed.string() + " (not installed in the library)"), std::string::npos)
      << result.out;
  EXPECT_EQ(ReadWholeFile(Path("name.w64")), Render("punch.w64", {"--in-process", "--preset", punch}));
}

}  // namespace
