// The factory presets: the committed files are exactly the designs written by the
// effect's writer; the decay and tone measurements are right on signals whose answer
// is known; the presets measure like their names; docs/presets.md's table is the survey's.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "effect/preset_catalogue.h"
#include "effect/preset_text.h"
#include "tools/factory_presets/decay_measures.h"
#include "tools/factory_presets/factory_preset_designs.h"
#include "tools/factory_presets/preset_survey.h"

namespace fs = std::filesystem;

namespace {

const fs::path kFactorySource = MORAVELLE_FACTORY_PRESET_SOURCE_DIR;
const fs::path kPresetsDoc = MORAVELLE_PRESETS_DOC_PATH;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(FactoryPresetFiles, AreTheDesignsAsTheEffectWritesThem) {
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kFactorySource)) {
    ++files;
    EXPECT_GT(FactoryPresetNumber(entry.path().stem().string()), 0) << entry.path() << " is not in the catalogue";
  }
  EXPECT_EQ(files, kFactoryPresetCount);
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    SCOPED_TRACE(FactoryPresetName(n));
    const std::string text = ReadText(kFactorySource / (std::string(FactoryPresetName(n)) + ".moravellepreset"));
    EXPECT_EQ(text, ComposePresetText(FactoryPresetValues(n).data()));
    // Every stored value is there, and every factory preset is switched on.
    const PresetRecordValues values = ParsePresetRecord(text);
    for (const auto& value : values) EXPECT_TRUE(value.has_value());
    EXPECT_EQ(values[14], 1.0);
  }
}

// White noise decaying by 60 dB in 'rt60' seconds, two channels.
std::vector<std::vector<double>> DecayingNoise(double rt60, double seconds, double rate) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise;
  std::vector<std::vector<double>> channels(2, std::vector<double>(static_cast<size_t>(seconds * rate)));
  for (auto& channel : channels)
    for (size_t i = 0; i < channel.size(); ++i)
      channel[i] = noise(random) * std::pow(10.0, -3.0 * static_cast<double>(i) / rate / rt60);
  return channels;
}

TEST(DecayMeasures, FindTheDecayAndCentroidOfKnownSignals) {
  for (double rt60 : {0.4, 2.5, 12.0}) {
    const auto channels = DecayingNoise(rt60, rt60 * 1.5, 44100.0);
    const auto time = ReverbTimeSeconds(EnergyDecayCurveDb(channels), 44100.0);
    ASSERT_TRUE(time.has_value());
    EXPECT_NEAR(*time, rt60, 0.03 * rt60);
  }
  // A decay that never falls by 25 dB has no reverberation time.
  EXPECT_FALSE(ReverbTimeSeconds(EnergyDecayCurveDb(DecayingNoise(10.0, 3.0, 44100.0)), 44100.0).has_value());

  std::vector<std::vector<double>> tone(1, std::vector<double>(8192));
  for (size_t i = 0; i < tone[0].size(); ++i) tone[0][i] = std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0);
  EXPECT_NEAR(SpectralCentroidHz(tone, 0, 4096, 44100.0), 1000.0, 15.0);
  // Mono has no side; opposite channels no mid.
  EXPECT_EQ(SideToMidDb(tone[0], tone[0], 0), -HUGE_VAL);
  std::vector<double> inverted = tone[0];
  for (double& x : inverted) x = -x;
  EXPECT_GT(SideToMidDb(tone[0], inverted, 0), 100.0);
  // White noise is centred half-way to the Nyquist frequency.
  EXPECT_NEAR(SpectralCentroidHz(DecayingNoise(1e9, 1.0, 44100.0), 0, 32768, 44100.0), 11025.0, 300.0);
}

// Renders every preset once: they measure like their names, and docs/presets.md
// carries exactly the table the survey prints.
TEST(FactoryPresetSurvey, PresetsSoundLikeTheirNamesAndThePresetsDocShowsTheTable) {
  std::vector<PresetSurveyRow> rows;
  std::map<std::string, PresetSurveyRow> byName;
  for (int n = 1; n <= kFactoryPresetCount; ++n) {
    PresetSurveyRow row;
    row.number = n;
    row.name = FactoryPresetName(n);
    const Status status = SurveyPreset((kFactorySource / (row.name + ".moravellepreset")).string(), &row);
    ASSERT_TRUE(status.ok()) << status.message();
    rows.push_back(row);
    byName[row.name] = row;
  }
  for (const PresetSurveyRow& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(row.reverbTimeSeconds.has_value());
    const std::string category = row.name.substr(0, row.name.find(' '));
    if (category == "ROOM" || category == "DRUM") {
      EXPECT_LT(*row.reverbTimeSeconds, 1.2);
    }
    if (category == "SCAPE") {
      EXPECT_GT(*row.reverbTimeSeconds, 6.0);
    }
    EXPECT_LT(row.demoPeakDbfs, 0.0);  // nothing clips the demo
    // Every tail is stereo, and none so wide that it vanishes when summed to mono.
    EXPECT_GT(row.tailSideToMidDb, -3.0);
    EXPECT_LT(row.tailSideToMidDb, 8.0);
  }
  const auto rt = [&](const char* name) { return *byName.at(name).reverbTimeSeconds; };
  const auto centroid = [&](const char* name) { return byName.at(name).tailCentroidHz; };
  EXPECT_LT(centroid("DRUM - Deeper"), centroid("DRUM - Big Punch"));
  EXPECT_GT(centroid("DRUM - High End Designs"), centroid("DRUM - Big Punch"));
  EXPECT_GT(centroid("STUDIO - PostProcess H"), centroid("STUDIO - PostProcess L"));
  EXPECT_GT(centroid("STUDIO - PreProcess H"), centroid("STUDIO - PreProcess L"));
  const auto width = [&](const char* name) { return byName.at(name).tailSideToMidDb; };
  EXPECT_GT(width("ROOM - Wide Reflections 1"), width("ROOM - Early Vibes") + 2.0);
  EXPECT_GT(width("ROOM - Wide Reflections 2"), width("ROOM - Wide Reflections 1"));
  EXPECT_GT(rt("DRUM - Deeper"), rt("DRUM - Big Punch"));
  EXPECT_GT(rt("SCAPE - Time Tide Projection"), rt("SCAPE - Shadow Flares 1"));

  const std::string doc = ReadText(kPresetsDoc);
  const std::string begin = "<!-- preset survey: begin -->\n", end = "<!-- preset survey: end -->";
  const size_t from = doc.find(begin), to = doc.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(doc.substr(from + begin.size(), to - from - begin.size()), SurveyMarkdownTable(rows))
      << "regenerate with: moravelle-preset-survey --markdown";
}

}  // namespace
