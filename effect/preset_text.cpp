#include "effect/preset_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "effect/kernel_params.h"
#include "framework/decimal_text.h"

const std::array<PresetStoredParam, kPresetStoredParamCount> kPresetStoredParams = {{
    {kAmpClippingGain, "AmpClippingGain"},
    {kAmpClippingOffOn, "AmpClippingOffOn"},
    {kAmpFilterHpCutoff, "AmpFilterHpCutoff"},
    {kAmpFilterLpCutoff, "AmpFilterLpCutoff"},
    {kAmpFilterMode, "AmpFilterMode"},
    {kAmpMainBlend, "AmpMainBlend"},
    {kPreampClippingGain, "PreampClippingGain"},
    {kPreampClippingOffOn, "PreampClippingOffOn"},
    {kPreampFilterCutoff, "PreampFilterCutoff"},
    {kPreampFilterType, "PreampFilterType"},
    {kReverbDamp, "ReverbDamp"},
    {kReverbDecayTime, "ReverbDecayTime"},
    {kReverbEarlyReflections, "ReverbEarlyReflections"},
    {kReverbLateReverberation, "ReverbLateReverberation"},
    {kReverbOffOn, "ReverbOffOn"},
    {kReverbPanorama, "ReverbPanorama"},
    {kReverbPreDelay, "ReverbPreDelay"},
    {kReverbRoomSize, "ReverbRoomSize"},
}};

namespace {

constexpr const char* kPresetHeader =
    "<Company>Pellion Audio</Company><Product>Moravelle</Product><Version>1.0.0</Version>";
constexpr size_t kDisplayNameLimit = 35;

}  // namespace

int FormatPresetValue(double value, char* out) {
  if (!std::isfinite(value)) value = 0.0;  // a parameter never holds one; write something readable
  char digits[32];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
  const size_t length = static_cast<size_t>(r.ptr - digits);
  // to_chars writes at least two exponent digits; the file wants three.
  const char* e = static_cast<const char*>(std::memchr(digits, 'e', length));
  int n = 0;
  if (e == nullptr) {
    std::memcpy(out, digits, length);
    n = static_cast<int>(length);
  } else {
    const size_t mantissa = static_cast<size_t>(e - digits);
    std::memcpy(out, digits, mantissa + 2);  // mantissa, 'e' and the sign
    n = static_cast<int>(mantissa + 2);
    const size_t expDigits = length - mantissa - 2;
    for (size_t pad = expDigits; pad < 3; ++pad) out[n++] = '0';
    std::memcpy(out + n, e + 2, expDigits);
    n += static_cast<int>(expDigits);
  }
  out[n] = '\0';
  return n;
}

std::string ComposePresetText(const double* valuesByIndex) {
  std::string text = kPresetHeader;
  char number[32];
  for (const PresetStoredParam& p : kPresetStoredParams) {
    const int length = FormatPresetValue(valuesByIndex[p.index], number);
    text.append("<").append(p.element).append(">");
    text.append(number, static_cast<size_t>(length));
    text.append("</").append(p.element).append(">");
  }
  return text;
}

PresetRecordValues ParsePresetRecord(std::string_view record) {
  PresetRecordValues values;
  for (size_t k = 0; k < kPresetStoredParams.size(); ++k) {
    const std::string element = kPresetStoredParams[k].element;
    const std::string opening = "<" + element + ">";
    const std::string closing = "</" + element + ">";
    const size_t open = record.find(opening);
    const size_t close = record.find(closing);
    if (open == std::string_view::npos || close == std::string_view::npos) continue;
    const size_t textStart = open + opening.size();
    // A closing tag before the opening one: the text runs to the end of the record.
    const size_t textEnd = close >= textStart ? close : record.size();
    const std::optional<double> x = ParseLeadingDecimal(record.substr(textStart, textEnd - textStart));
    if (!x) continue;
    // Stored with single precision; beyond its range the value becomes an infinity,
    // which the parameter's clamp turns into its limit.
    const double limit = std::numeric_limits<float>::max();
    const double single = *x > limit    ? std::numeric_limits<double>::infinity()
                          : *x < -limit ? -std::numeric_limits<double>::infinity()
                                        : static_cast<double>(static_cast<float>(*x));
    values[k] = single;
  }
  return values;
}

std::string PresetDisplayName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  if (name.size() > kDisplayNameLimit) return std::string(name.substr(0, kDisplayNameLimit)) + "...";
  return std::string(name);
}
