#pragma once
// ImageStrip: an image cut into N equal frames, stacked vertically unless the
// frames-horizontal flag is set. The image belongs to the process-wide image
// cache; a strip whose image could not be loaded has a null image and size 0.

#include "graphics/bitmap/bitmap.h"

struct ImageStrip {
  Bitmap* image = nullptr;
  int width = 0;   // the whole image
  int height = 0;
  int frames = 1;  // at least 1
  bool framesHorizontal = false;

  int FrameWidth() const { return framesHorizontal ? width / frames : width; }
  int FrameHeight() const { return framesHorizontal ? height : height / frames; }
};

// A strip of vertical frames over an image (which may be null).
ImageStrip MakeImageStrip(Bitmap* image, int frames);
