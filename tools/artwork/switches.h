#pragma once
// The LEDs and push-buttons. Every frame of a strip shows one state, first
// state at the top; frames are transparent outside the part and its shadow.

#include <string>
#include <vector>

#include "canvas.h"
#include "font_book.h"

// 32 × 24: a small oblong LED, dark, then lit red.
Canvas DrawBypassLed();
// 40 × 40 per legend: a round button under a small display showing the legend.
Canvas DrawDisplayButton(const FontBook& fonts, const std::vector<std::string>& legends);
// 40 × 80: a round button under a round LED, dark, then lit red.
Canvas DrawLedButton();
// 40 × 80: a square button whose face is the LED, dark, then lit red.
Canvas DrawSquareLedButton();
