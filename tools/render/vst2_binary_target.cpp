#include "vst2_binary_target.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>

#include "framework/four_char_code.h"
#include "hosts/vst2/vst2_host.h"

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

Status Vst2BinaryTarget::Load(const std::string& path, std::unique_ptr<Vst2BinaryTarget>* target) {
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

  std::unique_ptr<Vst2BinaryTarget> loaded(new Vst2BinaryTarget());
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

Vst2BinaryTarget::~Vst2BinaryTarget() = default;

int Vst2BinaryTarget::ParamCount() const { return static_cast<int>(names_.size()); }

TargetParamInfo Vst2BinaryTarget::DescribeParam(int index) const {
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

double Vst2BinaryTarget::ParamValue(int index) const {
  return index >= 0 && index < ParamCount() ? host_->GetParameter(index) : 0.0;
}

Status Vst2BinaryTarget::SetParamValue(int index, double value) {
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
  // A preset selection is the exception: it loads, then reads 0 again.
  if (isMoravelle_ && name != "PresetSelector") {
    const std::string shown = host_->Param(index).display;
    double held = 0.0, lastDigit = 0.0;
    if (ReadDisplayedNumber(shown, &held, &lastDigit) && std::fabs(held - value) > lastDigit * 1.000001)
      return Status::Error("value " + text + " for " + name + " is outside the plug-in's range (it holds " + shown +
                           "); --list-params --in-process shows the ranges");
  }
  return Status::Ok();
}

bool Vst2BinaryTarget::ProcessesDouble() const { return host_->CanProcessDouble(); }

std::string Vst2BinaryTarget::Summary() const {
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

void Vst2BinaryTarget::Prepare(double sampleRate, int blockSize) {
  // Suspended while the set-up changes; resuming is the plug-in's reset.
  host_->Suspend();
  host_->SetSampleRate(sampleRate);
  host_->SetBlockSize(blockSize);
  host_->TimeInfo().samplePos = 0.0;
  map64_.Prepare(host_->NumInputs(), host_->NumOutputs(), blockSize);
  map32_.Prepare(host_->NumInputs(), host_->NumOutputs(), blockSize);
  host_->Resume();
}

void Vst2BinaryTarget::Process64(double* const* inputs, double* const* outputs, int frames) {
  map64_.Bind(inputs, outputs, frames);
  host_->ProcessDouble(map64_.Inputs(), map64_.Outputs(), frames);
  map64_.Finish(outputs, frames);
}

void Vst2BinaryTarget::Process32(const float* const* inputs, float* const* outputs, int frames) {
  map32_.Bind(inputs, outputs, frames);
  host_->ProcessFloat(map32_.Inputs(), map32_.Outputs(), frames);
  map32_.Finish(outputs, frames);
}
