// A host that has switched its whole process to a locale with a decimal comma
// loads the same preset values. Its own process: the switch stays with it.
#include <clocale>
#include <cstdio>

#include "tests/support/decimal_comma_locale.h"
#include "preset_corpus.h"

using namespace preset_corpus;

namespace {

TEST(Vst2Presets, AHostInADecimalCommaLocaleReadsTheSameValues) {
  TemporaryLibrary library("vst2-locale");
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  char shown[16];
  std::snprintf(shown, sizeof shown, "%g", 0.5);
  EXPECT_STREQ(shown, "0,5");
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  ExpectCorpusLoads(*plugin, library);
  std::setlocale(LC_ALL, "C");
}

TEST(Vst2Params, AHostInADecimalCommaLocaleSeesAndTypesPoints) {
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  ASSERT_TRUE(plugin->SetParameterText(kReverbDamp, "0.75"));
  EXPECT_FLOAT_EQ(plugin->GetParameter(kReverbDamp), Normalised(kReverbDamp, 0.75));
  char display[64] = {};
  plugin->Dispatch(effGetParamDisplay, kReverbDamp, 0, display);
  EXPECT_STREQ(display, "0.75000");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
