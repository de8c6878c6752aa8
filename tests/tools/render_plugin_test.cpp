// moravelle-render driving VST2 binaries: Moravelle.so against the effect compiled in
// and the default (VST3) render, parameter listing, unloadable binaries, and a
// third-party plug-in when one is installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "render_test_files.h"
#include "rendered_files_test.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDragonflyRoom = "/usr/lib/lxvst/DragonflyRoomReverb-vst.so";

class RenderPlugin : public RenderedFilesTest {};

// The parameter names of a --list-params listing, in order, without comment or header lines.
std::vector<std::string> ListedNames(const std::string& listing) {
  std::vector<std::string> names;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#' || line.find("index") != std::string::npos) continue;
    std::istringstream words(line);
    int index = -1;
    std::string name;
    words >> index >> name;
    EXPECT_EQ(index, static_cast<int>(names.size())) << line;
    names.push_back(name);
  }
  return names;
}

TEST_F(RenderPlugin, BinaryRenderIsBitIdenticalToTheInProcessEffect) {
  // The same effect code behind the VST2 interface: the audible defaults, plain values
  // given as text, and both buffer paths must come out exactly as in-process.
  const std::vector<std::vector<std::string>> settings = {
      {},
      {"--param", "ReverbDamp=0.3", "--param", "PreampInputMode=3", "--param", "ReverbRoomSize=0.123456789"},
      {"--param", "ReverbOffOn=1", "--param", "ReverbDecayTime=0.4", "--block-size", "300"}};
  for (const char* precision : {"64", "32"}) {
    for (size_t s = 0; s < settings.size(); ++s) {
      SCOPED_TRACE(std::string(precision) + "-bit, settings " + std::to_string(s));
      std::vector<std::string> args = settings[s];
      args.insert(args.end(), {"--precision", precision});
      const std::string byDefault = Render("default.w64", args);
      std::vector<std::string> named = args, inProcess = args;
      named.insert(named.end(), {"--plugin", MORAVELLE_VST2_BINARY});
      inProcess.push_back("--in-process");
      const std::string expected = Render("inprocess.w64", inProcess);
      ASSERT_GT(expected.size(), 8u * 2 * kRate);
      EXPECT_TRUE(byDefault == expected);
      EXPECT_TRUE(Render("named.w64", named) == expected);
    }
  }
  // And the settings matter: a different value gives a different file.
  EXPECT_FALSE(Render("a.w64", {"--param", "ReverbDamp=0.3"}) == Render("b.w64", {"--param", "ReverbDamp=0.6"}));
}

TEST_F(RenderPlugin, SixtyFourBitPathReachesTheBinarysDoubleProcessing) {
  // Converted to 32 bits anywhere, the 64-bit render would round like the 32-bit one.
  const std::string wide = Render("p64.w64", {"--precision", "64", "--plugin", MORAVELLE_VST2_BINARY});
  const std::string narrow = Render("p32.w64", {"--precision", "32", "--plugin", MORAVELLE_VST2_BINARY});
  ASSERT_FALSE(wide.empty());
  EXPECT_FALSE(wide == narrow);
  const CommandResult listing = Run({"--list-params", "--plugin", MORAVELLE_VST2_BINARY});
  EXPECT_NE(listing.out.find("64-bit path: processDoubleReplacing"), std::string::npos) << listing.out;
}

TEST_F(RenderPlugin, ListParamsThroughTheBinaryShowsItsThirtyOneParameters) {
  const CommandResult binary = Run({"--list-params", "--plugin", MORAVELLE_VST2_BINARY});
  ASSERT_EQ(binary.exitCode, 0) << binary.err;
  const CommandResult inProcess = Run({"--list-params", "--in-process"});
  ASSERT_EQ(inProcess.exitCode, 0);
  const std::vector<std::string> names = ListedNames(binary.out);
  ASSERT_EQ(names.size(), 31u) << binary.out;
  EXPECT_EQ(names, ListedNames(inProcess.out));
  EXPECT_EQ(names[5], "AmpMainBlend");
  EXPECT_EQ(names[21], "PresetSelector");

  EXPECT_EQ(binary.out.rfind("# Moravelle by PellionAudio (" + std::string(MORAVELLE_VST2_BINARY) + ")\n", 0), 0u)
      << binary.out;
  EXPECT_NE(binary.out.find("# --param values: numbers the plug-in reads as text"), std::string::npos);
  // Display text as the plug-in shows it, then the normalised default (0.3 of 0..1).
  EXPECT_NE(binary.out.find("    5  AmpMainBlend             0.30000                       0.3\n"), std::string::npos)
      << binary.out;
}

TEST_F(RenderPlugin, ValuesTheBinaryClampsAreErrors) {
  const CommandResult result =
      Run({input_, "-o", Path("out.wav"), "--plugin", MORAVELLE_VST2_BINARY, "--param", "ReverbRoomSize=2"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("value 2 for ReverbRoomSize is outside the plug-in's range (it holds 1.00000)"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));
  // The edges of the range are taken.
  EXPECT_EQ(Run({input_, "-o", Path("out.wav"), "--plugin", MORAVELLE_VST2_BINARY, "--param", "ReverbRoomSize=1",
                 "--param", "PresetSelector=-1"})
                .exitCode,
            0);
}

TEST_F(RenderPlugin, UnloadableBinaryIsAOneLineErrorAndWritesNothing) {
  {
    std::ofstream notAPlugin(Path("notes.so"));
    notAPlugin << "not a shared object\n";
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Path("missing.so"), "No such file or directory"}, {Path("notes.so"), "notes.so"}};
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"-o", Path("out.wav")}, std::vector<std::string>{"--list-params"}}) {
      std::vector<std::string> args = {"--plugin", path};
      args.insert(args.end(), extra.begin(), extra.end());
      const CommandResult result = Run(args);
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_EQ(result.err.rfind("moravelle-render: cannot load plug-in '" + path + "': ", 0), 0u) << result.err;
      EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
      EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
      EXPECT_EQ(result.out, "");
    }
  }
  EXPECT_FALSE(fs::exists(Path("out.wav")));
  const CommandResult both = Run({"--plugin", MORAVELLE_VST2_BINARY, "--in-process", "-o", Path("out.wav")});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
}

// The renderer's stereo pair against plug-ins that are not stereo (see odd_channel_plugin.cpp).
TEST_F(RenderPlugin, StereoIsMappedOntoOtherChannelLayouts) {
  const AudioFileContents in = ReadAudioFile(input_);
  ASSERT_EQ(in.channels, 2);
  const float gain = 0.25f;
  struct Layout {
    const char* plugin;
    // The renderer's left and right output for one input frame, computed as the plug-in does.
    std::pair<float, float> (*expected)(float left, float right, float gain);
  } layouts[] = {
      // One input gets the average of the pair; of three outputs the first two are kept.
      {MORAVELLE_ODD_MONO_IN_PLUGIN,
       [](float l, float r, float g) {
         const float mono = (l + r) / 2.0f;
         return std::pair<float, float>(g * mono * 1.0f, g * mono * 2.0f);
       }},
      // Inputs beyond the pair get silence; one output goes to both sides.
      {MORAVELLE_ODD_MONO_OUT_PLUGIN,
       [](float l, float r, float g) {
         float sum = 0.0f;
         sum += 1.0f * l;
         sum += 10.0f * r;
         sum += 100.0f * 0.0f;
         sum += 1000.0f * 0.0f;
         const float out = g * sum * 1.0f;
         return std::pair<float, float>(out, out);
       }},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.plugin);
    // No processDoubleReplacing: both paths go through the same 32-bit buffers.
    const std::string wide = Render("p64.w64", {"--plugin", layout.plugin, "--param", "Gain=0.25"});
    const std::string narrow =
        Render("p32.w64", {"--plugin", layout.plugin, "--param", "Gain=0.25", "--precision", "32"});
    ASSERT_FALSE(wide.empty());
    EXPECT_TRUE(wide == narrow);
    const AudioFileContents out = ReadAudioFile(Path("p64.w64"));
    ASSERT_EQ(out.Frames(), in.Frames() + kRate);  // and a second of tail
    for (long f = 0; f < out.Frames(); ++f) {
      const bool tail = f >= in.Frames();
      const auto [left, right] =
          layout.expected(tail ? 0.0f : in.samples[2 * f], tail ? 0.0f : in.samples[2 * f + 1], gain);
      ASSERT_EQ(out.samples[2 * f], left) << f;
      ASSERT_EQ(out.samples[2 * f + 1], right) << f;
    }
    const CommandResult listing = Run({"--plugin", layout.plugin, "--list-params"});
    EXPECT_NE(listing.out.find("64-bit path: converted to 32-bit processReplacing"), std::string::npos)
        << listing.out;
  }
}

TEST_F(RenderPlugin, ThirdPartyPluginRendersWithNormalisedValues) {
  if (!fs::exists(kDragonflyRoom))
    GTEST_SKIP() << kDragonflyRoom << " is not installed (apt-get install dragonfly-reverb-vst to run this test)";

  const CommandResult listing = Run({"--plugin", kDragonflyRoom, "--list-params"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  EXPECT_NE(listing.out.find("# --param values: normalised host values 0..1"), std::string::npos) << listing.out;
  const std::vector<std::string> names = ListedNames(listing.out);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "Dry");  // "Dry Level": the listing's first word

  // All dry, all late reverb: nothing at the start but a tail after the input ends.
  const std::vector<std::string> wetOnly = {"--plugin", kDragonflyRoom, "--param", "Dry Level=0", "--param",
                                            "Late Level=1", "--tail", "1", "-o", Path("room.wav")};
  std::vector<std::string> args = {input_};
  args.insert(args.end(), wetOnly.begin(), wetOnly.end());
  const CommandResult render = Run(args);
  ASSERT_EQ(render.exitCode, 0) << render.err;
  const AudioFileContents out = ReadAudioFile(Path("room.wav"));
  ASSERT_EQ(out.Frames(), kRate / 2 + kRate);
  double tail = 0.0;
  for (size_t i = 2u * kRate / 2; i < out.samples.size(); ++i) tail += std::fabs(out.samples[i]);
  EXPECT_GT(tail, 1.0);

  // Normalised values outside 0..1 are refused before anything is loaded into the plug-in.
  const CommandResult outside = Run({"--plugin", kDragonflyRoom, "-o", Path("x.wav"), "--param", "Size=1.5"});
  EXPECT_EQ(outside.exitCode, 1);
  EXPECT_NE(outside.err.find("value 1.5 for Size is outside its range 0..1"), std::string::npos) << outside.err;
  EXPECT_FALSE(fs::exists(Path("x.wav")));
}

}  // namespace
