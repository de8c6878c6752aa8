#include "parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "abi/vst3/text16.h"
#include "framework/decimal_text.h"

namespace vst3 {
namespace {

void CopyText16(String128 out, const char16* in) {
  int n = 0;
  for (; in != nullptr && in[n] != 0 && n < 127; ++n) out[n] = in[n];
  out[n] = 0;
}

bool ParseNumber(const TChar* text, double& value) {
  char narrow[128];
  NarrowText(narrow, sizeof narrow, text);
  const std::optional<double> number = ParseLeadingDecimal(narrow);
  if (number) value = *number;
  return number.has_value();
}

int32 StepIndex(ParamValue normalized, int32 stepCount) {
  return std::min(stepCount, static_cast<int32>(std::clamp(normalized, 0.0, 1.0) * (stepCount + 1)));
}

}  // namespace

Parameter::Parameter(const char16* title, ParamID id, const char16* units, ParamValue defaultNormalized,
                     int32 stepCount, int32 flags, UnitID unitId) {
  info_.id = id;
  CopyText16(info_.title, title);
  CopyText16(info_.units, units);
  info_.stepCount = stepCount;
  info_.defaultNormalizedValue = defaultNormalized;
  info_.unitId = unitId;
  info_.flags = flags;
  normalized_ = defaultNormalized;
}

bool Parameter::SetNormalized(ParamValue normalized) {
  normalized = std::clamp(normalized, 0.0, 1.0);
  if (normalized == normalized_) return false;
  normalized_ = normalized;
  return true;
}

void Parameter::ToString(ParamValue normalized, String128 out) const {
  char text[64];
  if (info_.stepCount == 1) {
    std::snprintf(text, sizeof text, "%s", normalized > 0.5 ? "On" : "Off");
  } else {
    FormatFixedDecimal(ToPlain(normalized), static_cast<int>(precision_), text, sizeof text);
  }
  WidenText(out, 128, text);
}

bool Parameter::FromString(const TChar* text, ParamValue& normalized) const {
  double plain = 0.0;
  if (!ParseNumber(text, plain)) return false;
  normalized = ToNormalized(plain);
  return true;
}

ParamValue Parameter::ToPlain(ParamValue normalized) const {
  return info_.stepCount > 0 ? StepIndex(normalized, info_.stepCount) : normalized;
}

ParamValue Parameter::ToNormalized(ParamValue plain) const {
  return info_.stepCount > 0 ? std::clamp(plain / info_.stepCount, 0.0, 1.0) : plain;
}

RangeParameter::RangeParameter(const char16* title, ParamID id, const char16* units, ParamValue minPlain,
                               ParamValue maxPlain, ParamValue defaultPlain, int32 stepCount, int32 flags,
                               UnitID unitId)
    : Parameter(title, id, units, 0.0, stepCount, flags, unitId), min_(minPlain), max_(maxPlain) {
  info_.defaultNormalizedValue = ToNormalized(defaultPlain);
  normalized_ = info_.defaultNormalizedValue;
}

void RangeParameter::ToString(ParamValue normalized, String128 out) const {
  char text[64];
  FormatFixedDecimal(ToPlain(normalized), static_cast<int>(precision_), text, sizeof text);
  WidenText(out, 128, text);
}

bool RangeParameter::FromString(const TChar* text, ParamValue& normalized) const {
  double plain = 0.0;
  if (!ParseNumber(text, plain)) return false;
  normalized = ToNormalized(plain);
  return true;
}

ParamValue RangeParameter::ToPlain(ParamValue normalized) const {
  if (info_.stepCount > 0) return std::min(max_, min_ + StepIndex(normalized, info_.stepCount));
  return min_ + std::clamp(normalized, 0.0, 1.0) * (max_ - min_);
}

ParamValue RangeParameter::ToNormalized(ParamValue plain) const {
  if (!(max_ > min_)) return 0.0;
  return std::clamp((plain - min_) / (max_ - min_), 0.0, 1.0);
}

StringListParameter::StringListParameter(const char16* title, ParamID id, const char16* units, int32 flags,
                                         UnitID unitId)
    : Parameter(title, id, units, 0.0, -1, flags | ParameterInfo::kIsList, unitId) {}

void StringListParameter::AppendString(const char16* text) {
  strings_.emplace_back(text != nullptr ? text : u"");
  info_.stepCount = static_cast<int32>(strings_.size()) - 1;
}

void StringListParameter::ToString(ParamValue normalized, String128 out) const {
  if (strings_.empty()) {
    out[0] = 0;
    return;
  }
  const auto index = static_cast<size_t>(StepIndex(normalized, info_.stepCount));
  CopyText16(out, strings_[index].c_str());
}

bool StringListParameter::FromString(const TChar* text, ParamValue& normalized) const {
  if (text == nullptr) return false;
  for (size_t i = 0; i < strings_.size(); ++i) {
    if (strings_[i] == text) {
      normalized = ToNormalized(static_cast<ParamValue>(i));
      return true;
    }
  }
  return false;
}

ParamValue StringListParameter::ToPlain(ParamValue normalized) const {
  return info_.stepCount > 0 ? StepIndex(normalized, info_.stepCount) : 0.0;
}

ParamValue StringListParameter::ToNormalized(ParamValue plain) const {
  return info_.stepCount > 0 ? std::clamp(plain / info_.stepCount, 0.0, 1.0) : 0.0;
}

Parameter* ParameterContainer::Add(std::unique_ptr<Parameter> parameter) {
  if (!parameter || byId_.count(parameter->Info().id) != 0) return nullptr;
  byId_[parameter->Info().id] = list_.size();
  list_.push_back(std::move(parameter));
  return list_.back().get();
}

Parameter* ParameterContainer::ByIndex(int32 index) const {
  return index >= 0 && index < Count() ? list_[static_cast<size_t>(index)].get() : nullptr;
}

Parameter* ParameterContainer::ById(ParamID id) const {
  const auto found = byId_.find(id);
  return found != byId_.end() ? list_[found->second].get() : nullptr;
}

void ParameterContainer::RemoveAll() {
  list_.clear();
  byId_.clear();
}

}  // namespace vst3
