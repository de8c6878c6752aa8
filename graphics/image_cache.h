#pragma once
// The process-wide image cache: every image the editors of this module show,
// decoded once and shared by all editor instances. Guarded by a lock of its
// own; the cache owns the images and deletes them when the module unloads.

#include <functional>

#include "graphics/bitmap/bitmap.h"

// [any] The image cached under resourceId; on a miss, load() is called (with the
// cache's lock held, so that two editors never decode the same image twice) and
// a non-null result is stored. A failed load is not stored: a later fetch
// tries again. The returned image stays valid until the module unloads.
Bitmap* FetchCachedImage(int resourceId, const std::function<Bitmap*()>& load);

// [any] How many loads the cache has made so far (successful or not).
int ImageCacheLoadCount();

// Whether a file name's extension (after its last ".") is "png" in any letter
// case: the images window layers load from the module's PNG resources. [any]
bool IsPngFileName(const char* fileName);
