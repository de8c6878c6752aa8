#include "rack.h"

#include <cmath>

#include "paint.h"
#include "texture.h"

namespace {

constexpr int kRackWidth = 960;
constexpr int kRackHeight = 550;
constexpr int kBayLeft = 9, kBayRight = 951;
constexpr int kRailWidth = 18;
constexpr int kUnit = 45;  // one rack unit in pixels; the bay is eight units high

// Letters cut into the metal: a dark groove with its lower edge catching the light.
void Engrave(cairo_t* cr, const FontBook& fonts, const TextSpec& spec, const char* text, double x, double baseline,
             Align align) {
  cairo_set_source_rgba(cr, 1, 1, 1, 0.28);
  fonts.Draw(cr, spec, text, x, baseline + 1, align);
  cairo_set_source_rgba(cr, 0.1, 0.1, 0.12, 0.7);
  fonts.Draw(cr, spec, text, x, baseline, align);
}

void EngraveLine(cairo_t* cr, double x0, double x1, double y) {
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
  cairo_move_to(cr, x0, y + 0.5);
  cairo_line_to(cr, x1, y + 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
  cairo_move_to(cr, x0, y + 1.5);
  cairo_line_to(cr, x1, y + 1.5);
  cairo_stroke(cr);
}

void DrawFrameMetal(Canvas& canvas) {
  cairo_t* cr = canvas.Cr();
  RoundedRect(cr, 0, 0, kRackWidth, kRackHeight, 7);
  FillVertical(cr, 0, kRackHeight, Hex(160, 163, 168), Hex(104, 106, 111));
  AddBrushing(canvas, {0, 0, kRackWidth, kRackHeight}, 0x7AC4F0, 4, 220);
  AddGrain(canvas, {0, 0, kRackWidth, kRackHeight}, 0x7AC4F1, 2);
  // The frame's outer edge, rounded over: bright along the top, dark below.
  RoundedRect(cr, 0.5, 0.5, kRackWidth - 1, kRackHeight - 1, 6.5);
  cairo_pattern_t* edge = cairo_pattern_create_linear(0, 0, 0, kRackHeight);
  cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, 0.6);
  cairo_pattern_add_color_stop_rgba(edge, 0.08, 1, 1, 1, 0.15);
  cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.5);
  cairo_set_source(cr, edge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

void DrawRail(cairo_t* cr, double x) {
  const double top = kRackBayTop, bottom = kRackBayBottom + 1;
  cairo_rectangle(cr, x, top, kRailWidth, bottom - top);
  cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + kRailWidth, 0);
  AddStop(p, 0, Hex(66, 68, 72));
  AddStop(p, 0.35, Hex(104, 106, 111));
  AddStop(p, 1, Hex(58, 60, 64));
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // Square cage-nut holes, three to a unit at the usual uneven pitch.
  const double holeOffsets[] = {6.4, 22.5, 38.6};
  for (int unit = 0; unit < 8; ++unit)
    for (double offset : holeOffsets) {
      const double cy = kRackBayTop + 1 + unit * kUnit + offset;
      const double hx = std::round(x + kRailWidth / 2.0 - 3), hy = std::round(cy - 3);
      cairo_rectangle(cr, hx, hy, 6, 6);
      cairo_set_source_rgba(cr, 0.01, 0.01, 0.012, 1);
      cairo_fill(cr);
      cairo_rectangle(cr, hx, hy + 6, 6, 1);  // the lit lower lip
      cairo_set_source_rgba(cr, 1, 1, 1, 0.3);
      cairo_fill(cr);
      cairo_rectangle(cr, hx, hy - 1, 6, 1);
      cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
      cairo_fill(cr);
    }
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
  cairo_move_to(cr, x + 0.5, top);
  cairo_line_to(cr, x + 0.5, bottom);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
  cairo_move_to(cr, x + kRailWidth - 0.5, top);
  cairo_line_to(cr, x + kRailWidth - 0.5, bottom);
  cairo_stroke(cr);
}

void DrawBay(cairo_t* cr) {
  const double top = kRackBayTop, bottom = kRackBayBottom + 1;
  cairo_rectangle(cr, kBayLeft, top, kBayRight - kBayLeft, bottom - top);
  cairo_set_source_rgb(cr, 0.02, 0.02, 0.024);
  cairo_fill(cr);
  DrawRail(cr, kRackPanelLeft - kRailWidth);
  DrawRail(cr, kRackPanelRight);
  // The opening's edges: its upper wall in shadow, its lower lip lit.
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
  cairo_move_to(cr, kBayLeft - 1, top - 0.5);
  cairo_line_to(cr, kBayRight + 1, top - 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
  cairo_move_to(cr, kBayLeft - 1, bottom + 0.5);
  cairo_line_to(cr, kBayRight + 1, bottom + 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
  cairo_move_to(cr, kBayLeft - 0.5, top);
  cairo_line_to(cr, kBayLeft - 0.5, bottom);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.15);
  cairo_move_to(cr, kBayRight + 0.5, top);
  cairo_line_to(cr, kBayRight + 0.5, bottom);
  cairo_stroke(cr);
}

void DrawBadge(cairo_t* cr, const FontBook& fonts) {
  const TextSpec name{Typeface::kBadge, 21, 0.6};
  const double textWidth = fonts.Width(cr, name, "Moravelle");
  const double w = std::round(textWidth + 56), h = 30;
  const double x = std::round(kRackWidth / 2.0 - w / 2), y = 7;
  // Seat, chrome bezel, black enamel.
  RoundedRect(cr, x - 1, y + 1, w + 2, h + 1, 6);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_fill(cr);
  RoundedRect(cr, x, y, w, h, 5);
  FillVertical(cr, y, y + h, Hex(238, 240, 243), Hex(120, 122, 128));
  RoundedRect(cr, x + 2, y + 2, w - 4, h - 4, 3.5);
  FillVertical(cr, y + 2, y + h - 2, Hex(34, 35, 40), Hex(10, 10, 12));
  RoundedRect(cr, x + 2.5, y + 2.5, w - 5, h - 5, 3);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // Rivets at both ends.
  for (double rx : {x + 9.0, x + w - 9.0}) {
    Circle(cr, rx, y + h / 2, 2.6);
    FillVertical(cr, y + h / 2 - 2.6, y + h / 2 + 2.6, Hex(230, 232, 236), Hex(96, 98, 104));
  }
  // Raised chrome lettering.
  const double baseline = y + 21.5;
  cairo_set_source_rgba(cr, 0, 0, 0, 0.9);
  fonts.Draw(cr, name, "Moravelle", kRackWidth / 2.0, baseline + 1, Align::kCentre);
  fonts.Path(cr, name, "Moravelle", kRackWidth / 2.0, baseline, Align::kCentre);
  FillVertical(cr, y + 6, y + h - 6, Hex(255, 255, 255), Hex(168, 172, 180));
  // A band of gloss over the top of the enamel.
  RoundedRect(cr, x + 3, y + 3, w - 6, (h - 6) / 2, 2.5);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
  cairo_fill(cr);
}

void DrawTopBand(cairo_t* cr, const FontBook& fonts) {
  const TextSpec small{Typeface::kCaption, 9, 1.8};
  Engrave(cr, fonts, small, "PELLION AUDIO", 40, 26, Align::kLeft);
  Engrave(cr, fonts, small, "STEREO REVERB  ·  MV-1", kRackWidth - 40, 26, Align::kRight);
  DrawBadge(cr, fonts);
  for (double x : {16.0, kRackWidth - 16.0}) Screw(cr, x, 22, 5.5, x < 100 ? 0.3 : 1.1);
}

void DrawPlate(cairo_t* cr) {
  // A machined groove where the plate meets the bay, and the plate's own screws.
  EngraveLine(cr, 9, kRackWidth - 9, kRackBayBottom + 14);
  const double ys[] = {kRackBayBottom + 44.0, kRackHeight - 24.0};
  const double turns[] = {0.7, 1.3, 0.2, 0.9};
  int i = 0;
  for (double y : ys)
    for (double x : {16.0, kRackWidth - 16.0}) Screw(cr, x, y, 5.5, turns[i++]);
}

}  // namespace

Canvas DrawBackdrop() {
  constexpr int kSize = 1000;
  Canvas canvas(kSize, kSize);
  cairo_t* cr = canvas.Cr();
  cairo_rectangle(cr, 0, 0, kSize, kSize);
  FillVertical(cr, 0, kSize, Hex(22, 23, 26), Hex(10, 10, 12));
  AddMottle(canvas, {0, 0, kSize, kSize}, 0xBAC0D1, 3, 40);
  AddMottle(canvas, {0, 0, kSize, kSize}, 0xBAC0D2, 2, 9);
  AddMottle(canvas, {0, 0, kSize, kSize}, 0xBAC0D3, 3, 3);
  cairo_pattern_t* vignette = cairo_pattern_create_radial(kSize / 2.0, 300, 150, kSize / 2.0, 300, 900);
  cairo_pattern_add_color_stop_rgba(vignette, 0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(vignette, 1, 0, 0, 0, 0.55);
  cairo_set_source(cr, vignette);
  cairo_paint(cr);
  cairo_pattern_destroy(vignette);
  return canvas;
}

Canvas DrawRack(const FontBook& fonts) {
  Canvas canvas(kRackWidth, kRackHeight);
  DrawFrameMetal(canvas);
  cairo_t* cr = canvas.Cr();
  DrawBay(cr);
  DrawTopBand(cr, fonts);
  DrawPlate(cr);
  return canvas;
}
