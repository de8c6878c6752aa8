#include "demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatSeconds = 0.5;  // 120 beats per minute
constexpr uint64_t kSeed = 0x4d6f726176656c6cull;

// SplitMix64: tiny, fully specified, so the noise is the same on every platform
// (the standard library's distributions are not).
class NoiseGenerator {
 public:
  explicit NoiseGenerator(uint64_t seed) : state_(seed) {}
  double Next() {  // uniform in [-1, 1)
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
  }

 private:
  uint64_t state_;
};

// Adds 'voice' (one mono sample per frame from 'start') into the buffer with an
// equal-power pan position (0 left, 1 right).
template <typename Voice>
void AddVoice(StereoBuffer& out, double sampleRate, double startSeconds, double lengthSeconds, double pan,
              Voice&& voice) {
  const int64_t total = out.Frames();
  const int64_t start = std::llround(startSeconds * sampleRate);
  const int64_t end = std::min<int64_t>(total, start + std::llround(lengthSeconds * sampleRate));
  const double gainLeft = std::cos(pan * kPi / 2), gainRight = std::sin(pan * kPi / 2);
  for (int64_t f = start; f < end; ++f) {
    const double s = voice(static_cast<double>(f - start) / sampleRate);
    out.channels[0][static_cast<size_t>(f)] += gainLeft * s;
    out.channels[1][static_cast<size_t>(f)] += gainRight * s;
  }
}

void AddKick(StereoBuffer& out, double sampleRate, double startSeconds) {
  double phase = 0.0;
  AddVoice(out, sampleRate, startSeconds, 0.6, 0.5, [&](double t) {
    const double hz = 45.0 + 75.0 * std::exp(-t / 0.03);  // the pitch drop is the thump
    phase += 2 * kPi * hz / sampleRate;
    return 0.9 * std::exp(-t / 0.15) * std::sin(phase);
  });
}

void AddSnare(StereoBuffer& out, double sampleRate, double startSeconds, NoiseGenerator& noise) {
  double previous = 0.0;
  AddVoice(out, sampleRate, startSeconds, 0.4, 0.45, [&](double t) {
    const double n = noise.Next();
    const double bright = n - 0.7 * previous;  // first difference tilts the noise upward
    previous = n;
    return 0.5 * std::exp(-t / 0.07) * bright + 0.35 * std::exp(-t / 0.04) * std::sin(2 * kPi * 190.0 * t);
  });
}

void AddHat(StereoBuffer& out, double sampleRate, double startSeconds, NoiseGenerator& noise) {
  double previous = 0.0;
  AddVoice(out, sampleRate, startSeconds, 0.12, 0.6, [&](double t) {
    const double n = noise.Next();
    const double hiss = n - previous;
    previous = n;
    return 0.12 * std::exp(-t / 0.018) * hiss;
  });
}

// Karplus-Strong: a noise burst circulating in a delay line one period long,
// averaged on every pass so the upper partials die first, as on a plucked string.
void AddPluck(StereoBuffer& out, double sampleRate, double startSeconds, double hz, double pan,
              NoiseGenerator& noise) {
  const size_t period = static_cast<size_t>(std::max(2.0, std::round(sampleRate / hz)));
  std::vector<double> line(period);
  for (double& s : line) s = noise.Next();
  size_t position = 0;
  AddVoice(out, sampleRate, startSeconds, 1.6, pan, [&](double) {
    const double s = line[position];
    const double next = line[(position + 1) % period];
    line[position] = 0.497 * (s + next);
    position = (position + 1) % period;
    return 0.45 * s;
  });
}

double NoteHz(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

}  // namespace

StereoBuffer SynthesizeDemo(double sampleRate) {
  StereoBuffer out;
  const auto frames = static_cast<size_t>(std::llround(kDemoSeconds * sampleRate));
  for (auto& channel : out.channels) channel.assign(frames, 0.0);
  NoiseGenerator noise(kSeed);

  // Two bars: kick on 1 and 3, snare on 2 and 4, eighth-note hats; the second bar
  // thins out so the last hits ring into silence.
  for (int beat = 0; beat < 8; ++beat) {
    const double t = beat * kBeatSeconds;
    if (beat % 2 == 0 && beat < 7) AddKick(out, sampleRate, t);
    if (beat % 2 == 1 && beat < 7) AddSnare(out, sampleRate, t, noise);
    if (beat < 6) {
      AddHat(out, sampleRate, t, noise);
      AddHat(out, sampleRate, t + kBeatSeconds / 2, noise);
    }
  }

  // A minor pentatonic phrase in eighths (semitones from A4), alternating sides,
  // then a final chord left alone to decay.
  struct Note {
    double beat;
    int semitones;
  };
  const Note melody[] = {{0.0, 0}, {0.5, 3}, {1.0, 7}, {1.5, 10}, {2.5, 7}, {3.0, 5},
                         {3.5, 3}, {4.0, 0}, {4.5, -2}, {5.0, 0}};
  int side = 0;
  for (const Note& note : melody) {
    AddPluck(out, sampleRate, note.beat * kBeatSeconds, NoteHz(note.semitones), side ? 0.75 : 0.25, noise);
    side ^= 1;
  }
  for (int semitones : {-12, -5, 0, 3}) AddPluck(out, sampleRate, 6.0 * kBeatSeconds, NoteHz(semitones), 0.5, noise);

  double peak = 0.0;
  for (const auto& channel : out.channels)
    for (double s : channel) peak = std::max(peak, std::fabs(s));
  if (peak > 0.0)
    for (auto& channel : out.channels)
      for (double& s : channel) s *= kDemoPeak / peak;
  return out;
}
