#include "plugin_binary_target.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <type_traits>

#include "framework/four_char_code.h"
#include "tools/host/vst2_host.h"

namespace {

constexpr int32_t kMoravelleId = FourCharCode("Mrv2");

// Enough digits that the plug-in's strtod gives back the very same double.
std::string ExactText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A display text that is a plain decimal number ("0.35000", "-12"): its value and the
// size of its last digit, which bounds the rounding (or truncation) of the display.
bool ReadDisplayedNumber(const std::string& text, double* value, double* lastDigit) {
  if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string::npos) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  const size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
  *lastDigit = std::pow(10.0, -decimals);
  return true;
}

}  // namespace

Status PluginBinaryTarget::Load(const std::string& path, std::unique_ptr<PluginBinaryTarget>* target) {
  Vst2HostOptions options;
  options.productName = "moravelle-render";
  // A render is a bounce: hosts report the offline process level while they do one.
  options.processLevel = kVstProcessLevelOffline;
  std::string reason;
  std::unique_ptr<Vst2HostedPlugin> host = Vst2HostedPlugin::Load(path, &reason, options);
  if (!host) return Status::Error("cannot load plug-in '" + path + "': " + reason);
  if (host->NumOutputs() < 1 || host->NumOutputs() > 64 || host->NumInputs() < 0 || host->NumInputs() > 64)
    return Status::Error("plug-in '" + path + "' has " + std::to_string(host->NumOutputs()) +
                         " audio outputs and " + std::to_string(host->NumInputs()) +
                         " inputs; the renderer needs 1 to 64 outputs");
  if (host->NumParams() < 0 || host->NumParams() > 100000)
    return Status::Error("plug-in '" + path + "' reports " + std::to_string(host->NumParams()) + " parameters");

  std::unique_ptr<PluginBinaryTarget> loaded(new PluginBinaryTarget());
  loaded->path_ = path;
  loaded->effectName_ = host->EffectName();
  loaded->vendorName_ = host->VendorName();
  loaded->isMoravelle_ = host->Effect()->uniqueID == kMoravelleId;
  for (int i = 0; i < host->NumParams(); ++i) {
    loaded->names_.push_back(host->Param(i).name);
    loaded->loadValues_.push_back(host->GetParameter(i));
  }
  // A null text asks whether the plug-in converts text at all.
  const bool takesText =
      host->NumParams() > 0 && host->Dispatch(effString2Parameter, 0, 0, nullptr) == 1;
  loaded->units_ = takesText ? ParamUnits::PluginText : ParamUnits::Normalised;
  loaded->host_ = std::move(host);
  *target = std::move(loaded);
  return Status::Ok();
}

PluginBinaryTarget::~PluginBinaryTarget() = default;

int PluginBinaryTarget::ParamCount() const { return static_cast<int>(names_.size()); }

TargetParamInfo PluginBinaryTarget::DescribeParam(int index) const {
  if (index < 0 || index >= ParamCount()) return {};
  const HostedParamInfo live = host_->Param(index);
  TargetParamInfo info;
  info.name = names_[static_cast<size_t>(index)];
  info.minimum = 0.0;
  info.maximum = 1.0;
  info.rangeKnown = units_ == ParamUnits::Normalised;
  info.defaultValue = loadValues_[static_cast<size_t>(index)];
  info.display = live.label.empty() ? live.display : live.display + " " + live.label;
  return info;
}

double PluginBinaryTarget::ParamValue(int index) const {
  return index >= 0 && index < ParamCount() ? host_->GetParameter(index) : 0.0;
}

Status PluginBinaryTarget::SetParamValue(int index, double value) {
  if (index < 0 || index >= ParamCount()) return Status::Error("no parameter " + std::to_string(index));
  const std::string& name = names_[static_cast<size_t>(index)];
  if (units_ == ParamUnits::Normalised) {
    host_->SetParameter(index, static_cast<float>(value));
    return Status::Ok();
  }
  const std::string text = ExactText(value);
  if (!host_->SetParameterText(index, text))
    return Status::Error("the plug-in refused the value " + text + " for " + name);
  // Moravelle shows the plain value it holds: a different number means it clamped ours.
  if (isMoravelle_) {
    const std::string shown = host_->Param(index).display;
    double held = 0.0, lastDigit = 0.0;
    if (ReadDisplayedNumber(shown, &held, &lastDigit) && std::fabs(held - value) > lastDigit * 1.000001)
      return Status::Error("value " + text + " for " + name + " is outside the plug-in's range (it holds " + shown +
                           "); --list-params --in-process shows the ranges");
  }
  return Status::Ok();
}

bool PluginBinaryTarget::ProcessesDouble() const { return host_->CanProcessDouble(); }

std::string PluginBinaryTarget::Summary() const {
  std::string text = effectName_.empty() ? std::string("(unnamed)") : effectName_;
  if (!vendorName_.empty()) text += " by " + vendorName_;
  text += " (" + path_ + ")\n" + std::to_string(host_->NumInputs()) + " inputs, " +
          std::to_string(host_->NumOutputs()) + " outputs; 64-bit path: " +
          (ProcessesDouble() ? "processDoubleReplacing" : "converted to 32-bit processReplacing") +
          "\n--param values: " +
          (units_ == ParamUnits::PluginText ? "numbers the plug-in reads as text, in its own units"
                                            : "normalised host values 0..1");
  return text;
}

void PluginBinaryTarget::Prepare(double sampleRate, int blockSize) {
  // Suspended while the set-up changes; resuming is the plug-in's reset.
  host_->Suspend();
  host_->SetSampleRate(sampleRate);
  host_->SetBlockSize(blockSize);
  host_->TimeInfo().samplePos = 0.0;
  PrepareMap(map64_, blockSize);
  PrepareMap(map32_, blockSize);
  host_->Resume();
}

template <typename T>
void PluginBinaryTarget::PrepareMap(ChannelMap<T>& map, int frames) {
  const int inputs = host_->NumInputs(), outputs = host_->NumOutputs();
  const auto size = static_cast<size_t>(std::max(frames, 1));
  // A mono input needs a mix buffer; inputs beyond the pair need silence.
  const int spareIns = inputs == 1 ? 1 : std::max(inputs - kChannels, 0);
  map.spareIn.assign(static_cast<size_t>(spareIns), std::vector<T>(size, T()));
  map.spareOut.assign(static_cast<size_t>(std::max(outputs - kChannels, 0)), std::vector<T>(size, T()));
  map.in.assign(static_cast<size_t>(inputs), nullptr);
  map.out.assign(static_cast<size_t>(outputs), nullptr);
}

template <typename T>
void PluginBinaryTarget::Run(ChannelMap<T>& map, const T* const* inputs, T* const* outputs, int frames) {
  const auto count = static_cast<size_t>(frames);
  if (map.in.size() == 1) {
    T* mix = map.spareIn[0].data();
    for (size_t f = 0; f < count; ++f) mix[f] = (inputs[0][f] + inputs[1][f]) / T(2);
    map.in[0] = mix;
  } else {
    for (size_t c = 0; c < map.in.size(); ++c) {
      if (c < static_cast<size_t>(kChannels)) {
        map.in[c] = inputs[c];
      } else {
        // Refilled every block: a plug-in may write into its input buffers.
        std::vector<T>& silence = map.spareIn[c - kChannels];
        std::fill_n(silence.begin(), count, T());
        map.in[c] = silence.data();
      }
    }
  }
  for (size_t c = 0; c < map.out.size(); ++c)
    map.out[c] = c < static_cast<size_t>(kChannels) ? outputs[c] : map.spareOut[c - kChannels].data();

  if constexpr (std::is_same_v<T, double>) {
    host_->ProcessDouble(map.in.data(), map.out.data(), frames);
  } else {
    host_->ProcessFloat(map.in.data(), map.out.data(), frames);
  }
  if (map.out.size() == 1) std::copy_n(outputs[0], count, outputs[1]);
}

void PluginBinaryTarget::Process64(double* const* inputs, double* const* outputs, int frames) {
  Run(map64_, inputs, outputs, frames);
}

void PluginBinaryTarget::Process32(const float* const* inputs, float* const* outputs, int frames) {
  Run(map32_, inputs, outputs, frames);
}
