#include "graphics/bitmap/png_decode.h"

#include "graphics/bitmap/png_decoders.h"

// The build picks the decoder (libpng where the system has it, stb_image on
// Windows, where no libpng is packaged); both decode to identical pixels.
MemBitmap* DecodePngMemory(const void* bytes, size_t length) {
  auto* data = static_cast<const unsigned char*>(bytes);
#if MORAVELLE_PNG_WITH_STB
  return DecodePngWithStb(data, length);
#else
  return DecodePngWithLibpng(data, length);
#endif
}
