#include "plugin_param.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "decimal_text.h"
#include "text_util.h"

void PluginParam::InitContinuous(const char* name, double defaultPlain, double minimum,
                                 double maximum, double step, const char* label, double shape) {
  if (type_ == ParamType::None) type_ = ParamType::Double;
  CopyText(name_, name);
  CopyText(label_, label);
  CopyText(group_, "");
  value_.Store(defaultPlain);
  minimum_ = minimum;
  maximum_ = std::max(maximum, minimum + step);
  step_ = step;
  default_ = defaultPlain;

  // Display precision follows the step: count decimals until the step is whole.
  precision_ = 0;
  for (double s = step; std::floor(s) != s;) {
    if (++precision_ == 6) break;
    s *= 10.0;
  }
  if (shape != 0.0) shape_ = shape;
}

// NaN is ignored by both setters: a host's bad value must not reach the kernel.
void PluginParam::SetValue(double plain) {
  if (!std::isnan(plain)) value_.Store(std::clamp(plain, minimum_, maximum_));
}

void PluginParam::SetFromNormalized(double normalised) {
  if (std::isnan(normalised)) return;
  double v = FromNormalized(normalised);
  if (type_ != ParamType::Double) v = std::floor(v / step_ + 0.5) * step_;
  if (!std::isnan(v)) value_.Store(std::min(v, maximum_));
}

double PluginParam::ToNormalized(double plain) const {
  const double v = std::clamp(plain, minimum_, maximum_);
  return std::pow((v - minimum_) / (maximum_ - minimum_), 1.0 / shape_);
}

double PluginParam::FromNormalized(double normalised) const {
  return minimum_ + std::pow(normalised, shape_) * (maximum_ - minimum_);
}

void PluginParam::FormatForHost(double v, bool vIsNormalised, char* out, int outSize,
                                bool useValueTexts) const {
  if (out == nullptr || outSize <= 0) return;
  if (vIsNormalised) v = FromNormalized(v);
  if (useValueTexts) {
    // Truncation toward zero, guarded so that huge or non-finite values pick no text.
    const double whole = std::trunc(v);
    if (whole >= INT32_MIN && whole <= INT32_MAX) {
      const char* text = TextForValue(static_cast<int32_t>(whole));
      if (text != nullptr && text[0] != '\0') {
        CopyText(out, static_cast<size_t>(outSize), text);
        return;
      }
    }
  }
  if (negateDisplay_) v = -v;
  if (precision_ > 0) {
    FormatFixedDecimal(v, precision_, out, static_cast<size_t>(outSize));
  } else {
    const double whole = std::trunc(v);
    const long long clamped =
        std::isfinite(whole) ? static_cast<long long>(std::clamp(whole, -2147483648.0, 2147483647.0)) : 0;
    std::snprintf(out, static_cast<size_t>(outSize), "%d", static_cast<int>(clamped));
  }
}

const char* PluginParam::TextForValue(int32_t plain) const {
  for (const ValueText& entry : valueTexts_)
    if (entry.value == plain) return entry.text;
  return nullptr;
}

const char* PluginParam::LabelForHost() const {
  const double whole = std::trunc(Value());
  if (whole >= INT32_MIN && whole <= INT32_MAX) {
    const char* text = TextForValue(static_cast<int32_t>(whole));
    if (text != nullptr && text[0] != '\0') return "";
  }
  return label_;
}

void PluginParam::AddValueText(int32_t plain, const char* text) {
  ValueText entry;
  entry.value = plain;
  CopyText(entry.text, text);
  valueTexts_.push_back(entry);
}
