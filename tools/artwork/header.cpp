#include "header.h"

#include <cmath>

#include "paint.h"
#include "texture.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 30;
constexpr double kTrayLeft = 236, kTrayRight = 764, kTrayBottom = 27;
constexpr Rgb kAccent = Hex(232, 146, 52);

// The Pellion mark: an amber disc holding a P whose bowl sends out a sound wave.
void DrawLogoMark(cairo_t* cr, double cx, double cy) {
  SoftShadow(cr, cx, cy + 1, 7, 11, 0.6);
  Circle(cr, cx, cy, 9.5);
  FillVertical(cr, cy - 9.5, cy + 9.5, Hex(250, 184, 92), Hex(196, 96, 30));
  Circle(cr, cx, cy, 9);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.3);
  cairo_stroke(cr);
  const Rgb ink = Hex(26, 22, 20);
  SetColour(cr, ink);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2.2);
  const double stem = cx - 3.6, top = cy - 5.2, bowlY = cy - 1.6, bowlR = 3.6;
  cairo_move_to(cr, stem, cy + 5.6);
  cairo_line_to(cr, stem, top);
  cairo_line_to(cr, cx - 0.4, top);
  cairo_arc(cr, cx - 0.4, bowlY, bowlR, -M_PI / 2, M_PI / 2);
  cairo_line_to(cr, stem, bowlY + bowlR);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.3);
  cairo_arc(cr, cx - 0.4, bowlY, bowlR + 3.1, -M_PI * 0.22, M_PI * 0.22);
  cairo_stroke(cr);
}

void DrawBar(Canvas& canvas) {
  cairo_t* cr = canvas.Cr();
  cairo_rectangle(cr, 0, 0, kWidth, kHeight);
  FillVertical(cr, 0, kHeight, Hex(50, 52, 57), Hex(22, 23, 26));
  AddBrushing(canvas, {0, 0, kWidth, kHeight}, 0x4EADE7, 4, 90);
  AddGrain(canvas, {0, 0, kWidth, kHeight}, 0x4EADE8, 1);
  Bevel(cr, 0, 0, kWidth, kHeight, 0.22, 0.95);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.04);
  cairo_rectangle(cr, 0, kHeight - 2, kWidth, 1);
  cairo_fill(cr);
}

// The tray the preset keys and the name strip sit in, cut into the bar from its top edge.
void DrawTray(cairo_t* cr) {
  RoundedRect(cr, kTrayLeft, -4, kTrayRight - kTrayLeft, kTrayBottom + 4, 4);
  FillVertical(cr, 0, kTrayBottom, Hex(10, 10, 12), Hex(20, 21, 24));
  // Inner shadow along the top and a lit lower lip.
  cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 6);
  cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.6);
  cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0);
  cairo_set_source(cr, shade);
  cairo_rectangle(cr, kTrayLeft, 0, kTrayRight - kTrayLeft, 6);
  cairo_fill(cr);
  cairo_pattern_destroy(shade);
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, kTrayLeft - 0.5, -4.5, kTrayRight - kTrayLeft + 1, kTrayBottom + 5, 4.5);
  cairo_pattern_t* lip = cairo_pattern_create_linear(0, 0, 0, kTrayBottom + 1);
  cairo_pattern_add_color_stop_rgba(lip, 0, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(lip, 0.7, 1, 1, 1, 0.05);
  cairo_pattern_add_color_stop_rgba(lip, 1, 1, 1, 1, 0.22);
  cairo_set_source(cr, lip);
  cairo_stroke(cr);
  cairo_pattern_destroy(lip);
}

void DrawWordmarks(cairo_t* cr, const FontBook& fonts) {
  DrawLogoMark(cr, 22, 15);
  const TextSpec maker{Typeface::kLabel, 12, 2.2};
  const TextSpec makerLight{Typeface::kLight, 12, 2.2};
  const double baseline = 19.5;
  cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
  fonts.Draw(cr, maker, "PELLION", 39, baseline + 1, Align::kLeft);
  SetColour(cr, Hex(236, 236, 232));
  fonts.Draw(cr, maker, "PELLION", 39, baseline, Align::kLeft);
  const double second = 39 + fonts.Width(cr, maker, "PELLION") + 5;
  cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
  fonts.Draw(cr, makerLight, "AUDIO", second, baseline + 1, Align::kLeft);
  SetColour(cr, kAccent);
  fonts.Draw(cr, makerLight, "AUDIO", second, baseline, Align::kLeft);

  const TextSpec product{Typeface::kLabel, 11, 2.6};
  const TextSpec kind{Typeface::kLight, 9, 1.6};
  const double right = kWidth - 14;
  const double kindWidth = fonts.Width(cr, kind, "STEREO REVERB");
  SetColour(cr, Hex(130, 132, 138));
  fonts.Draw(cr, kind, "STEREO REVERB", right, baseline, Align::kRight);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
  fonts.Draw(cr, product, "MORAVELLE", right - kindWidth - 10, baseline + 1, Align::kRight);
  SetColour(cr, Hex(214, 216, 220));
  fonts.Draw(cr, product, "MORAVELLE", right - kindWidth - 10, baseline, Align::kRight);
}

}  // namespace

Canvas DrawHeader(const FontBook& fonts) {
  Canvas canvas(kWidth, kHeight);
  DrawBar(canvas);
  DrawTray(canvas.Cr());
  DrawWordmarks(canvas.Cr(), fonts);
  return canvas;
}

Canvas DrawPresetArrow(bool forward) {
  Canvas canvas(20, 25);
  cairo_t* cr = canvas.Cr();
  const double tip = forward ? 14.5 : 5.5, back = forward ? 6.5 : 13.5;
  for (int pass = 0; pass < 2; ++pass) {
    const double dy = pass == 0 ? 1 : 0;
    cairo_move_to(cr, back, 7 + dy);
    cairo_line_to(cr, tip, 12.5 + dy);
    cairo_line_to(cr, back, 18 + dy);
    cairo_close_path(cr);
    if (pass == 0) {
      cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
      cairo_fill(cr);
    } else {
      FillVertical(cr, 7, 18, Hex(222, 224, 228), Hex(150, 153, 160));
    }
  }
  return canvas;
}

Canvas DrawPresetKey(const FontBook& fonts, const std::string& word) {
  Canvas canvas(40, 25);
  cairo_t* cr = canvas.Cr();
  RoundedRect(cr, 2, 4.5, 36, 18, 3);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
  cairo_fill(cr);
  RoundedRect(cr, 2.5, 3.5, 35, 17, 2.5);
  FillVertical(cr, 3.5, 20.5, Hex(74, 76, 82), Hex(36, 37, 41));
  RoundedRect(cr, 3, 4, 34, 16, 2);
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, 4, 0, 20);
  cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.35);
  cairo_pattern_add_color_stop_rgba(rim, 0.4, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 1, 0, 0, 0, 0.3);
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
  const TextSpec spec{Typeface::kCaption, 9, 0.9};
  cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
  fonts.Draw(cr, spec, word, 20, 16, Align::kCentre);
  SetColour(cr, Hex(222, 224, 228));
  fonts.Draw(cr, spec, word, 20, 15, Align::kCentre);
  return canvas;
}
