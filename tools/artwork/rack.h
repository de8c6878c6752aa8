#pragma once
// The backdrop behind everything and the rack frame that holds the panels.

#include "canvas.h"
#include "font_book.h"

// 1000 × 1000: near-black, softly mottled and grained, darker towards the corners.
Canvas DrawBackdrop();

// 960 × 550: brushed grey frame with screws and the Moravelle badge along the
// top (rows 0..43), a black bay with perforated rails (rows 44..405) whose
// middle x 30..929, rows 45..404 the panels cover, and a plain plate below.
Canvas DrawRack(const FontBook& fonts);

// Rack geometry the panels and the preview agree on.
constexpr int kRackBayTop = 44;
constexpr int kRackBayBottom = 405;  // last bay row
constexpr int kRackPanelLeft = 30;
constexpr int kRackPanelRight = 930;  // one past the last panel column
