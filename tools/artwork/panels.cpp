#include "panels.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "knob.h"
#include "paint.h"
#include "texture.h"

namespace {

struct PanelFinish {
  Rgb top, bottom;  // the metal, lit from above
  Rgb ink;          // printed captions and scales
  Rgb accent;       // group headings and the title mark
  int brushing;     // strength of the brushed grain
  const char* title;
  const char* subtitle;
  uint64_t seed;
};

PanelFinish FinishOf(Section section) {
  switch (section) {
    case Section::kPreamp:
      return {Hex(200, 203, 207), Hex(162, 165, 170), Hex(30, 31, 35), Hex(196, 98, 28), 7, "PREAMP", "INPUT STAGE",
              0x9EA301};
    case Section::kReverb:
      return {Hex(40, 47, 62), Hex(22, 26, 36), Hex(216, 222, 234), Hex(104, 164, 245), 4, "REVERB", "STEREO SPACE",
              0x9EA302};
    case Section::kAmp:
      return {Hex(50, 51, 55), Hex(29, 30, 33), Hex(226, 224, 216), Hex(232, 146, 52), 4, "AMP", "OUTPUT STAGE",
              0x9EA303};
  }
  return {};
}

const TextSpec kCaption{Typeface::kCaption, 9, 0.7};
// The section title sits between the last control's scale and the right-hand screws.
constexpr double kTitleCentreX = 853;

// A control place in panel pixels.
EditorRect OnPanel(const EditorRect& r, const EditorRect& panel) {
  return {r.left - panel.left, r.top - panel.top, r.right - panel.left, r.bottom - panel.top};
}

void DrawMetal(Canvas& canvas, const PanelFinish& f) {
  cairo_t* cr = canvas.Cr();
  const int w = canvas.Width(), h = canvas.Height();
  RoundedRect(cr, 0, 0, w, h, 2.5);
  FillVertical(cr, 0, h, f.top, f.bottom);
  AddBrushing(canvas, {0, 0, w, h}, f.seed, f.brushing, 160);
  AddGrain(canvas, {0, 0, w, h}, f.seed + 1, 1);
  // Machined edges: the top face catches the light, the lower edge falls into shadow.
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 2);
  cairo_pattern_t* edge = cairo_pattern_create_linear(0, 0, 0, h);
  cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, 0.5);
  cairo_pattern_add_color_stop_rgba(edge, 2.0 / h, 1, 1, 1, 0.12);
  cairo_pattern_add_color_stop_rgba(edge, 1 - 2.0 / h, 0, 0, 0, 0.25);
  cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.7);
  cairo_set_source(cr, edge);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

void DrawEarScrews(cairo_t* cr, int w, int h) {
  const double turns[] = {0.25, 1.05, 0.6, 1.4};
  int i = 0;
  for (double y : {15.0, h - 15.0})
    for (double x : {13.0, w - 13.0}) Screw(cr, x, y, 5, turns[i++ % 4]);
}

// Printed scale around a knob place: eleven ticks over the knob's 270° sweep.
void DrawKnobScale(cairo_t* cr, const PanelFinish& f, const EditorRect& place) {
  const double cx = place.CentreX(), cy = place.CentreY();
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  for (int tick = 0; tick <= 10; ++tick) {
    const double angle = KnobAngle(tick * (kKnobFrames - 1) / 10);
    const bool major = tick == 0 || tick == 5 || tick == 10;
    const double inner = 22.5, outer = major ? 26.5 : 25.0;
    cairo_set_line_width(cr, major ? 1.5 : 1.1);
    SetColour(cr, f.ink, major ? 0.9 : 0.6);
    cairo_move_to(cr, cx + std::sin(angle) * inner, cy - std::cos(angle) * inner);
    cairo_line_to(cr, cx + std::sin(angle) * outer, cy - std::cos(angle) * outer);
    cairo_stroke(cr);
  }
}

void DrawCaption(cairo_t* cr, const FontBook& fonts, const PanelFinish& f, const std::string& text, double cx,
                 double baseline) {
  SetColour(cr, f.ink);
  fonts.Draw(cr, kCaption, text, cx, baseline, Align::kCentre);
}

// A group of knobs framed by a thin printed outline, its name set into the top rule.
void DrawGroupFrame(cairo_t* cr, const FontBook& fonts, const PanelFinish& f, const char* name, double left,
                    double right, double top, double bottom) {
  const TextSpec spec{Typeface::kLabel, 9, 1.6};
  const double mid = std::round((left + right) / 2);
  const double half = std::round(fonts.Width(cr, spec, name) / 2 + 7);
  SetColour(cr, f.accent);
  fonts.Draw(cr, spec, name, mid + 0.8, top + 3.5, Align::kCentre);
  const double r = 5, l = left + 0.5, t = top + 0.5, rt = right - 0.5, b = bottom - 0.5;
  cairo_new_path(cr);
  cairo_move_to(cr, mid + half, t);
  cairo_arc(cr, rt - r, t + r, r, -M_PI / 2, 0);
  cairo_arc(cr, rt - r, b - r, r, 0, M_PI / 2);
  cairo_arc(cr, l + r, b - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, l + r, t + r, r, M_PI, 1.5 * M_PI);
  cairo_line_to(cr, mid - half, t);
  cairo_set_line_width(cr, 1);
  SetColour(cr, f.accent, 0.55);
  cairo_stroke(cr);
}

void DrawTitle(cairo_t* cr, const FontBook& fonts, const PanelFinish& f, double cx, double cy) {
  const TextSpec title{Typeface::kLabel, 12, 1.8};
  const TextSpec subtitle{Typeface::kCaption, 7.5, 0.6};
  SetColour(cr, f.accent);
  cairo_rectangle(cr, std::round(cx - 12), std::round(cy - 14), 24, 2);
  cairo_fill(cr);
  SetColour(cr, f.ink);
  fonts.Draw(cr, title, f.title, cx + 1.1, std::round(cy + 2), Align::kCentre);
  SetColour(cr, f.ink, 0.6);
  fonts.Draw(cr, subtitle, f.subtitle, cx + 0.5, std::round(cy + 13), Align::kCentre);
}

void DrawReverbGroups(cairo_t* cr, const FontBook& fonts, const PanelFinish& f, const EditorRect& panel) {
  struct Group {
    const char* name;
    std::vector<std::string> members;
  };
  const Group groups[] = {{"TIME", {"PRE DELAY", "ROOM SIZE", "DECAY TIME"}},
                          {"SPACE", {"PANORAMA", "FREQ DAMPING"}},
                          {"LEVEL", {"EARLY REFL.", "LATE REVERB"}}};
  for (const Group& group : groups) {
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;  // panel pixels
    for (const ControlPlace& place : ControlPlaces()) {
      if (place.section != Section::kReverb) continue;
      if (std::find(group.members.begin(), group.members.end(), place.caption) == group.members.end()) continue;
      const EditorRect r = OnPanel(place.rect, panel);
      const double captionHalf = fonts.Width(cr, kCaption, place.caption) / 2;
      left = std::min({left, r.left - 16.0, r.CentreX() - captionHalf - 7});
      right = std::max({right, r.right + 16.0, r.CentreX() + captionHalf + 7});
      top = std::min<double>(top, r.top);
      bottom = std::max<double>(bottom, r.bottom);
    }
    // Room above for the scale, below for the captions.
    DrawGroupFrame(cr, fonts, f, group.name, left, right, top - 34, bottom + 28);
  }
}

}  // namespace

Canvas DrawSectionPanel(const FontBook& fonts, Section section) {
  const EditorRect panel = SectionPanelRect(section);
  const PanelFinish f = FinishOf(section);
  Canvas canvas(panel.Width(), panel.Height());
  cairo_t* cr = canvas.Cr();
  DrawMetal(canvas, f);
  DrawEarScrews(cr, canvas.Width(), canvas.Height());
  double rowCentre = canvas.Height() / 2.0;
  for (const ControlPlace& place : ControlPlaces()) {
    if (place.section != section) continue;
    const EditorRect r = OnPanel(place.rect, panel);
    if (place.kind == PlaceKind::kLed) {
      // The LED's legend reads beside it, on its centre line.
      SetColour(cr, f.ink);
      const double baseline = std::round(r.CentreY() + fonts.CapHeight(cr, kCaption) / 2);
      fonts.Draw(cr, kCaption, place.caption, r.right + 8, baseline, Align::kLeft);
      continue;
    }
    rowCentre = r.CentreY();
    if (place.kind == PlaceKind::kKnob) DrawKnobScale(cr, f, r);
    DrawCaption(cr, fonts, f, place.caption, r.CentreX(), r.bottom + 13);
  }
  if (section == Section::kReverb) DrawReverbGroups(cr, fonts, f, panel);
  DrawTitle(cr, fonts, f, kTitleCentreX, rowCentre);
  return canvas;
}
