#pragma once
// Drawing helpers shared by every image: colours, shapes, gradients and the
// small hardware parts (screws, bevels). The light always comes from above.

#include <cairo.h>

struct Rgb {
  double r, g, b;
};

// Rgb from 0..255 channel values.
constexpr Rgb Hex(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Rgb Mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b
void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
void Circle(cairo_t* cr, double cx, double cy, double radius);

// Fills the current path with a top-to-bottom gradient over rows y0..y1.
void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);

// A soft round shadow: a radial fade from `alpha` at `inner` to nothing at `outer`.
void SoftShadow(cairo_t* cr, double cx, double cy, double inner, double outer, double alpha);

// A machined edge on an axis-aligned rect: a light line along the top, a dark
// one along the bottom, fainter ones on the sides.
void Bevel(cairo_t* cr, double x, double y, double w, double h, double light, double dark);

// A pan-head screw with a cross recess; `turn` in radians so screws do not all line up.
void Screw(cairo_t* cr, double cx, double cy, double radius, double turn);
