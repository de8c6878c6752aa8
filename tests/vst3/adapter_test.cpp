// The adapter's own behaviour on a small recording plug-in: restores marked as such,
// edits and restarts through the component handler, transport from the process
// context, note events, the latency path and the host's parameter menu.
#include <gtest/gtest.h>

#include <cmath>

#include "recording_plugin.h"
#include "vst3_host.h"

using namespace vst3;

namespace {

// Holds a RecordingPlugin the way a host does: created with one reference,
// initialised, set up, released at the end.
struct Hosted {
  RecordingPlugin* plugin = new RecordingPlugin();
  host3::ComponentHandler* handler = new host3::ComponentHandler();
  host3::ParameterChanges* changes = new host3::ParameterChanges();
  host3::EventList* events = new host3::EventList();

  Hosted() {
    plugin->initialize(nullptr);
    plugin->setComponentHandler(handler);
    ProcessSetup setup{kRealtime, kSample32, 64, 44100.0};
    plugin->setupProcessing(setup);
    plugin->setActive(1);
  }
  ~Hosted() {
    plugin->terminate();
    plugin->release();
    handler->ReleaseReference();
    changes->ReleaseReference();
    events->ReleaseReference();
  }
  // One 32-bit block of 64 frames with the queued changes and events.
  void Process(float* const* in, float* const* out, ProcessContext* context = nullptr) {
    AudioBusBuffers inputs{};
    inputs.numChannels = 2;
    inputs.channelBuffers32 = const_cast<float**>(in);
    AudioBusBuffers outputs{};
    outputs.numChannels = 2;
    outputs.channelBuffers32 = const_cast<float**>(out);
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = 64;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inputs;
    data.outputs = &outputs;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    data.processContext = context;
    EXPECT_EQ(plugin->process(data), kResultOk);
    changes->Clear();
    events->Clear();
  }
  void Queue(ParamID id, double value) {
    int32 index = 0;
    changes->addParameterData(id, index)->addPoint(0, value, index);
  }
};

struct Block {
  float inL[64], inR[64], outL[64] = {}, outR[64] = {};
  float* in[2] = {inL, inR};
  float* out[2] = {outL, outR};
  Block() {
    for (int i = 0; i < 64; ++i) inL[i] = inR[i] = static_cast<float>(i + 1);
  }
};

}  // namespace

TEST(Vst3Adapter, StateRestoresRunInsideTheRestoreScope) {
  Hosted h;
  host3::MemoryStream* stream = new host3::MemoryStream();
  ASSERT_EQ(h.plugin->getState(stream), kResultOk);
  stream->Rewind();
  h.plugin->changes.clear();
  ASSERT_EQ(h.plugin->setState(stream), kResultOk);
  stream->release();
  ASSERT_EQ(h.plugin->changes.size(), 3u);
  for (const auto& change : h.plugin->changes) EXPECT_TRUE(change.restoring) << change.index;
  EXPECT_FALSE(h.plugin->IsRestoringState());

  h.plugin->changes.clear();
  h.Queue(1, 0.75);
  Block b;
  h.Process(b.in, b.out);
  ASSERT_EQ(h.plugin->changes.size(), 1u);
  EXPECT_EQ(h.plugin->changes[0].index, 1);
  EXPECT_FALSE(h.plugin->changes[0].restoring);
  EXPECT_DOUBLE_EQ(h.plugin->Param(1)->Value(), 0.75);
}

TEST(Vst3Adapter, EditsAndLatencyChangesReachTheComponentHandler) {
  Hosted h;
  h.plugin->BeginParamEdit(2);
  h.plugin->SetParamFromEditor(2, 0.4);
  h.plugin->EndParamEdit(2);
  const auto& calls = h.handler->Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, host3::ComponentHandler::Call::Begin);
  EXPECT_EQ(calls[1].kind, host3::ComponentHandler::Call::Perform);
  EXPECT_EQ(calls[1].id, 2u);
  EXPECT_DOUBLE_EQ(calls[1].value, 0.4);
  EXPECT_EQ(calls[2].kind, host3::ComponentHandler::Call::End);
  EXPECT_DOUBLE_EQ(h.plugin->Param(2)->Value(), 4.0);

  h.handler->ClearCalls();
  h.plugin->ChangeLatency(16);
  ASSERT_EQ(h.handler->Calls().size(), 1u);
  EXPECT_EQ(h.handler->Calls()[0].kind, host3::ComponentHandler::Call::Restart);
  EXPECT_EQ(h.handler->Calls()[0].value, kLatencyChanged);
  EXPECT_EQ(h.plugin->getLatencySamples(), 16u);

  // Bypassed with latency: the input comes out delayed by exactly the latency.
  h.Queue(Vst3Plugin::kBypassParamId, 1.0);
  Block b;
  h.Process(b.in, b.out);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(b.outL[i], 0.0f) << i;
  for (int i = 16; i < 64; ++i) EXPECT_EQ(b.outL[i], b.inL[i - 16]) << i;
  // Not bypassed: the plug-in's own processing (half gain).
  h.Queue(Vst3Plugin::kBypassParamId, 0.0);
  h.Process(b.in, b.out);
  EXPECT_EQ(b.outR[10], 0.5f * b.inR[10]);
}

TEST(Vst3Adapter, TransportAndTempoComeFromTheLastProcessContext) {
  Hosted h;
  EXPECT_EQ(h.plugin->HostTempo(), 0.0);
  ProcessContext context{};
  context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive | ProcessContext::kTempoValid;
  context.tempo = 132.5;
  context.projectTimeSamples = (int64{1} << 32) + 4410;
  context.projectTimeMusic = 12.5;
  context.barPositionMusic = 12.0;
  context.cycleStartMusic = 8.0;
  context.cycleEndMusic = 16.0;
  context.timeSigNumerator = 7;
  context.timeSigDenominator = 8;
  Block b;
  h.Process(b.in, b.out, &context);
  EXPECT_EQ(h.plugin->HostTempo(), 132.5);
  EXPECT_EQ(h.plugin->HostSamplePos(), 4410);  // the low 32 bits
  int num = 0, den = 0;
  h.plugin->HostTimeSignature(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);
  TransportInfo info;
  h.plugin->HostTransport(&info);
  EXPECT_TRUE(info.running);
  EXPECT_TRUE(info.cycleActive);
  EXPECT_EQ(info.ppqPos, 12.5);
  EXPECT_EQ(info.barStartPpq, 12.0);
  EXPECT_EQ(info.cycleEndPpq, 16.0);
  context.state = 0;
  h.Process(b.in, b.out, &context);
  h.plugin->HostTransport(&info);
  EXPECT_FALSE(info.running);

  EXPECT_FALSE(h.plugin->IsOfflineRender());
  ProcessSetup offline{kOffline, kSample32, 64, 44100.0};
  h.plugin->setActive(0);
  ASSERT_EQ(h.plugin->setupProcessing(offline), kResultOk);
  EXPECT_TRUE(h.plugin->IsOfflineRender());
}

TEST(Vst3Adapter, NoteEventsBecomeMidiMessagesInOrder) {
  Hosted h;
  Event on{};
  on.type = Event::kNoteOnEvent;
  on.sampleOffset = 5;
  on.noteOn.channel = 3;
  on.noteOn.pitch = 60;
  on.noteOn.velocity = 0.5f;
  Event off{};
  off.type = Event::kNoteOffEvent;
  off.sampleOffset = 20;
  off.noteOff.channel = 3;
  off.noteOff.pitch = 60;
  off.noteOff.velocity = 1.0f;
  Event other{};
  other.type = Event::kPolyPressureEvent;
  h.events->addEvent(on);
  h.events->addEvent(other);
  h.events->addEvent(off);
  Block b;
  h.Process(b.in, b.out);
  ASSERT_EQ(h.plugin->midi.size(), 2u);
  EXPECT_EQ(h.plugin->midi[0].frameOffset, 5);
  EXPECT_EQ(h.plugin->midi[0].status, 0x93);
  EXPECT_EQ(h.plugin->midi[0].data1, 60);
  EXPECT_EQ(h.plugin->midi[0].data2, 63);  // 0.5 x 127 truncated
  EXPECT_EQ(h.plugin->midi[1].status, 0x83);
  EXPECT_EQ(h.plugin->midi[1].data2, 0);
}

TEST(Vst3Adapter, PresetChangeLoadsTheSlotAndUnknownIdsAreIgnored) {
  Hosted h;
  h.plugin->Param(0)->SetValue(0.9);  // differs from the slot saved at initialize
  h.plugin->changes.clear();
  h.Queue(Vst3Plugin::kPresetParamId, 0.0);
  h.Queue(12345, 0.5);
  h.Queue(3, 0.5);  // one past the last parameter
  Block b;
  h.Process(b.in, b.out);
  EXPECT_DOUBLE_EQ(h.plugin->Param(0)->Value(), 0.5);
  for (const auto& change : h.plugin->changes) EXPECT_TRUE(change.restoring);
  EXPECT_EQ(h.plugin->changes.size(), 3u);
}

TEST(Vst3Adapter, HostParameterMenuNeedsAnEditorAnOpenViewAndTheMenuExtension) {
  Hosted h;
  h.handler->EnableContextMenus(true);
  h.plugin->ShowHostParamMenu(1, 10, 20);  // no editor
  EXPECT_TRUE(h.handler->Calls().empty());
  h.plugin->AttachEditor(new FakeEditor());
  h.plugin->ShowHostParamMenu(1, 10, 20);  // no view
  EXPECT_TRUE(h.handler->Calls().empty());
  IPlugView* view = h.plugin->createView("editor");
  ASSERT_NE(view, nullptr);
  h.plugin->ShowHostParamMenu(1, 10, 20);
  ASSERT_EQ(h.handler->Calls().size(), 2u);
  EXPECT_EQ(h.handler->Calls()[0].kind, host3::ComponentHandler::Call::ContextMenu);
  EXPECT_EQ(h.handler->Calls()[0].id, 1u);
  EXPECT_EQ(h.handler->Calls()[1].kind, host3::ComponentHandler::Call::Popup);
  EXPECT_EQ(h.handler->Calls()[1].value, 10 * 65536.0 + 20);
  h.handler->ClearCalls();
  h.handler->EnableContextMenus(false);
  h.plugin->ShowHostParamMenu(1, 10, 20);
  EXPECT_TRUE(h.handler->Calls().empty());
  view->release();
}

TEST(Vst3Adapter, HostNameIdentifiesTheHostAtInitialize) {
  auto* plugin = new RecordingPlugin();
  auto* app = new host3::HostApplication(u"Ardour 7.3");
  ASSERT_EQ(plugin->initialize(static_cast<IHostApplication*>(app)), kResultOk);
  EXPECT_EQ(plugin->IdentifyHost(), kHostArdour);
  EXPECT_EQ(plugin->HostInterfaceKind(), kHostInterfaceVst3);
  plugin->terminate();
  plugin->release();
  app->ReleaseReference();
}

TEST(Vst3Adapter, ClassNameQueriesKnowTheBases) {
  auto* plugin = new RecordingPlugin();
  EXPECT_STREQ(plugin->ClassName(), "Vst3Plugin");
  for (const char* name : {"Vst3Plugin", "SingleComponentEffect", "EditController", "ComponentBase", "FObject"})
    EXPECT_TRUE(plugin->IsTypeOf(name)) << name;
  EXPECT_FALSE(plugin->IsTypeOf("CPluginView"));
  plugin->release();
}
