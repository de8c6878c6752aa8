// moravelle-render driving the VST3 bundle (the default target): the same audio as the
// effect compiled in and as the VST2 binary, its 33 parameters with IDs, plain values
// checked against the controller's ranges, and bundles that cannot be loaded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render_test_files.h"
#include "rendered_files_test.h"

namespace fs = std::filesystem;

namespace {

const std::string kBundle = MORAVELLE_VST3_BUNDLE_PATH;

class RenderVst3 : public RenderedFilesTest {
 protected:
  void ExpectOneLineLoadError(const std::string& plugin, const std::string& reason) const {
    SCOPED_TRACE(plugin);
    const CommandResult result = Run({"--plugin", plugin, "-o", Path("out.wav")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind("moravelle-render: cannot load plug-in '" + plugin + "': ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
};

struct ListedParam {
  int index = -1;
  std::string id, name;
  double minimum = 0, maximum = 0, defaultValue = 0;
};

// The parameter lines of a VST3 --list-params listing.
std::vector<ListedParam> ListedParams(const std::string& listing) {
  std::vector<ListedParam> params;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#' || line.find("index") != std::string::npos) continue;
    std::istringstream words(line);
    ListedParam param;
    words >> param.index >> param.id >> param.name >> param.minimum >> param.maximum >> param.defaultValue;
    params.push_back(param);
  }
  return params;
}

TEST_F(RenderVst3, DefaultRenderGoesThroughTheBundleBitForBitAsInProcessAndVst2) {
  // Values whose normalised form does not map back exactly by plain arithmetic
  // (ranges other than 0..1) are among them, and block sizes that do not divide the input.
  const std::vector<std::vector<std::string>> settings = {
      {},
      {"--param", "ReverbDamp=0.3", "--param", "PreampInputMode=3", "--param", "ReverbRoomSize=0.123456789",
       "--param", "MidiChannelInput=8.9", "--param", "PresetSelector=-1", "--block-size", "64"},
      {"--param", "ReverbOffOn=1", "--param", "ReverbDecayTime=0.4", "--param", "AmpFilterMode=2", "--param",
       "ReverbPreDelay=0.05", "--param", "ReverbPanorama=0.2", "--block-size", "300"},
      {"--param", "PreampClippingOffOn=1", "--param", "PreampClippingGain=0.8", "--param", "AmpClippingOffOn=1",
       "--param", "PreampInputMode=1.95", "--block-size", "4096"}};
  for (const char* precision : {"64", "32"}) {
    for (size_t s = 0; s < settings.size(); ++s) {
      SCOPED_TRACE(std::string(precision) + "-bit, settings " + std::to_string(s));
      std::vector<std::string> args = settings[s];
      args.insert(args.end(), {"--precision", precision});
      std::vector<std::string> inProcess = args, vst2 = args, bundle = args;
      inProcess.push_back("--in-process");
      vst2.insert(vst2.end(), {"--plugin", MORAVELLE_VST2_BINARY});
      bundle.insert(bundle.end(), {"--plugin", kBundle + "/"});
      const std::string expected = Render("inprocess.w64", inProcess);
      ASSERT_GT(expected.size(), 8u * 2 * kRate);
      EXPECT_TRUE(Render("default.w64", args) == expected);
      EXPECT_TRUE(Render("bundle.w64", bundle) == expected);
      EXPECT_TRUE(Render("vst2.w64", vst2) == expected);
    }
  }
  // The values reach the plug-in: a different one gives a different file.
  EXPECT_FALSE(Render("a.w64", {"--param", "ReverbDamp=0.3"}) == Render("b.w64", {"--param", "ReverbDamp=0.6"}));
}

TEST_F(RenderVst3, SixtyFourBitPathHandsTheProcessorSixtyFourBitSamples) {
  const std::string wide = Render("p64.w64", {"--precision", "64"});
  ASSERT_FALSE(wide.empty());
  EXPECT_FALSE(wide == Render("p32.w64", {"--precision", "32"}));
  const CommandResult listing = Run({"--list-params"});
  EXPECT_NE(listing.out.find("64-bit path: 64-bit samples"), std::string::npos) << listing.out;
}

TEST_F(RenderVst3, ListParamsShowsAllThirtyThreeWithIdsAndRanges) {
  const CommandResult listing = Run({"--list-params"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  EXPECT_EQ(listing.out.rfind("# Moravelle by PellionAudio (" + kBundle + ")\n", 0), 0u) << listing.out;
  EXPECT_NE(listing.out.find("# --param values: plain values"), std::string::npos);
  const std::vector<ListedParam> params = ListedParams(listing.out);
  ASSERT_EQ(params.size(), 33u) << listing.out;
  EXPECT_EQ(params[0].id, "0x70727374");
  EXPECT_EQ(params[0].name, "Preset");
  EXPECT_EQ(params[1].id, "0x62706173");
  EXPECT_EQ(params[1].name, "Bypass");

  // The effect's 31 follow with IDs 0..30, and the controller's ranges are the effect's own.
  const CommandResult inProcess = Run({"--list-params", "--in-process"});
  ASSERT_EQ(inProcess.exitCode, 0);
  std::istringstream lines(inProcess.out);
  std::string line;
  std::getline(lines, line);  // header
  for (int i = 0; i < 31; ++i) {
    ASSERT_TRUE(std::getline(lines, line));
    std::istringstream words(line);
    ListedParam own;
    words >> own.index >> own.name >> own.minimum >> own.maximum >> own.defaultValue;
    const ListedParam& listed = params[static_cast<size_t>(i) + 2];
    SCOPED_TRACE(own.name);
    EXPECT_EQ(listed.index, i + 2);
    EXPECT_EQ(std::stoul(listed.id, nullptr, 16), static_cast<unsigned long>(i));
    EXPECT_EQ(listed.name, own.name);
    EXPECT_EQ(listed.minimum, own.minimum);
    EXPECT_EQ(listed.maximum, own.maximum);
    EXPECT_EQ(listed.defaultValue, own.defaultValue);
  }
  EXPECT_NE(listing.out.find("AmpMainBlend                      0          1        0.3  0.30000"), std::string::npos)
      << listing.out;
}

TEST_F(RenderVst3, ValuesOutsideTheControllersRangeOrStepsAreErrors) {
  const struct {
    std::vector<std::string> params;
    const char* reason;
  } cases[] = {
      {{"--param", "ReverbRoomSize=2"}, "value 2 for ReverbRoomSize is outside its range 0..1"},
      {{"--param", "MidiChannelInput=0.5"}, "value 0.5 for MidiChannelInput is outside its range 1..16"},
      {{"--param", "Bypass=0.5"}, "value 0.5 for Bypass becomes 1 in the plug-in (it takes whole steps)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {input_, "-o", Path("out.wav")};
    args.insert(args.end(), c.params.begin(), c.params.end());
    const CommandResult result = Run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
  // Bypass on passes the input through: the rendered file starts with the input itself.
  ASSERT_FALSE(Render("bypassed.w64", {"--param", "Bypass=1"}).empty());
  const AudioFileContents in = ReadAudioFile(input_), out = ReadAudioFile(Path("bypassed.w64"));
  ASSERT_EQ(out.Frames(), in.Frames() + kRate);
  for (size_t i = 0; i < in.samples.size(); ++i) ASSERT_EQ(out.samples[i], in.samples[i]) << i;
}

TEST_F(RenderVst3, UnloadableBundlesAreAOneLineErrorAndWriteNothing) {
  ExpectOneLineLoadError(Path("Missing.vst3"), "No such file or directory");
  fs::create_directories(Path("Empty.vst3/Contents/x86_64-linux"));
  ExpectOneLineLoadError(Path("Empty.vst3"), "the bundle has no Contents/x86_64-linux/*.so");
  fs::create_directories(Path("Junk.vst3/Contents/x86_64-linux"));
  {
    std::ofstream junk(Path("Junk.vst3/Contents/x86_64-linux/Junk.so"));
    junk << "not a shared object\n";
  }
  ExpectOneLineLoadError(Path("Junk.vst3"), "Junk.so");
  // A VST2 binary is not a VST3 module.
  fs::create_directories(Path("Wrong.vst3/Contents/x86_64-linux"));
  fs::copy_file(MORAVELLE_VST2_BINARY, Path("Wrong.vst3/Contents/x86_64-linux/Wrong.so"));
  ExpectOneLineLoadError(Path("Wrong.vst3"), "ModuleEntry");
  const CommandResult listing = Run({"--plugin", Path("Missing.vst3"), "--list-params"});
  EXPECT_EQ(listing.exitCode, 1);
  EXPECT_EQ(listing.out, "");
}

TEST_F(RenderVst3, RenamedBundleFindsItsBinary) {
  // A copied bundle keeps the binary's own name inside it.
  const fs::path binaryFolder = fs::path(kBundle) / "Contents" / "x86_64-linux";
  fs::create_directories(Path("Hall.vst3/Contents/x86_64-linux"));
  fs::copy_file(binaryFolder / "Moravelle.so", Path("Hall.vst3/Contents/x86_64-linux/Moravelle.so"));
  EXPECT_TRUE(Render("copy.w64", {"--plugin", Path("Hall.vst3")}) == Render("default.w64", {}));
}

}  // namespace

// A renderer copied elsewhere finds its plug-in relative to itself: next to the
// executable first, then where the build tree puts it, then the user's ~/.vst3; and
// with none of them it says where it looked instead of loading something stale.
TEST_F(RenderVst3, RelocatedRendererFindsItsPluginRelativeToItself) {
  const fs::path tree = Path("tree"), bin = tree / "tools" / "render", home = Path("home");
  fs::create_directories(bin);
  fs::create_directories(home);
  const std::string exe = (bin / "moravelle-render").string();
  fs::copy_file(MORAVELLE_RENDER_EXE, exe);
  fs::permissions(exe, fs::perms::owner_exec, fs::perm_options::add);
  for (const char* installed : {"/usr/local/lib/vst3/Moravelle.vst3", "/usr/lib/vst3/Moravelle.vst3"})
    if (fs::exists(installed)) GTEST_SKIP() << installed << " is installed on this machine";

  auto source = [&](const std::vector<std::string>& arguments) {
    const CommandResult result = RunRendererAt(exe, arguments, dir_, home.string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const size_t through = result.out.find(" through ");
    return through == std::string::npos ? result.out : result.out.substr(through + 1, result.out.find('\n') - through - 1);
  };
  const std::vector<std::string> render = {"-o", Path("out.wav"), "--tail", "0", "-q"};

  const fs::path besideExe = bin / "Moravelle.vst3", inTree = tree / "plugins" / "Moravelle.vst3",
                 inHome = home / ".vst3" / "Moravelle.vst3";
  fs::create_directories(inTree.parent_path());
  fs::create_directories(inHome.parent_path());
  for (const fs::path& link : {besideExe, inTree, inHome}) fs::create_directory_symlink(kBundle, link);
  EXPECT_EQ(source(render), "through " + besideExe.string());
  fs::remove(besideExe);
  EXPECT_EQ(source(render), "through " + inTree.string());
  fs::remove(inTree);
  EXPECT_EQ(source(render), "through " + inHome.string());
  fs::remove(inHome);

  fs::remove(Path("out.wav"));
  const CommandResult none = RunRendererAt(exe, render, dir_, home.string());
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("no Moravelle.vst3 found (looked in " + besideExe.string() + ", " + inTree.string()),
            std::string::npos)
      << none.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));
  EXPECT_EQ(source({"--in-process", "-o", Path("in-process.wav"), "--tail", "0", "-q"}),
            "through the effect compiled into moravelle-render");
}
