#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

// cairo keeps colour premultiplied by alpha; PNG wants it straight.
unsigned char Unpremultiply(uint32_t channel, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<unsigned char>((channel * 255 + alpha / 2) / alpha);
}

bool IsOpaque(Canvas& canvas) {
  for (int y = 0; y < canvas.Height(); ++y) {
    const uint32_t* row = canvas.Row(y);
    for (int x = 0; x < canvas.Width(); ++x)
      if ((row[x] >> 24) != 255) return false;
  }
  return true;
}

std::vector<unsigned char> PackedRows(Canvas& canvas, int channels) {
  const int w = canvas.Width(), h = canvas.Height();
  std::vector<unsigned char> bytes(static_cast<size_t>(w) * h * channels);
  unsigned char* out = bytes.data();
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = canvas.Row(y);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = row[x], a = p >> 24;
      *out++ = Unpremultiply((p >> 16) & 255, a);
      *out++ = Unpremultiply((p >> 8) & 255, a);
      *out++ = Unpremultiply(p & 255, a);
      if (channels == 4) *out++ = static_cast<unsigned char>(a);
    }
  }
  return bytes;
}

// libpng reports errors by longjmp back here; nothing in this frame changes after setjmp.
bool Encode(png_structp png, png_infop info, FILE* file, int width, int height, int channels, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

bool WritePng(Canvas& canvas, const std::string& path) {
  const int channels = IsOpaque(canvas) ? 3 : 4;
  std::vector<unsigned char> bytes = PackedRows(canvas, channels);
  std::vector<png_bytep> rows(static_cast<size_t>(canvas.Height()));
  for (int y = 0; y < canvas.Height(); ++y)
    rows[static_cast<size_t>(y)] = bytes.data() + static_cast<size_t>(y) * canvas.Width() * channels;

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && Encode(png, info, file, canvas.Width(), canvas.Height(), channels, rows.data());
  png_destroy_write_struct(&png, &info);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}
