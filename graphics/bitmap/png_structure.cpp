#include "graphics/bitmap/png_structure.h"

#include <array>
#include <cstring>

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

uint32_t ReadBigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

}  // namespace

uint32_t PngCrc32(uint32_t crc, const unsigned char* data, size_t length) {
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) crc = kCrcTable[(crc ^ data[i]) & 255] ^ (crc >> 8);
  return ~crc;
}

bool HasPngSignature(const unsigned char* bytes, size_t length) {
  return bytes && length >= 8 && std::memcmp(bytes, kSignature, 8) == 0;
}

bool CheckPngStructure(const unsigned char* bytes, size_t length, PngHeader& header) {
  if (!HasPngSignature(bytes, length)) return false;
  size_t pos = 8;
  bool first = true;
  bool sawData = false;
  while (true) {
    if (length - pos < 12) return false;  // truncated before IEND
    uint32_t chunkLength = ReadBigEndian32(bytes + pos);
    if (chunkLength > 0x7FFFFFFFu || chunkLength > length - pos - 12) return false;
    const unsigned char* type = bytes + pos + 4;
    const unsigned char* data = type + 4;
    if (PngCrc32(0, type, chunkLength + 4) != ReadBigEndian32(data + chunkLength)) return false;
    if (first) {
      if (std::memcmp(type, "IHDR", 4) != 0 || chunkLength != 13) return false;
      uint32_t width = ReadBigEndian32(data), height = ReadBigEndian32(data + 4);
      if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) return false;
      if (int64_t{width} * height > kMaxPngPixels) return false;
      header.width = static_cast<int>(width);
      header.height = static_cast<int>(height);
      header.bitDepth = data[8];
      header.colourType = data[9];
      first = false;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      sawData = true;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      return sawData;  // anything after IEND is ignored, as both decoders do
    }
    pos += size_t{chunkLength} + 12;
  }
}
