#include "graphics/bitmap/blit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/bitmap/blend_area.h"
#include "graphics/bitmap/blend_mode.h"

namespace {

// The source area after clipping, or false when nothing is to be drawn.
bool ClipBlit(Bitmap& dst, Bitmap& src, int x, int y, const Rect* r, BlendArea& area, int& srcLeft, int& srcTop) {
  int64_t dx = x, dy = y;
  int64_t left = 0, top = 0, right = src.Width(), bottom = src.Height();
  if (r) {
    right = std::min<int64_t>(r->R, right);
    bottom = std::min<int64_t>(r->B, bottom);
    if (r->L < 0) dx -= r->L; else left = r->L;
    if (r->T < 0) dy -= r->T; else top = r->T;
  }
  if (dx < 0) { left -= dx; dx = 0; }
  if (dy < 0) { top -= dy; dy = 0; }
  if (left >= right || top >= bottom) return false;
  if (dx >= dst.Width() || dy >= dst.Height()) return false;
  area.width = static_cast<int>(std::min<int64_t>(dst.Width() - dx, right - left));
  area.height = static_cast<int>(std::min<int64_t>(dst.Height() - dy, bottom - top));
  area.destination = dst.Row(static_cast<int>(dy)) + dx;
  area.destinationSpan = dst.RowSpan();
  srcLeft = static_cast<int>(left);
  srcTop = static_cast<int>(top);
  area.source = src.Row(srcTop) + srcLeft;
  area.sourceSpan = src.RowSpan();
  return true;
}

void BlendCopy(const BlendArea& area, int ia) {
  if (ia == 256) {
    BlendPixels(area, [](Pixel s, Pixel) { return s; });
    return;
  }
  BlendPixels(area, [ia](Pixel s, Pixel d) {
    return MapChannels(s, d, [ia](int sc, int dc, int) { return MixToward(sc, dc, 256 - ia); });
  });
}

void BlendAlphaCopy(const BlendArea& area, int ia) {
  if (ia == 256) {
    // The editor's most common blit, spelled out channel by channel.
    BlendPixels(area, [](Pixel s, Pixel d) {
      int sa = PixelA(s);
      if (sa == 0) return d;
      if (sa == 255) return s | 0xFF000000u;
      int keep = 255 - sa;
      int b = MixToward(PixelB(s), PixelB(d), keep);
      int g = MixToward(PixelG(s), PixelG(d), keep);
      int r = MixToward(PixelR(s), PixelR(d), keep);
      return MakePixel(std::min(255, PixelA(d) + sa), r, g, b);
    });
    return;
  }
  BlendPixels(area, [ia](Pixel s, Pixel d) {
    int sa = PixelA(s);
    if (sa == 0) return d;
    int w = ia * (sa + 1) / 256;
    return MapChannels(s, d, [w](int sc, int dc, int i) {
      return i == 3 ? std::min(255, dc + w) : MixToward(sc, dc, 256 - w);
    });
  });
}

void BlendAdd(const BlendArea& area, int ia, bool bySourceAlpha) {
  BlendPixels(area, [ia, bySourceAlpha](Pixel s, Pixel d) {
    int sa = PixelA(s);
    if (bySourceAlpha && sa == 0) return d;
    int w = bySourceAlpha ? ia * (sa + 1) / 256 : ia;
    return MapChannels(s, d, [w, sa](int sc, int dc, int i) {
      return i == 3 ? ClampByte(dc + sa * w / 256) : ClampByte(dc + w * sc / 256);
    });
  });
}

void BlendColourDodge(const BlendArea& area, int ia, bool bySourceAlpha) {
  BlendPixels(area, [ia, bySourceAlpha](Pixel s, Pixel d) {
    int w = bySourceAlpha ? ia * (PixelA(s) + 1) / 256 : ia;
    return MapChannels(s, d, [w](int sc, int dc, int) { return DodgeChannel(dc, w * sc / 256); });
  });
}

}  // namespace

void BlitImage(Bitmap* destination, Bitmap* source, int x, int y, const Rect* sourceRect, float alpha, int mode) {
  if (!destination || !source || !(alpha > 0.0f)) return;
  BlendArea area;
  int srcLeft = 0, srcTop = 0;
  if (!ClipBlit(*destination, *source, x, y, sourceRect, area, srcLeft, srcTop)) return;

  // Drawing a bitmap onto itself reads from a copy, so overlapping rows never
  // read pixels this blit has already written.
  std::vector<Pixel> copy;
  if (destination == source) {
    copy.resize(static_cast<size_t>(area.width) * area.height);
    for (int row = 0; row < area.height; ++row)
      std::memcpy(&copy[static_cast<size_t>(row) * area.width], area.source + static_cast<long>(row) * area.sourceSpan,
                  sizeof(Pixel) * area.width);
    area.source = copy.data();
    area.sourceSpan = area.width;
  }

  int operation = mode & kBlendOperationMask;
  bool bySourceAlpha = (mode & kBlendUseSourceAlpha) != 0;
  if (operation >= kBlendSingleChannelFirst) return;  // single-channel copies are not built
  if (mode == kBlendCopy && alpha == 1.0f) {
    for (int row = 0; row < area.height; ++row)
      std::memcpy(area.destination + static_cast<long>(row) * area.destinationSpan,
                  area.source + static_cast<long>(row) * area.sourceSpan, sizeof(Pixel) * area.width);
    return;
  }
  if (mode == kBlendCopy && alpha == 0.5f) {
    BlendPixels(area, [](Pixel s, Pixel d) { return HalfOf(s) + HalfOf(d); });
    return;
  }
  int ia = static_cast<int>(std::min(alpha, 1.0f) * 256.0f);
  if (ia <= 0) return;
  switch (operation) {
    case kBlendCopy:
      if (bySourceAlpha) BlendAlphaCopy(area, ia); else BlendCopy(area, ia);
      break;
    case kBlendAdd:
      BlendAdd(area, ia, bySourceAlpha);
      break;
    case kBlendColourDodge:
      BlendColourDodge(area, ia, bySourceAlpha);
      break;
    default:
      break;  // multiply, overlay and HSV adjust are not built
  }
}
