// Parameter state, preset bank and chunk header formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "adapters/offline/offline_adapter.h"

namespace {

class StatePlugin : public OfflineAdapter {
 public:
  explicit StatePlugin(int params = 31, int presets = 1) : OfflineAdapter(Config(params, presets), {}) {
    for (int i = 0; i < ParamCount(); ++i) Param(i)->InitContinuous("P", 0.25, 0, 2, 0.00001, "", 1);
  }
  static PluginConfig Config(int params, int presets) {
    PluginConfig c;
    c.paramCount = params;
    c.presetCount = presets;
    return c;
  }
  void OnParamChanged(int index) override {
    changed.push_back(index);
    restoring.push_back(IsRestoringState());
  }
  void OnPresetsChanged() override { ++presetsChanged; }
  using PluginBase::Preset;
  std::vector<int> changed;
  std::vector<bool> restoring;
  int presetsChanged = 0;
};

TEST(StateChunk, ReadsReportMissingBytesWithoutTouchingTheOutput) {
  StateChunk c;
  c.PutInt32(7);
  c.PutDouble(1.5);
  c.PutString("abc");
  EXPECT_EQ(c.Size(), 4 + 8 + 4 + 3);
  int32_t i = 0;
  double d = 0;
  EXPECT_EQ(c.GetInt32(&i, 0), 4);
  EXPECT_EQ(c.GetDouble(&d, 4), 12);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(d, 1.5);
  double untouched = 9.0;
  EXPECT_EQ(c.GetDouble(&untouched, 12), -1);  // only 7 bytes left
  EXPECT_EQ(untouched, 9.0);
  EXPECT_EQ(c.GetInt32(&i, -1), -1);
  EXPECT_EQ(c.GetInt32(&i, 100), -1);
}

TEST(ParameterState, Is248BytesForThirtyOneParameters) {
  StatePlugin p;
  StateChunk c;
  EXPECT_TRUE(p.SerializeParams(c));
  EXPECT_EQ(c.Size(), 248);
  double first = 0;
  c.GetDouble(&first, 0);
  EXPECT_EQ(first, 0.25);
}

TEST(ParameterState, RoundTripRestoresEveryValueExactly) {
  StatePlugin a, b;
  for (int i = 0; i < 31; ++i) a.Param(i)->SetValue(0.0123456789 * i + 1e-9);
  StateChunk c;
  a.SerializeParams(c);
  EXPECT_EQ(b.UnserializeParams(c, 0), 248);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(b.Param(i)->Value(), a.Param(i)->Value());
  EXPECT_EQ(b.changed.size(), 31u);
  for (bool r : b.restoring) EXPECT_TRUE(r);
  EXPECT_FALSE(b.IsRestoringState());
}

TEST(ParameterState, TruncatedDataLeavesTheRestUnchangedAndFails) {
  StatePlugin p;
  for (int i = 0; i < 31; ++i) p.Param(i)->SetValue(1.5);
  StateChunk c;
  c.PutDouble(0.75);
  c.PutInt32(0);  // 12 bytes: one value and half of another
  EXPECT_EQ(p.UnserializeParams(c, 0), -1);
  EXPECT_EQ(p.Param(0)->Value(), 0.75);
  // The parameter whose data is cut keeps its value instead of becoming 0.
  EXPECT_EQ(p.Param(1)->Value(), 1.5);
  EXPECT_EQ(p.Param(30)->Value(), 1.5);
  EXPECT_EQ(p.changed.size(), 31u);
}

TEST(ParameterState, ValuesAreClampedAndNaNIsIgnored) {
  StatePlugin p(2);
  StateChunk c;
  c.PutDouble(99.0);
  c.PutDouble(std::nan(""));
  EXPECT_EQ(p.UnserializeParams(c, 0), 16);
  EXPECT_EQ(p.Param(0)->Value(), 2.0);
  EXPECT_EQ(p.Param(1)->Value(), 0.25);
}

TEST(PresetBank, OneInitialisedSlotIs257BytesAndRoundTrips) {
  StatePlugin a;
  a.Preset(0)->initialised = true;
  std::strcpy(a.Preset(0)->name, "Init");
  a.Param(3)->SetValue(1.75);
  a.ModifyCurrentPreset();
  StateChunk bank;
  EXPECT_TRUE(a.SerializePresets(bank));
  EXPECT_EQ(bank.Size(), 4 + 4 + 1 + 248);

  StatePlugin b;
  EXPECT_EQ(b.UnserializePresets(bank, 0), 257);
  EXPECT_STREQ(b.PresetName(0), "Init");
  EXPECT_EQ(b.Param(3)->Value(), 1.75);
  EXPECT_EQ(b.presetsChanged, 1);
}

TEST(PresetBank, TruncatedAndGarbageBanksStopWithoutHarm) {
  StatePlugin a(31, 2);
  a.Preset(0)->initialised = true;
  a.Preset(1)->initialised = true;
  a.ModifyCurrentPreset("First");
  StateChunk bank;
  a.SerializePresets(bank);
  for (int cut = 0; cut < bank.Size(); cut += 7) {
    StateChunk part;
    part.Assign(bank.Data(), cut);
    StatePlugin b(31, 2);
    EXPECT_EQ(b.UnserializePresets(part, 0), -1) << cut;
  }
  StateChunk garbage;
  for (int i = 0; i < 64; ++i) garbage.PutInt32(static_cast<int32_t>(0x9E3779B9u * static_cast<uint32_t>(i + 1)));
  StatePlugin c(31, 2);
  c.UnserializePresets(garbage, 0);  // must not crash or overrun
  StateChunk negative;
  negative.PutInt32(-5);
  negative.PutByte(0);
  StatePlugin d(31, 2);
  EXPECT_EQ(d.UnserializePresets(negative, 0), -1);
}

TEST(PresetBank, LoadingAnEmptySlotNumbersUserPresets) {
  StatePlugin p(31, 3);
  std::strcpy(p.Preset(0)->name, "user preset 1");
  p.Preset(0)->initialised = true;
  EXPECT_TRUE(p.LoadPresetSlot(2));
  EXPECT_STREQ(p.PresetName(2), "user preset 2");
  EXPECT_EQ(p.CurrentPreset(), 2);
  EXPECT_FALSE(p.LoadPresetSlot(3));
  EXPECT_FALSE(p.LoadPresetSlot(-1));
  EXPECT_STREQ(p.PresetName(3), "");
  p.FillEmptyPresets(nullptr, 5);
  EXPECT_STREQ(p.PresetName(1), "Empty");
}

TEST(ChunkHeader, WritesTffpAndReadsItBack) {
  StateChunk c;
  PluginBase::WriteChunkHeader(c);
  const uint8_t expected[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  ASSERT_EQ(c.Size(), 8);
  EXPECT_EQ(std::memcmp(c.Data(), expected, 8), 0);
  int pos = 0;
  EXPECT_EQ(PluginBase::ReadChunkHeader(c, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);

  StateChunk bare;
  bare.PutDouble(0.5);
  pos = 0;
  EXPECT_EQ(PluginBase::ReadChunkHeader(bare, &pos), 0);
  EXPECT_EQ(pos, 0);

  StateChunk cut;
  cut.PutInt32(PluginBase::kChunkMagic);
  pos = 0;
  EXPECT_EQ(PluginBase::ReadChunkHeader(cut, &pos), 0);
  EXPECT_EQ(pos, -1);
}

}  // namespace
