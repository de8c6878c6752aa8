#include "knob.h"

#include <cmath>

#include "paint.h"

namespace {

struct KnobFinish {
  Rgb skirtTop, skirtBottom;  // the knurled outer ring
  Rgb capTop, capBottom;      // the face
  Rgb pointer;
  double sheen;               // strength of the specular spot on the face
};

KnobFinish FinishOf(KnobColour colour) {
  switch (colour) {
    case KnobColour::kBlue:
      return {Hex(38, 84, 160), Hex(10, 26, 62), Hex(92, 156, 238), Hex(22, 66, 150), Hex(246, 248, 252), 0.28};
    case KnobColour::kBlack:
      return {Hex(60, 62, 67), Hex(12, 13, 15), Hex(74, 76, 82), Hex(20, 21, 24), Hex(244, 244, 240), 0.22};
    case KnobColour::kWhite:
      return {Hex(226, 224, 218), Hex(132, 130, 125), Hex(253, 252, 249), Hex(192, 189, 182), Hex(24, 24, 28), 0.5};
  }
  return {};
}

constexpr double kCx = kKnobSize / 2.0;
constexpr double kCy = kKnobSize / 2.0;
constexpr double kSkirtRadius = 16.5;
constexpr double kCapRadius = 12.4;
constexpr int kRidges = 36;

// A point at `radius` in the direction `angle` (clockwise from up).
double PolarX(double angle, double radius) { return kCx + std::sin(angle) * radius; }
double PolarY(double angle, double radius) { return kCy - std::cos(angle) * radius; }

void DrawSkirt(cairo_t* cr, const KnobFinish& f, double angle) {
  SoftShadow(cr, kCx, kCy + 2.2, kSkirtRadius - 4, kSkirtRadius + 3.3, 0.62);
  Circle(cr, kCx, kCy, kSkirtRadius);
  FillVertical(cr, kCy - kSkirtRadius, kCy + kSkirtRadius, f.skirtTop, f.skirtBottom);
  // Knurling turns with the knob; each ridge is lit by how much it faces up.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  for (int k = 0; k < kRidges; ++k) {
    const double phi = angle + k * 2 * M_PI / kRidges;
    const double up = (std::cos(phi) + 1) / 2;
    cairo_set_line_width(cr, 0.9);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.05 + 0.2 * up * up);
    cairo_move_to(cr, PolarX(phi, kCapRadius + 1.2), PolarY(phi, kCapRadius + 1.2));
    cairo_line_to(cr, PolarX(phi, kSkirtRadius - 0.4), PolarY(phi, kSkirtRadius - 0.4));
    cairo_stroke(cr);
    const double half = phi + M_PI / kRidges;
    cairo_set_source_rgba(cr, 0, 0, 0, 0.28);
    cairo_move_to(cr, PolarX(half, kCapRadius + 1.2), PolarY(half, kCapRadius + 1.2));
    cairo_line_to(cr, PolarX(half, kSkirtRadius - 0.4), PolarY(half, kSkirtRadius - 0.4));
    cairo_stroke(cr);
  }
  // A crisp outer edge, lit along the top.
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, kCy - kSkirtRadius, 0, kCy + kSkirtRadius);
  cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.45);
  cairo_pattern_add_color_stop_rgba(rim, 0.5, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 1, 0, 0, 0, 0.5);
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 1);
  Circle(cr, kCx, kCy, kSkirtRadius - 0.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
}

void DrawCap(cairo_t* cr, const KnobFinish& f) {
  // The step between skirt and face casts a thin shadow onto the knurling below it.
  Circle(cr, kCx, kCy + 0.8, kCapRadius + 0.6);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_fill(cr);
  Circle(cr, kCx, kCy, kCapRadius);
  FillVertical(cr, kCy - kCapRadius, kCy + kCapRadius, f.capTop, f.capBottom);
  // A soft specular spot up and to the left of the centre.
  cairo_pattern_t* spot = cairo_pattern_create_radial(kCx - 2.5, kCy - 6, 0.5, kCx - 1, kCy - 3, kCapRadius);
  cairo_pattern_add_color_stop_rgba(spot, 0, 1, 1, 1, f.sheen);
  cairo_pattern_add_color_stop_rgba(spot, 1, 1, 1, 1, 0);
  cairo_set_source(cr, spot);
  Circle(cr, kCx, kCy, kCapRadius);
  cairo_fill(cr);
  cairo_pattern_destroy(spot);
  // The chamfer round the face: bright on top, dark underneath.
  cairo_pattern_t* chamfer = cairo_pattern_create_linear(0, kCy - kCapRadius, 0, kCy + kCapRadius);
  cairo_pattern_add_color_stop_rgba(chamfer, 0, 1, 1, 1, 0.55);
  cairo_pattern_add_color_stop_rgba(chamfer, 0.45, 1, 1, 1, 0.05);
  cairo_pattern_add_color_stop_rgba(chamfer, 1, 0, 0, 0, 0.35);
  cairo_set_source(cr, chamfer);
  cairo_set_line_width(cr, 1);
  Circle(cr, kCx, kCy, kCapRadius - 0.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(chamfer);
}

void DrawPointer(cairo_t* cr, const KnobFinish& f, double angle) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // An engraved line: a faint shadow a little below, then the filled groove.
  cairo_set_line_width(cr, 2.4);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
  cairo_move_to(cr, PolarX(angle, 4.5), PolarY(angle, 4.5) + 0.7);
  cairo_line_to(cr, PolarX(angle, kCapRadius - 1.6), PolarY(angle, kCapRadius - 1.6) + 0.7);
  cairo_stroke(cr);
  SetColour(cr, f.pointer);
  cairo_move_to(cr, PolarX(angle, 4.5), PolarY(angle, 4.5));
  cairo_line_to(cr, PolarX(angle, kCapRadius - 1.6), PolarY(angle, kCapRadius - 1.6));
  cairo_stroke(cr);
  // The index mark carries on across the knurled ring.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_width(cr, 1.6);
  SetColour(cr, f.pointer, 0.9);
  cairo_move_to(cr, PolarX(angle, kCapRadius + 1.4), PolarY(angle, kCapRadius + 1.4));
  cairo_line_to(cr, PolarX(angle, kSkirtRadius - 0.6), PolarY(angle, kSkirtRadius - 0.6));
  cairo_stroke(cr);
}

}  // namespace

double KnobAngle(int frame) {
  const double degrees = -135.0 + 270.0 * frame / (kKnobFrames - 1);
  return degrees * M_PI / 180.0;
}

Canvas DrawKnobStrip(KnobColour colour) {
  Canvas canvas(kKnobSize, kKnobSize * kKnobFrames);
  cairo_t* cr = canvas.Cr();
  const KnobFinish finish = FinishOf(colour);
  for (int frame = 0; frame < kKnobFrames; ++frame) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, frame * kKnobSize, kKnobSize, kKnobSize);
    cairo_clip(cr);
    cairo_translate(cr, 0, frame * kKnobSize);
    const double angle = KnobAngle(frame);
    DrawSkirt(cr, finish, angle);
    DrawCap(cr, finish);
    DrawPointer(cr, finish, angle);
    cairo_restore(cr);
  }
  return canvas;
}
