// Decoding the PNG corpus: every valid file gives exactly the pixels its
// samples call for, every broken one gives null. Natively both decoders run
// over the same files (libpng is the Linux build's, stb_image the Windows
// build's), so they must agree bit for bit.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/bitmap/png_decode.h"
#include "graphics/bitmap/png_decoders.h"
#include "png_test_corpus.h"

namespace {

using DecodeFn = MemBitmap* (*)(const unsigned char*, size_t);

MemBitmap* DecodeWithPlatform(const unsigned char* bytes, size_t length) { return DecodePngMemory(bytes, length); }

void CheckCorpus(DecodeFn decode, const char* decoderName) {
  for (const PngCorpusCase& c : BuildPngCorpus()) {
    SCOPED_TRACE(std::string(decoderName) + ": " + c.name);
    std::unique_ptr<MemBitmap> bitmap(decode(c.bytes.data(), c.bytes.size()));
    if (!c.valid) {
      EXPECT_EQ(bitmap, nullptr);
      continue;
    }
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), c.width);
    ASSERT_EQ(bitmap->Height(), c.height);
    int mismatches = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        if (bitmap->Row(y)[x] != c.expected[static_cast<size_t>(y) * c.width + x] && ++mismatches == 1)
          ADD_FAILURE() << "first mismatch at " << x << "," << y << std::hex << ": got " << bitmap->Row(y)[x]
                        << " want " << c.expected[static_cast<size_t>(y) * c.width + x];
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(PngDecode, PlatformDecoderMatchesTheCorpus) { CheckCorpus(DecodeWithPlatform, "platform"); }

TEST(PngDecode, StbDecoderMatchesTheCorpus) { CheckCorpus(DecodePngWithStb, "stb_image"); }

#ifndef _WIN32
TEST(PngDecode, LibpngDecoderMatchesTheCorpus) { CheckCorpus(DecodePngWithLibpng, "libpng"); }
#endif

TEST(PngDecode, PaletteWithTransparencyChunkTakesTheChunksAlpha) {
  PngTestImage image;
  image.width = 3;
  image.height = 1;
  image.colourType = 3;
  image.bitDepth = 8;
  image.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
  image.samples = {0, 1, 2};
  image.hasTransparency = true;
  image.transparency = {0, 128};  // the third entry has no alpha and stays opaque
  auto bytes = WritePngForTest(image);
  std::unique_ptr<MemBitmap> bitmap(DecodePngMemory(bytes.data(), bytes.size()));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Row(0)[0], MakePixel(0, 255, 0, 0));
  EXPECT_EQ(bitmap->Row(0)[1], MakePixel(128, 0, 255, 0));
  EXPECT_EQ(bitmap->Row(0)[2], MakePixel(255, 0, 0, 255));
}

TEST(PngDecode, RejectsMissingAndTooShortInput) {
  EXPECT_EQ(DecodePngMemory(nullptr, 100), nullptr);
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(DecodePngMemory(signature, 7), nullptr);
  EXPECT_EQ(DecodePngMemory(signature, 8), nullptr);
}

// Every prefix of a valid file is broken; none may crash or decode.
TEST(PngDecode, EveryTruncationGivesNull) {
  auto bytes = WritePngForTest(RandomPngImage(3, 4, true, 6, 5, 99));
  for (size_t length = 0; length < bytes.size(); ++length) {
    std::unique_ptr<MemBitmap> bitmap(DecodePngMemory(bytes.data(), length));
    EXPECT_EQ(bitmap, nullptr) << "length " << length;
  }
}

}  // namespace
