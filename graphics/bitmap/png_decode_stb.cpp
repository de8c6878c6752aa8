// PNG decoding with stb_image (the Windows build's decoder; also compiled
// natively by the tests to compare it with libpng).
#include <climits>
#include <cstdint>

#include "graphics/bitmap/png_decoders.h"
#include "graphics/bitmap/png_structure.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

MemBitmap* DecodePngWithStb(const unsigned char* bytes, size_t length) {
  PngHeader header;
  if (!CheckPngStructure(bytes, length, header) || length > INT_MAX) return nullptr;
  int width = 0, height = 0, channels = 0;
  // Four channels out: stb expands palettes, grey, low depths and the
  // transparency chunk, and keeps the high byte of 16-bit samples.
  unsigned char* rgba = stbi_load_from_memory(bytes, static_cast<int>(length), &width, &height, &channels, 4);
  if (!rgba) return nullptr;
  auto* bitmap = new MemBitmap(width, height);
  if (width != header.width || height != header.height || bitmap->Width() != width || bitmap->Height() != height) {
    delete bitmap;
    stbi_image_free(rgba);
    return nullptr;
  }
  const unsigned char* in = rgba;
  for (int y = 0; y < height; ++y) {
    Pixel* row = bitmap->Row(y);
    for (int x = 0; x < width; ++x, in += 4) row[x] = MakePixel(in[3], in[0], in[1], in[2]);
  }
  stbi_image_free(rgba);
  return bitmap;
}
