#include "kernel_core.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp_guards.h"

MORAVELLE_DSP_BEGIN

std::unique_ptr<EffectKernel> CreateKernelCore(double sampleRate) { return std::make_unique<KernelCore>(sampleRate); }

KernelCore::KernelCore(double sampleRate) {
  // The table's defaults are the reset values of this first Init.
  Init(sampleRate);
  for (int i = 0; i < kKernelParamCount; ++i) {
    KernelParamInfo& info = table_[static_cast<size_t>(i)];
    const KernelParamSpec& spec = kKernelParamSpecs[static_cast<size_t>(i)];
    info.defaultValue = params_[static_cast<size_t>(i)];
    info.outputMinimum = spec.minimum;
    info.outputMaximum = spec.maximum;
    info.name = spec.name;
    info.units = spec.units;
  }
}

ReverbProbe KernelCore::ProbeReverb() const {
  ReverbProbe probe;
  probe.roomLength = reverb_.RoomLength();
  probe.diffuserScale = reverb_.DiffuserScale();
  for (int k = 0; k < 4; ++k) {
    probe.lineGain[k] = reverb_.LineGain(k);
    probe.tapGain[k] = reverb_.TapGain(k);
  }
  probe.smoothedRoom = reverb_.SmoothedRoom();
  probe.preDelayMaximum = reverb_.PreDelayLine(0).MaximumDelay();
  return probe;
}

StageStateProbe KernelCore::ProbeStageStates() const {
  StageStateProbe probe;
  const ClipStage* clips[2] = {&preamp_.Clipper(), &amp_.Clipper()};
  const BiquadFilter* filters[2] = {&amp_.LowPass(), &amp_.HighPass()};
  std::array<Double2, 10> flushed = {clips[0]->u1, clips[0]->v1, clips[0]->m1, clips[1]->u1, clips[1]->v1,
                                     clips[1]->m1, filters[0]->s1, filters[0]->s2, filters[1]->s1, filters[1]->s2};
  for (size_t k = 0; k < flushed.size(); ++k) {
    probe.flushed[2 * k] = flushed[k][0];
    probe.flushed[2 * k + 1] = flushed[k][1];
  }
  for (size_t k = 0; k < 2; ++k) {
    probe.dcOutputs[2 * k] = clips[k]->d1[0];
    probe.dcOutputs[2 * k + 1] = clips[k]->d1[1];
  }
  return probe;
}

EffectKernel::InstructionSet KernelCore::Isa() const {
#if defined(MORAVELLE_DSP_AVX2)
  return InstructionSet::Avx2Fma;
#else
  return InstructionSet::Baseline;
#endif
}

void KernelCore::SetDefaults() {
  for (int i = 0; i < kKernelParamCount; ++i) params_[static_cast<size_t>(i)] = kKernelParamSpecs[static_cast<size_t>(i)].defaultValue;
}

void KernelCore::Init(double sampleRate) {
  // A rate a host cannot mean (negative, NaN, infinite) is treated like 0.
  if (!(sampleRate >= 0.0) || !std::isfinite(sampleRate)) sampleRate = 0.0;
  error_ = kKernelErrorNone;
  sampleRate_ = sampleRate;
  sampleRateReciprocal_ = dsp::SafeDivide(1.0, sampleRate);
  preamp_.Clear();
  amp_.Clear();
  reverb_.Reset(sampleRate);
  SetDefaults();
  settingsCurrent_ = false;
}

void KernelCore::SetParameter(int index, double plain) {
  if (index < 0 || index >= kKernelParamCount || std::isnan(plain)) return;
  const KernelParamSpec& range = kKernelParamSpecs[static_cast<size_t>(index)];
  const double value = std::clamp(plain, range.minimum, range.maximum);
  double& stored = params_[static_cast<size_t>(index)];
  // Hosts send the same values again and again (the tempo every block).
  if (std::memcmp(&stored, &value, sizeof value) == 0) return;
  stored = value;
  settingsCurrent_ = false;
}

double KernelCore::Parameter(int index) const {
  return index >= 0 && index < kKernelParamCount ? params_[static_cast<size_t>(index)] : 0.0;
}

namespace {
// Whether two arrays of 'frames' samples share any sample.
bool Overlap(const double* a, const double* b, int frames) {
  const auto first = reinterpret_cast<uintptr_t>(a), second = reinterpret_cast<uintptr_t>(b);
  const uintptr_t bytes = static_cast<uintptr_t>(frames) * sizeof(double);
  return first < second + bytes && second < first + bytes;
}
}  // namespace

int KernelCore::Process(const double* const* inputs, double* const* outputs, int frames) {
  if (error_ != kKernelErrorNone) return error_;
  if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || inputs[1] == nullptr ||
      outputs[0] == nullptr || outputs[1] == nullptr) {
    error_ = kKernelErrorNullBuffer;
    return error_;
  }
  if (frames <= 0) return error_;

  // Every curve that is not smoothed, once for the block (or fewer times: their
  // values stay until a parameter changes).
  if (!settingsCurrent_) {
    preampSettings_ = PreampSettings::FromParams(params_.data(), sampleRate_);
    reverbSettings_ = ReverbSettings::FromParams(params_.data(), sampleRate_);
    ampSettings_ = AmpSettings::FromParams(params_.data(), sampleRate_);
    settingsCurrent_ = true;
  }
  const PreampSettings& preamp = preampSettings_;
  const ReverbSettings& reverb = reverbSettings_;
  const AmpSettings& amp = ampSettings_;

  // Outputs may be the input arrays (even crossed): then each chunk's inputs are
  // copied before any of its outputs is written.
  bool outputsOverlapInputs = false;
  for (int o = 0; o < 2; ++o)
    for (int i = 0; i < 2; ++i) outputsOverlapInputs |= Overlap(outputs[o], inputs[i], frames);
  for (int done = 0; done < frames; done += kChunk) {
    const int n = std::min(kChunk, frames - done);
    const double* left = inputs[0] + done;
    const double* right = inputs[1] + done;
    if (outputsOverlapInputs) {
      std::copy(left, left + n, rawLeft_);
      std::copy(right, right + n, rawRight_);
      left = rawLeft_;
      right = rawRight_;
    }
    preamp_.Process(preamp, left, right, dry_, stage_, n);
    reverb_.Process(reverb, stage_, stage_, n);
    amp_.Process(amp, stage_, dry_, left, right, outputs[0] + done, outputs[1] + done, n);
  }
  return error_;
}

MORAVELLE_DSP_END
