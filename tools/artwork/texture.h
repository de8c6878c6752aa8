#pragma once
// Surface textures, added to what is already drawn in a rect of a canvas.
// Each takes a seed and uses only integer arithmetic on the pixels, so the
// result is the same wherever the program runs. Transparent pixels stay
// transparent: a change is weighted by the pixel's coverage.

#include <cstdint>

#include "canvas.h"

struct PixelRect {
  int x, y, w, h;
};

// Fine per-pixel grain of up to ±amplitude levels (powder coat, paper, print).
void AddGrain(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude);

// Horizontal brushing: streaks about `streak` pixels long of up to ±amplitude levels.
void AddBrushing(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude, int streak);

// Soft blotches on a grid of `cell` pixels, smoothly interpolated (cast or leather-like surfaces).
void AddMottle(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude, int cell);
