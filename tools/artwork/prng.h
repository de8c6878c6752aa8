#pragma once
// A small seeded generator (SplitMix64) so every texture is the same on every
// run and every machine: the committed images are compared byte for byte.

#include <cstdint>

class Prng {
 public:
  explicit Prng(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // An integer in -range..range, from the top bits (the best mixed).
  int SignedInt(int range) { return static_cast<int>((Next() >> 33) % static_cast<uint64_t>(2 * range + 1)) - range; }
  // A value in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

 private:
  uint64_t state_;
};
