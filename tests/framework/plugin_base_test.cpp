// The plug-in base through the in-process adapter: channels, buffers, identity.
#include "framework/plugin_base.h"

#include <gtest/gtest.h>

#include <vector>

#include "adapters/offline/offline_adapter.h"

namespace {

PluginConfig Config(const char* io, int params = 3, int presets = 1) {
  PluginConfig c;
  c.paramCount = params;
  c.ioText = io;
  c.presetCount = presets;
  c.effectName = "Test";
  return c;
}

class Plain : public OfflineAdapter {
 public:
  explicit Plain(const char* io, int params = 3, int presets = 1) : OfflineAdapter(Config(io, params, presets), {}) {
    for (int i = 0; i < ParamCount(); ++i) Param(i)->InitContinuous("P", 0.5, 0, 1, 0.00001, "", 1);
  }
  void OnParamChanged(int index) override { changed.push_back(index); }
  void ProcessBlock(double** in, double** out, int frames) override {
    seenFrames.push_back(frames);
    PluginBase::ProcessBlock(in, out, frames);
  }
  using PluginBase::Preset;
  std::vector<int> changed;
  std::vector<int> seenFrames;
};

TEST(PluginBase, ParsesTheIOText) {
  Plain two("2-2");
  EXPECT_EQ(two.InputCount(), 2);
  EXPECT_EQ(two.OutputCount(), 2);
  EXPECT_EQ(two.IOConfigs().size(), 1u);
  EXPECT_TRUE(two.LegalIO(2, 2));
  EXPECT_TRUE(two.LegalIO(2, -1));
  EXPECT_TRUE(two.LegalIO(-1, -1));
  EXPECT_FALSE(two.LegalIO(1, -1));

  Plain pairs("1-1 2-2");
  EXPECT_EQ(pairs.IOConfigs().size(), 2u);
  EXPECT_EQ(pairs.InputCount(), 2);
  EXPECT_TRUE(pairs.LegalIO(1, 1));
  EXPECT_FALSE(pairs.LegalIO(1, 2));

  Plain broken("x-3");  // a pair that does not parse gives zeros
  EXPECT_EQ(broken.IOConfigs().size(), 1u);
  EXPECT_EQ(broken.InputCount(), 0);
}

TEST(PluginBase, IdentifiesHostsInTableOrder) {
  EXPECT_EQ(PluginBase::HostFromProductName("REAPER"), kHostReaper);
  EXPECT_EQ(PluginBase::HostFromProductName("Nuendo meets CUBASE"), kHostCubase);
  EXPECT_EQ(PluginBase::HostFromProductName("Ableton Live 11"), kHostLive);
  EXPECT_EQ(PluginBase::HostFromProductName("Ardour"), kHostArdour);
  EXPECT_EQ(PluginBase::HostFromProductName(""), kHostUnknown);
  EXPECT_EQ(PluginBase::HostFromProductName(nullptr), kHostUnknown);
  std::string longName(400, 'a');
  longName += "reaper";  // beyond the 255 characters looked at
  EXPECT_EQ(PluginBase::HostFromProductName(longName.c_str()), kHostUnknown);
}

TEST(PluginBase, DefaultProcessCopiesSharedChannelsAndZeroesTheRest) {
  Plain p("2-3");
  p.Setup(44100, 8);
  std::vector<double> a(8, 1.0), b(8, 2.0), x(8, 9.0), y(8, 9.0), z(8, 9.0);
  double* in[2] = {a.data(), b.data()};
  double* out[3] = {x.data(), y.data(), z.data()};
  p.Process64(in, out, 8);
  EXPECT_EQ(x[7], 1.0);
  EXPECT_EQ(y[0], 2.0);
  EXPECT_EQ(z[3], 0.0);
}

TEST(PluginBase, BlockSizeChangeResizesScratchOnlyWhenItChanges) {
  Plain p("2-2");
  p.Setup(44100, 4);
  std::vector<float> in(4, 0.5f), out(4, 0.0f);
  const float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  p.BindInputs32(ins, 4);
  p.ChangeBlockSize(4);  // same size: scratch kept
  p.BindOutputs32(outs);
  p.RunBlock32(4);
  EXPECT_EQ(out[3], 0.5f);
}

TEST(PluginBase, HostBlocksLongerThanTheBlockSizeAreSliced) {
  Plain p("2-2");
  p.Setup(44100, 64);
  std::vector<float> l(1000), r(1000), ol(1000, 1.0f), orr(1000, 1.0f);
  for (int i = 0; i < 1000; ++i) l[static_cast<size_t>(i)] = r[static_cast<size_t>(i)] = static_cast<float>(i);
  const float* ins[2] = {l.data(), r.data()};
  float* outs[2] = {ol.data(), orr.data()};
  p.Process32(ins, outs, 1000, /*accumulate=*/true);
  EXPECT_EQ(p.seenFrames.size(), 16u);  // 15 x 64 + 40
  EXPECT_EQ(p.seenFrames.back(), 40);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(ol[static_cast<size_t>(i)], 1.0f + static_cast<float>(i)) << i;
}

TEST(PluginBase, UnconnectedChannelsUseTheirScratchBuffers) {
  Plain p("2-2");
  p.Setup(44100, 4);
  p.ConnectInputs(1, 5, false);  // clipped to the channel list
  std::vector<float> a(4, 0.75f), o0(4, 0.0f), o1(4, 3.0f);
  const float* ins[1] = {a.data()};
  float* outs[2] = {o0.data(), o1.data()};
  p.BindInputs32(ins, 4);
  p.BindOutputs32(outs);
  p.ClearScratch();
  p.BindInputs32(ins, 4);
  p.RunBlock32(4);
  EXPECT_EQ(o0[2], 0.75f);
  EXPECT_EQ(o1[2], 0.0f);  // input 1 unconnected: its silent scratch buffer
}

TEST(PluginBase, BypassRunsTheBaseCopy) {
  Plain p("2-2");
  p.Setup(44100, 4);
  std::vector<float> a(4, 0.5f), b(4, -0.5f), o0(4), o1(4);
  const float* ins[2] = {a.data(), b.data()};
  float* outs[2] = {o0.data(), o1.data()};
  p.BindInputs32(ins, 4);
  p.BindOutputs32(outs);
  p.BypassBlock32(4);
  EXPECT_TRUE(p.seenFrames.empty());  // not the override
  EXPECT_EQ(o1[3], -0.5f);
}

TEST(PassThroughDelay, DelaysEachChannelByTheLatency) {
  PassThroughDelay d(2, 3);
  d.SetLength(3);
  std::vector<double> a{1, 2, 3, 4, 5}, b{10, 20, 30, 40, 50}, x(5), y(5), z(5, 9);
  double* in[2] = {a.data(), b.data()};
  double* out[3] = {x.data(), y.data(), z.data()};
  d.Process(in, out, 5);
  EXPECT_EQ(x, (std::vector<double>{0, 0, 0, 1, 2}));
  EXPECT_EQ(y, (std::vector<double>{0, 0, 0, 10, 20}));
  EXPECT_EQ(z, (std::vector<double>(5, 0.0)));
}

TEST(PluginBase, StateMatchesWithinSinglePrecision) {
  Plain p("2-2", 2);
  p.Param(0)->SetValue(0.1);
  p.Param(1)->SetValue(0.5);
  const double close[] = {99, 0.100001, 0.5};
  const double far[] = {0.1001, 0.5};
  EXPECT_TRUE(p.StateMatches(close, 1));
  EXPECT_FALSE(p.StateMatches(far, 0));
}

TEST(PluginBase, EditorEditsAreReportedAndNotified) {
  Plain p("2-2");
  p.SetParamFromEditor(1, 0.25);
  p.SetParamFromEditor(7, 0.25);  // out of range: nothing
  EXPECT_DOUBLE_EQ(p.Param(1)->Value(), 0.25);
  ASSERT_EQ(p.Events().size(), 1u);
  EXPECT_EQ(p.Events()[0].kind, OfflineAdapter::HostEvent::Value);
  EXPECT_EQ(p.changed, std::vector<int>{1});
}

class RecordingEditor : public EditorLink {
 public:
  struct Update {
    int index;
    double value;
    bool normalised;
  };
  void UpdateControlsForParam(int index, double value, bool normalised) override { updates.push_back({index, value, normalised}); }
  void PrepareSurfaces() override { ++prepared; }
  std::vector<Update> updates;
  int prepared = 0;
};

TEST(PluginBase, AttachedEditorGetsNormalisedThenPlainValues) {
  Plain p("2-2", 2);
  p.Param(1)->InitContinuous("Wide", 50, 0, 200, 0.1, "", 1);
  auto* editor = new RecordingEditor;
  p.AttachEditor(editor);
  ASSERT_EQ(editor->updates.size(), 2u);
  EXPECT_DOUBLE_EQ(editor->updates[1].value, 0.25);
  EXPECT_TRUE(editor->updates[1].normalised);
  EXPECT_EQ(editor->prepared, 1);
  editor->updates.clear();
  p.PushValuesToEditor();
  EXPECT_DOUBLE_EQ(editor->updates[1].value, 50);
  EXPECT_FALSE(editor->updates[1].normalised);
}

}  // namespace
