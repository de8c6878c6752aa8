// The preset file text: the writer's exact bytes, the tolerant
// record rules and the display name.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include "effect/kernel_params.h"
#include "effect/preset_text.h"
#include "tests/support/decimal_comma_locale.h"

namespace {

std::string Format(double value) {
  char out[32];
  FormatPresetValue(value, out);
  return out;
}

int Slot(int index) {
  for (size_t k = 0; k < kPresetStoredParams.size(); ++k)
    if (kPresetStoredParams[k].index == index) return static_cast<int>(k);
  return -1;
}

TEST(PresetText, ValuesAreWrittenAsADefaultStreamWritesThemWithThreeExponentDigits) {
  EXPECT_EQ(Format(0.0), "0");
  EXPECT_EQ(Format(1.0), "1");
  EXPECT_EQ(Format(2.0), "2");
  EXPECT_EQ(Format(0.35), "0.35");
  EXPECT_EQ(Format(0.123456789), "0.123457");
  EXPECT_EQ(Format(0.0001), "0.0001");
  EXPECT_EQ(Format(0.00001), "1e-005");
  EXPECT_EQ(Format(0.000012345678), "1.23457e-005");
  EXPECT_EQ(Format(1234567.0), "1.23457e+006");
  EXPECT_EQ(Format(1e-100), "1e-100");
  EXPECT_EQ(Format(-0.5), "-0.5");
}

TEST(PresetText, TheDefaultsComposeTheExactFileText) {
  double values[kKernelParamCount];
  for (int i = 0; i < kKernelParamCount; ++i) values[i] = kKernelParamSpecs[static_cast<size_t>(i)].defaultValue;
  const std::string text = ComposePresetText(values);
  EXPECT_EQ(text.rfind("<Company>Pellion Audio</Company><Product>Moravelle</Product><Version>1.0.0</Version>"
                       "<AmpClippingGain>0</AmpClippingGain><AmpClippingOffOn>0</AmpClippingOffOn>"
                       "<AmpFilterHpCutoff>0.35</AmpFilterHpCutoff>",
                       0),
            0u);
  EXPECT_EQ(text.substr(text.size() - 34), "<ReverbRoomSize>0</ReverbRoomSize>");
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  // Every stored element once, in file order, and nothing of the unstored ones.
  size_t at = 0;
  for (const PresetStoredParam& p : kPresetStoredParams) {
    const size_t found = text.find(std::string("<") + p.element + ">", at);
    ASSERT_NE(found, std::string::npos) << p.element;
    at = found;
  }
  for (const char* unstored : {"AmpMainVolume", "PreampInputGain", "PreampInputMode", "MidiChannelInput", "Preset"})
    EXPECT_EQ(text.find(unstored), std::string::npos) << unstored;
}

TEST(PresetText, WritingAndReadingIgnoreTheProcessLocale) {
  // A host may switch the process to a locale with a decimal comma.
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  char shown[16];
  std::snprintf(shown, sizeof shown, "%g", 0.35);
  EXPECT_STREQ(shown, "0,35");  // the switch took
  EXPECT_EQ(Format(0.35), "0.35");
  const PresetRecordValues read = ParsePresetRecord("<ReverbDamp>0.35</ReverbDamp>");
  EXPECT_EQ(read[static_cast<size_t>(Slot(kReverbDamp))], static_cast<double>(0.35f));
  std::setlocale(LC_ALL, "C");
}

TEST(PresetText, RecordsAreReadTolerantly) {
  // Any order, unknown elements ignored, the first of duplicates counts.
  PresetRecordValues v = ParsePresetRecord(
      "<Other>9</Other><ReverbRoomSize>0.8</ReverbRoomSize><ReverbDamp>0.2</ReverbDamp>"
      "<ReverbRoomSize>0.1</ReverbRoomSize>");
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbRoomSize))], static_cast<double>(0.8f));
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbDamp))], static_cast<double>(0.2f));
  int present = 0;
  for (const auto& value : v) present += value.has_value();
  EXPECT_EQ(present, 2);

  // A closing tag before the opening one: the text runs to the end of the record.
  v = ParsePresetRecord("</ReverbDamp><ReverbDamp>0.4");
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbDamp))], static_cast<double>(0.4f));
  // A missing tag, no number, a number beyond the range: skipped, the rest still read.
  v = ParsePresetRecord("<ReverbDamp>0.4<AmpMainBlend>inf</AmpMainBlend><ReverbPanorama></ReverbPanorama>"
                        "<ReverbPreDelay>1e999</ReverbPreDelay><AmpFilterMode>2</AmpFilterMode>");
  EXPECT_FALSE(v[static_cast<size_t>(Slot(kReverbDamp))].has_value());
  EXPECT_FALSE(v[static_cast<size_t>(Slot(kAmpMainBlend))].has_value());
  EXPECT_FALSE(v[static_cast<size_t>(Slot(kReverbPanorama))].has_value());
  EXPECT_FALSE(v[static_cast<size_t>(Slot(kReverbPreDelay))].has_value());
  EXPECT_EQ(v[static_cast<size_t>(Slot(kAmpFilterMode))], 2.0);
  // Single precision; beyond the float range an infinity, which the parameter clamps.
  v = ParsePresetRecord("<ReverbDamp>0.123456789</ReverbDamp><ReverbOffOn>1e300</ReverbOffOn>");
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbDamp))], static_cast<double>(0.123456789f));
  EXPECT_TRUE(std::isinf(*v[static_cast<size_t>(Slot(kReverbOffOn))]));
  // NUL bytes are ordinary characters of the record.
  const char raw[] = "<ReverbDamp>0.5\0junk</ReverbDamp>\0<ReverbDecayTime>0.25</ReverbDecayTime>";
  const std::string withNul(raw, sizeof raw - 1);
  v = ParsePresetRecord(withNul);
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbDamp))], 0.5);
  EXPECT_EQ(v[static_cast<size_t>(Slot(kReverbDecayTime))], 0.25);
}

TEST(PresetText, DisplayNames) {
  EXPECT_EQ(PresetDisplayName("/x/Presets/Factory/ROOM - Early Vibes.moravellepreset"), "ROOM - Early Vibes");
  EXPECT_EQ(PresetDisplayName("C:\\Users\\me\\my.hall.v2.moravellepreset"), "my.hall.v2");
  EXPECT_EQ(PresetDisplayName("plain"), "plain");
  EXPECT_EQ(PresetDisplayName("/folder/"), "");
  EXPECT_EQ(PresetDisplayName(""), "");
  const std::string forty(40, 'n');
  EXPECT_EQ(PresetDisplayName("/p/" + forty + ".moravellepreset"), std::string(35, 'n') + "...");
  EXPECT_EQ(PresetDisplayName("/p/" + std::string(35, 'n') + ".x"), std::string(35, 'n'));
}

}  // namespace
