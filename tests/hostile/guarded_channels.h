#pragma once
// Host sample arrays with guard samples before and after each channel, so that a
// plug-in writing outside the frames it was given is caught, and stereo test audio.

#include <algorithm>
#include <cmath>
#include <vector>

template <typename Sample>
class GuardedChannels {
 public:
  static constexpr int kGuard = 64;
  // A value no processing of the test signals produces.
  static constexpr Sample kCanary = Sample(-7321.25);

  GuardedChannels(int channels, int frames) : frames_(frames) {
    for (int c = 0; c < channels; ++c) {
      storage_.emplace_back(static_cast<size_t>(frames + 2 * kGuard), kCanary);
      std::fill_n(storage_.back().begin() + kGuard, frames, Sample(0));
    }
    for (auto& s : storage_) pointers_.push_back(s.data() + kGuard);
  }

  Sample* const* Pointers() { return pointers_.data(); }
  Sample* Channel(int c) { return pointers_[static_cast<size_t>(c)]; }
  const Sample* Channel(int c) const { return pointers_[static_cast<size_t>(c)]; }
  int Frames() const { return frames_; }

  bool GuardsIntact() const {
    for (const auto& s : storage_) {
      auto isCanary = [](Sample v) { return v == kCanary; };
      if (!std::all_of(s.begin(), s.begin() + kGuard, isCanary)) return false;
      if (!std::all_of(s.end() - kGuard, s.end(), isCanary)) return false;
    }
    return true;
  }

  bool AllFinite() const {
    for (const Sample* p : pointers_)
      if (!std::all_of(p, p + frames_, [](Sample v) { return std::isfinite(static_cast<double>(v)); })) return false;
    return true;
  }

  void Fill(Sample value) {
    for (Sample* p : pointers_) std::fill_n(p, frames_, value);
  }

  // Left then right, widened, for comparisons.
  std::vector<double> Samples() const {
    std::vector<double> all;
    for (const Sample* p : pointers_) all.insert(all.end(), p, p + frames_);
    return all;
  }

 private:
  int frames_;
  std::vector<std::vector<Sample>> storage_;
  std::vector<Sample*> pointers_;
};

// Decaying tones with a click now and then, different per side: enough to set the
// reverb ringing everywhere.
template <typename Sample>
void FillTestSignal(GuardedChannels<Sample>& channels, double rate) {
  for (int c = 0; c < 2; ++c) {
    Sample* p = channels.Channel(c);
    for (int i = 0; i < channels.Frames(); ++i) {
      const double t = i / rate;
      double v = 0.4 * std::sin(6.283185307179586 * (220.0 + 110.0 * c) * t) * std::exp(-3.0 * std::fmod(t, 0.25));
      if (i % 4410 == c * 7) v += 0.8;
      p[i] = static_cast<Sample>(v);
    }
  }
}
