#pragma once
// The three section panels, 900 pixels wide, that fill the rack's bay: preamp
// (900 × 90), reverb (900 × 180) and amp (900 × 90). Captions are printed
// centred under the control places of the editor's layout, knob scales around
// the knob places, and each panel carries its section's title at its right end.

#include "canvas.h"
#include "control_places.h"
#include "font_book.h"

Canvas DrawSectionPanel(const FontBook& fonts, Section section);
