#include "paint.h"

#include <cmath>

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

void SetColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::fmin(radius, std::fmin(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
  cairo_close_path(cr);
}

void Circle(cairo_t* cr, double cx, double cy, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void SoftShadow(cairo_t* cr, double cx, double cy, double inner, double outer, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, inner, cx, cy, outer);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, alpha);
  cairo_pattern_add_color_stop_rgba(p, 0.45, 0, 0, 0, alpha * 0.45);
  cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0);
  cairo_set_source(cr, p);
  Circle(cr, cx, cy, outer);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Bevel(cairo_t* cr, double x, double y, double w, double h, double light, double dark) {
  cairo_save(cr);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, light);
  cairo_move_to(cr, x, y + 0.5);
  cairo_line_to(cr, x + w, y + 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, light * 0.45);
  cairo_move_to(cr, x + 0.5, y + 1);
  cairo_line_to(cr, x + 0.5, y + h - 1);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, dark);
  cairo_move_to(cr, x, y + h - 0.5);
  cairo_line_to(cr, x + w, y + h - 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, dark * 0.6);
  cairo_move_to(cr, x + w - 0.5, y + 1);
  cairo_line_to(cr, x + w - 0.5, y + h - 1);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Screw(cairo_t* cr, double cx, double cy, double radius, double turn) {
  cairo_save(cr);
  // The countersink: a dark ring, lit on its lower inner wall.
  SoftShadow(cr, cx, cy + 0.8, radius * 0.7, radius + 1.6, 0.55);
  cairo_pattern_t* ring = cairo_pattern_create_linear(0, cy - radius, 0, cy + radius);
  cairo_pattern_add_color_stop_rgba(ring, 0, 0, 0, 0, 0.55);
  cairo_pattern_add_color_stop_rgba(ring, 1, 1, 1, 1, 0.35);
  cairo_set_source(cr, ring);
  Circle(cr, cx, cy, radius);
  cairo_fill(cr);
  cairo_pattern_destroy(ring);
  // The domed head, lit from above.
  const double head = radius - 0.9;
  cairo_pattern_t* dome = cairo_pattern_create_radial(cx - head * 0.25, cy - head * 0.45, head * 0.1, cx, cy, head * 1.05);
  AddStop(dome, 0, Hex(236, 238, 240));
  AddStop(dome, 0.55, Hex(160, 163, 168));
  AddStop(dome, 1, Hex(88, 90, 95));
  cairo_set_source(cr, dome);
  Circle(cr, cx, cy, head);
  cairo_fill(cr);
  cairo_pattern_destroy(dome);
  // The cross recess, dark, with its lower lip catching the light.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, std::fmax(1.0, head * 0.3));
  const double arm = head * 0.58;
  for (int pass = 0; pass < 2; ++pass) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy + (pass == 0 ? 0.6 : 0.0));
    cairo_rotate(cr, turn);
    if (pass == 0) cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    else cairo_set_source_rgba(cr, 0.08, 0.08, 0.09, 0.9);
    cairo_move_to(cr, -arm, 0);
    cairo_line_to(cr, arm, 0);
    cairo_move_to(cr, 0, -arm);
    cairo_line_to(cr, 0, arm);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}
