#include "texture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "prng.h"

namespace {

// Adds `delta` levels (scaled by coverage) to the colour of one premultiplied pixel.
uint32_t Shift(uint32_t pixel, int delta) {
  const int a = static_cast<int>(pixel >> 24);
  if (a == 0 || delta == 0) return pixel;
  const int scaled = delta * a / 255;
  uint32_t out = pixel & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int c = std::clamp(static_cast<int>((pixel >> shift) & 255) + scaled, 0, a);
    out |= static_cast<uint32_t>(c) << shift;
  }
  return out;
}

PixelRect Clipped(const Canvas& canvas, PixelRect r) {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min(r.x + r.w, canvas.Width()), y1 = std::min(r.y + r.h, canvas.Height());
  return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

}  // namespace

void AddGrain(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude) {
  const PixelRect r = Clipped(canvas, area);
  Prng prng(seed);
  for (int y = r.y; y < r.y + r.h; ++y) {
    uint32_t* row = canvas.Row(y);
    for (int x = r.x; x < r.x + r.w; ++x) row[x] = Shift(row[x], prng.SignedInt(amplitude));
  }
  canvas.MarkDirty();
}

void AddBrushing(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude, int streak) {
  const PixelRect r = Clipped(canvas, area);
  if (r.w == 0 || r.h == 0) return;
  Prng prng(seed);
  const int radius = std::max(1, streak / 2);
  const int span = 2 * radius + 1;
  const long sqrtSpan1024 = std::lround(std::sqrt(static_cast<double>(span)) * 1024);
  std::vector<int> noise(static_cast<size_t>(r.w + 2 * radius));
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int& n : noise) n = prng.SignedInt(1024);
    // Each row gets its own strength too, which is what makes brushing read as lines.
    const int rowGain = 1024 + prng.SignedInt(512);
    uint32_t* row = canvas.Row(y);
    long sum = 0;
    for (int i = 0; i < span; ++i) sum += noise[static_cast<size_t>(i)];
    for (int x = 0; x < r.w; ++x) {
      // A sum of `span` noise values spreads like sqrt(span): dividing by that keeps the
      // strength of the streaks independent of their length.
      const long smooth = sum * 1024 / sqrtSpan1024;
      const int delta = static_cast<int>(smooth * amplitude * rowGain / (1024L * 1024L));
      row[r.x + x] = Shift(row[r.x + x], std::clamp(delta, -amplitude, amplitude));
      sum += noise[static_cast<size_t>(x + span)] - noise[static_cast<size_t>(x)];
    }
  }
  canvas.MarkDirty();
}

void AddMottle(Canvas& canvas, PixelRect area, uint64_t seed, int amplitude, int cell) {
  const PixelRect r = Clipped(canvas, area);
  if (r.w == 0 || r.h == 0 || cell < 1) return;
  Prng prng(seed);
  const int cols = r.w / cell + 2, rows = r.h / cell + 2;
  std::vector<int> grid(static_cast<size_t>(cols * rows));
  for (int& g : grid) g = prng.SignedInt(amplitude * 16);
  for (int y = 0; y < r.h; ++y) {
    const int gy = y / cell, fy = (y % cell) * 256 / cell;
    uint32_t* row = canvas.Row(r.y + y);
    for (int x = 0; x < r.w; ++x) {
      const int gx = x / cell, fx = (x % cell) * 256 / cell;
      const int a = grid[static_cast<size_t>(gy * cols + gx)], b = grid[static_cast<size_t>(gy * cols + gx + 1)];
      const int c = grid[static_cast<size_t>((gy + 1) * cols + gx)], d = grid[static_cast<size_t>((gy + 1) * cols + gx + 1)];
      const int top = a * (256 - fx) + b * fx, bottom = c * (256 - fx) + d * fx;
      const int value = (top * (256 - fy) + bottom * fy) / (256 * 256 * 16);
      row[r.x + x] = Shift(row[r.x + x], value);
    }
  }
  canvas.MarkDirty();
}
