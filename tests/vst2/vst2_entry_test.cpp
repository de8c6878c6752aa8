// The built binary as hosts see it: the effect record read by raw offsets, both
// entry points, identity opcodes and the call orders of real hosts.
#include <cstring>

#include "vst2_test_support.h"

namespace {
template <typename T>
T ReadAt(const AEffect* effect, size_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(effect) + offset, sizeof value);
  return value;
}
}  // namespace

TEST(Vst2Entry, RecordReadByRawOffsetsMatchesTheInterface) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  const AEffect* e = plugin->Effect();
  // Offsets as hosts compiled them, not through our own struct.
  const auto* bytes = reinterpret_cast<const unsigned char*>(e);
  EXPECT_EQ(bytes[0], 0x50);
  EXPECT_EQ(bytes[1], 0x74);
  EXPECT_EQ(bytes[2], 0x73);
  EXPECT_EQ(bytes[3], 0x56);
  EXPECT_EQ(ReadAt<int32_t>(e, 40), 1);   // numPrograms
  EXPECT_EQ(ReadAt<int32_t>(e, 44), 31);  // numParams
  EXPECT_EQ(ReadAt<int32_t>(e, 48), 2);   // numInputs
  EXPECT_EQ(ReadAt<int32_t>(e, 52), 2);   // numOutputs
  EXPECT_EQ(ReadAt<int32_t>(e, 80), 0);   // initialDelay
  EXPECT_EQ(ReadAt<float>(e, 92), 1.0f);  // ioRatio
  EXPECT_NE(ReadAt<void*>(e, 96), nullptr);  // object
  EXPECT_EQ(ReadAt<int32_t>(e, 112), 0x4D727632);  // "Mrv2"
  EXPECT_EQ(ReadAt<int32_t>(e, 116), 10002);
  const bool hasEditor = (ReadAt<int32_t>(e, 56) & effFlagsHasEditor) != 0;
  EXPECT_EQ(ReadAt<int32_t>(e, 56), hasEditor ? 0x1011 : 0x1010);
  // The three callbacks are installed and the accumulating one is not the replacing one.
  EXPECT_NE(ReadAt<void*>(e, 16), nullptr);
  EXPECT_NE(ReadAt<void*>(e, 120), nullptr);
  EXPECT_NE(ReadAt<void*>(e, 128), nullptr);
  EXPECT_NE(ReadAt<void*>(e, 16), ReadAt<void*>(e, 120));
  for (size_t i = 136; i < 192; ++i) EXPECT_EQ(bytes[i], 0) << "future byte " << i;
}

TEST(Vst2Entry, EditorFlagAgreesWithTheEditorOpcodes) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  const bool hasEditor = (plugin->Effect()->flags & effFlagsHasEditor) != 0;
  ERect* rect = nullptr;
  EXPECT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, &rect), hasEditor ? 1 : 0);
  EXPECT_EQ(rect != nullptr, hasEditor);
  if (!hasEditor) {
    EXPECT_EQ(plugin->Dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin->Dispatch(effEditClose), 0);
  }
  EXPECT_EQ(plugin->Dispatch(effEditIdle), 0);
}

TEST(Vst2Entry, BothEntryPointsCreateWorkingInstances) {
  Vst2HostOptions legacy;
  legacy.legacyMainFirst = true;  // Ardour's Linux loader
  auto viaMain = LoadMoravelle(legacy);
  auto viaPluginMain = LoadMoravelle();
  ASSERT_TRUE(viaMain && viaPluginMain);
  EXPECT_EQ(viaMain->EntryPointUsed(), "main");
  EXPECT_EQ(viaPluginMain->EntryPointUsed(), "VSTPluginMain");
  EXPECT_NE(viaMain->Effect(), viaPluginMain->Effect());
  // The instances are independent.
  viaMain->SetParameter(kParamMainVolume, 0.9f);
  EXPECT_FLOAT_EQ(viaMain->GetParameter(kParamMainVolume), 0.9f);
  EXPECT_FLOAT_EQ(viaPluginMain->GetParameter(kParamMainVolume), 0.5f);
}

TEST(Vst2Entry, IdentityOpcodes) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->EffectName(), "Moravelle");
  EXPECT_EQ(plugin->VendorName(), "PellionAudio");
  EXPECT_EQ(plugin->ProductName(), "");
  EXPECT_EQ(plugin->Dispatch(effGetVendorVersion), 10002);
  EXPECT_EQ(plugin->Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(plugin->Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(plugin->Dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(plugin->Dispatch(effGetTailSize), 1);  // the reverb is off: no tail
  EXPECT_EQ(plugin->Dispatch(effCanBeAutomated, 3), 1);
  EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
  // Null text buffers are refused.
  EXPECT_EQ(plugin->Dispatch(effGetEffectName, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(effGetVendorString, 0, 0, nullptr), 0);
  // Unsupported opcodes answer 0, bypass among them.
  EXPECT_EQ(plugin->Dispatch(effSetBypass, 0, 1), 0);
  EXPECT_EQ(plugin->Dispatch(effProcessVarIo), 0);
  EXPECT_EQ(plugin->Dispatch(effIdle), 0);
  EXPECT_EQ(plugin->Dispatch(9999), 0);
}

TEST(Vst2Entry, CanDoAnswers) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  auto ask = [&](const char* question) { return plugin->Dispatch(effCanDo, 0, 0, const_cast<char*>(question)); };
  EXPECT_EQ(ask("receiveVstMidiEvent"), 1);
  EXPECT_EQ(ask("receiveVstEvents"), 1);
  EXPECT_EQ(ask("sendVstEvents"), 1);
  EXPECT_EQ(ask("sendVstMidiEvent"), 1);
  EXPECT_EQ(ask("receiveVstTimeInfo"), 1);
  // Not -1: some hosts take any non-zero answer as yes.
  EXPECT_EQ(ask("bypass"), 0);
  EXPECT_EQ(ask("hasCockosExtensions"), 0);
  EXPECT_EQ(ask("offline"), 0);
  EXPECT_EQ(plugin->Dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST(Vst2Entry, SampleRateAndBlockSizeBeforeOpenAsAudacityDoes) {
  Vst2HostOptions audacity;
  audacity.setupBeforeOpen = true;
  audacity.sampleRate = 48000.0;
  audacity.blockSize = 256;
  auto plugin = LoadMoravelle(audacity);
  ASSERT_TRUE(plugin);
  SwitchReverbOn(*plugin);
  auto in = TestSignal(1000, 48000.0);
  std::vector<std::vector<float>> out(2, std::vector<float>(1000, 0.0f));
  auto inPtrs = ChannelPointers(in);
  auto outPtrs = ChannelPointers(out);
  plugin->ProcessFloat(inPtrs.data(), outPtrs.data(), 1000);
  double energy = 0.0;
  for (float v : out[0]) {
    ASSERT_TRUE(std::isfinite(v));
    energy += v * v;
  }
  EXPECT_GT(energy, 0.0);
}

TEST(Vst2Entry, SurvivesHostPointersInTheReservedFields) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  // The host wrote its own pointer into resvd1, resvd2 and user at load; overwrite
  // them again with garbage: the plug-in must only ever use 'object'.
  plugin->Effect()->resvd2 = static_cast<intptr_t>(0x5A5A5A5A5A5A5A5A);
  plugin->Effect()->user = reinterpret_cast<void*>(static_cast<intptr_t>(0x7E7E7E7E7E7E7E7E));
  plugin->SetParameter(kParamMainVolume, 0.25f);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.25f);
  EXPECT_EQ(plugin->EffectName(), "Moravelle");
  EXPECT_FALSE(plugin->GetChunk(true).empty());
}

TEST(Vst2Entry, HostIsAskedForItsNameOnlyFromOpenOn) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  // The product string is asked once (effOpen identifies the host), never again.
  int productQueries = 0;
  for (const HostCallbackCall& call : plugin->CallbackLog())
    if (call.opcode == audioMasterGetProductString) ++productQueries;
  EXPECT_EQ(productQueries, 1);
  plugin->Dispatch(effOpen);
  int after = 0;
  for (const HostCallbackCall& call : plugin->CallbackLog())
    if (call.opcode == audioMasterGetProductString) ++after;
  EXPECT_EQ(after, 1);
}
