// Module resources: the test program carries the images of images/ as PNG
// resources (see CMakeLists.txt), found by id on every platform.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/bitmap/png_decode.h"

namespace {

constexpr int kRgbaImage = 9001;
constexpr int kPaletteImage = 9002;
constexpr int kTooShort = 9003;

ModuleHandle ThisProgram() { return ModuleContaining(reinterpret_cast<const void*>(&ThisProgram)); }

TEST(PngResource, DecodesAnRgbaImageById) {
  std::unique_ptr<MemBitmap> image(DecodePngResource(ThisProgram(), kRgbaImage));
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->Width(), 3);
  ASSERT_EQ(image->Height(), 2);
  EXPECT_EQ(image->Row(0)[0], MakePixel(255, 255, 0, 0));
  EXPECT_EQ(image->Row(0)[1], MakePixel(255, 0, 255, 0));
  EXPECT_EQ(image->Row(0)[2], MakePixel(255, 0, 0, 255));
  EXPECT_EQ(image->Row(1)[0], MakePixel(128, 255, 255, 255));
  EXPECT_EQ(image->Row(1)[2], MakePixel(0, 0, 0, 0));
}

TEST(PngResource, DecodesAPaletteImageWithItsTransparency) {
  std::unique_ptr<MemBitmap> image(DecodePngResource(ThisProgram(), kPaletteImage));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Row(0)[0], MakePixel(0, 10, 20, 30));
  EXPECT_EQ(image->Row(0)[1], MakePixel(64, 40, 50, 60));
  EXPECT_EQ(image->Row(1)[0], MakePixel(255, 70, 80, 90));
}

TEST(PngResource, MissingOrTooShortResourcesGiveNull) {
  const unsigned char* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindPngResource(ThisProgram(), kTooShort, &data, &size));
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(DecodePngResource(ThisProgram(), kTooShort), nullptr);
  EXPECT_FALSE(FindPngResource(ThisProgram(), 9999, &data, &size));
  EXPECT_EQ(DecodePngResource(ThisProgram(), 9999), nullptr);
}

}  // namespace
