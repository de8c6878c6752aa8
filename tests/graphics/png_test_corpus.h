#pragma once
// The PNG corpus the decoders are checked against: images of every colour
// type, bit depth and transparency form with the pixels they must decode to,
// and broken files that must decode to nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bitmap/pixel.h"
#include "png_test_writer.h"

struct PngCorpusCase {
  std::string name;
  std::vector<uint8_t> bytes;
  bool valid = false;
  int width = 0;
  int height = 0;
  std::vector<Pixel> expected;  // width × height, for valid files
};

// The pixels an image must decode to, worked out from its samples.
std::vector<Pixel> ExpectedPixels(const PngTestImage& image);

// A random image of the given form.
PngTestImage RandomPngImage(int colourType, int bitDepth, bool transparency, int width, int height, unsigned seed);

std::vector<PngCorpusCase> BuildPngCorpus();
