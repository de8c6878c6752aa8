#include "image_set.h"

#include <functional>
#include <stdexcept>
#include <string>

#include "header.h"
#include "knob.h"
#include "panels.h"
#include "rack.h"
#include "switches.h"

namespace {

struct ImageEntry {
  int id;
  const char* fileName;
  int width, height, frames;
  std::function<Canvas(const FontBook&)> paint;
};

std::vector<ImageEntry> Entries() {
  return {
      {101, "pa_background_0001.png", 1000, 1000, 1, [](const FontBook&) { return DrawBackdrop(); }},
      {102, "pa_button_0011.png", 32, 24, 2, [](const FontBook&) { return DrawBypassLed(); }},
      {103, "pa_button_0015.png", 40, 160, 4,
       [](const FontBook& f) { return DrawDisplayButton(f, {"L/R", "LEF", "RIG", "L+R"}); }},
      {104, "pa_button_0016.png", 40, 120, 3,
       [](const FontBook& f) { return DrawDisplayButton(f, {"BYP", "NRM", "INV"}); }},
      {105, "pa_button_0017.png", 40, 80, 2, [](const FontBook& f) { return DrawDisplayButton(f, {"LP", "HP"}); }},
      {106, "pa_button_0018.png", 40, 80, 2, [](const FontBook&) { return DrawLedButton(); }},
      {107, "pa_button_0019.png", 40, 80, 2, [](const FontBook&) { return DrawSquareLedButton(); }},
      {108, "pa_button_preset_backward_0001.png", 20, 25, 1, [](const FontBook&) { return DrawPresetArrow(false); }},
      {109, "pa_button_preset_forward_0001.png", 20, 25, 1, [](const FontBook&) { return DrawPresetArrow(true); }},
      {110, "pa_button_preset_load_0001.png", 40, 25, 1, [](const FontBook& f) { return DrawPresetKey(f, "LOAD"); }},
      {111, "pa_button_preset_save_0001.png", 40, 25, 1, [](const FontBook& f) { return DrawPresetKey(f, "SAVE"); }},
      {112, "pa_knob_0018_blue.png", 40, 3960, 99, [](const FontBook&) { return DrawKnobStrip(KnobColour::kBlue); }},
      {113, "pa_knob_0019_black.png", 40, 3960, 99, [](const FontBook&) { return DrawKnobStrip(KnobColour::kBlack); }},
      {114, "pa_knob_0019_white.png", 40, 3960, 99, [](const FontBook&) { return DrawKnobStrip(KnobColour::kWhite); }},
      {115, "pa_panel_header_0001.png", 1000, 30, 1, [](const FontBook& f) { return DrawHeader(f); }},
      {116, "pa_panel_korvath_0001.png", 900, 90, 1,
       [](const FontBook& f) { return DrawSectionPanel(f, Section::kAmp); }},
      {117, "pa_panel_tavrin_0001.png", 900, 90, 1,
       [](const FontBook& f) { return DrawSectionPanel(f, Section::kPreamp); }},
      {118, "pa_panel_solvandra_0001.png", 900, 180, 1,
       [](const FontBook& f) { return DrawSectionPanel(f, Section::kReverb); }},
      {119, "pa_panel_moravellerack_0001.png", 960, 550, 1, [](const FontBook& f) { return DrawRack(f); }},
  };
}

}  // namespace

std::vector<ArtImage> DrawAllImages(const FontBook& fonts) {
  std::vector<ArtImage> images;
  for (const ImageEntry& e : Entries()) {
    Canvas canvas = e.paint(fonts);
    if (canvas.Width() != e.width || canvas.Height() != e.height)
      throw std::logic_error(std::string(e.fileName) + " drawn at the wrong size");
    images.push_back({e.id, e.fileName, e.width, e.height, e.frames, std::move(canvas)});
  }
  return images;
}

ArtImage* FindImage(std::vector<ArtImage>& images, int id) {
  for (ArtImage& image : images)
    if (image.id == id) return &image;
  return nullptr;
}
