#pragma once
// A small PNG writer for building test images of every colour type and bit
// depth, with chosen row filters, split data chunks and deliberate damage. It
// stores the image data uncompressed (deflate "stored" blocks), so it needs no
// zlib and runs in every build.

#include <cstdint>
#include <string>
#include <vector>

struct PngTestImage {
  int width = 0;
  int height = 0;
  int bitDepth = 8;
  int colourType = 6;                // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
  std::vector<uint16_t> samples;     // width × height × channels, row after row
  std::vector<uint8_t> palette;      // RGB triples (colour type 3)
  std::vector<uint16_t> transparency;  // palette alphas, or the grey / R, G, B key
  bool hasTransparency = false;
  int filterSeed = 0;                // picks each row's filter (0..4)
  int dataChunkSize = 1 << 20;       // split the compressed data into chunks of this size

  int Channels() const;
};

std::vector<uint8_t> WritePngForTest(const PngTestImage& image);

// Appends one chunk with a correct CRC.
void AppendPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data);
