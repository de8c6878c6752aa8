// Vst3Plugin::process: parameter queues, note events, then 32- or 64-bit audio.
// Runs on the audio thread under the instance lock; allocates nothing.
#include <algorithm>
#include <cmath>

#include "vst3_plugin.h"

using namespace vst3;

namespace {

// Up to this many host channels are bound per call; this plug-in has two.
constexpr int kMaxHostChannels = 16;

template <typename Sample>
Sample** ChannelArrays(const AudioBusBuffers& bus);
template <>
Sample32** ChannelArrays<Sample32>(const AudioBusBuffers& bus) { return bus.channelBuffers32; }
template <>
Sample64** ChannelArrays<Sample64>(const AudioBusBuffers& bus) { return bus.channelBuffers64; }

// The host's channel arrays for the connected channels, in order, at an offset.
template <typename Sample>
struct BoundChannels {
  Sample* inputs[kMaxHostChannels] = {};
  Sample* outputs[kMaxHostChannels] = {};
  int inputCount = 0;
  int outputCount = 0;
};

// Bit c set when every sample of channel c is exactly zero as the host receives it
// (the 32-bit path has already turned results below the smallest normal float into
// 0). A channel without an array, or beyond the 64 bits, is never called silent.
template <typename Sample>
uint64 SilentChannels(const AudioBusBuffers& bus, int32 frames) {
  Sample** arrays = ChannelArrays<Sample>(bus);
  if (arrays == nullptr) return 0;
  uint64 flags = 0;
  const int32 channels = std::min<int32>(bus.numChannels, 64);
  for (int32 c = 0; c < channels; ++c) {
    const Sample* samples = arrays[c];
    if (samples == nullptr) continue;
    if (std::all_of(samples, samples + frames, [](Sample v) { return v == Sample(0); })) flags |= uint64(1) << c;
  }
  return flags;
}

// Every output bus's silence flags for the block just processed. The host may hand
// stale bits in, so each flag is written, set or cleared. The input flags are not
// consulted: the reverb's tail makes a silent input no promise of a silent output,
// and trusting a host's claim of zeros could change the output when the claim is
// stale, so the output is always computed and then looked at.
void ReportOutputSilence(ProcessData& data, bool processed) {
  if (data.outputs == nullptr) return;
  for (int32 b = 0; b < data.numOutputs; ++b) {
    AudioBusBuffers& bus = data.outputs[b];
    if (!processed) {
      bus.silenceFlags = 0;
    } else if (data.symbolicSampleSize == kSample64) {
      bus.silenceFlags = SilentChannels<Sample64>(bus, data.numSamples);
    } else {
      bus.silenceFlags = SilentChannels<Sample32>(bus, data.numSamples);
    }
  }
}

}  // namespace

tresult PLUGIN_API Vst3Plugin::process(ProcessData& data) {
  ScopedLock hold(InstanceLock());
  if (data.processContext != nullptr) processContext_ = *data.processContext;
  ApplyParameterChanges(data.inputParameterChanges);
  if (DoesMidi()) DeliverNoteEvents(data.inputEvents);
  if (data.numSamples <= 0 || BlockSize() <= 0) {  // a parameter flush: no audio written
    ReportOutputSilence(data, false);
    return kResultOk;
  }
  if (data.symbolicSampleSize == kSample64) {
    RunAudio64(data);
  } else {
    RunAudio32(data);
  }
  ReportOutputSilence(data, true);
  return kResultOk;
}

void Vst3Plugin::ApplyParameterChanges(IParameterChanges* changes) {
  if (changes == nullptr) return;
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (queue == nullptr) continue;
    const int32 points = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
    if (std::isnan(value)) continue;
    value = std::clamp(value, 0.0, 1.0);
    const ParamID id = queue->getParameterId();
    if (id == kBypassParamId) {
      SetBypassed(value > 0.5);
    } else if (id == kPresetParamId) {
      const int k = static_cast<int>(value * PresetCount());
      if (k >= 0) LoadPresetSlot(k);
    } else if (id < static_cast<ParamID>(ParamCount())) {
      const int index = static_cast<int>(id);
      Param(index)->SetFromNormalized(value);
      // The host hands back every edit the editor made (an arrow press, a load),
      // in order: when the last point is such an echo it has acted already, and
      // acting again would step or load twice.
      PendingEchoes& echoes = editorEchoes_[static_cast<size_t>(index)];
      bool lastIsEcho = false;
      for (int32 p = 0; p < points && echoes.count > 0; ++p) {
        int32 pointOffset = 0;
        ParamValue point = 0.0;
        if (queue->getPoint(p, pointOffset, point) != kResultOk) break;
        lastIsEcho = echoes.Consume(point) && p == points - 1;
      }
      if (lastIsEcho) continue;
      if (EditorLink* editor = Editor()) editor->UpdateControlsForParam(index, value, true);
      OnParamChanged(index);
    }
  }
}

void Vst3Plugin::DeliverNoteEvents(IEventList* events) {
  if (events == nullptr) return;
  const int32 count = events->getEventCount();
  for (int32 i = 0; i < count; ++i) {
    Event e{};
    if (events->getEvent(i, e) != kResultOk) continue;
    MidiMessage message;
    message.frameOffset = e.sampleOffset;
    if (e.type == Event::kNoteOnEvent) {
      message.status = static_cast<uint8_t>(0x90 | (e.noteOn.channel & 0x0F));
      message.data1 = static_cast<uint8_t>(e.noteOn.pitch & 0x7F);
      message.data2 = static_cast<uint8_t>(std::clamp(e.noteOn.velocity, 0.0f, 1.0f) * 127.0f);
    } else if (e.type == Event::kNoteOffEvent) {
      message.status = static_cast<uint8_t>(0x80 | (e.noteOff.channel & 0x0F));
      message.data1 = static_cast<uint8_t>(e.noteOff.pitch & 0x7F);
      message.data2 = 0;
    } else {
      continue;
    }
    OnMidiMessage(message);
  }
}

// Decides which plug-in channels are connected for this block from the host's buses:
// the first input bus's channels, and each output bus's channels in turn while the
// plug-in's bus of that index is active. A bus without arrays connects nothing.
// Returns the connected input count; outputConnected gets one flag per output.
int Vst3Plugin::ConnectHostBuses(const ProcessData& data, bool* outputConnected) {
  const bool is64 = data.symbolicSampleSize == kSample64;
  auto hasArrays = [is64](const AudioBusBuffers& bus) {
    return is64 ? bus.channelBuffers64 != nullptr : bus.channelBuffers32 != nullptr;
  };
  int inputs = 0;
  ConnectInputs(0, InputCount(), false);
  if (data.numInputs > 0 && data.inputs != nullptr && hasArrays(data.inputs[0])) {
    inputs = std::clamp(static_cast<int>(data.inputs[0].numChannels), 0, std::min(InputCount(), kMaxHostChannels));
    ConnectInputs(0, inputs, true);
  }
  ConnectOutputs(0, OutputCount(), false);
  const int outputs = std::min(OutputCount(), kMaxHostChannels);
  std::fill(outputConnected, outputConnected + outputs, false);
  int next = 0;
  for (int32 b = 0; b < data.numOutputs && data.outputs != nullptr && next < outputs; ++b) {
    const AudioBusBuffers& bus = data.outputs[b];
    const int n = std::clamp(static_cast<int>(bus.numChannels), 0, outputs - next);
    const Bus* mine = AudioOutputs().At(b);
    if (mine != nullptr && mine->IsActive() && hasArrays(bus)) {
      ConnectOutputs(next, n, true);
      std::fill(outputConnected + next, outputConnected + next + n, true);
    }
    next += n;
  }
  return inputs;
}

namespace {

// The host arrays of the connected channels, in channel order, at a frame offset.
// False when the host left a connected channel without an array.
template <typename Sample>
bool Gather(const ProcessData& data, int inputsConnected, int outputChannels, const bool* outputConnected,
            int offset, BoundChannels<Sample>& bound) {
  bound.inputCount = 0;
  bound.outputCount = 0;
  if (inputsConnected > 0) {
    Sample** arrays = ChannelArrays<Sample>(data.inputs[0]);
    for (int ch = 0; ch < inputsConnected; ++ch) {
      if (arrays[ch] == nullptr) return false;
      bound.inputs[bound.inputCount++] = arrays[ch] + offset;
    }
  }
  int channel = 0;
  for (int32 b = 0; b < data.numOutputs && data.outputs != nullptr && channel < outputChannels; ++b) {
    const AudioBusBuffers& bus = data.outputs[b];
    Sample** arrays = ChannelArrays<Sample>(bus);
    for (int32 c = 0; c < bus.numChannels && channel < outputChannels; ++c, ++channel) {
      if (!outputConnected[channel]) continue;
      if (arrays[c] == nullptr) return false;
      bound.outputs[bound.outputCount++] = arrays[c] + offset;
    }
  }
  return true;
}

}  // namespace

void Vst3Plugin::RunAudio32(const ProcessData& data) {
  bool outputConnected[kMaxHostChannels];
  const int inputs = ConnectHostBuses(data, outputConnected);
  const int outputs = std::min(OutputCount(), kMaxHostChannels);
  // Blocks longer than announced run in slices of the block size, so the scratch
  // buffers are never overrun.
  for (int done = 0; done < data.numSamples;) {
    const int n = std::min(data.numSamples - done, BlockSize());
    BoundChannels<Sample32> bound;
    if (!Gather(data, inputs, outputs, outputConnected, done, bound)) return;
    BindInputs32(bound.inputs, n);
    BindOutputs32(bound.outputs);
    if (Bypassed()) {
      BypassBlock32(n);
    } else {
      RunBlock32(n);
    }
    done += n;
  }
}

void Vst3Plugin::RunAudio64(const ProcessData& data) {
  bool outputConnected[kMaxHostChannels];
  const int inputs = ConnectHostBuses(data, outputConnected);
  const int outputs = std::min(OutputCount(), kMaxHostChannels);
  for (int done = 0; done < data.numSamples;) {
    const int n = std::min(data.numSamples - done, BlockSize());
    BoundChannels<Sample64> bound;
    if (!Gather(data, inputs, outputs, outputConnected, done, bound)) return;
    BindInputs64(bound.inputs);
    BindOutputs64(bound.outputs);
    if (!Bypassed()) {
      ProcessBlock(InputPointers(), OutputPointers(), n);
    } else if (PassThrough() != nullptr && Latency() != 0) {
      PassThrough()->Process(InputPointers(), OutputPointers(), n);
    } else {
      PluginBase::ProcessBlock(InputPointers(), OutputPointers(), n);
    }
    done += n;
  }
}
