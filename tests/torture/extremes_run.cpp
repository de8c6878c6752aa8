// Every parameter at both ends of its range, held, through every rate a host may
// pick, the rate switched while the setting plays on.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "effect/kernel_params.h"
#include "torture_runs.h"

namespace {
// Up from the lowest rate, then straight from the highest back to the lowest: the
// largest jumps in both directions.
constexpr double kExtremeRates[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000, 22050};
constexpr int kBlock = 4096;
// Each rate plays this share of the hold: every setting then costs about what it
// did when it was held whole at each of seven rates from 22050 to 192000 Hz.
constexpr double kShareOfHold = 0.3;

struct Held {
  bool finite = true;
  double peak = 0.0;
};

template <typename Sample>
Held Hold(TortureTarget& target, int frames, std::mt19937_64& rng, Watchdog& watchdog) {
  std::vector<Sample> l(kBlock), r(kBlock), ol(kBlock), orr(kBlock);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  Held held;
  for (int done = 0; done < frames; done += kBlock) {
    const int n = std::min(kBlock, frames - done);
    for (int i = 0; i < n; ++i) {
      l[static_cast<size_t>(i)] = static_cast<Sample>(noise(rng));
      r[static_cast<size_t>(i)] = static_cast<Sample>(noise(rng));
    }
    Sample* in[2] = {l.data(), r.data()};
    Sample* out[2] = {ol.data(), orr.data()};
    if constexpr (sizeof(Sample) == sizeof(double)) {
      target.Process64(in, out, n);
    } else {
      target.Process32(in, out, n);
    }
    for (int i = 0; i < n; ++i) {
      for (const Sample v : {ol[static_cast<size_t>(i)], orr[static_cast<size_t>(i)]}) {
        if (!std::isfinite(static_cast<double>(v))) held.finite = false;
        else held.peak = std::max(held.peak, std::fabs(static_cast<double>(v)));
      }
    }
    watchdog.Tick();
  }
  return held;
}
}  // namespace

ExtremesFigures RunExtremes(TortureTarget& target, double holdSeconds, double bound, bool doublePrecision,
                            Watchdog& watchdog) {
  ExtremesFigures figures;
  double defaults[kKernelParamCount];
  for (int i = 0; i < kKernelParamCount; ++i) defaults[i] = target.ParamNormalised(i);
  std::mt19937_64 rng(7);
  for (int index = 0; index < kKernelParamCount; ++index) {
    if (index >= kPresetBackward && index <= kPresetSelector) continue;  // actions, not settings
    for (double end : {0.0, 1.0}) {
      target.Setup(kExtremeRates[0], kBlock, doublePrecision);
      for (int i = 0; i < kKernelParamCount; ++i)
        if (i < kPresetBackward || i > kPresetSelector) target.SetParam(i, defaults[i], 0);
      target.SetParam(kReverbOffOn, 1.0, 0);
      target.SetParam(index, end, 0);
      for (double rate : kExtremeRates) {
        if (!target.SwitchRate(rate, kBlock)) {
          ++figures.failures;
          if (figures.firstFailure.empty()) figures.firstFailure = "rate switch refused";
        }
        const int frames = static_cast<int>(holdSeconds * kShareOfHold * rate);
        const Held held = doublePrecision ? Hold<double>(target, frames, rng, watchdog)
                                          : Hold<float>(target, frames, rng, watchdog);
        ++figures.settings;
        char context[160];
        std::snprintf(context, sizeof context, "%s = %.0f at %.0f Hz (peak %.6g%s)",
                      kKernelParamSpecs[static_cast<size_t>(index)].name, end, rate, held.peak,
                      held.finite ? "" : ", not finite");
        if (held.peak > figures.worstPeak) {
          figures.worstPeak = held.peak;
          figures.worstContext = context;
        }
        if (!held.finite || held.peak > bound) {
          ++figures.failures;
          if (figures.firstFailure.empty()) figures.firstFailure = context;
        }
      }
    }
  }
  return figures;
}
