#include "effect/preset_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "effect/kernel_params.h"

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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The decimal magnitude (power of ten of the first significant digit) of a number
// text that std::from_chars found out of range: negative means it underflowed.
long MagnitudeOfNumber(std::string_view number) {
  size_t i = 0;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  long intDigits = 0, leadingFractionZeros = 0;
  bool significant = false, inFraction = false;
  for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
    if (number[i] == '.') {
      inFraction = true;
    } else if (!inFraction) {
      if (significant || number[i] != '0') ++intDigits, significant = true;
    } else if (!significant) {
      if (number[i] == '0') ++leadingFractionZeros; else significant = true;
    }
  }
  long exponent = 0;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    for (; i < number.size() && IsDigit(number[i]); ++i)
      exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000L);
    if (negative) exponent = -exponent;
  }
  return (intDigits > 0 ? intDigits - 1 : -1 - leadingFractionZeros) + exponent;
}

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

std::optional<double> ParsePresetNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  // A decimal number starts with a digit or a point followed by a digit.
  const bool startsNumber = i < text.size() && (IsDigit(text[i]) ||
                                                (text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1])));
  if (!startsNumber) return std::nullopt;
  // from_chars takes no '+'; it reads the rest in fixed or exponent form, never hex.
  const size_t digitsAt = text[start] == '+' ? start + 1 : start;
  double value = 0.0;
  const char* first = text.data() + digitsAt;
  const std::from_chars_result r = std::from_chars(first, text.data() + text.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    const std::string_view number(first, static_cast<size_t>(r.ptr - first));
    if (MagnitudeOfNumber(number) >= 0) return std::nullopt;  // beyond the range
    return text[start] == '-' ? -0.0 : 0.0;
  }
  if (r.ec != std::errc()) return std::nullopt;
  return value;
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
    const std::optional<double> x = ParsePresetNumber(record.substr(textStart, textEnd - textStart));
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
