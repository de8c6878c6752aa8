#include "framework/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {

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

std::optional<double> ParseLeadingDecimal(std::string_view text) {
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

size_t FormatFixedDecimal(double value, int decimals, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return 0;
  // Wide enough for any finite double in fixed form (309 integer digits) with its decimals.
  char text[400];
  std::string_view written = std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  if (std::isfinite(value)) {
    const std::to_chars_result r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::clamp(decimals, 0, 17));
    written = std::string_view(text, r.ec == std::errc() ? static_cast<size_t>(r.ptr - text) : 0);
  }
  const size_t n = std::min(written.size(), outSize - 1);
  std::copy_n(written.data(), n, out);
  out[n] = '\0';
  return n;
}
