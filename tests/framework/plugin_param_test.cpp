#include "framework/plugin_param.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

PluginParam Continuous(double def, double lo, double hi, double step = 0.00001) {
  PluginParam p;
  p.InitContinuous("Name", def, lo, hi, step, "", 1.0);
  return p;
}

TEST(PluginParam, FreshRecordIsLinearZeroToOne) {
  PluginParam p;
  EXPECT_EQ(p.Type(), ParamType::None);
  EXPECT_DOUBLE_EQ(p.ToNormalized(0.25), 0.25);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.75), 0.75);
}

TEST(PluginParam, InitContinuousRaisesDegenerateMaximumAndDerivesPrecision) {
  PluginParam p;
  p.InitContinuous("X", 0.0, 0.0, 0.0, 1.0, "dB", 0.0);
  EXPECT_EQ(p.Type(), ParamType::Double);
  EXPECT_DOUBLE_EQ(p.Maximum(), 1.0);
  EXPECT_EQ(p.Precision(), 0);
  EXPECT_DOUBLE_EQ(p.Shape(), 1.0);  // shape 0 keeps the linear curve
  EXPECT_STREQ(p.Label(), "dB");
  EXPECT_EQ(Continuous(0.5, 0, 1).Precision(), 5);
  EXPECT_EQ(Continuous(0.5, 0, 1, 1e-9).Precision(), 6);
  EXPECT_EQ(Continuous(0.5, 0, 1, 0.25).Precision(), 2);
}

TEST(PluginParam, NamesAreCutToTheirFields) {
  PluginParam p;
  const char* longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";  // 36 characters
  p.InitContinuous(longName, 0, 0, 1, 0.1, longName, 1.0);
  EXPECT_EQ(std::strlen(p.Name()), 31u);
  EXPECT_EQ(std::strncmp(p.Name(), longName, 31), 0);
  EXPECT_EQ(std::strlen(p.Label()), 31u);
}

TEST(PluginParam, NormalisedSettersClampOnlyAtTheTop) {
  PluginParam p = Continuous(0, 0, 1);
  p.SetFromNormalized(1.2);
  EXPECT_DOUBLE_EQ(p.Value(), 1.0);
  p.SetFromNormalized(-0.5);
  EXPECT_DOUBLE_EQ(p.Value(), -0.5);
  p.SetValue(-0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 0.0);
  p.SetValue(7.0);
  EXPECT_DOUBLE_EQ(p.Value(), 1.0);
}

TEST(PluginParam, NaNNeverReachesTheValue) {
  PluginParam p = Continuous(0.4, 0, 1);
  p.SetValue(std::nan(""));
  EXPECT_DOUBLE_EQ(p.Value(), 0.4);
  p.SetFromNormalized(std::nan(""));
  EXPECT_DOUBLE_EQ(p.Value(), 0.4);
}

// A record of a stepped type, built the way an adapter would see one: a continuous
// record is not quantised, so quantising is checked through the shape of the rule.
TEST(PluginParam, ShapeBendsTheNormalisedCurveBothWays) {
  PluginParam p;
  p.InitContinuous("Shaped", 0, 0, 100, 0.01, "", 2.0);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.5), 25.0);
  EXPECT_NEAR(p.ToNormalized(25.0), 0.5, 1e-12);
  for (double n = 0.0; n <= 1.0; n += 0.125) EXPECT_NEAR(p.ToNormalized(p.FromNormalized(n)), n, 1e-12);
}

TEST(PluginParam, FormatsWithPrecisionOrTruncatedInteger) {
  char text[32];
  PluginParam p = Continuous(0.5, 0, 1);
  p.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "0.50000");
  p.FormatForHost(0.25, true, text, sizeof text, false);
  EXPECT_STREQ(text, "0.25000");

  PluginParam whole;
  whole.InitContinuous("W", 0, -10, 10, 1.0, "", 1.0);
  whole.SetValue(2.9);
  whole.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "2");
  whole.SetValue(-2.9);
  whole.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "-2");
}

TEST(PluginParam, FormattingNeverWritesPastTheBuffer) {
  char text[16];
  std::memset(text, 'X', sizeof text);
  PluginParam p;
  p.InitContinuous("Big", 0, 0, 1e300, 0.00001, "", 1.0);
  p.SetValue(1e300);
  p.FormatForHost(text, 9);
  EXPECT_EQ(std::strlen(text), 8u);
  EXPECT_EQ(text[9], 'X');
}

TEST(PluginParam, ValueTextsReplaceTheNumberAndTheLabel) {
  PluginParam p;
  p.InitContinuous("Mode", 0, 0, 10, 0.1, "Hz", 1.0);
  p.AddValueText(3, "Three");
  char text[32];
  p.SetValue(3.7);
  p.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "Three");
  EXPECT_STREQ(p.LabelForHost(), "");
  p.SetValue(2.5);
  p.FormatForHost(text, sizeof text);
  EXPECT_STREQ(text, "2.5");
  EXPECT_STREQ(p.LabelForHost(), "Hz");
  EXPECT_EQ(p.TextForValue(4), nullptr);
}

}  // namespace
