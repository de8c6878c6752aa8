#include "png_file_writer.h"

#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

bool WritePngFile(Bitmap& bitmap, const char* path) {
  int width = bitmap.Width(), height = bitmap.Height();
  if (width <= 0 || height <= 0) return false;
  std::vector<unsigned char> rgba;
  rgba.reserve(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Pixel p = bitmap.Row(y)[x];
      rgba.insert(rgba.end(), {static_cast<unsigned char>(PixelR(p)), static_cast<unsigned char>(PixelG(p)),
                               static_cast<unsigned char>(PixelB(p)), static_cast<unsigned char>(PixelA(p))});
    }
  return stbi_write_png(path, width, height, 4, rgba.data(), width * 4) != 0;
}
