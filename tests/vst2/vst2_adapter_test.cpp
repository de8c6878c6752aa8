// Vst2Plugin in this process, under a small test effect with long texts and four
// channels and a scripted host callback: what the adapter hands the effect and what
// it tells the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "abi/vst2/vst2_opcodes.h"
#include "adapters/vst2/vst2_plugin.h"

namespace {
// The scripted host: records every callback and answers from its fields.
struct ScriptedHost {
  std::vector<int32_t> opcodes;
  std::vector<std::pair<int32_t, float>> automation;
  std::string product = "Test Host";
  intptr_t vendorVersion = 10000;
  intptr_t processLevel = 0;
  intptr_t eventsAnswer = 1;
  bool giveTime = true;
  VstTimeInfo time{};
  int32_t lastTimeMask = -1;
  std::vector<VstMidiEvent> midiOut;
  std::vector<VstMidiSysexEvent> sysexOut;
};
ScriptedHost* gHost = nullptr;

intptr_t HostCallback(AEffect*, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  ScriptedHost& host = *gHost;
  host.opcodes.push_back(opcode);
  switch (opcode) {
    case audioMasterAutomate:
      host.automation.emplace_back(index, opt);
      return 0;
    case audioMasterGetTime:
      host.lastTimeMask = static_cast<int32_t>(value);
      return host.giveTime ? reinterpret_cast<intptr_t>(&host.time) : 0;
    case audioMasterGetProductString:
      std::strncpy(static_cast<char*>(ptr), host.product.c_str(), 64);
      return 1;
    case audioMasterGetVendorVersion:
      return host.vendorVersion;
    case audioMasterGetCurrentProcessLevel:
      return host.processLevel;
    case audioMasterProcessEvents: {
      const auto* list = static_cast<const VstEvents*>(ptr);
      for (int32_t i = 0; i < list->numEvents; ++i) {
        if (list->events[i]->type == kVstMidiType)
          host.midiOut.push_back(*reinterpret_cast<const VstMidiEvent*>(list->events[i]));
        if (list->events[i]->type == kVstSysExType)
          host.sysexOut.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(list->events[i]));
      }
      return host.eventsAnswer;
    }
    default:
      return 0;
  }
}

struct EditorCall {
  int index;
  double value;
  bool normalised;
};

class RecordingEditor : public EditorLink {
 public:
  explicit RecordingEditor(std::vector<EditorCall>* calls) : calls_(calls) {}
  void UpdateControlsForParam(int index, double value, bool valueIsNormalised) override {
    calls_->push_back({index, value, valueIsNormalised});
  }
  void PrepareSurfaces() override {}

 private:
  std::vector<EditorCall>* calls_;
};

PluginConfig TestConfig() {
  PluginConfig c;
  c.paramCount = 3;
  c.ioText = "4-4";
  c.presetCount = 2;
  c.effectName = "An effect name that is far longer than thirty-two bytes";
  c.productName = "A product name that is longer than sixty-four bytes, which no host buffer holds";
  c.makerName = "A maker name that is longer than sixty-four bytes, which no host buffer holds!!";
  c.version = 0x00020301;
  c.uniqueId = 0x54657374;
  return c;
}

class TestEffect : public Vst2Plugin {
 public:
  explicit TestEffect(const HostArgs& args) : Vst2Plugin(TestConfig(), args) {
    Param(0)->InitContinuous("A parameter name of 31 chars!!!", 0.5, 0.0, 1.0, 0.00001, "decibels", 1.0);
    Param(1)->InitContinuous("Gain", 0.0, -60.0, 12.0, 0.1, "dB", 1.0);
    Param(2)->InitContinuous("Mode", 0.0, 0.0, 2.0, 1.0, "", 1.0);
    Param(2)->AddValueText(0, "Plate");
    Param(2)->AddValueText(1, "Chamber of echoes");
    Param(2)->AddValueText(2, "Hall");
    FillEmptyPresets("Empty", PresetCount());
  }
  void OnParamChanged(int index) override { changes.push_back({index, IsRestoringState()}); }
  void OnMidiMessage(const MidiMessage& message) override { midi.push_back(message); }
  void OnSysEx(const SysExMessage& message) override { sysex.push_back(message); }
  void OnEditorClosed() override { ++editorClosed; }
  void OnReset() override { ++resets; }

  struct Change {
    int index;
    bool restoring;
  };
  std::vector<Change> changes;
  std::vector<MidiMessage> midi;
  std::vector<SysExMessage> sysex;
  int editorClosed = 0;
  int resets = 0;
};

class Vst2Adapter : public ::testing::Test {
 protected:
  void SetUp() override {
    gHost = &host_;
    Vst2Plugin::HostArgs args;
    args.hostCallback = HostCallback;
    plugin_ = new TestEffect(args);
    effect_ = plugin_->Effect();
  }
  void TearDown() override {
    Dispatch(effClose);
    gHost = nullptr;
  }
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  bool RestoringDuringAllChanges() const {
    if (plugin_->changes.empty()) return false;
    for (const auto& change : plugin_->changes)
      if (!change.restoring) return false;
    return true;
  }

  ScriptedHost host_;
  TestEffect* plugin_ = nullptr;
  AEffect* effect_ = nullptr;
};

std::string CheckedText(std::vector<unsigned char>& buffer, size_t limit) {
  for (size_t i = limit + 1; i < buffer.size(); ++i)
    if (buffer[i] != 0xA5) return "<overrun at " + std::to_string(i) + ">";
  return std::string(reinterpret_cast<const char*>(buffer.data()));
}
}  // namespace

TEST_F(Vst2Adapter, RecordReflectsTheEffect) {
  EXPECT_EQ(effect_->numInputs, 4);
  EXPECT_EQ(effect_->numOutputs, 4);
  EXPECT_EQ(effect_->numParams, 3);
  EXPECT_EQ(effect_->numPrograms, 2);
  EXPECT_EQ(effect_->version, 20301);
  EXPECT_EQ(effect_->flags, 0x1010);
  EXPECT_EQ(Dispatch(effGetVendorVersion), 20301);
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out);
  EXPECT_EQ(in->type, kSpeakerArrUserDefined);
  EXPECT_EQ(out->numChannels, 4);
  VstPinProperties pin{};
  Dispatch(effGetOutputProperties, 2, 0, &pin);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  Dispatch(effGetOutputProperties, 3, 0, &pin);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Output 4");
}

TEST_F(Vst2Adapter, LongTextsAreCutToTheSafeLimits) {
  struct Case {
    int32_t opcode;
    int32_t index;
    size_t limit;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {effGetEffectName, 0, 31, std::string(TestConfig().effectName).substr(0, 31)},
      {effGetVendorString, 0, 63, std::string(TestConfig().makerName).substr(0, 63)},
      {effGetProductString, 0, 63, std::string(TestConfig().productName).substr(0, 63)},
      {effGetParamName, 0, 31, "A parameter name of 31 chars!!!"},
      {effGetParamLabel, 0, 8, "decibels"},
      {effGetParamDisplay, 0, 8, "0.50000"},
      {effGetParamDisplay, 1, 8, "0.0"},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> buffer(c.limit + 1 + 32, 0xA5);
    Dispatch(c.opcode, c.index, 0, buffer.data());
    EXPECT_EQ(CheckedText(buffer, c.limit), c.expected) << "opcode " << c.opcode;
  }
  // A value text longer than 8 characters, and its empty label.
  effect_->setParameter(effect_, 2, 0.5f);
  std::vector<unsigned char> display(9 + 32, 0xA5);
  Dispatch(effGetParamDisplay, 2, 0, display.data());
  EXPECT_EQ(CheckedText(display, 8), "Chamber ");
  std::vector<unsigned char> label(9 + 32, 0xA5);
  Dispatch(effGetParamLabel, 2, 0, label.data());
  EXPECT_EQ(CheckedText(label, 8), "");
}

TEST_F(Vst2Adapter, EventsBecomeMidiAndSysExMessages) {
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.byteSize = 32;
  note.deltaFrames = 12;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  VstMidiEvent reaperStyle = note;  // REAPER writes 24 as the size of MIDI events
  reaperStyle.byteSize = 24;
  reaperStyle.deltaFrames = 40;
  reaperStyle.midiData[0] = static_cast<char>(0xB2);
  VstEvent unknown{};
  unknown.type = kVstParameterType;
  char dump[] = {static_cast<char>(0xF0), 0x7E, 0x01, static_cast<char>(0xF7)};
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.byteSize = 48;
  sysex.deltaFrames = 7;
  sysex.dumpBytes = 4;
  sysex.sysexDump = dump;
  // Five entries, more than the declared two, with a null among them.
  std::vector<unsigned char> block(16 + 8 * 5);
  auto* list = reinterpret_cast<VstEvents*>(block.data());
  list->numEvents = 5;
  VstEvent** entries = &list->events[0];
  entries[0] = reinterpret_cast<VstEvent*>(&note);
  entries[1] = nullptr;
  entries[2] = &unknown;
  entries[3] = reinterpret_cast<VstEvent*>(&sysex);
  entries[4] = reinterpret_cast<VstEvent*>(&reaperStyle);
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, list), 1);
  ASSERT_EQ(plugin_->midi.size(), 2u);
  EXPECT_EQ(plugin_->midi[0].frameOffset, 12);
  EXPECT_EQ(plugin_->midi[0].status, 0x90);
  EXPECT_EQ(plugin_->midi[0].data1, 60);
  EXPECT_EQ(plugin_->midi[0].data2, 100);
  EXPECT_EQ(plugin_->midi[1].frameOffset, 40);
  EXPECT_EQ(plugin_->midi[1].status, 0xB2);
  ASSERT_EQ(plugin_->sysex.size(), 1u);
  EXPECT_EQ(plugin_->sysex[0].frameOffset, 7);
  EXPECT_EQ(plugin_->sysex[0].size, 4);
  EXPECT_EQ(plugin_->sysex[0].data, reinterpret_cast<const uint8_t*>(dump));
}

TEST_F(Vst2Adapter, MidiAndSysExGoOutAsOneEventEach) {
  MidiMessage message;
  message.frameOffset = 5;
  message.status = 0xB1;
  message.data1 = 7;
  message.data2 = 99;
  EXPECT_TRUE(plugin_->EmitMidiMessage(message));
  ASSERT_EQ(host_.midiOut.size(), 1u);
  EXPECT_EQ(host_.midiOut[0].byteSize, 32);
  EXPECT_EQ(host_.midiOut[0].deltaFrames, 5);
  EXPECT_EQ(static_cast<uint8_t>(host_.midiOut[0].midiData[0]), 0xB1);
  EXPECT_EQ(host_.midiOut[0].midiData[2], 99);
  EXPECT_EQ(host_.midiOut[0].noteLength, 0);
  const uint8_t bytes[3] = {0xF0, 0x01, 0xF7};
  SysExMessage sysex;
  sysex.frameOffset = 3;
  sysex.size = 3;
  sysex.data = bytes;
  EXPECT_TRUE(plugin_->EmitSysEx(sysex));
  ASSERT_EQ(host_.sysexOut.size(), 1u);
  EXPECT_EQ(host_.sysexOut[0].byteSize, 48);
  EXPECT_EQ(host_.sysexOut[0].dumpBytes, 3);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(host_.sysexOut[0].sysexDump), bytes);
  host_.eventsAnswer = 0;  // a host that refuses
  EXPECT_FALSE(plugin_->EmitMidiMessage(message));
}

TEST_F(Vst2Adapter, HostTimeIsReadOnlyWhereFlagged) {
  host_.time.samplePos = 1000.6;
  host_.time.tempo = 133.0;
  host_.time.ppqPos = 8.5;
  host_.time.barStartPos = 8.0;
  host_.time.cycleStartPos = 4.0;
  host_.time.cycleEndPos = 12.0;
  host_.time.timeSigNumerator = 7;
  host_.time.timeSigDenominator = 8;
  host_.time.flags = kVstTempoValid | kVstTransportPlaying;
  EXPECT_EQ(plugin_->HostSamplePos(), 1001);
  EXPECT_DOUBLE_EQ(plugin_->HostTempo(), 133.0);
  EXPECT_EQ(host_.lastTimeMask, kVstTempoValid);
  int num = -1, den = -1;
  plugin_->HostTimeSignature(&num, &den);  // not flagged: zeros
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);

  TransportInfo info;
  plugin_->HostTransport(&info);
  EXPECT_EQ(host_.lastTimeMask, 0x3E00);
  EXPECT_DOUBLE_EQ(info.samplePos, 1000.6);
  EXPECT_DOUBLE_EQ(info.tempoBpm, 133.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 0.0);  // not flagged
  EXPECT_EQ(info.timeSigNumerator, 4);
  EXPECT_TRUE(info.running);
  EXPECT_FALSE(info.cycleActive);

  host_.time.flags = kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid | kVstTransportCycleActive;
  TransportInfo all;
  plugin_->HostTransport(&all);
  EXPECT_DOUBLE_EQ(all.ppqPos, 8.5);
  EXPECT_DOUBLE_EQ(all.barStartPpq, 8.0);
  EXPECT_DOUBLE_EQ(all.cycleEndPpq, 12.0);
  EXPECT_EQ(all.timeSigNumerator, 7);
  EXPECT_EQ(all.timeSigDenominator, 8);
  EXPECT_DOUBLE_EQ(all.tempoBpm, 0.0);
  EXPECT_FALSE(all.running);
  EXPECT_TRUE(all.cycleActive);
  plugin_->HostTimeSignature(&num, &den);
  EXPECT_EQ(num, 7);

  host_.time.flags = kVstTransportPlaying;  // none of the asked bits: left alone
  TransportInfo untouched;
  untouched.samplePos = -3.0;
  plugin_->HostTransport(&untouched);
  EXPECT_DOUBLE_EQ(untouched.samplePos, -3.0);
  host_.giveTime = false;
  EXPECT_EQ(plugin_->HostTempo(), 0.0);
  EXPECT_EQ(plugin_->HostSamplePos(), 0);
}

TEST_F(Vst2Adapter, IdentifiesTheHostOnceAndAdaptsToIt) {
  host_.product = "Adobe Audition";
  host_.vendorVersion = 30105;
  Dispatch(effOpen);
  EXPECT_EQ(plugin_->IdentifyHost(), kHostAudition);
  EXPECT_EQ(plugin_->HostVersion(), 0x00030105);
  int asked = 0;
  for (int32_t op : host_.opcodes) asked += op == audioMasterGetProductString;
  EXPECT_EQ(asked, 1);
  // This host gets stereo at most: host input 3 reaches nothing (the base process
  // copies input i to output i).
  std::vector<std::vector<float>> in(4, std::vector<float>(16, 1.0f)), out(4, std::vector<float>(16, 9.0f));
  std::vector<float*> inPtrs, outPtrs;
  for (auto& c : in) inPtrs.push_back(c.data());
  for (auto& c : out) outPtrs.push_back(c.data());
  effect_->processReplacing(effect_, inPtrs.data(), outPtrs.data(), 16);
  EXPECT_EQ(out[1][0], 1.0f);
  EXPECT_EQ(out[2][0], 0.0f);
  EXPECT_EQ(out[3][0], 0.0f);
  EXPECT_EQ(effect_->numInputs, 4);
}

TEST_F(Vst2Adapter, EveryRestoreIsMarkedAndHostChangesAreNot) {
  Dispatch(effOpen);
  EXPECT_TRUE(RestoringDuringAllChanges()) << "effOpen";
  plugin_->changes.clear();

  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, 1, 0, &data);
  std::vector<uint8_t> program(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  EXPECT_EQ(Dispatch(effSetChunk, 1, size, program.data()), 1);
  EXPECT_TRUE(RestoringDuringAllChanges()) << "program chunk";
  plugin_->changes.clear();

  const intptr_t bankSize = Dispatch(effGetChunk, 0, 0, &data);
  std::vector<uint8_t> bank(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bankSize);
  EXPECT_EQ(Dispatch(effSetChunk, 0, bankSize, bank.data()), 1);
  EXPECT_TRUE(RestoringDuringAllChanges()) << "bank chunk";
  plugin_->changes.clear();

  Dispatch(effSetProgram, 0, 1);
  EXPECT_TRUE(RestoringDuringAllChanges()) << "program change";
  EXPECT_EQ(Dispatch(effGetProgram), 1);
  plugin_->changes.clear();

  effect_->setParameter(effect_, 1, 0.5f);
  Dispatch(effString2Parameter, 1, 0, const_cast<char*>("-6"));
  ASSERT_EQ(plugin_->changes.size(), 2u);
  EXPECT_FALSE(plugin_->changes[0].restoring);
  EXPECT_FALSE(plugin_->changes[1].restoring);
}

TEST_F(Vst2Adapter, TextToParameterUsesValueTexts) {
  EXPECT_EQ(Dispatch(effString2Parameter, 2, 0, const_cast<char*>("Hall")), 1);
  EXPECT_FLOAT_EQ(effect_->getParameter(effect_, 2), 1.0f);
  EXPECT_EQ(Dispatch(effString2Parameter, 2, 0, const_cast<char*>("hall")), 0);  // exact match only
  EXPECT_EQ(Dispatch(effString2Parameter, 2, 0, const_cast<char*>("1")), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, 1, 0, const_cast<char*>("-6 dB")), 1);
  EXPECT_NEAR(plugin_->Param(1)->Value(), -6.0, 1e-12);
}

TEST_F(Vst2Adapter, EditorFlagRectangleAndUpdates) {
  std::vector<EditorCall> calls;
  plugin_->AttachEditor(new RecordingEditor(&calls));
  EXPECT_EQ(effect_->flags, 0x1011);
  plugin_->EditorResized(640, 300);
  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->bottom, 300);
  EXPECT_EQ(rect->right, 640);
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, nullptr), 0);  // no window layer in this build
  EXPECT_EQ(Dispatch(effEditClose), 1);
  EXPECT_EQ(plugin_->editorClosed, 1);

  calls.clear();
  effect_->setParameter(effect_, 0, 0.25f);
  Dispatch(effString2Parameter, 1, 0, const_cast<char*>("-12"));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_TRUE(calls[0].normalised);
  EXPECT_FLOAT_EQ(static_cast<float>(calls[0].value), 0.25f);
  EXPECT_FALSE(calls[1].normalised);
  EXPECT_DOUBLE_EQ(calls[1].value, -12.0);
}

TEST_F(Vst2Adapter, EditGesturesAndAutomationReachTheHost) {
  plugin_->BeginParamEdit(1);
  plugin_->SetParamFromEditor(1, 0.75);
  plugin_->EndParamEdit(1);
  plugin_->ReportPresetChange();
  const std::vector<int32_t> expected = {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit,
                                         audioMasterUpdateDisplay};
  EXPECT_EQ(host_.opcodes, expected);
  ASSERT_EQ(host_.automation.size(), 1u);
  EXPECT_EQ(host_.automation[0].first, 1);
  EXPECT_FLOAT_EQ(host_.automation[0].second, 0.75f);
  host_.processLevel = kVstProcessLevelOffline;
  EXPECT_TRUE(plugin_->IsOfflineRender());
  host_.processLevel = kVstProcessLevelRealtime;
  EXPECT_FALSE(plugin_->IsOfflineRender());
}

TEST_F(Vst2Adapter, SettingsFromTheHost) {
  Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
  EXPECT_EQ(plugin_->SampleRate(), 96000.0);
  Dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);  // refused
  Dispatch(effSetSampleRate, 0, 0, nullptr, -44100.0f);
  EXPECT_EQ(plugin_->SampleRate(), 96000.0);
  Dispatch(effSetBlockSize, 0, 64);
  EXPECT_EQ(plugin_->BlockSize(), 64);
  Dispatch(effSetBlockSize, 0, 0);  // refused: nothing could be processed
  Dispatch(effSetBlockSize, 0, intptr_t{1} << 40);
  EXPECT_EQ(plugin_->BlockSize(), 64);
  const int resetsBefore = plugin_->resets;
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(plugin_->resets, resetsBefore + 1);
  plugin_->ChangeLatency(128);
  EXPECT_EQ(effect_->initialDelay, 128);
  MidiKeyName key{};
  key.thisKeyNumber = 60;
  std::strcpy(key.keyName, "stale");
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
}

TEST(Vst2AdapterRecord, NullObjectIsAnsweredWithoutTouchingAnything) {
  AEffect empty{};
  EXPECT_EQ(VSTDispatcher(&empty, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(VSTDispatcher(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(Vst2VersionNumber(0x00010002), 10002);
}
