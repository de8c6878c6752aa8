#pragma once
// The checks every PNG passes before a decoder sees it: the signature, a chunk
// sequence whose lengths stay inside the data and whose CRCs match, IHDR first
// with a size we are willing to allocate, and an IEND. The decoders differ in
// what they verify themselves (stb_image ignores CRCs), so doing it here once
// makes both reject the same files.

#include <cstddef>
#include <cstdint>

inline constexpr int kMaxPngSide = 16384;
inline constexpr int64_t kMaxPngPixels = int64_t{1} << 24;

struct PngHeader {
  int width = 0;
  int height = 0;
  int bitDepth = 0;
  int colourType = 0;
};

bool HasPngSignature(const unsigned char* bytes, size_t length);

// True when the structure is sound; fills header from IHDR.
bool CheckPngStructure(const unsigned char* bytes, size_t length, PngHeader& header);

// The CRC-32 of the PNG specification over data, continuing from crc (start 0).
uint32_t PngCrc32(uint32_t crc, const unsigned char* data, size_t length);
