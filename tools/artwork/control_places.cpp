#include "control_places.h"

namespace {

// Default frames are only for the preview: knobs at mid travel, switches at their first state.
constexpr ControlPlace kPlaces[] = {
    // Preamp row.
    {Section::kPreamp, PlaceKind::kSwitch, "ROUTING", {160, 115, 200, 155}, 103, 0},
    {Section::kPreamp, PlaceKind::kKnob, "GAIN", {275, 115, 315, 155}, 113, 49},
    {Section::kPreamp, PlaceKind::kSwitch, "ACTIVE", {434, 115, 474, 155}, 107, 1},
    {Section::kPreamp, PlaceKind::kKnob, "DRIVE", {548, 115, 588, 155}, 113, 30},
    {Section::kPreamp, PlaceKind::kSwitch, "MODE", {692, 115, 732, 155}, 105, 0},
    {Section::kPreamp, PlaceKind::kKnob, "FREQ", {802, 115, 842, 155}, 113, 70},
    // Reverb: the bypass LED, then three groups of knobs.
    {Section::kReverb, PlaceKind::kLed, "BYPASS / ON", {85, 184, 117, 196}, 102, 1},
    {Section::kReverb, PlaceKind::kKnob, "PRE DELAY", {147, 250, 187, 290}, 112, 20},
    {Section::kReverb, PlaceKind::kKnob, "ROOM SIZE", {230, 250, 270, 290}, 112, 60},
    {Section::kReverb, PlaceKind::kKnob, "DECAY TIME", {312, 250, 352, 290}, 112, 45},
    {Section::kReverb, PlaceKind::kKnob, "PANORAMA", {433, 250, 473, 290}, 112, 49},
    {Section::kReverb, PlaceKind::kKnob, "FREQ DAMPING", {563, 250, 603, 290}, 112, 35},
    {Section::kReverb, PlaceKind::kKnob, "EARLY REFL.", {692, 250, 732, 290}, 112, 55},
    {Section::kReverb, PlaceKind::kKnob, "LATE REVERB", {802, 250, 842, 290}, 112, 65},
    // Amp row.
    {Section::kAmp, PlaceKind::kSwitch, "MODE", {147, 385, 187, 425}, 104, 1},
    {Section::kAmp, PlaceKind::kKnob, "LP", {230, 385, 270, 425}, 114, 90},
    {Section::kAmp, PlaceKind::kKnob, "HP", {312, 385, 352, 425}, 114, 8},
    {Section::kAmp, PlaceKind::kSwitch, "ACTIVE", {433, 385, 473, 425}, 106, 1},
    {Section::kAmp, PlaceKind::kKnob, "LOAD", {548, 385, 588, 425}, 114, 40},
    {Section::kAmp, PlaceKind::kKnob, "BLEND", {692, 385, 732, 425}, 114, 98},
    {Section::kAmp, PlaceKind::kKnob, "VOLUME", {802, 385, 842, 425}, 114, 49},
};

}  // namespace

EditorRect SectionPanelRect(Section section) {
  switch (section) {
    case Section::kPreamp: return {50, 85, 950, 175};
    case Section::kReverb: return {50, 175, 950, 355};
    case Section::kAmp: return {50, 355, 950, 445};
  }
  return {};
}

int SectionPanelImageId(Section section) {
  switch (section) {
    case Section::kPreamp: return 117;
    case Section::kReverb: return 118;
    case Section::kAmp: return 116;
  }
  return 0;
}

std::span<const ControlPlace> ControlPlaces() { return kPlaces; }
