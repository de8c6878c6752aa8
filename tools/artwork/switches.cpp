#include "switches.h"

#include "paint.h"

namespace {

constexpr int kButtonFrame = 40;

// A lens lit from behind: a hot centre fading to saturated red at the rim.
void LitLens(cairo_t* cr, double cx, double cy, double radius) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy - radius * 0.2, 0, cx, cy, radius);
  AddStop(p, 0, Hex(255, 214, 190));
  AddStop(p, 0.35, Hex(255, 72, 46));
  AddStop(p, 1, Hex(196, 18, 10));
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

// The same lens unlit: deep red glass that still shows it is an LED.
void DarkLens(cairo_t* cr, double y0, double y1) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  AddStop(p, 0, Hex(40, 8, 8));
  AddStop(p, 1, Hex(88, 20, 16));
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

// Glass gloss over the upper half of the current path.
void Gloss(cairo_t* cr, double y0, double y1, double strength) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, strength);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, strength * 0.15);
  cairo_pattern_add_color_stop_rgba(p, 0.51, 1, 1, 1, 0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// A round glow around a lit LED, spilling onto what is around it.
void Halo(cairo_t* cr, double cx, double cy, double inner, double outer, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, inner, cx, cy, outer);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 0.2, 0.1, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 0.2, 0.1, 0);
  cairo_set_source(cr, p);
  Circle(cr, cx, cy, outer);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// A recessed seat: a dark bezel with its lower rim catching the light.
void Bezel(cairo_t* cr, double x, double y, double w, double h, double radius) {
  RoundedRect(cr, x, y, w, h, radius);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  AddStop(p, 0, Hex(6, 6, 7));
  AddStop(p, 1, Hex(34, 35, 38));
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgba(rim, 0, 0, 0, 0, 0.6);
  cairo_pattern_add_color_stop_rgba(rim, 0.6, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.3);
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
}

// A round push-button: a bright machined collar holding a dark domed cap, lit from above.
void RoundButton(cairo_t* cr, double cx, double cy, double radius) {
  SoftShadow(cr, cx, cy + 1.5, radius - 2.5, radius + 1.5, 0.6);
  Circle(cr, cx, cy, radius);
  FillVertical(cr, cy - radius, cy + radius, Hex(226, 228, 232), Hex(92, 94, 99));
  Circle(cr, cx, cy, radius - 1.2);
  FillVertical(cr, cy - radius, cy + radius, Hex(40, 41, 44), Hex(150, 152, 158));  // the collar's inner wall
  const double cap = radius - 2.4;
  Circle(cr, cx, cy, cap);
  FillVertical(cr, cy - cap, cy + cap, Hex(92, 94, 100), Hex(22, 23, 26));
  // The dome's highlight, high on the cap, and a little bounce light below.
  cairo_pattern_t* spot = cairo_pattern_create_radial(cx, cy - cap * 0.55, 0, cx, cy - cap * 0.4, cap * 0.8);
  cairo_pattern_add_color_stop_rgba(spot, 0, 1, 1, 1, 0.45);
  cairo_pattern_add_color_stop_rgba(spot, 1, 1, 1, 1, 0);
  cairo_set_source(cr, spot);
  Circle(cr, cx, cy, cap);
  cairo_fill(cr);
  cairo_pattern_destroy(spot);
  cairo_set_line_width(cr, 1);
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, cy - cap, 0, cy + cap);
  cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 0.6, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.25);
  cairo_set_source(cr, rim);
  Circle(cr, cx, cy, cap - 0.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
}

void ClipFrame(cairo_t* cr, int frame, int width, int height) {
  cairo_rectangle(cr, 0, frame * height, width, height);
  cairo_clip(cr);
  cairo_translate(cr, 0, frame * height);
}

// A vertical strip of frames, each drawn by drawFrame(cr, frame) clipped to its own
// frame and with the frame's top left corner as the origin.
template <typename DrawFrame>
Canvas DrawFrames(int width, int height, int frames, DrawFrame drawFrame) {
  Canvas canvas(width, height * frames);
  cairo_t* cr = canvas.Cr();
  for (int frame = 0; frame < frames; ++frame) {
    cairo_save(cr);
    ClipFrame(cr, frame, width, height);
    drawFrame(cr, frame);
    cairo_restore(cr);
  }
  return canvas;
}

}  // namespace

Canvas DrawBypassLed() {
  constexpr int kW = 32, kH = 12;
  return DrawFrames(kW, kH, 2, [](cairo_t* cr, int frame) {
    const bool lit = frame == 1;
    Bezel(cr, 0.5, 0.5, kW - 1, kH - 1, 3.5);
    RoundedRect(cr, 3, 3, kW - 6, kH - 6, 2);
    if (lit) {
      cairo_pattern_t* p = cairo_pattern_create_linear(0, 3, 0, kH - 3);
      AddStop(p, 0, Hex(255, 120, 92));
      AddStop(p, 0.5, Hex(255, 48, 30));
      AddStop(p, 1, Hex(200, 22, 12));
      cairo_set_source(cr, p);
      cairo_fill_preserve(cr);
      cairo_pattern_destroy(p);
      // The emitter shows through the diffuser as a hot streak along the middle.
      cairo_save(cr);
      cairo_clip_preserve(cr);
      cairo_translate(cr, kW / 2.0, kH / 2.0);
      cairo_scale(cr, 4.5, 1);
      cairo_pattern_t* hot = cairo_pattern_create_radial(0, 0, 0, 0, 0, 3);
      cairo_pattern_add_color_stop_rgba(hot, 0, 1, 0.85, 0.75, 0.9);
      cairo_pattern_add_color_stop_rgba(hot, 1, 1, 0.4, 0.3, 0);
      cairo_set_source(cr, hot);
      cairo_paint(cr);
      cairo_pattern_destroy(hot);
      cairo_restore(cr);
    } else {
      DarkLens(cr, 3, kH - 3);
    }
    Gloss(cr, 3, kH - 3, lit ? 0.45 : 0.2);
  });
}

Canvas DrawDisplayButton(const FontBook& fonts, const std::vector<std::string>& legends) {
  const int frames = static_cast<int>(legends.size());
  const TextSpec digits{Typeface::kDisplay, 9.0, 0.2};
  return DrawFrames(kButtonFrame, kButtonFrame, frames, [&](cairo_t* cr, int frame) {
    // The display: red characters behind smoked glass.
    Bezel(cr, 4.5, 0.5, 31, 15, 2.5);
    RoundedRect(cr, 6, 2, 28, 12, 1.5);
    FillVertical(cr, 2, 14, Hex(18, 6, 6), Hex(32, 10, 9));
    const std::string& legend = legends[static_cast<size_t>(frame)];
    cairo_set_source_rgba(cr, 1, 0.18, 0.08, 0.35);  // glow of the characters on the glass
    fonts.Path(cr, digits, legend, 20, 11.5, Align::kCentre);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    SetColour(cr, Hex(255, 78, 52));
    fonts.Draw(cr, digits, legend, 20, 11.5, Align::kCentre);
    RoundedRect(cr, 6, 2, 28, 12, 1.5);
    Gloss(cr, 2, 14, 0.12);
    RoundButton(cr, 20, 27.5, 9.5);
  });
}

Canvas DrawLedButton() {
  return DrawFrames(kButtonFrame, kButtonFrame, 2, [](cairo_t* cr, int frame) {
    const bool lit = frame == 1;
    const double cx = 20, cy = 8, lens = 4.2;
    if (lit) Halo(cr, cx, cy, 3, 8.5, 0.5);
    Circle(cr, cx, cy, lens + 1.5);
    FillVertical(cr, cy - lens - 1.5, cy + lens + 1.5, Hex(8, 8, 9), Hex(70, 72, 76));
    Circle(cr, cx, cy, lens);
    if (lit) LitLens(cr, cx, cy, lens);
    else DarkLens(cr, cy - lens, cy + lens);
    Gloss(cr, cy - lens, cy + lens, lit ? 0.5 : 0.25);
    RoundButton(cr, 20, 27.5, 9.5);
  });
}

Canvas DrawSquareLedButton() {
  return DrawFrames(kButtonFrame, kButtonFrame, 2, [](cairo_t* cr, int frame) {
    const bool lit = frame == 1;
    // Shadow and collar.
    RoundedRect(cr, 4, 6, 32, 32, 5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_fill(cr);
    Bezel(cr, 4, 4, 32, 32, 5);
    // The face is the lens.
    RoundedRect(cr, 7.5, 7.5, 25, 25, 3);
    if (lit) {
      cairo_pattern_t* p = cairo_pattern_create_radial(20, 17, 1, 20, 20, 17);
      AddStop(p, 0, Hex(255, 196, 170));
      AddStop(p, 0.4, Hex(255, 70, 44));
      AddStop(p, 1, Hex(190, 20, 10));
      cairo_set_source(cr, p);
      cairo_fill_preserve(cr);
      cairo_pattern_destroy(p);
    } else {
      DarkLens(cr, 7.5, 32.5);
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    RoundedRect(cr, 8.5, 8.5, 23, 23, 2.5);
    Gloss(cr, 8.5, 31.5, lit ? 0.35 : 0.16);
  });
}
