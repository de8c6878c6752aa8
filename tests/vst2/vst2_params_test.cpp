// Parameters, texts and pins through the binary's dispatcher: values, displays, text
// input, the vendor display extension, and the host buffer limits.
#include <cstring>

#include <new>

#include "high_memory.h"
#include "vst2_test_support.h"

namespace {
// Calls a text opcode with a buffer of canaries and checks that nothing was written
// past limit characters + terminator. Returns the text.
std::string TextWithinLimit(Vst2HostedPlugin& plugin, int32_t opcode, int32_t index, size_t limit) {
  std::vector<unsigned char> buffer(limit + 1 + 64, kCanary);
  plugin.Dispatch(opcode, index, 0, buffer.data());
  EXPECT_TRUE(CanaryIntact(buffer, limit + 1)) << "opcode " << opcode << " index " << index << " wrote past " << limit;
  const auto* end = static_cast<const unsigned char*>(std::memchr(buffer.data(), 0, limit + 1));
  EXPECT_NE(end, nullptr) << "opcode " << opcode << " left its text unterminated";
  return end != nullptr ? std::string(reinterpret_cast<const char*>(buffer.data())) : std::string();
}
}  // namespace

TEST(Vst2Params, GetAndSetNormalisedValues) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.5f);
  plugin->SetParameter(kParamMainVolume, 0.8f);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.8f);  // read back at once
  // The MIDI channel runs 1..16: normalised 1 is channel 16.
  plugin->SetParameter(kParamMidiChannel, 1.0f);
  EXPECT_EQ(plugin->Param(kParamMidiChannel).display, "16.00000");
  // Out of range indices do nothing and read 0.
  plugin->SetParameter(-1, 0.3f);
  plugin->SetParameter(31, 0.3f);
  EXPECT_EQ(plugin->GetParameter(-1), 0.0f);
  EXPECT_EQ(plugin->GetParameter(31), 0.0f);
}

TEST(Vst2Params, DisplayNameAndLabel) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  const HostedParamInfo volume = plugin->Param(kParamMainVolume);
  EXPECT_EQ(volume.name, "AmpMainVolume");
  EXPECT_EQ(volume.display, "0.50000");
  EXPECT_EQ(plugin->Param(kParamRoomSize).name, "ReverbRoomSize");
  // Out of range: the buffer is left alone.
  char untouched[16] = "keep";
  plugin->Dispatch(effGetParamName, 31, 0, untouched);
  plugin->Dispatch(effGetParamDisplay, -1, 0, untouched);
  EXPECT_STREQ(untouched, "keep");
}

TEST(Vst2Params, TextToParameter) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  EXPECT_TRUE(plugin->SetParameterText(kParamMainVolume, "0.75"));
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.75f);
  EXPECT_TRUE(plugin->SetParameterText(kParamMainVolume, "2"));  // clamped
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 1.0f);
  EXPECT_TRUE(plugin->SetParameterText(kParamHostTempo, "250"));
  EXPECT_EQ(plugin->Param(kParamHostTempo).display, "250.0000");  // cut to 8 characters
  // A null text is the capability query; an index out of range is refused.
  EXPECT_EQ(plugin->Dispatch(effString2Parameter, kParamMainVolume, 0, nullptr), 1);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 1.0f);
  EXPECT_EQ(plugin->Dispatch(effString2Parameter, 31, 0, const_cast<char*>("0.5")), 0);
}

TEST(Vst2Params, VendorDisplayExtension) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  char text[256] = {};
  EXPECT_EQ(plugin->Dispatch(effVendorSpecific, kVendorParamDisplay, kParamMainVolume, text, 0.25f), 0xBEEF);
  EXPECT_STREQ(text, "0.25000");
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.5f);  // formatting changes nothing
  // Out of range parameter: answered, nothing written.
  char untouched[8] = "keep";
  EXPECT_EQ(plugin->Dispatch(effVendorSpecific, kVendorParamDisplay, 99, untouched, 0.25f), 0xBEEF);
  EXPECT_STREQ(untouched, "keep");
  // Every parameter is continuous, so none uses integer steps.
  EXPECT_EQ(plugin->Dispatch(effVendorSpecific, kVendorParamUsesIntStep, kParamMainVolume), 0);
  EXPECT_EQ(plugin->Dispatch(effVendorSpecific, 12345, 0, text), 0);
}

TEST(Vst2Params, TextsNeverPassTheSafeLimits) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  // Values whose full display text is longer than 8 characters.
  plugin->SetParameterText(kParamHostTempo, "999.12345");
  plugin->SetParameterText(kParamPresetSelector, "-0.5");
  for (int i = 0; i < plugin->NumParams(); ++i) {
    TextWithinLimit(*plugin, effGetParamLabel, i, 8);
    TextWithinLimit(*plugin, effGetParamDisplay, i, 8);
    EXPECT_FALSE(TextWithinLimit(*plugin, effGetParamName, i, 31).empty());
  }
  EXPECT_EQ(TextWithinLimit(*plugin, effGetParamDisplay, kParamHostTempo, 8), "999.1234");
  EXPECT_EQ(TextWithinLimit(*plugin, effGetEffectName, 0, 31), "Moravelle");
  EXPECT_EQ(TextWithinLimit(*plugin, effGetVendorString, 0, 63), "PellionAudio");
  TextWithinLimit(*plugin, effGetProductString, 0, 63);

  // A program name longer than any host's buffer is cut to 23 characters.
  const std::string longName = "A program name far longer than twenty-four bytes";
  plugin->Dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
  EXPECT_EQ(TextWithinLimit(*plugin, effGetProgramName, 0, 23), longName.substr(0, 23));
  EXPECT_EQ(TextWithinLimit(*plugin, effGetProgramNameIndexed, 0, 23), longName.substr(0, 23));
}

TEST(Vst2Params, ProgramNames) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  char name[64] = {};
  plugin->Dispatch(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Init");
  EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "Init");
  EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 1, 0, name), 0);  // no such program
  EXPECT_STREQ(name, "");
  plugin->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Hall"));
  plugin->Dispatch(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Hall");
  EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 0, -1, nullptr), 0);
}

TEST(Vst2Params, PinProperties) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  VstPinProperties pin{};
  ASSERT_EQ(plugin->Dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Input 1");
  ASSERT_EQ(plugin->Dispatch(effGetInputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Input 2");
  ASSERT_EQ(plugin->Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(plugin->Dispatch(effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(plugin->Dispatch(effGetInputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(plugin->Dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST(Vst2Params, SpeakerArrangements) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->numChannels, 2);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(out->numChannels, 2);

  // The input arrangement travels in the pointer-sized value: put it above 4 GiB
  // so that a value cut to 32 bits would be caught.
  HighMemory high(sizeof(VstSpeakerArrangement));
  ASSERT_NE(high.Data(), nullptr) << "no memory above 4 GiB";
  auto& mono = *new (high.Data()) VstSpeakerArrangement{};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  VstSpeakerArrangement stereo{};
  stereo.type = kSpeakerArrStereo;
  stereo.numChannels = 2;
  EXPECT_EQ(plugin->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &stereo), 1);
  // With one input connected, the one host input array feeds channel 1 and channel
  // 2 reads silence: a signal only in the second host array must not come through.
  auto signal = TestSignal(256);
  std::vector<std::vector<float>> outBuf(2, std::vector<float>(256, 1.0f));
  auto inPtrs = ChannelPointers(signal);
  auto outPtrs = ChannelPointers(outBuf);
  plugin->ProcessFloat(inPtrs.data(), outPtrs.data(), 256);
  for (int f = 0; f < 256; ++f) EXPECT_FLOAT_EQ(outBuf[1][static_cast<size_t>(f)], 0.0f) << f;
  // Back to stereo: both come through (the reverb is off: a straight pass).
  EXPECT_EQ(plugin->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&stereo), &stereo), 1);
  plugin->ProcessFloat(inPtrs.data(), outPtrs.data(), 256);
  EXPECT_NEAR(outBuf[1][100], signal[1][100], 1e-6);
}
