#pragma once
// The editor's images: ids, file names, sizes and frame counts, each drawn by
// its painter. Frames are stacked vertically, the first state at the top.

#include <vector>

#include "canvas.h"
#include "font_book.h"

struct ArtImage {
  int id;                // the resource id the editor fetches it by
  const char* fileName;  // inside resources/img/
  int width, height, frames;
  Canvas canvas;
};

// Draws every image; throws std::logic_error if a painter's size differs from the table.
std::vector<ArtImage> DrawAllImages(const FontBook& fonts);

// The image with this id, or null.
ArtImage* FindImage(std::vector<ArtImage>& images, int id);
