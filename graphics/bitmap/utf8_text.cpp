#include "graphics/bitmap/utf8_text.h"

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the valid sequence at text[position] (2, 3 or 4) with its value,
// or 0. Overlong forms, surrogates and values past U+10FFFF are not valid.
int SequenceAt(const unsigned char* text, int length, int position, uint32_t& value) {
  unsigned char lead = text[position];
  int size = 0;
  uint32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) { size = 2; value = lead & 0x1F; minimum = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { size = 3; value = lead & 0x0F; minimum = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { size = 4; value = lead & 0x07; minimum = 0x10000; }
  else return 0;
  if (length - position < size) return 0;
  for (int i = 1; i < size; ++i) {
    if (!IsContinuation(text[position + i])) return 0;
    value = (value << 6) | (text[position + i] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return size;
}

}  // namespace

uint16_t NextCodePoint(const char* text, int length, int& position) {
  auto* bytes = reinterpret_cast<const unsigned char*>(text);
  uint32_t value = 0;
  int size = SequenceAt(bytes, length, position, value);
  if (size == 0) return bytes[position++];
  position += size;
  return size == 4 ? uint16_t{' '} : static_cast<uint16_t>(value);
}

bool HasMultiByteUtf8(const char* text, int length) {
  auto* bytes = reinterpret_cast<const unsigned char*>(text);
  uint32_t value = 0;
  for (int i = 0; i < length; ++i)
    if (bytes[i] >= 0x80 && SequenceAt(bytes, length, i, value) != 0) return true;
  return false;
}
