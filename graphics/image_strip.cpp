#include "graphics/image_strip.h"

ImageStrip MakeImageStrip(Bitmap* image, int frames) {
  ImageStrip strip;
  strip.image = image;
  strip.width = image != nullptr ? image->Width() : 0;
  strip.height = image != nullptr ? image->Height() : 0;
  strip.frames = frames < 1 ? 1 : frames;
  return strip;
}
