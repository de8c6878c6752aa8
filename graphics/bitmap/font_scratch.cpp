#include "graphics/bitmap/font_scratch.h"

#include <algorithm>

#include "graphics/bitmap/system_font.h"

namespace {

struct FontScratch {
  int liveFonts = 0;
  SysBitmap* glyphSurface = nullptr;
  SysBitmap* measuringSurface = nullptr;
};

FontScratch& Scratch() {
  static FontScratch scratch;
  return scratch;
}

void GrowTo(SysBitmap& surface, int width, int height) {
  if (surface.Width() < width || surface.Height() < height)
    surface.Resize(std::max(surface.Width(), width), std::max(surface.Height(), height));
}

}  // namespace

GraphicsLock& FontScratchLock() {
  static GraphicsLock lock;
  return lock;
}

void AddLiveFont() { ++Scratch().liveFonts; }

void RemoveLiveFont() {
  FontScratch& scratch = Scratch();
  if (--scratch.liveFonts > 0) return;
  scratch.liveFonts = 0;
  delete scratch.glyphSurface;
  delete scratch.measuringSurface;
  scratch.glyphSurface = nullptr;
  scratch.measuringSurface = nullptr;
}

int LiveFontCount() { return Scratch().liveFonts; }

SysBitmap& GlyphSurface(int side) {
  FontScratch& scratch = Scratch();
  side = std::max(side, 256);
  if (!scratch.glyphSurface) {
    scratch.glyphSurface = new SysBitmap(side, side);
    PrepareGlyphSurface(*scratch.glyphSurface);
  }
  GrowTo(*scratch.glyphSurface, side, side);
  return *scratch.glyphSurface;
}

SysBitmap& MeasuringSurface() {
  FontScratch& scratch = Scratch();
  if (!scratch.measuringSurface) scratch.measuringSurface = new SysBitmap(4, 4);
  return *scratch.measuringSurface;
}

bool ScratchSurfacesExist() { return Scratch().glyphSurface || Scratch().measuringSurface; }
