#pragma once
// The two PNG decoders behind DecodePngMemory. Each takes the raw file bytes,
// runs the structure check itself and returns a new bitmap or null, so the
// test suite can run both over the same files and compare pixels.

#include <cstddef>

#include "graphics/bitmap/mem_bitmap.h"

MemBitmap* DecodePngWithLibpng(const unsigned char* bytes, size_t length);  // Linux builds
MemBitmap* DecodePngWithStb(const unsigned char* bytes, size_t length);     // Windows builds
