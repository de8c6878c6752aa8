#pragma once
// Deterministic stereo test signals for the effect tests.

#include <cmath>
#include <cstdint>
#include <vector>

struct StereoBuffer {
  std::vector<double> left, right;
  explicit StereoBuffer(int frames = 0) : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)) {}
  int Frames() const { return static_cast<int>(left.size()); }
  double* Channel(int ch) { return ch == 0 ? left.data() : right.data(); }
};

// Noise bursts and decaying tones: exercises clippers, filters and the network.
inline StereoBuffer MakeProgramme(int frames, uint32_t seed = 12345) {
  StereoBuffer b(frames);
  uint32_t state = seed;
  auto noise = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  };
  for (int i = 0; i < frames; ++i) {
    const double burst = (i % 11025) < 600 ? 0.8 : 0.0;
    const double tone = 0.4 * std::sin(0.031 * i) * std::exp(-0.0002 * (i % 22050));
    b.left[static_cast<size_t>(i)] = burst * noise() + tone;
    b.right[static_cast<size_t>(i)] = burst * noise() - 0.7 * tone;
  }
  return b;
}

inline double Peak(const StereoBuffer& b) {
  double peak = 0.0;
  for (int i = 0; i < b.Frames(); ++i)
    peak = std::fmax(peak, std::fmax(std::fabs(b.left[static_cast<size_t>(i)]), std::fabs(b.right[static_cast<size_t>(i)])));
  return peak;
}

inline double MaxDifference(const StereoBuffer& a, const StereoBuffer& b) {
  double diff = 0.0;
  for (int i = 0; i < a.Frames(); ++i) {
    diff = std::fmax(diff, std::fabs(a.left[static_cast<size_t>(i)] - b.left[static_cast<size_t>(i)]));
    diff = std::fmax(diff, std::fabs(a.right[static_cast<size_t>(i)] - b.right[static_cast<size_t>(i)]));
  }
  return diff;
}
