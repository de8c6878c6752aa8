#pragma once
// How text bytes become code points for drawing: two- and three-byte UTF-8
// sequences decode; a four-byte sequence (beyond what a glyph entry holds)
// counts as one space; any other byte stands for itself, so Latin-1 text still
// draws.

#include <cstdint>

// Reads the code point at text[position] and moves position past it.
uint16_t NextCodePoint(const char* text, int length, int& position);

// True when the text holds at least one valid multi-byte sequence.
bool HasMultiByteUtf8(const char* text, int length);
