#include "graphics/font_cache.h"

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/bitmap/font_scratch.h"
#include "graphics/bitmap/graphics_lock.h"
#include "graphics/bitmap/system_font.h"

namespace {

struct FontCache {
  struct Entry {
    int size;
    int orientation;
    int style;
    char face[kFontFaceSize];
    std::unique_ptr<CachedFont> font;
  };

  FontCache() {
    // Fonts release the shared scratch surfaces when they die, so those statics
    // must outlive this one: touching them here constructs them first, and
    // statics die in the reverse order.
    GraphicsLockHold hold(FontScratchLock());
    (void)LiveFontCount();
  }
  ~FontCache() { entries.clear(); }

  GraphicsLock lock;
  std::vector<Entry> entries;
};

FontCache& Cache() {
  static FontCache cache;
  return cache;
}

FontQuality QualityOf(int quality) {
  switch (quality) {
    case 1: return FontQuality::NonAntialiased;
    case 2: return FontQuality::Antialiased;
    case 3: return FontQuality::ClearType;
    default: return FontQuality::Default;
  }
}

}  // namespace

CachedFont* FindOrCreateFont(const TextStyle& style) {
  FontCache& cache = Cache();
  GraphicsLockHold hold(cache.lock);
  for (const FontCache::Entry& entry : cache.entries)
    if (entry.size == style.size && entry.orientation == style.orientation && entry.style == style.style &&
        std::strncmp(entry.face, style.face, kFontFaceSize) == 0)
      return entry.font.get();

  SystemFontRequest request;
  request.face = style.face;
  request.height = style.size;
  request.escapement = style.orientation * 10;
  request.orientation = style.orientation * 10;
  request.weight = style.style == kTextStyleBold ? 700 : 400;
  request.italic = style.style == kTextStyleItalic;
  request.quality = QualityOf(style.quality);
  SystemFontHandle systemFont = CreateSystemFont(request);
  if (systemFont == nullptr) return nullptr;
  auto font = std::make_unique<CachedFont>();
  font->SetFromSystemFont(systemFont, kFontOwnsSystemFont | kFontPreferSystemRenderer);

  FontCache::Entry entry{style.size, style.orientation, style.style, {}, std::move(font)};
  std::memcpy(entry.face, style.face, kFontFaceSize);  // with its NUL (the style's array is terminated)
  entry.face[kFontFaceSize - 1] = '\0';
  cache.entries.push_back(std::move(entry));
  return cache.entries.back().font.get();
}

int FontCacheSize() {
  FontCache& cache = Cache();
  GraphicsLockHold hold(cache.lock);
  return static_cast<int>(cache.entries.size());
}
