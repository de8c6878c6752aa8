// Parameters, audio, MIDI and chunks of a hosted VST2 plug-in.
#include <algorithm>
#include <cstring>

#include "vst2_host.h"

std::string Vst2HostedPlugin::TextOpcode(int32_t opcode, int32_t index) {
  // Generous and zero-filled, as most hosts give; the plug-in should write far less.
  char text[256] = {};
  Dispatch(opcode, index, 0, text);
  text[sizeof text - 1] = '\0';
  return text;
}

std::string Vst2HostedPlugin::EffectName() { return TextOpcode(effGetEffectName, 0); }
std::string Vst2HostedPlugin::VendorName() { return TextOpcode(effGetVendorString, 0); }
std::string Vst2HostedPlugin::ProductName() { return TextOpcode(effGetProductString, 0); }

HostedParamInfo Vst2HostedPlugin::Param(int index) {
  HostedParamInfo info;
  info.index = index;
  info.name = TextOpcode(effGetParamName, index);
  info.label = TextOpcode(effGetParamLabel, index);
  info.display = TextOpcode(effGetParamDisplay, index);
  info.normalised = GetParameter(index);
  return info;
}

std::vector<HostedParamInfo> Vst2HostedPlugin::Params() {
  std::vector<HostedParamInfo> params;
  for (int i = 0; i < NumParams(); ++i) params.push_back(Param(i));
  return params;
}

float Vst2HostedPlugin::GetParameter(int index) { return effect_->getParameter(effect_, index); }

void Vst2HostedPlugin::SetParameter(int index, float normalised) {
  effect_->setParameter(effect_, index, normalised);
}

bool Vst2HostedPlugin::SetParameterText(int index, const std::string& text) {
  return Dispatch(effString2Parameter, index, 0, const_cast<char*>(text.c_str())) == 1;
}

void Vst2HostedPlugin::EnsureScratch(int channels, int frames) {
  const auto need = static_cast<size_t>(std::max(frames, 0));
  scratchIn_.resize(static_cast<size_t>(std::max(NumInputs(), 0)));
  scratchOut_.resize(static_cast<size_t>(std::max(channels, 0)));
  for (auto& buffer : scratchIn_) buffer.resize(need);
  for (auto& buffer : scratchOut_) buffer.resize(need);
}

// The frames handed over per call: the announced block size, unless the host is one
// that ignores it.
int Vst2HostedPlugin::SliceLength(int remaining) const {
  return options_.ignoreAnnouncedBlockSize ? remaining : std::min(remaining, std::max(blockSize_, 1));
}

void Vst2HostedPlugin::ProcessFloat(const float* const* inputs, float* const* outputs, int frames) {
  if (!active_ && !options_.processWhileSuspended) Resume();
  const bool replacing = (effect_->flags & effFlagsCanReplacing) != 0 && effect_->processReplacing != nullptr;
  std::vector<float*> in(static_cast<size_t>(NumInputs()));
  std::vector<float*> out(static_cast<size_t>(NumOutputs()));
  for (int done = 0; done < frames;) {
    const int n = SliceLength(frames - done);
    for (size_t c = 0; c < in.size(); ++c) in[c] = const_cast<float*>(inputs[c]) + done;
    for (size_t c = 0; c < out.size(); ++c) out[c] = outputs[c] + done;
    if (replacing) {
      effect_->processReplacing(effect_, in.data(), out.data(), n);
    } else {
      for (float* channel : out) std::fill(channel, channel + n, 0.0f);
      effect_->process(effect_, in.data(), out.data(), n);
    }
    timeInfo_.samplePos += n;
    done += n;
  }
}

void Vst2HostedPlugin::ProcessDouble(const double* const* inputs, double* const* outputs, int frames) {
  if (!active_ && !options_.processWhileSuspended) Resume();
  if (CanProcessDouble()) {
    std::vector<double*> in(static_cast<size_t>(NumInputs()));
    std::vector<double*> out(static_cast<size_t>(NumOutputs()));
    for (int done = 0; done < frames;) {
      const int n = SliceLength(frames - done);
      for (size_t c = 0; c < in.size(); ++c) in[c] = const_cast<double*>(inputs[c]) + done;
      for (size_t c = 0; c < out.size(); ++c) out[c] = outputs[c] + done;
      effect_->processDoubleReplacing(effect_, in.data(), out.data(), n);
      timeInfo_.samplePos += n;
      done += n;
    }
    return;
  }
  // No 64-bit path: convert through 32-bit buffers.
  EnsureScratch(NumOutputs(), frames);
  for (size_t c = 0; c < scratchIn_.size(); ++c)
    std::transform(inputs[c], inputs[c] + frames, scratchIn_[c].begin(), [](double v) { return static_cast<float>(v); });
  std::vector<const float*> in;
  std::vector<float*> out;
  for (auto& buffer : scratchIn_) in.push_back(buffer.data());
  for (auto& buffer : scratchOut_) out.push_back(buffer.data());
  ProcessFloat(in.data(), out.data(), frames);
  for (size_t c = 0; c < scratchOut_.size(); ++c) std::copy(scratchOut_[c].begin(), scratchOut_[c].begin() + frames, outputs[c]);
}

intptr_t Vst2HostedPlugin::SendMidi(const std::vector<HostMidiEvent>& events) {
  // The list holds its pointers inline from byte 16: allocate room for all of them.
  eventStore_.assign(events.size(), VstMidiEvent{});
  eventBlock_.assign(16 + 8 * std::max<size_t>(events.size(), 2), 0);
  auto* list = reinterpret_cast<VstEvents*>(eventBlock_.data());
  list->numEvents = static_cast<int32_t>(events.size());
  VstEvent** pointers = &list->events[0];
  for (size_t i = 0; i < events.size(); ++i) {
    VstMidiEvent& e = eventStore_[i];
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = events[i].deltaFrames;
    for (int b = 0; b < 3; ++b) e.midiData[b] = static_cast<char>(events[i].bytes[b]);
    pointers[i] = reinterpret_cast<VstEvent*>(&e);
  }
  return Dispatch(effProcessEvents, 0, 0, list);
}

std::vector<uint8_t> Vst2HostedPlugin::GetChunk(bool program) {
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

bool Vst2HostedPlugin::SetChunk(bool program, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> copy = bytes;  // hosts own the bytes; the plug-in must copy them
  return Dispatch(effSetChunk, program ? 1 : 0, static_cast<intptr_t>(copy.size()), copy.data()) == 1;
}
