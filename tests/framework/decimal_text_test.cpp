// Decimal text in and out: only a leading decimal number counts, and neither
// direction follows the locale a host switched the process to.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "framework/decimal_text.h"
#include "framework/plugin_param.h"
#include "tests/support/decimal_comma_locale.h"

namespace {

std::string Fixed(double value, int decimals, size_t room = 512) {
  char out[512];
  FormatFixedDecimal(value, decimals, out, room);
  return out;
}

TEST(DecimalText, OnlyALeadingDecimalNumberCounts) {
  EXPECT_EQ(ParseLeadingDecimal(" \t0.25abc"), 0.25);
  EXPECT_EQ(ParseLeadingDecimal(".5"), 0.5);
  EXPECT_EQ(ParseLeadingDecimal("-.5"), -0.5);
  EXPECT_EQ(ParseLeadingDecimal("+0.75"), 0.75);
  EXPECT_EQ(ParseLeadingDecimal("7"), 7.0);
  EXPECT_EQ(ParseLeadingDecimal("2.5e-1x"), 0.25);
  EXPECT_EQ(ParseLeadingDecimal("1e"), 1.0);             // an incomplete exponent is not part of it
  EXPECT_EQ(ParseLeadingDecimal("0x1p-2"), 0.0);         // no hexadecimal form
  EXPECT_EQ(ParseLeadingDecimal("1,5"), 1.0);            // no decimal comma either
  EXPECT_EQ(ParseLeadingDecimal("1e-400"), 0.0);         // too small for the range: zero
  EXPECT_EQ(ParseLeadingDecimal("0.000000000000000000000000000000000000000000000000000000000000000001e-300"), 0.0);
  for (const char* none : {"", " ", "inf", "-inf", "nan", "NaN", "abc", ".", "-", "+-1", "e5", ". 5", "1e400",
                           "-1e400", "123456789012345678901234567890123456789012345678901234567890e300"})
    EXPECT_FALSE(ParseLeadingDecimal(none).has_value()) << '"' << none << '"';
}

TEST(DecimalText, FixedFormIsRoundedAndFitsItsBuffer) {
  EXPECT_EQ(Fixed(0.5, 5), "0.50000");
  EXPECT_EQ(Fixed(-6.0, 1), "-6.0");
  EXPECT_EQ(Fixed(2.0 / 3.0, 2), "0.67");
  EXPECT_EQ(Fixed(0.125, 2), "0.12");  // an exact tie goes to even, as printf does
  EXPECT_EQ(Fixed(1234.5, 0), "1234");
  EXPECT_EQ(Fixed(1e300, 2).size(), 304u);  // no overflow of the working buffer
  EXPECT_EQ(Fixed(-0.5, 5, 5), "-0.5");    // truncated to the room, still terminated
}

TEST(DecimalText, ParameterTextsKeepThePointInADecimalCommaLocale) {
  ASSERT_NE(SwitchToDecimalCommaLocale(), nullptr) << "no decimal-comma locale (tools/install-deps.sh makes one)";
  char shown[16];
  std::snprintf(shown, sizeof shown, "%.2f", 0.5);
  EXPECT_STREQ(shown, "0,50");  // the switch took
  EXPECT_EQ(Fixed(0.5, 5), "0.50000");
  EXPECT_EQ(ParseLeadingDecimal("0.35"), 0.35);
  EXPECT_EQ(ParseLeadingDecimal("0,35"), 0.0);
  PluginParam param;
  param.InitContinuous("Size", 0.5, 0.0, 1.0, 0.00001, "", 1.0);
  char text[32];
  param.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "0.50000");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
