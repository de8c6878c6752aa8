// The same settings make the same room at every sample rate: the decay time, the
// pre-delay and the first reflection, measured in seconds on rendered impulse
// responses, do not depend on the rate the host runs at.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "effect/effect_kernel.h"
#include "effect/kernel_params.h"
#include "test_signals.h"

namespace {

using Settings = std::vector<std::pair<int, double>>;

// Processed signal only, the preamp filter a 20 Hz high-pass (nothing smears the
// impulse), the reverb's parameters on top.
Settings Room(Settings reverb) {
  Settings s = {{kReverbOffOn, 1}, {kAmpMainBlend, 1}, {kPreampFilterType, 1}, {kPreampFilterCutoff, 0}};
  s.insert(s.end(), reverb.begin(), reverb.end());
  return s;
}

// The response to a unit impulse on both inputs, after the smoothed parameters
// have settled in silence; 'seconds' long.
StereoBuffer ImpulseResponse(double rate, const Settings& settings, double seconds) {
  auto kernel = EffectKernel::Create(rate);
  for (auto [index, value] : settings) kernel->SetParameter(index, value);
  const int settle = static_cast<int>(0.5 * rate);
  StereoBuffer in(settle + static_cast<int>(seconds * rate));
  in.left[static_cast<size_t>(settle)] = in.right[static_cast<size_t>(settle)] = 1.0;
  StereoBuffer out(in.Frames());
  for (int at = 0; at < in.Frames(); at += 1024) {
    const int n = std::min(1024, in.Frames() - at);
    const double* ins[2] = {in.left.data() + at, in.right.data() + at};
    double* outs[2] = {out.left.data() + at, out.right.data() + at};
    EXPECT_EQ(kernel->Process(ins, outs, n), 0);
  }
  out.left.erase(out.left.begin(), out.left.begin() + settle);
  out.right.erase(out.right.begin(), out.right.begin() + settle);
  return out;
}

// RT60 from the energy decay curve (backward integration): twice the time it takes
// from -5 dB to -35 dB.
double Rt60Seconds(const StereoBuffer& ir, double rate) {
  std::vector<double> remaining(ir.left.size() + 1, 0.0);
  for (size_t i = ir.left.size(); i-- > 0;)
    remaining[i] = remaining[i + 1] + ir.left[i] * ir.left[i] + ir.right[i] * ir.right[i];
  auto crossing = [&](double decibels) {
    const double level = remaining[0] * std::pow(10.0, decibels / 10.0);
    for (size_t i = 0; i < remaining.size(); ++i)
      if (remaining[i] < level) return static_cast<double>(i);
    return -1.0;
  };
  return 2.0 * (crossing(-35.0) - crossing(-5.0)) / rate;
}

// When a response's first arrival comes, in seconds, to a fraction of a sample: the
// centroid of the few samples over which the interpolated delays spread it.
double FirstArrivalSeconds(const std::vector<double>& ir, double rate) {
  double peak = 0.0;
  for (double v : ir) peak = std::fmax(peak, std::fabs(v));
  size_t first = 0;
  while (first < ir.size() && std::fabs(ir[first]) < 1e-3 * peak) ++first;
  double weight = 0.0, moment = 0.0;
  for (size_t i = first; i < first + 4 && i < ir.size(); ++i) {
    weight += ir[i];
    moment += ir[i] * static_cast<double>(i);
  }
  return first > 0 && first < ir.size() ? moment / weight / rate : -1.0;
  }

constexpr double kRates[] = {48000, 96000, 192000};

// The amp's band-pass keeps 20 Hz to 8 kHz: a unit impulse holds energy up to half
// the rate, and above the band a damped network loses it much faster, so a decay
// measured over the whole band would depend on how wide the band is.
Settings InBand(Settings reverb) {
  Settings s = Room(reverb);
  s.insert(s.end(), {{kAmpFilterMode, 1}, {kAmpFilterHpCutoff, 0}, {kAmpFilterLpCutoff, 0.736}});
  return s;
}

TEST(SampleRate, TheReverbDecaysInTheSameTimeAtEveryRate) {
  for (const Settings& reverb : {Settings{{kReverbRoomSize, 0.5}, {kReverbDecayTime, 0.05}, {kReverbLateReverberation, 0.8},
                                          {kReverbEarlyReflections, 0.5}},
                                 Settings{{kReverbRoomSize, 0.2}, {kReverbDecayTime, 0.1}, {kReverbLateReverberation, 1},
                                          {kReverbDamp, 0.6}, {kReverbPanorama, 0.8}, {kReverbPreDelay, 0.2}}}) {
    const Settings settings = InBand(reverb);
    const double reference = Rt60Seconds(ImpulseResponse(44100, settings, 4.0), 44100);
    ASSERT_GT(reference, 0.5);
    for (double rate : kRates) {
      const double rt60 = Rt60Seconds(ImpulseResponse(rate, settings, 4.0), rate);
      EXPECT_NEAR(rt60 / reference, 1.0, 0.02) << rate << " Hz: " << rt60 << " s against " << reference << " s";
    }
  }
}

TEST(SampleRate, PreDelayAndFirstReflectionComeAtTheSameTimeAtEveryRate) {
  // Without reflections only the pre-delayed input reaches the output (through the
  // diffusers, whose direct paths do not delay it); the reflections alone are the
  // difference that the early level makes.
  const Settings direct = Room({{kReverbRoomSize, 0.5}, {kReverbPreDelay, 0.3}});
  const Settings reflected = Room({{kReverbRoomSize, 0.5}, {kReverbPreDelay, 0.3}, {kReverbEarlyReflections, 1}});
  auto arrivals = [&](double rate, double* preDelay, double* reflection) {
    const StereoBuffer plain = ImpulseResponse(rate, direct, 0.4);
    const StereoBuffer with = ImpulseResponse(rate, reflected, 0.4);
    std::vector<double> difference(with.left.size());
    for (size_t i = 0; i < difference.size(); ++i) difference[i] = with.left[i] - plain.left[i];
    *preDelay = FirstArrivalSeconds(plain.left, rate);
    *reflection = FirstArrivalSeconds(difference, rate);
  };
  double preDelay44 = 0.0, reflection44 = 0.0;
  arrivals(44100, &preDelay44, &reflection44);
  EXPECT_NEAR(preDelay44, 2.0 * 0.3 * 0.3, 1.0 / 44100);
  EXPECT_GT(reflection44, preDelay44 + 0.01);
  for (double rate : kRates) {
    double preDelay = 0.0, reflection = 0.0;
    arrivals(rate, &preDelay, &reflection);
    EXPECT_NEAR(preDelay, preDelay44, 1.0 / rate) << rate;
    EXPECT_NEAR(reflection, reflection44, 1.0 / rate) << rate;
  }
}

}  // namespace
