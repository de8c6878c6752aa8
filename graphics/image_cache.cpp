#include "graphics/image_cache.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/bitmap/graphics_lock.h"

namespace {

struct ImageCache {
  struct Entry {
    int resourceId;
    std::unique_ptr<Bitmap> image;
  };
  GraphicsLock lock;
  std::vector<Entry> entries;
  int loads = 0;
  // Emptied by the static destructor at module unload: images first, then the entries.
  ~ImageCache() {
    for (Entry& entry : entries) entry.image.reset();
    entries.clear();
  }
};

ImageCache& Cache() {
  static ImageCache cache;
  return cache;
}

}  // namespace

Bitmap* FetchCachedImage(int resourceId, const std::function<Bitmap*()>& load) {
  ImageCache& cache = Cache();
  GraphicsLockHold hold(cache.lock);
  for (const ImageCache::Entry& entry : cache.entries)
    if (entry.resourceId == resourceId) return entry.image.get();
  ++cache.loads;
  Bitmap* image = load ? load() : nullptr;
  if (image != nullptr) cache.entries.push_back({resourceId, std::unique_ptr<Bitmap>(image)});
  return image;
}

int ImageCacheLoadCount() {
  ImageCache& cache = Cache();
  GraphicsLockHold hold(cache.lock);
  return cache.loads;
}

bool IsPngFileName(const char* fileName) {
  if (fileName == nullptr) return false;
  const char* dot = std::strrchr(fileName, '.');
  if (dot == nullptr || std::strlen(dot + 1) != 3) return false;
  return std::tolower(static_cast<unsigned char>(dot[1])) == 'p' &&
         std::tolower(static_cast<unsigned char>(dot[2])) == 'n' &&
         std::tolower(static_cast<unsigned char>(dot[3])) == 'g';
}
