// The renderer's parts that need no files of their own: names, values, parameter
// assignment, the demo signal, output formats and where the built factory presets lie.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "tools/render/built_factory_presets.h"
#include "tools/render/demo_signal.h"
#include "tools/render/in_process_target.h"
#include "tools/render/name_suggestion.h"
#include "tools/render/output_format.h"
#include "tools/render/param_assignment.h"

namespace {

TEST(NameSuggestion, EditDistanceCountsEditsAndIgnoresCase) {
  EXPECT_EQ(EditDistanceIgnoringCase("", ""), 0);
  EXPECT_EQ(EditDistanceIgnoringCase("abc", ""), 3);
  EXPECT_EQ(EditDistanceIgnoringCase("kitten", "sitting"), 3);
  EXPECT_EQ(EditDistanceIgnoringCase("ReverbRoomSise", "ReverbRoomSize"), 1);
  EXPECT_EQ(EditDistanceIgnoringCase("reverbroomsize", "ReverbRoomSize"), 0);
  EXPECT_EQ(EditDistanceIgnoringCase("ab", "ba"), 2);
}

TEST(NameSuggestion, SuggestsOnlyPlausibleTypos) {
  InProcessTarget target;
  std::vector<std::string> names;
  for (int i = 0; i < target.ParamCount(); ++i) names.push_back(target.DescribeParam(i).name);
  EXPECT_EQ(ClosestName("ReverbRoomSise", names), "ReverbRoomSize");
  EXPECT_EQ(ClosestName("reverbdecaytime", names), "ReverbDecayTime");
  EXPECT_EQ(ClosestName("AmpMainVolum", names), "AmpMainVolume");
  EXPECT_EQ(ClosestName("RoomSize", names), "ReverbRoomSize");  // contained, and only in one name
  EXPECT_EQ(ClosestName("Clipping", names), "");                 // contained in four names
  EXPECT_EQ(ClosestName("Tempo", names), "HostTempoBpm");
  EXPECT_EQ(ClosestName("xyz", names), "");
  EXPECT_EQ(ClosestName("Loudness", names), "");
}

TEST(PlainNumber, AcceptsWholeFiniteNumbersOnly) {
  double v = -1;
  EXPECT_TRUE(ParsePlainNumber("0.25", &v));
  EXPECT_EQ(v, 0.25);
  EXPECT_TRUE(ParsePlainNumber("-1", &v));
  EXPECT_EQ(v, -1.0);
  EXPECT_TRUE(ParsePlainNumber("1e-3", &v));
  EXPECT_EQ(v, 1e-3);
  v = 7;
  for (const char* bad : {"", " 1", "1 ", "0.5x", "abc", "nan", "inf", "-inf", "1e999", "1,5"}) {
    EXPECT_FALSE(ParsePlainNumber(bad, &v)) << bad;
  }
  EXPECT_EQ(v, 7.0);  // untouched by failures
}

TEST(ParamAssignment, ResolvesNameAndRange) {
  InProcessTarget target;
  ParamAssignment a;
  ASSERT_TRUE(ParseParamAssignment("PresetSelector=-1", target, &a).ok());
  EXPECT_EQ(a.index, 21);
  EXPECT_EQ(a.plain, -1.0);
  ASSERT_TRUE(ParseParamAssignment("MidiChannelInput=16", target, &a).ok());
  EXPECT_EQ(a.index, 10);

  const Status low = ParseParamAssignment("MidiChannelInput=0", target, &a);
  EXPECT_EQ(low.message(), "value 0 for MidiChannelInput is outside its range 1..16");
  const Status typo = ParseParamAssignment("ReverbRoomSise=0.5", target, &a);
  EXPECT_EQ(typo.message(),
            "unknown parameter 'ReverbRoomSise' (did you mean 'ReverbRoomSize'?); --list-params shows them all");
  const Status unknown = ParseParamAssignment("Loudness=1", target, &a);
  EXPECT_EQ(unknown.message(), "unknown parameter 'Loudness'; --list-params shows them all");
  EXPECT_FALSE(ParseParamAssignment("=1", target, &a).ok());
  EXPECT_FALSE(ParseParamAssignment("ReverbDamp=", target, &a).ok());
  // Names are exact: a case slip is an error, with the right spelling offered.
  EXPECT_NE(ParseParamAssignment("reverbdamp=1", target, &a).message().find("'ReverbDamp'"), std::string::npos);
}

double Value(const RenderTarget& target, const char* name) { return target.ParamValue(FindParamByName(target, name)); }

TEST(ParamAssignment, AudibleDefaultsApplyUnlessTheMasterSwitchIsNamed) {
  InProcessTarget withDefaults;
  ASSERT_TRUE(ApplyParamArguments({"ReverbDamp=0.3", "AmpMainBlend=0.9"}, withDefaults).ok());
  for (const NamedValue& value : AudibleDefaults()) {
    if (std::string(value.name) == "AmpMainBlend") continue;
    EXPECT_EQ(Value(withDefaults, value.name), value.plain) << value.name;
  }
  EXPECT_EQ(Value(withDefaults, "ReverbOffOn"), 1.0);
  EXPECT_EQ(Value(withDefaults, "AmpMainBlend"), 0.9);  // explicit values win
  EXPECT_EQ(Value(withDefaults, "ReverbDamp"), 0.3);

  InProcessTarget plain;
  ASSERT_TRUE(ApplyParamArguments({"ReverbOffOn=1", "ReverbDamp=0.2", "ReverbDamp=0.4"}, plain).ok());
  EXPECT_EQ(Value(plain, "ReverbOffOn"), 1.0);
  EXPECT_EQ(Value(plain, "ReverbDamp"), 0.4);  // the later of two wins
  EXPECT_EQ(Value(plain, "ReverbLateReverberation"), 0.0);  // the effect's own default
  EXPECT_EQ(Value(plain, "AmpMainBlend"), 0.3);
}

TEST(ParamAssignment, OneBadArgumentAppliesNothing) {
  InProcessTarget target;
  const Status status = ApplyParamArguments({"ReverbDamp=0.5", "ReverbDamp=lots"}, target);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(Value(target, "ReverbDamp"), 0.0);
  EXPECT_EQ(Value(target, "ReverbOffOn"), 0.0);
}

TEST(DemoSignal, IsDeterministicStereoOfTheAnnouncedLengthAndPeak) {
  const StereoBuffer a = SynthesizeDemo(44100), b = SynthesizeDemo(44100);
  EXPECT_EQ(a.channels, b.channels);
  ASSERT_EQ(a.Frames(), 4 * 44100);
  ASSERT_EQ(a.channels[1].size(), a.channels[0].size());
  EXPECT_EQ(SynthesizeDemo(22050).Frames(), 4 * 22050);

  double peak = 0.0, energyLeft = 0.0, energyRight = 0.0;
  bool sidesDiffer = false;
  for (size_t f = 0; f < a.channels[0].size(); ++f) {
    const double l = a.channels[0][f], r = a.channels[1][f];
    ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
    peak = std::max({peak, std::fabs(l), std::fabs(r)});
    energyLeft += l * l;
    energyRight += r * r;
    sidesDiffer = sidesDiffer || l != r;
  }
  EXPECT_DOUBLE_EQ(peak, kDemoPeak);
  EXPECT_GT(energyLeft, 100.0);
  EXPECT_GT(energyRight, 100.0);
  EXPECT_TRUE(sidesDiffer);  // panned plucks give the reverb a stereo image to work with
}

TEST(DemoSignal, HasHitsAndGaps) {
  // Drum onsets every half second; the quiet stretches between them let a reverb be heard.
  const StereoBuffer demo = SynthesizeDemo(44100);
  auto windowRms = [&](double fromSeconds, double toSeconds) {
    double sum = 0.0;
    const size_t begin = static_cast<size_t>(fromSeconds * 44100), end = static_cast<size_t>(toSeconds * 44100);
    for (size_t f = begin; f < end; ++f) sum += demo.channels[0][f] * demo.channels[0][f];
    return std::sqrt(sum / static_cast<double>(end - begin));
  };
  EXPECT_GT(windowRms(0.5, 0.55), 10 * windowRms(0.45, 0.5));  // a snare hit after a decayed kick
  EXPECT_LT(windowRms(3.9, 4.0), 0.01);                         // the phrase dies away at the end
}

TEST(OutputFormat, NamesAndFileTypes) {
  SampleFormat format = SampleFormat::Float64;
  EXPECT_TRUE(ParseSampleFormat("pcm24", &format));
  EXPECT_EQ(format, SampleFormat::Pcm24);
  EXPECT_FALSE(ParseSampleFormat("PCM24", &format));
  EXPECT_FALSE(ParseSampleFormat("pcm32", &format));
  EXPECT_EQ(format, SampleFormat::Pcm24);

  int code = 0;
  ASSERT_TRUE(ChooseFileFormat("/x/Out.WAV", SampleFormat::Float32, 44100, &code).ok());
  EXPECT_EQ(code, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  ASSERT_TRUE(ChooseFileFormat("a.b/out.aif", SampleFormat::Pcm16, 44100, &code).ok());
  EXPECT_EQ(code, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  EXPECT_FALSE(ChooseFileFormat("a.wav/out", SampleFormat::Pcm16, 44100, &code).ok());  // a folder's dot
  EXPECT_FALSE(ChooseFileFormat("out.flac", SampleFormat::Float64, 44100, &code).ok());
  EXPECT_FALSE(ChooseFileFormat("out.mp3", SampleFormat::Pcm16, 44100, &code).ok());
}

TEST(BuiltFactoryPresets, InstallationBeforeSourceTreeAndNothingWhenNeitherHasTheFile) {
  const std::vector<std::string> folders = BuiltFactoryPresetFolders("/opt/moravelle/bin/");
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], "/opt/moravelle/share/moravelle/presets/");
  EXPECT_EQ(folders, BuiltFactoryPresetFolders("/opt/moravelle/bin"));
  const std::string source = folders[1];
  EXPECT_TRUE(source.ends_with("/resources/presets/")) << source;
  EXPECT_EQ(BuiltFactoryPresetFile(10, {"/nonexistent/", source}), source + "Factory/DRUM - Deeper.moravellepreset");
  EXPECT_EQ(BuiltFactoryPresetFile(10, {"/nonexistent/", "/nonexistent-too/"}), "");
  EXPECT_EQ(BuiltFactoryPresetFile(0, {source}), "");
}

}  // namespace
