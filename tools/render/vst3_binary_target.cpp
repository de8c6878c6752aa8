#include "vst3_binary_target.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "abi/vst3/text16.h"
#include "framework/four_char_code.h"
#include "hosts/vst3/vst3_host.h"

namespace fs = std::filesystem;
using namespace vst3;

namespace {

constexpr Uid kMoravelleClassId =
    Uid::FromNumbers(0xF2AEE70D, 0x00DE4F4E, static_cast<uint32>(FourCharCode("Plln")),
                     static_cast<uint32>(FourCharCode("Mrv2")));
// How far from the converted normalised value to look for one that maps back closer.
constexpr int kExactSearchSteps = 8;
// The host tempo a DAW would report; the VST2 target's host reports the same.
constexpr double kHostTempo = 120.0;

std::string ExactText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string ShortText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string LimitedText(const char* text, size_t capacity) { return std::string(text, strnlen(text, capacity)); }

int BusChannels(IComponent* component, BusDirection direction) {
  if (component->getBusCount(kAudio, direction) < 1) return 0;
  BusInfo info{};
  if (component->getBusInfo(kAudio, direction, 0, info) != kResultOk) return 0;
  return std::clamp<int>(info.channelCount, 0, 64);
}

}  // namespace

std::string Vst3BinaryTarget::BundleBinary(const std::string& path) {
  std::error_code ec;
  if (!fs::is_directory(path, ec)) return path;
  const fs::path folder = fs::path(path) / "Contents" / "x86_64-linux";
  const fs::path named = folder / (fs::path(path).stem().string() + ".so");
  if (fs::is_regular_file(named, ec)) return named.string();
  // A renamed bundle keeps its binary's own name.
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".so" && entry.is_regular_file(ec)) return entry.path().string();
  return {};
}

Status Vst3BinaryTarget::Load(const std::string& path, std::unique_ptr<Vst3BinaryTarget>* target) {
  const std::string binary = BundleBinary(path);
  if (binary.empty())
    return Status::Error("cannot load plug-in '" + path + "': the bundle has no Contents/x86_64-linux/*.so");
  host3::LoadOptions options;
  options.hostName = u"moravelle-render";
  options.classIndex = -1;
  std::string reason;
  std::unique_ptr<host3::Vst3Host> host = host3::Vst3Host::Load(binary, &reason, options);
  if (!host) return Status::Error("cannot load plug-in '" + path + "': " + reason);

  std::unique_ptr<Vst3BinaryTarget> loaded(new Vst3BinaryTarget());
  loaded->path_ = path;
  loaded->className_ = LimitedText(host->LoadedClass().name, sizeof host->LoadedClass().name);
  loaded->vendorName_ = LimitedText(host->FactoryInfo().vendor, sizeof(PFactoryInfo::vendor));
  loaded->isMoravelle_ = std::memcmp(host->LoadedClass().cid, kMoravelleClassId.bytes, sizeof kMoravelleClassId.bytes) == 0;
  loaded->can64_ = host->Processor()->canProcessSampleSize(kSample64) == kResultTrue;
  loaded->inputChannels_ = BusChannels(host->Component(), kInput);
  loaded->outputChannels_ = BusChannels(host->Component(), kOutput);
  if (loaded->outputChannels_ < 1)
    return Status::Error("plug-in '" + path + "' has no audio output; the renderer needs one");
  loaded->host_ = std::move(host);
  for (const host3::ParamSummary& summary : loaded->host_->Params()) {
    ParamEntry entry;
    entry.id = summary.id;
    entry.name = summary.title;
    entry.units = summary.units;
    entry.stepCount = summary.stepCount;
    entry.isBypass = (summary.flags & ParameterInfo::kIsBypass) != 0;
    const double low = loaded->PlainOf(summary.id, 0.0), high = loaded->PlainOf(summary.id, 1.0);
    entry.minimum = std::min(low, high);
    entry.maximum = std::max(low, high);
    entry.defaultPlain = loaded->PlainOf(summary.id, summary.defaultNormalized);
    loaded->params_.push_back(entry);
  }
  *target = std::move(loaded);
  return Status::Ok();
}

Vst3BinaryTarget::~Vst3BinaryTarget() = default;

int Vst3BinaryTarget::ParamCount() const { return static_cast<int>(params_.size()); }

double Vst3BinaryTarget::PlainOf(unsigned int id, double normalised) const {
  return host_->Controller()->normalizedParamToPlain(id, normalised);
}

TargetParamInfo Vst3BinaryTarget::DescribeParam(int index) const {
  if (index < 0 || index >= ParamCount()) return {};
  const ParamEntry& param = params_[static_cast<size_t>(index)];
  TargetParamInfo info;
  info.name = param.name;
  info.id = param.id;
  info.minimum = param.minimum;
  info.maximum = param.maximum;
  info.rangeKnown = std::isfinite(param.minimum) && std::isfinite(param.maximum);
  info.defaultValue = param.defaultPlain;
  const std::string text = host_->ParamText(param.id, host_->ParamNormalized(param.id));
  info.display = param.units.empty() || text.empty() ? text : text + " " + param.units;
  return info;
}

double Vst3BinaryTarget::ParamValue(int index) const {
  if (index < 0 || index >= ParamCount()) return 0.0;
  const unsigned int id = params_[static_cast<size_t>(index)].id;
  return PlainOf(id, host_->ParamNormalized(id));
}

double Vst3BinaryTarget::NormalisedFor(const ParamEntry& param, double plain) const {
  IEditController* controller = host_->Controller();
  double normalised = controller->plainParamToNormalized(param.id, plain);
  if (!(normalised >= 0.0 && normalised <= 1.0)) {
    // No usable conversion: the plug-in's own reading of the number as text.
    char16 text[128];
    WidenText(text, ExactText(plain).c_str());
    vst3::ParamValue parsed = 0.0;
    if (controller->getParamValueByString(param.id, text, parsed) != kResultOk || !(parsed >= 0.0 && parsed <= 1.0))
      return std::numeric_limits<double>::quiet_NaN();
    normalised = parsed;
  }
  // Division and multiplication may each round: a neighbour may map back exactly, or
  // closer. (Not every plain value has a normalised one that maps back exactly.)
  double best = normalised, bestError = std::fabs(PlainOf(param.id, normalised) - plain);
  double below = normalised, above = normalised;
  for (int step = 0; step < kExactSearchSteps && bestError > 0.0; ++step) {
    below = std::nextafter(below, 0.0);
    above = std::nextafter(above, 1.0);
    for (const double candidate : {below, above}) {
      const double error = std::fabs(PlainOf(param.id, candidate) - plain);
      if (error < bestError) {
        best = candidate;
        bestError = error;
      }
    }
  }
  return best;
}

Status Vst3BinaryTarget::SetParamValue(int index, double plain) {
  if (index < 0 || index >= ParamCount()) return Status::Error("no parameter " + std::to_string(index));
  const ParamEntry& param = params_[static_cast<size_t>(index)];
  const double normalised = NormalisedFor(param, plain);
  if (std::isnan(normalised))
    return Status::Error("the plug-in has no normalised value for " + ExactText(plain) + " for " + param.name);
  // A stepped parameter, or a controller that converts otherwise, may not take the value as given.
  const double arrives = PlainOf(param.id, normalised);
  const double tolerance = 1e-9 * std::max(1.0, param.maximum - param.minimum);
  if (!(std::fabs(arrives - plain) <= tolerance))
    return Status::Error("value " + ShortText(plain) + " for " + param.name + " becomes " + ShortText(arrives) +
                         " in the plug-in" + (param.stepCount > 0 ? " (it takes whole steps)" : ""));
  host_->QueueParam(param.id, normalised);
  changesPending_ = true;
  if (param.isBypass && activeSampleSize_ < 0) pendingBypass_.emplace_back(param.id, normalised);
  return Status::Ok();
}

std::string Vst3BinaryTarget::Summary() const {
  std::string text = className_.empty() ? std::string("(unnamed)") : className_;
  if (!vendorName_.empty()) text += " by " + vendorName_;
  text += " (" + path_ + ")\nVST3 binary " + host_->BinaryPath() + "\n" + std::to_string(inputChannels_) +
          " inputs, " + std::to_string(outputChannels_) + " outputs; 64-bit path: " +
          (can64_ ? "64-bit samples" : "converted to 32-bit samples") +
          "\n--param values: plain values in the ranges below, converted by the plug-in's controller";
  return text;
}

void Vst3BinaryTarget::Prepare(double sampleRate, int blockSize) {
  sampleRate_ = sampleRate;
  blockSize_ = std::max(blockSize, 1);
  // The sample size is known only with the first block: activation waits for it.
  activeSampleSize_ = -1;
}

void Vst3BinaryTarget::EnsureActive(int sampleSize) {
  if (activeSampleSize_ == sampleSize) return;
  ProcessContext context{};
  context.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid;
  context.sampleRate = sampleRate_;
  context.tempo = kHostTempo;
  context.timeSigNumerator = 4;
  context.timeSigDenominator = 4;
  host_->SetProcessContext(context);
  host_->Setup(sampleRate_, blockSize_, sampleSize, kOffline);
  if (changesPending_) {
    // Delivered, then activated afresh: the processor resets with the values in place.
    host_->Flush();
    host_->Setup(sampleRate_, blockSize_, sampleSize, kOffline);
    host_->SetProcessContext(context);
    changesPending_ = false;
  }
  for (const auto& [id, normalised] : pendingBypass_) host_->QueueParam(id, normalised);
  pendingBypass_.clear();
  inputChannels_ = BusChannels(host_->Component(), kInput);
  outputChannels_ = std::max(BusChannels(host_->Component(), kOutput), 1);
  map64_.Prepare(inputChannels_, outputChannels_, blockSize_);
  map32_.Prepare(inputChannels_, outputChannels_, blockSize_);
  activeSampleSize_ = sampleSize;
}

void Vst3BinaryTarget::Process64(double* const* inputs, double* const* outputs, int frames) {
  if (can64_) {
    EnsureActive(kSample64);
    map64_.Bind(inputs, outputs, frames);
    host_->Process64(map64_.Inputs(), map64_.Outputs(), frames);
    changesPending_ = false;  // the queue went with the block
    map64_.Finish(outputs, frames);
    return;
  }
  // A 32-bit-only processor: the host converts, as a 64-bit host does for it.
  const auto count = static_cast<size_t>(frames);
  narrowIn_.resize(kChannels);
  narrowOut_.resize(kChannels);
  const float* in[kChannels];
  float* out[kChannels];
  for (size_t c = 0; c < static_cast<size_t>(kChannels); ++c) {
    narrowIn_[c].resize(count);
    narrowOut_[c].resize(count);
    std::transform(inputs[c], inputs[c] + count, narrowIn_[c].begin(), [](double s) { return static_cast<float>(s); });
    in[c] = narrowIn_[c].data();
    out[c] = narrowOut_[c].data();
  }
  Process32(in, out, frames);
  for (size_t c = 0; c < static_cast<size_t>(kChannels); ++c) std::copy_n(narrowOut_[c].begin(), count, outputs[c]);
}

void Vst3BinaryTarget::Process32(const float* const* inputs, float* const* outputs, int frames) {
  EnsureActive(kSample32);
  map32_.Bind(inputs, outputs, frames);
  host_->Process32(map32_.Inputs(), map32_.Outputs(), frames);
  changesPending_ = false;  // the queue went with the block
  map32_.Finish(outputs, frames);
}
