// The effect as a host sees it: parameters, MIDI controllers, host tempo, reset.
#include "effect/moravelle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "test_signals.h"

namespace {

class MoravelleTest : public testing::Test {
 protected:
  MoravelleTest() : effect(OfflineAdapter::HostArgs{}) { effect.Setup(44100, 512); }

  void Set(int index, double plain) {
    effect.Param(index)->SetValue(plain);
    effect.OnParamChanged(index);
  }

  StereoBuffer Process(const StereoBuffer& in) {
    StereoBuffer out(in.Frames());
    double* ins[2] = {const_cast<double*>(in.left.data()), const_cast<double*>(in.right.data())};
    double* outs[2] = {out.left.data(), out.right.data()};
    effect.Process64(ins, outs, in.Frames());
    return out;
  }

  void Controller(int channel, int cc, int value, int offset = 0) {
    effect.SendMidi(MidiMessage{offset, static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(cc),
                                static_cast<uint8_t>(value)});
  }

  Moravelle effect;
};

const char* const kNames[kKernelParamCount] = {
    "AmpClippingGain", "AmpClippingOffOn", "AmpFilterHpCutoff", "AmpFilterLpCutoff", "AmpFilterMode",
    "AmpMainBlend", "AmpMainVolume", "HostBarStartPulse", "HostTempoBpm", "HostTransportIsRunning",
    "MidiChannelInput", "PreampClippingGain", "PreampClippingOffOn", "PreampFilterCutoff", "PreampFilterType",
    "PreampInputGain", "PreampInputMode", "PresetBackward", "PresetForward", "PresetLoad", "PresetSave",
    "PresetSelector", "ReverbDamp", "ReverbDecayTime", "ReverbEarlyReflections", "ReverbLateReverberation",
    "ReverbOffOn", "ReverbPanorama", "ReverbPreDelay", "ReverbRoomSize", "zInitParams"};

TEST_F(MoravelleTest, IdentityAndParameterSet) {
  EXPECT_STREQ(effect.EffectName(), "Moravelle");
  EXPECT_STREQ(effect.MakerName(), "PellionAudio");
  EXPECT_EQ(effect.UniqueId(), 0x4D727632);  // "Mrv2"
  EXPECT_EQ(effect.MakerId(), 0x506C6C6E);   // "Plln"
  EXPECT_EQ(effect.Version(), 0x00010002);
  EXPECT_EQ(effect.InputCount(), 2);
  EXPECT_EQ(effect.OutputCount(), 2);
  ASSERT_EQ(effect.ParamCount(), 31);
  const double defaults[kKernelParamCount] = {0, 0, 0.35, 0.65, 0, 0.3, 0.5, 0, 120, 0, 1, 0, 0, 1, 0, 0.5,
                                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 0, 0, 0};
  for (int i = 0; i < 31; ++i) {
    const PluginParam* p = effect.Param(i);
    EXPECT_STREQ(p->Name(), kNames[i]);
    EXPECT_EQ(p->Type(), ParamType::Double);
    EXPECT_DOUBLE_EQ(p->Default(), defaults[i]) << kNames[i];
    EXPECT_DOUBLE_EQ(p->Value(), defaults[i]) << kNames[i];
    EXPECT_EQ(p->Precision(), 5);
    EXPECT_STREQ(p->Label(), "");
  }
  EXPECT_DOUBLE_EQ(effect.Param(kPresetSelector)->Minimum(), -1);
  EXPECT_DOUBLE_EQ(effect.Param(kHostTempoBpm)->Maximum(), 1000);
  EXPECT_EQ(effect.Param(-1), nullptr);
  EXPECT_EQ(effect.Param(31), nullptr);
  EXPECT_EQ(effect.PresetCount(), 1);
  EXPECT_STREQ(effect.PresetName(0), "Init");
}

TEST_F(MoravelleTest, FreshInstancePassesItsInputUnchanged) {
  const StereoBuffer in = MakeProgramme(3000);
  const StereoBuffer out = Process(in);
  EXPECT_EQ(std::memcmp(in.left.data(), out.left.data(), in.left.size() * sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(in.right.data(), out.right.data(), in.right.size() * sizeof(double)), 0);
}

TEST_F(MoravelleTest, ParameterChangesReachTheKernelClamped) {
  Set(kAmpFilterMode, 1.99);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kAmpFilterMode), 1.99);
  effect.SetParameterFromHost(kReverbRoomSize, 0.25);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kReverbRoomSize), 0.25);
  effect.SetParameterFromHost(kReverbRoomSize, 1.7);  // normalised above 1: upper clamp
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kReverbRoomSize), 1.0);
  // The preset actions only store their values for now.
  Set(kPresetBackward, 0.5);
  EXPECT_DOUBLE_EQ(effect.Param(kPresetBackward)->Value(), 0.5);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kPresetBackward), 0.5);
}

TEST_F(MoravelleTest, ControllerSevenDrivesTheVolume) {
  Set(kReverbOffOn, 1);
  Controller(0, 7, 127);
  Process(StereoBuffer(64));
  EXPECT_DOUBLE_EQ(effect.Param(kAmpMainVolume)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kAmpMainVolume), 1.0);
  Controller(0, 7, 0);
  const StereoBuffer out = Process(MakeProgramme(512));
  EXPECT_EQ(Peak(out), 0.0);
  // With the reverb off the raw input still passes.
  Set(kReverbOffOn, 0);
  EXPECT_GT(Peak(Process(MakeProgramme(512))), 0.1);
}

TEST_F(MoravelleTest, OnlyTheMidiInputChannelIsAccepted) {
  Controller(3, 1, 100);
  EXPECT_EQ(effect.MidiQueue().Size(), 0);
  Controller(0, 1, 100);
  EXPECT_EQ(effect.MidiQueue().Size(), 1);
  Set(kMidiChannelInput, 16);
  Controller(14, 1, 0);
  EXPECT_EQ(effect.MidiQueue().Size(), 1);
  Controller(15, 1, 127);
  EXPECT_EQ(effect.MidiQueue().Size(), 2);
  Process(StereoBuffer(16));
  EXPECT_DOUBLE_EQ(effect.Param(kAmpMainBlend)->Value(), 1.0);  // the later message wins
}

TEST_F(MoravelleTest, ControllersApplyAtTheStartOfTheirBlockAndLaterOnesWait) {
  Controller(0, 21, 127, 500);  // room size, inside the first block of 512
  Controller(0, 21, 0, 300);
  Controller(0, 24, 64, 700);   // damp, next block
  Controller(0, 99, 50, 0);     // unmapped: ignored
  Process(StereoBuffer(512));
  EXPECT_DOUBLE_EQ(effect.Param(kReverbRoomSize)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(effect.Param(kReverbDamp)->Value(), 0.0);
  EXPECT_EQ(effect.MidiQueue().Size(), 1);
  Process(StereoBuffer(512));
  EXPECT_DOUBLE_EQ(effect.Param(kReverbDamp)->Value(), 64 / 127.0);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kReverbDamp), 64 / 127.0);
}

TEST_F(MoravelleTest, HostTempoIsMirroredEveryBlock) {
  effect.SetTempo(93.5);
  Process(StereoBuffer(32));
  EXPECT_DOUBLE_EQ(effect.Param(kHostTempoBpm)->Value(), 93.5);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kHostTempoBpm), 93.5);
  effect.SetTempo(5000);
  Process(StereoBuffer(32));
  EXPECT_DOUBLE_EQ(effect.Param(kHostTempoBpm)->Value(), 1000);
  effect.SetTempo(0);  // a host without tempo
  Process(StereoBuffer(32));
  EXPECT_DOUBLE_EQ(effect.Param(kHostTempoBpm)->Value(), 0);
}

TEST_F(MoravelleTest, ResetKeepsTheUsersValuesButThePresetSelector) {
  Set(kReverbDecayTime, 0.75);
  Set(kPresetSelector, 7);
  Set(kAmpFilterMode, 2);
  effect.Setup(96000, 1024);
  EXPECT_DOUBLE_EQ(effect.Kernel().SampleRate(), 96000);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kReverbDecayTime), 0.75);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kAmpFilterMode), 2);
  EXPECT_DOUBLE_EQ(effect.Param(kPresetSelector)->Value(), 0);
  EXPECT_DOUBLE_EQ(effect.Kernel().Parameter(kPresetSelector), 0);
  EXPECT_EQ(effect.MidiQueue().Capacity(), MidiEventQueue::kMinimumCapacity);
  EXPECT_EQ(effect.Kernel().ProbeReverb().smoothedRoom, 0.0);
  effect.Setup(96000, 8000);  // the queue follows large block sizes
  EXPECT_EQ(effect.MidiQueue().Capacity(), 16384);
}

TEST_F(MoravelleTest, ThirtyTwoAndSixtyFourBitPathsAgree) {
  Set(kReverbOffOn, 1);
  Set(kReverbLateReverberation, 0.9);
  Set(kReverbDecayTime, 0.4);
  const StereoBuffer in = MakeProgramme(4000);
  std::vector<float> l32(in.left.begin(), in.left.end()), r32(in.right.begin(), in.right.end());
  std::vector<float> ol(4000, 0.0f), orr(4000, 0.0f);
  const float* ins[2] = {l32.data(), r32.data()};
  float* outs[2] = {ol.data(), orr.data()};
  effect.Process32(ins, outs, 4000);  // more frames than the block size: sliced

  Moravelle other(OfflineAdapter::HostArgs{});
  other.Setup(44100, 512);
  for (int i : {kReverbOffOn, kReverbLateReverberation, kReverbDecayTime}) {
    other.Param(i)->SetValue(effect.Param(i)->Value());
    other.OnParamChanged(i);
  }
  StereoBuffer in64(4000);
  for (int i = 0; i < 4000; ++i) {
    in64.left[static_cast<size_t>(i)] = l32[static_cast<size_t>(i)];
    in64.right[static_cast<size_t>(i)] = r32[static_cast<size_t>(i)];
  }
  StereoBuffer out64(4000);
  double* ins64[2] = {in64.left.data(), in64.right.data()};
  double* outs64[2] = {out64.left.data(), out64.right.data()};
  other.Process64(ins64, outs64, 4000);
  for (int i = 0; i < 4000; ++i) ASSERT_EQ(ol[static_cast<size_t>(i)], static_cast<float>(out64.left[static_cast<size_t>(i)])) << i;
  EXPECT_GT(Peak(out64), 0.05);
}

}  // namespace
