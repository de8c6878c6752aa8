#pragma once
// The knob strips: 99 frames of 40 × 40, one under the other. Frame 1 (top)
// points to the lower left, the minimum; frame 99 to the lower right, the
// maximum; between them the pointer sweeps 270° clockwise through the top.
// Outside the knob and its shadow the frames are transparent.

#include "canvas.h"
#include "control_places.h"

constexpr int kKnobSize = 40;
constexpr int kKnobFrames = 99;

// Pointer angle of a 0-based frame, in radians clockwise from straight up.
double KnobAngle(int frame);

Canvas DrawKnobStrip(KnobColour colour);
