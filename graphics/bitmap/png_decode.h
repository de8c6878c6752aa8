#pragma once
// PNG images to bitmaps. Every colour type and bit depth decodes to the 32-bit
// pixel: palettes and grey become RGB, low bit depths are scaled to 8 bits
// (grey) or unpacked (palette indices), a transparency chunk becomes an alpha
// channel, 16-bit samples keep their high byte, and images without alpha get
// A = 255. Broken input (bad signature, bad CRC, truncation, absurd sizes,
// anything the decoder rejects) gives null, never a partial image.
//
// Linux builds decode with libpng, Windows builds with stb_image; both read
// only what png_structure.h has checked first. [any]

#include <cstddef>

#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/module_resources.h"

// Returns a new bitmap that the caller owns, or null.
MemBitmap* DecodePngMemory(const void* bytes, size_t length);

// Decodes the module's resource of type "PNG" with the given id; null when it
// is missing, 7 bytes or shorter, or does not decode. The caller owns the result.
MemBitmap* DecodePngResource(ModuleHandle module, int resourceId);
