// A host that has switched its whole process to a locale with a decimal comma
// loads the same preset values. Its own process: the switch stays with it.
#include <clocale>
#include <cstdio>

#include "decimal_comma_locale.h"
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

}  // namespace
