#pragma once
// Where the editor puts each panel and control, in editor pixels, as far as the
// artwork needs it: captions are printed under the control places, knob scales
// around them, and the preview composes the images at these rects.

#include <span>

struct EditorRect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  double CentreX() const { return (left + right) / 2.0; }
  double CentreY() const { return (top + bottom) / 2.0; }
};

enum class Section { kPreamp, kReverb, kAmp };
enum class PlaceKind { kKnob, kSwitch, kLed };
enum class KnobColour { kBlue, kBlack, kWhite };

struct ControlPlace {
  Section section;
  PlaceKind kind;
  const char* caption;  // printed under the control (the LED's legend sits beside it)
  EditorRect rect;
  int imageId;          // the strip the editor shows there
  int defaultFrame;     // 0-based frame the preview shows at the parameters' defaults
};

// The panel of each section and the rack, header and name strip around them.
constexpr EditorRect kRackRect{20, 40, 980, 590};
constexpr EditorRect kHeaderRect{0, 0, 1000, 30};
EditorRect SectionPanelRect(Section section);
int SectionPanelImageId(Section section);

std::span<const ControlPlace> ControlPlaces();
