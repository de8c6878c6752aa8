#include "graphics/bitmap/png_decode.h"

MemBitmap* DecodePngResource(ModuleHandle module, int resourceId) {
  const unsigned char* data = nullptr;
  size_t size = 0;
  // Nothing of 7 bytes or fewer can even hold the signature.
  if (!FindPngResource(module, resourceId, &data, &size) || size <= 7) return nullptr;
  return DecodePngMemory(data, size);
}
