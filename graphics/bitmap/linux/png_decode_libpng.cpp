// PNG decoding with libpng, reading from a memory block.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "graphics/bitmap/png_decoders.h"
#include "graphics/bitmap/png_structure.h"

namespace {

struct MemoryReader {
  const unsigned char* bytes;
  size_t length;
  size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->length - reader->position) png_error(png, "read past the end of the image");
  std::memcpy(out, reader->bytes + reader->position, count);
  reader->position += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}  // images load silently

// Asks libpng for A, R, G, B bytes per pixel whatever the file holds.
void RequestArgb(png_structp png, png_infop info) {
  int colourType = png_get_color_type(png, info);
  int bitDepth = png_get_bit_depth(png, info);
  bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (transparencyChunk) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if ((colourType & PNG_COLOR_MASK_ALPHA) || transparencyChunk)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

}  // namespace

MemBitmap* DecodePngWithLibpng(const unsigned char* bytes, size_t length) {
  PngHeader header;
  if (!CheckPngStructure(bytes, length, header)) return nullptr;
  MemoryReader reader{bytes, length, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  // Set before setjmp and only read after a longjmp, hence volatile.
  MemBitmap* volatile bitmap = nullptr;
  png_bytep* volatile rows = nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    delete bitmap;
    delete[] rows;
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return nullptr;
  }
  png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_read_info(png, info);
  RequestArgb(png, info);
  int width = static_cast<int>(png_get_image_width(png, info));
  int height = static_cast<int>(png_get_image_height(png, info));
  if (png_get_channels(png, info) != 4 || png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "layout");

  bitmap = new MemBitmap(width, height);
  if (bitmap->Width() != width || bitmap->Height() != height) png_error(png, "no memory");
  rows = new png_bytep[height];
  for (int y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(bitmap->Row(y));
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  delete[] rows;
  png_destroy_read_struct(&png, &info, nullptr);

  // Rows hold A, R, G, B bytes; turn each into the pixel value in place.
  MemBitmap* result = bitmap;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<unsigned char*>(result->Row(y));
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = row + 4 * x;
      Pixel value = MakePixel(p[0], p[1], p[2], p[3]);
      std::memcpy(row + 4 * x, &value, 4);
    }
  }
  return result;
}
