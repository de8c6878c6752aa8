#pragma once
// Decimal numbers as text with "." as the separator whatever locale the host has
// switched the process to. Hosts may call setlocale (a German host gives "0,5" to
// the C library's printf and strtod); parameter texts, typed values and preset
// files must mean the same number in every host.
#include <cstddef>
#include <optional>
#include <string_view>

// [any] The leading decimal number of 'text' after white space: optional sign,
// digits with an optional point, optional exponent; the rest is ignored. No
// number at the start ("inf", "nan", letters, nothing), or one beyond the 64-bit
// range: nullopt. Numbers too small for the range read as zero.
std::optional<double> ParseLeadingDecimal(std::string_view text);

// [any] 'value' in fixed notation with 'decimals' digits after the point ("%.*f"
// in the "C" locale), always terminated; returns the length written.
size_t FormatFixedDecimal(double value, int decimals, char* out, size_t outSize);
