#pragma once
// The process-wide font cache: one CachedFont per (size, orientation, style,
// face), made on first use and shared by every editor. Guarded by a lock of its
// own; the cache owns the fonts and deletes them when the module unloads.

#include "graphics/bitmap/cached_font.h"
#include "graphics/text_style.h"

// [editor] The font for the style's size, orientation, style and exact face
// name, made from a new system font when the cache has none. Null when the
// system cannot make the font. Valid until the module unloads.
CachedFont* FindOrCreateFont(const TextStyle& style);

// [any] Fonts in the cache.
int FontCacheSize();
