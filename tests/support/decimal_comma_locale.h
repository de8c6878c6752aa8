#pragma once
// Switches the whole process to a locale whose decimal separator is a comma, as a
// host may do; returns null when the system has none.
#include <clocale>

inline const char* SwitchToDecimalCommaLocale() {
#if defined(_WIN32)
  return std::setlocale(LC_ALL, "German_Germany.1252");
#else
  return std::setlocale(LC_ALL, "de_DE.UTF-8");
#endif
}
