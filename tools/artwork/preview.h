#pragma once
// A look at the images as the editor shows them: every image composed at its
// place of the layout into one 1000 × 530 picture. For people, not for the build.

#include <vector>

#include "canvas.h"
#include "font_book.h"
#include "image_set.h"

// `lit` shows every switch in its last state and the knobs at other values.
Canvas ComposePreview(const FontBook& fonts, std::vector<ArtImage>& images, bool lit);
