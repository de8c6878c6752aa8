#pragma once
// The editor's rules for rects (R and B exclusive). Only the all-zero rect is
// empty; a rect of zero width elsewhere is not empty but contains no point.

#include <algorithm>

#include "graphics/bitmap/rect.h"

inline bool IsEmptyRect(const Rect& r) { return r.L == 0 && r.T == 0 && r.R == 0 && r.B == 0; }

inline bool RectContains(const Rect& r, int x, int y) { return r.L <= x && x < r.R && r.T <= y && y < r.B; }

// Touching edges count: a first rect whose right edge equals the second's left
// edge overlaps it (the test is deliberately one pixel generous on that side).
inline bool RectsOverlap(const Rect& a, const Rect& b) {
  return !(a.R < b.L || a.L >= b.R || a.B < b.T || a.T >= b.B);
}

inline Rect RectUnion(const Rect& a, const Rect& b) {
  return Rect{std::min(a.L, b.L), std::min(a.T, b.T), std::max(a.R, b.R), std::max(a.B, b.B)};
}

inline Rect RectIntersection(const Rect& a, const Rect& b) {
  return Rect{std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B)};
}

inline bool operator==(const Rect& a, const Rect& b) { return a.L == b.L && a.T == b.T && a.R == b.R && a.B == b.B; }
