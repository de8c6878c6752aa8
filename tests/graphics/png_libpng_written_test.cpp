// Files written by libpng itself (compressed, some interlaced) must decode to
// the same pixels with both decoders. Linux only: the Windows build has no
// libpng to write them.
#include <gtest/gtest.h>
#include <png.h>

#include <memory>

#include "graphics/bitmap/png_decoders.h"
#include "png_test_corpus.h"

namespace {

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

std::vector<uint8_t> WriteWithLibpng(const PngTestImage& image, bool interlaced) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < image.palette.size(); i += 3)
    palette.push_back(png_color{image.palette[i], image.palette[i + 1], image.palette[i + 2]});
  if (image.colourType == 3) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  std::vector<png_byte> alphas;
  png_color_16 key = {};
  if (image.hasTransparency) {
    if (image.colourType == 3) {
      for (uint16_t a : image.transparency) alphas.push_back(static_cast<png_byte>(a));
      png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    } else {
      key.gray = image.transparency[0];
      if (image.colourType == 2) {
        key.red = image.transparency[0];
        key.green = image.transparency[1];
        key.blue = image.transparency[2];
      }
      png_set_tRNS(png, info, nullptr, 0, &key);
    }
  }
  png_write_info(png, info);
  if (image.bitDepth < 8) png_set_packing(png);
  if (image.bitDepth == 16) png_set_swap(png);  // rows below are little-endian 16-bit
  int samplesPerRow = image.width * image.Channels();
  int bytesPerSample = image.bitDepth == 16 ? 2 : 1;
  std::vector<std::vector<png_byte>> rows(image.height, std::vector<png_byte>(samplesPerRow * bytesPerSample));
  std::vector<png_bytep> rowPointers;
  for (int y = 0; y < image.height; ++y) {
    for (int i = 0; i < samplesPerRow; ++i) {
      uint16_t s = image.samples[static_cast<size_t>(y) * samplesPerRow + i];
      if (bytesPerSample == 2) {
        rows[y][2 * i] = static_cast<png_byte>(s);
        rows[y][2 * i + 1] = static_cast<png_byte>(s >> 8);
      } else {
        rows[y][i] = static_cast<png_byte>(s);
      }
    }
    rowPointers.push_back(rows[y].data());
  }
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(PngDecode, CompressedAndInterlacedFilesFromLibpngDecodeAlike) {
  struct Form {
    int colourType, bitDepth;
    bool transparency;
  };
  const Form forms[] = {{0, 2, false}, {0, 16, true}, {2, 8, true}, {3, 1, true},
                        {3, 8, true},  {4, 16, false}, {6, 8, false}, {6, 16, false}};
  unsigned seed = 500;
  for (const Form& form : forms) {
    for (bool interlaced : {false, true}) {
      PngTestImage image = RandomPngImage(form.colourType, form.bitDepth, form.transparency, 37, 23, seed++);
      std::vector<uint8_t> bytes = WriteWithLibpng(image, interlaced);
      ASSERT_FALSE(bytes.empty());
      std::vector<Pixel> expected = ExpectedPixels(image);
      SCOPED_TRACE("type " + std::to_string(form.colourType) + " depth " + std::to_string(form.bitDepth) +
                   (interlaced ? " interlaced" : ""));
      std::unique_ptr<MemBitmap> fromLibpng(DecodePngWithLibpng(bytes.data(), bytes.size()));
      std::unique_ptr<MemBitmap> fromStb(DecodePngWithStb(bytes.data(), bytes.size()));
      ASSERT_NE(fromLibpng, nullptr);
      ASSERT_NE(fromStb, nullptr);
      int mismatches = 0;
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
          Pixel want = expected[static_cast<size_t>(y) * image.width + x];
          mismatches += fromLibpng->Row(y)[x] != want;
          mismatches += fromStb->Row(y)[x] != want;
        }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

}  // namespace
