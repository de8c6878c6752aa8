#pragma once
// The header bar with the maker's logo, and the preset bar's small parts that
// sit on it: the LOAD and SAVE keys and the two arrows.

#include <string>

#include "canvas.h"
#include "font_book.h"

// 1000 × 30: a dark bar, the Pellion Audio logo at its left end, a recessed
// tray behind the preset controls (x 236..764), the product name at the right.
Canvas DrawHeader(const FontBook& fonts);
// 20 × 25: a triangle pointing left, or right when `forward`.
Canvas DrawPresetArrow(bool forward);
// 40 × 25: a small key with the word on it.
Canvas DrawPresetKey(const FontBook& fonts, const std::string& word);
