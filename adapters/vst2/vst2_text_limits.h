#pragma once
// How much text this plug-in writes into the buffers hosts pass with the text
// opcodes. The nominal limits of the interface are smaller than our texts and real
// hosts allocate anything from 9 bytes up (9 for a parameter's label and display,
// 24 for a program name, 32 for the effect name), so every copy is cut to the
// largest length that fits all surveyed hosts. Counts are characters; the
// terminator comes on top.

#include <cstddef>

#include "framework/text_util.h"

inline constexpr size_t kHostParamLabelChars = 8;
inline constexpr size_t kHostParamDisplayChars = 8;
inline constexpr size_t kHostParamNameChars = 31;
inline constexpr size_t kHostProgramNameChars = 23;
inline constexpr size_t kHostEffectNameChars = 31;
inline constexpr size_t kHostVendorChars = 63;
inline constexpr size_t kHostProductChars = 63;
// The display extension of effVendorSpecific: its one host passes 256 bytes; we
// keep to the parameter text size.
inline constexpr size_t kHostExtensionDisplayChars = 31;

// Copies at most maxChars characters of text and a terminator into a host buffer.
inline void CopyToHost(void* hostBuffer, size_t maxChars, const char* text) {
  CopyText(static_cast<char*>(hostBuffer), maxChars + 1, text);
}
