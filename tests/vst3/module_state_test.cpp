// The whole state through the built module: size, round trip into a fresh instance,
// and streams that are short, long or garbage.
#include <cmath>
#include <cstring>
#include <random>

#include "module_path.h"
#include "temporary_library.h"

using namespace vst3;

namespace {

std::vector<double> AllNormalized(host3::Vst3Host& host) {
  std::vector<double> values;
  for (int i = 0; i < kEffectParams; ++i) values.push_back(host.ParamNormalized(static_cast<ParamID>(i)));
  return values;
}

// True when a block of audio comes out finite after the plug-in went through
// whatever the test did to it.
bool ProcessesFiniteAudio(host3::Vst3Host& host) {
  float inL[256], inR[256], outL[256], outR[256];
  for (int i = 0; i < 256; ++i) inL[i] = inR[i] = (i % 32 == 0) ? 0.9f : 0.0f;
  const float* in[2] = {inL, inR};
  float* out[2] = {outL, outR};
  for (int block = 0; block < 8; ++block) {
    if (!host.Process32(in, out, 256)) return false;
    for (int i = 0; i < 256; ++i)
      if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) return false;
  }
  return true;
}

}  // namespace

TEST(Vst3State, IsTheParameterValuesThenTheBypassFlag) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  tresult result = kInternalError;
  const std::vector<unsigned char> bytes = host->GetState(&result);
  EXPECT_EQ(result, kResultOk);
  ASSERT_EQ(bytes.size(), 252u);
  int32 bypass = -1;
  std::memcpy(&bypass, bytes.data() + 248, 4);
  EXPECT_EQ(bypass, 0);
  ASSERT_TRUE(host->Setup(44100.0, 64, kSample32));
  host->QueueParam(kBypassId, 1.0);
  ASSERT_TRUE(host->Flush());
  const std::vector<unsigned char> bypassed = host->GetState();
  std::memcpy(&bypass, bypassed.data() + 248, 4);
  EXPECT_EQ(bypass, 1);
}

TEST(Vst3State, RestoresEveryParameterExactlyInAFreshInstance) {
  std::vector<unsigned char> saved;
  std::vector<double> expected;
  {
    auto first = LoadModule();
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->Setup(44100.0, 64, kSample32));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // Preset actions (17 to 21) and the tempo mirror (8) are left alone: they act
    // or are overwritten while processing.
    for (int i = 0; i < kEffectParams; ++i)
      if (i != 8 && (i < 17 || i > 21)) first->QueueParam(static_cast<ParamID>(i), unit(random));
    first->QueueParam(kBypassId, 1.0);
    ASSERT_TRUE(first->Flush());
    saved = first->GetState();
    expected = AllNormalized(*first);
  }
  auto second = LoadModule();
  ASSERT_TRUE(second);
  EXPECT_NE(AllNormalized(*second), expected);
  ASSERT_EQ(second->SetState(saved), kResultOk);
  EXPECT_EQ(AllNormalized(*second), expected);
  EXPECT_EQ(second->ParamNormalized(kBypassId), 1.0);
  EXPECT_EQ(second->GetState(), saved);
}

TEST(Vst3State, ValuesWithoutTheFlagSetParametersButAnswerFalseAndKeepBypass) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(44100.0, 64, kSample32));
  std::vector<unsigned char> state = host->GetState();
  double volume = 0.0;
  std::memcpy(&volume, state.data() + 6 * 8, 8);
  volume = volume * 0.5 + 0.1;
  std::memcpy(state.data() + 6 * 8, &volume, 8);
  host->QueueParam(kBypassId, 1.0);
  ASSERT_TRUE(host->Flush());
  state.resize(248);
  EXPECT_EQ(host->SetState(state), kResultFalse);
  EXPECT_EQ(host->ParamNormalized(kBypassId), 1.0);
  std::vector<unsigned char> now = host->GetState();
  double restored = 0.0;
  std::memcpy(&restored, now.data() + 6 * 8, 8);
  EXPECT_EQ(restored, volume);
}

TEST(Vst3State, ShortLongAndGarbageStreamsLeaveAWorkingPlugin) {
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(44100.0, 256, kSample32));
  const std::vector<unsigned char> good = host->GetState();
  for (size_t length : {0u, 1u, 7u, 8u, 9u, 100u, 247u, 249u, 251u}) {
    std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(host->SetState(cut), kResultFalse) << length;
    EXPECT_EQ(host->GetState().size(), 252u);
    EXPECT_TRUE(ProcessesFiniteAudio(*host)) << length;
  }
  std::vector<unsigned char> longer = good;
  longer.resize(4000, 0xAB);
  EXPECT_EQ(host->SetState(longer), kResultOk);
  EXPECT_EQ(host->GetState(), good);

  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    std::vector<unsigned char> garbage(252 + static_cast<size_t>(round));
    for (unsigned char& b : garbage) b = static_cast<unsigned char>(random());
    // Every eighth byte pattern of 0xFF makes NaNs and infinities among the values.
    if (round % 2 == 0)
      for (size_t i = 7; i < 248; i += 16) garbage[i] = 0xFF, garbage[i - 1] = 0xF0;
    host->SetState(garbage);
    for (int i = 0; i < kEffectParams; ++i) {
      const double v = host->ParamNormalized(static_cast<ParamID>(i));
      ASSERT_TRUE(v >= 0.0 && v <= 1.0) << "parameter " << i << " round " << round;
    }
    EXPECT_TRUE(ProcessesFiniteAudio(*host)) << round;
  }
  EXPECT_EQ(host->Component()->setState(nullptr), kInvalidArgument);
  EXPECT_EQ(host->Component()->getState(nullptr), kInvalidArgument);
}

TEST(Vst3State, RestoringReadsNoPresetFileAndKeepsTheRestoredValues) {
  TemporaryLibrary library("vst3-restore");
  library.WriteFactory(10, "<ReverbDamp>0.25</ReverbDamp>");
  auto host = LoadModule();
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->Setup(44100.0, 64, kSample32));
  host->QueueParam(22, 0.9);  // ReverbDamp
  host->QueueParam(19, 1.0);  // a load value in the state: restoring it must not load
  ASSERT_TRUE(host->Flush());
  const std::vector<unsigned char> saved = host->GetState();

  host->QueueParam(21, 11.0 / 10001.0);  // PresetSelector 10: "DRUM - Deeper" loads
  ASSERT_TRUE(host->Flush());
  ASSERT_NEAR(host->ParamNormalized(22), 0.25, 1e-7);
  ASSERT_EQ(host->SetState(saved), kResultOk);
  EXPECT_EQ(host->ParamNormalized(22), 0.9);
  EXPECT_EQ(host->ParamNormalized(19), 1.0);
  EXPECT_EQ(host->GetState(), saved);
}
