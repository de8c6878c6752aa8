#include "graphics/bitmap/fill.h"

#include <algorithm>
#include <cstdint>

#include "graphics/bitmap/blend_area.h"
#include "graphics/bitmap/blend_mode.h"

namespace {

void FillCopy(const BlendArea& area, Pixel c, int ia) {
  switch (ia) {
    case 256:
      BlendPixels(area, [c](Pixel, Pixel) { return c; });
      return;
    case 128:
      BlendPixels(area, [c](Pixel, Pixel d) { return HalfOf(c) + HalfOf(d); });
      return;
    case 64:
      BlendPixels(area, [c](Pixel, Pixel d) { return QuarterOf(c) + QuarterOf(d) + HalfOf(d); });
      return;
    case 192:
      BlendPixels(area, [c](Pixel, Pixel d) { return QuarterOf(c) + QuarterOf(d) + HalfOf(c); });
      return;
    default:
      // Alpha moves toward the weight itself, not toward the pixel's alpha.
      BlendPixels(area, [ia](Pixel s, Pixel d) {
        return MapChannels(s, d, [ia](int sc, int dc, int i) { return MixToward(i == 3 ? ia : sc, dc, 256 - ia); });
      });
      return;
  }
}

}  // namespace

void FillArea(Bitmap* destination, int x, int y, int width, int height, Pixel pixel, float alpha, int mode) {
  if (!destination) return;
  if (mode & kBlendUseSourceAlpha) alpha *= static_cast<float>(PixelA(pixel)) / 255.0f;
  int64_t left = x, top = y, w = width, h = height;
  if (left < 0) { w += left; left = 0; }
  if (top < 0) { h += top; top = 0; }
  if (!(alpha > 0.0f) || !destination->Bits() || w <= 0 || h <= 0) return;
  if (left >= destination->Width() || top >= destination->Height()) return;

  BlendArea area;
  area.width = static_cast<int>(std::min<int64_t>(w, destination->Width() - left));
  area.height = static_cast<int>(std::min<int64_t>(h, destination->Height() - top));
  area.destination = destination->Row(static_cast<int>(top)) + left;
  area.destinationSpan = destination->RowSpan();
  area.source = &pixel;
  area.sourceSpan = 0;

  int ia = static_cast<int>(std::min(alpha, 1.0f) * 256.0f);
  if (ia <= 0) return;
  int sa = PixelA(pixel);
  switch (mode & kBlendOperationMask) {
    case kBlendCopy:
      FillCopy(area, pixel, ia);
      break;
    case kBlendAdd:
      // The weight already holds the pixel's alpha (above), so it applies as is.
      BlendPixels(area, [ia, sa](Pixel s, Pixel d) {
        return MapChannels(s, d, [ia, sa](int sc, int dc, int i) {
          return i == 3 ? ClampByte(dc + sa * ia / 256) : ClampByte(dc + ia * sc / 256);
        });
      });
      break;
    case kBlendColourDodge:
      BlendPixels(area, [ia](Pixel s, Pixel d) {
        return MapChannels(s, d, [ia](int sc, int dc, int) { return DodgeChannel(dc, ia * sc / 256); });
      });
      break;
    default:
      break;  // multiply, overlay, HSV adjust and single-channel copies are not built
  }
}
