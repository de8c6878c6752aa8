// The automation soak: random host behaviour, every output frame checked.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "effect/kernel_params.h"
#include "torture_runs.h"

namespace {

constexpr int kMaxBlock = 4096;
constexpr double kBudgetRate = 52000.0;
constexpr double kRates[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000};
// 1 / tanh(1.3): the clipper's saturation stays within this; its DC blocker output
// within twice this.
constexpr double kSaturationScale = 1.1604655035579;

bool IsPresetAction(int index) { return index >= kPresetBackward && index <= kPresetSelector; }

// The plain value the plug-in derives from a normalised one (every parameter is
// linear between its minimum and maximum).
double Plain(int index, double normalised) {
  const KernelParamSpec& r = kKernelParamSpecs[static_cast<size_t>(index)];
  return std::clamp(r.minimum + normalised * (r.maximum - r.minimum), r.minimum, r.maximum);
}
double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// The effect's view of the host's values, and what the checks derive from it.
struct Settings {
  double normalised[kKernelParamCount] = {};

  double P(int index) const { return Plain(index, normalised[index]); }
  bool MasterOn() const { return static_cast<int>(1.0 + P(kReverbOffOn)) == 2; }
  bool AmpClipperOn() const { return static_cast<int>(1.0 + Clamp01(P(kAmpClippingOffOn))) == 2; }
  // The input routed and gain-adjusted for channel ch: the blend's dry signal a.
  double Dry(int ch, double left, double right) const {
    const double gain = 2.0 * Clamp01(P(kPreampInputGain));
    const int routing = std::clamp(static_cast<int>(P(kPreampInputMode)), 0, 3);
    double routed = ch == 0 ? left : right;
    if (routing == 1) routed = left;
    if (routing == 2) routed = right;
    if (routing == 3) routed = (left + right) * 0.5;
    return routed * gain;
  }
  // |out| <= V ((1 - B) |a| + B 2 S K) while the amp clipper is on.
  double ClipperBound(double dry) const {
    const double v = 2.0 * Clamp01(P(kAmpMainVolume));
    const double b = Clamp01(P(kAmpMainBlend));
    const double k = 1.0 - 0.5 * std::sqrt(Clamp01(P(kAmpClippingGain)));
    return v * ((1.0 - b) * std::fabs(dry) + b * 2.0 * kSaturationScale * k);
  }
};

// Hostile signals in segments: noise, silence, full-scale squares, impulses and
// signals near 1e-30, with an occasional NaN or infinity.
class SignalSource {
 public:
  explicit SignalSource(std::mt19937_64& rng) : rng_(rng) {}

  void Fill(double* left, double* right, int frames, double rate) {
    for (int i = 0; i < frames; ++i) {
      if (remaining_ <= 0) NewSegment(rate);
      --remaining_;
      ++phase_;
      double l = 0.0, r = 0.0;
      switch (kind_) {
        case 0: l = level_ * Uniform(); r = level_ * Uniform(); break;
        case 1: break;
        case 2: l = r = (phase_ / period_) % 2 == 0 ? 1.0 : -1.0; break;
        case 3: l = phase_ % period_ == 0 ? 1.0 : 0.0; r = phase_ % period_ == period_ / 2 ? -1.0 : 0.0; break;
        default: l = 1e-30 * Uniform(); r = 1e-30 * Uniform(); break;
      }
      left[i] = l;
      right[i] = r;
    }
    // About one block in a hundred brings a NaN or an infinity.
    if (frames > 0 && std::uniform_int_distribution<int>(0, 99)(rng_) == 0) {
      const double bad[] = {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL};
      const int at = std::uniform_int_distribution<int>(0, frames - 1)(rng_);
      (std::uniform_int_distribution<int>(0, 1)(rng_) ? left : right)[at] = bad[std::uniform_int_distribution<int>(0, 2)(rng_)];
    }
  }

 private:
  double Uniform() { return std::uniform_real_distribution<double>(-1.0, 1.0)(rng_); }
  void NewSegment(double rate) {
    kind_ = std::uniform_int_distribution<int>(0, 4)(rng_);
    remaining_ = static_cast<int64_t>(rate * std::uniform_real_distribution<double>(0.05, 1.5)(rng_));
    level_ = std::uniform_int_distribution<int>(0, 2)(rng_) == 0 ? 1.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    period_ = std::uniform_int_distribution<int64_t>(2, 2000)(rng_);
  }

  std::mt19937_64& rng_;
  int kind_ = 1;
  int64_t remaining_ = 0;
  int64_t phase_ = 0;
  int64_t period_ = 100;
  double level_ = 1.0;
};

// A normalised value as a host's automation gives it: often an end of the range.
// The switches that decide which checks apply are on more often than not.
double RandomValue(int index, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  if (index == kReverbOffOn || index == kAmpClippingOffOn) {
    const double roll = unit(rng);
    return roll < 0.7 ? 1.0 : (roll < 0.85 ? 0.0 : unit(rng));
  }
  const double roll = unit(rng);
  if (roll < 0.1) return 0.0;
  if (roll < 0.2) return 1.0;
  if (roll < 0.25) return 1e-7;  // near-silent volumes and blends make denormal tails
  return unit(rng);
}

std::string Describe(const Settings& s, double rate, int block, bool doublePrecision) {
  char text[512];
  std::snprintf(text, sizeof text,
                "%.0f Hz, block %d, %s; mode %.2f lp %.3f hp %.3f room %.3f decay %.3f late %.3f early %.3f "
                "damp %.3f pre-cut %.3f vol %.3g blend %.3g",
                rate, block, doublePrecision ? "64-bit" : "32-bit", s.P(kAmpFilterMode), s.P(kAmpFilterLpCutoff),
                s.P(kAmpFilterHpCutoff), s.P(kReverbRoomSize), s.P(kReverbDecayTime), s.P(kReverbLateReverberation),
                s.P(kReverbEarlyReflections), s.P(kReverbDamp), s.P(kPreampFilterCutoff), s.P(kAmpMainVolume),
                s.P(kAmpMainBlend));
  return text;
}

class Soak {
 public:
  Soak(TortureTarget& target, const SoakOptions& options, Watchdog& watchdog)
      : target_(target), options_(options), watchdog_(watchdog), rng_(options.seed), source_(rng_) {
    for (auto* v : {&inL_, &inR_, &keptL_, &keptR_, &outL_, &outR_}) v->resize(kMaxBlock);
    for (auto* v : {&inL32_, &inR32_, &outL32_, &outR32_}) v->resize(kMaxBlock);
    for (int i = 0; i < kKernelParamCount; ++i) settings_.normalised[i] = target_.ParamNormalised(i);
  }

  SoakFigures Run() {
    const auto start = std::chrono::steady_clock::now();
    NewSetup();
    // The budget is counted in frames: the seconds at 52 kHz, the harmonic mean of
    // the rates drawn before 352800 and 384000 Hz joined them, so the high rates add
    // no running time (a setup lasts as many blocks at any rate).
    const auto budgetFrames = static_cast<int64_t>(options_.audioSeconds * kBudgetRate);
    while (figures_.frames < budgetFrames) {
      if (std::uniform_int_distribution<int>(0, 1999)(rng_) == 0) NewSetup();
      if (std::uniform_int_distribution<int>(0, 999)(rng_) == 0) SwitchRate();
      if (std::uniform_int_distribution<int>(0, 299)(rng_) == 0) fastUntil_ = figures_.frames + static_cast<int64_t>(rate_);
      const bool fast = figures_.frames < fastUntil_;
      Automate(fast);
      if (std::uniform_int_distribution<int>(0, 999)(rng_) == 0) RoundTripState();
      if (!fast && std::uniform_int_distribution<int>(0, 499)(rng_) == 0) target_.SendControllers(20000, kMaxBlock);
      const int block = fast ? std::uniform_int_distribution<int>(1, 8)(rng_) : RandomBlockSize();
      // Now and then a host changes values within the block: it splits the block.
      int split = block;
      if (block > 1 && std::uniform_int_distribution<int>(0, 3)(rng_) == 0)
        split = std::uniform_int_distribution<int>(1, block - 1)(rng_);
      ProcessChecked(split);
      if (split < block) {
        Automate(false);
        ProcessChecked(block - split);
      }
      watchdog_.Tick();
    }
    figures_.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return figures_;
  }

 private:
  int RandomBlockSize() {
    // Log-uniform over 1 .. 4096, so small and large blocks both come often.
    const double e = std::uniform_real_distribution<double>(0.0, 12.0)(rng_);
    return std::clamp(static_cast<int>(std::pow(2.0, e)), 1, kMaxBlock);
  }

  double RandomRate() {
    if (std::uniform_int_distribution<int>(0, 3)(rng_) == 0)
      return std::uniform_real_distribution<double>(22050.0, 384000.0)(rng_);
    return kRates[std::uniform_int_distribution<size_t>(0, std::size(kRates) - 1)(rng_)];
  }

  void NewSetup() {
    rate_ = RandomRate();
    doublePrecision_ = std::uniform_int_distribution<int>(0, 1)(rng_) == 1;
    if (!target_.Setup(rate_, kMaxBlock, doublePrecision_)) Fail("setup refused at " + std::to_string(rate_));
    ++figures_.setups;
  }

  // A new rate between two blocks, without stopping: the tail rings on into it.
  void SwitchRate() {
    rate_ = RandomRate();
    if (!target_.SwitchRate(rate_, kMaxBlock)) Fail("rate switch refused at " + std::to_string(rate_));
    ++figures_.rateSwitches;
  }

  void Automate(bool fast) {
    // Fast automation: a quarter of the parameters jump every block.
    const int changes = fast ? kKernelParamCount / 4
                             : (std::uniform_int_distribution<int>(0, 1)(rng_) ? std::uniform_int_distribution<int>(1, 26)(rng_) : 0);
    for (int c = 0; c < changes; ++c) {
      const int index = std::uniform_int_distribution<int>(0, kKernelParamCount - 1)(rng_);
      if (IsPresetAction(index)) continue;
      double value = RandomValue(index, rng_);
      if (target_.Format() == PluginFormat::Vst2) value = static_cast<float>(value);  // the interface's precision
      settings_.normalised[index] = value;
      target_.SetParam(index, value, std::uniform_int_distribution<int>(0, 7)(rng_));
    }
  }

  void RoundTripState() {
    const std::vector<uint8_t> state = target_.GetState();
    if (state.empty() || !target_.SetState(state)) Fail("state round trip failed");
  }

  void Fail(const std::string& what) {
    if (figures_.firstFailure.empty()) figures_.firstFailure = what;
  }

  void ProcessChecked(int frames) {
    source_.Fill(inL_.data(), inR_.data(), frames, rate_);
    std::copy(inL_.begin(), inL_.begin() + frames, keptL_.begin());
    std::copy(inR_.begin(), inR_.begin() + frames, keptR_.begin());
    const bool inPlace = std::uniform_int_distribution<int>(0, 2)(rng_) == 0;
    if (doublePrecision_) {
      double* in[2] = {inL_.data(), inR_.data()};
      double* out[2] = {outL_.data(), outR_.data()};
      if (!target_.Process64(in, inPlace ? in : out, frames)) Fail("process refused");
      const double* result[2] = {inPlace ? inL_.data() : outL_.data(), inPlace ? inR_.data() : outR_.data()};
      Check(result, frames);
    } else {
      for (int i = 0; i < frames; ++i) {
        inL32_[static_cast<size_t>(i)] = static_cast<float>(keptL_[static_cast<size_t>(i)]);
        inR32_[static_cast<size_t>(i)] = static_cast<float>(keptR_[static_cast<size_t>(i)]);
        keptL_[static_cast<size_t>(i)] = inL32_[static_cast<size_t>(i)];  // what the plug-in was given
        keptR_[static_cast<size_t>(i)] = inR32_[static_cast<size_t>(i)];
      }
      float* in[2] = {inL32_.data(), inR32_.data()};
      float* out[2] = {outL32_.data(), outR32_.data()};
      if (!target_.Process32(in, inPlace ? in : out, frames)) Fail("process refused");
      const float* result[2] = {inPlace ? inL32_.data() : outL32_.data(), inPlace ? inR32_.data() : outR32_.data()};
      Check32(result, frames);
    }
    figures_.frames += frames;
    figures_.audioSeconds += frames / rate_;
    ++figures_.blocks;
  }

  // Per frame: the output as a double, and whether it was a denormal of its format.
  template <typename Sample>
  void CheckFrames(const Sample* const* out, int frames) {
    const Settings& s = settings_;
    const bool masterOn = s.MasterOn();
    const bool clipperOn = s.AmpClipperOn();
    const double holdDecay = std::exp(-1.0 / (10.0 * rate_));
    for (int i = 0; i < frames; ++i) {
      const double x[2] = {keptL_[static_cast<size_t>(i)], keptR_[static_cast<size_t>(i)]};
      const bool badInput = !std::isfinite(x[0]) || !std::isfinite(x[1]);
      if (badInput) ++figures_.badInputFrames;
      if (!badInput) inputHold_ = std::max({std::fabs(x[0]), std::fabs(x[1]), inputHold_ * holdDecay});
      for (int ch = 0; ch < 2; ++ch) {
        const Sample y = out[ch][i];
        if (!masterOn) {
          const Sample given = static_cast<Sample>(x[ch]);
          if (std::memcmp(&y, &given, sizeof y) != 0) {
            ++figures_.passThroughMismatches;
            Fail("master off changed the input at " + Describe(s, rate_, frames, doublePrecision_));
          }
          continue;
        }
        if (badInput) continue;
        const double v = static_cast<double>(y);
        if (!std::isfinite(v)) {
          ++figures_.nonFiniteOutputs;
          Fail("non-finite output at " + Describe(s, rate_, frames, doublePrecision_));
          continue;
        }
        if (std::fpclassify(y) == FP_SUBNORMAL) {
          ++(sizeof(Sample) == sizeof(float) ? figures_.denormals32 : figures_.denormals64);
          Fail("denormal output at " + Describe(s, rate_, frames, doublePrecision_));
        }
        const double magnitude = std::fabs(v);
        figures_.worstPeak = std::max(figures_.worstPeak, magnitude);
        if (inputHold_ > 1e-6 && magnitude / inputHold_ > figures_.worstGain) {
          figures_.worstGain = magnitude / inputHold_;
          figures_.worstGainContext = Describe(s, rate_, frames, doublePrecision_);
        }
        if (clipperOn) {
          const double bound = s.ClipperBound(s.Dry(ch, x[0], x[1]));
          // Rounding of the blend, and of the 32-bit conversion, on top.
          const double slack = sizeof(Sample) == sizeof(float) ? 1e-6 : 1e-12;
          ++figures_.clipperBoundChecks;
          if (bound > 0.0) figures_.worstClipperRatio = std::max(figures_.worstClipperRatio, magnitude / bound);
          if (magnitude > bound * (1.0 + slack) + 1e-300) {
            ++figures_.clipperBoundExceeded;
            Fail("clipper bound exceeded at " + Describe(s, rate_, frames, doublePrecision_));
          }
        }
      }
    }
  }
  void Check(const double* const* out, int frames) { CheckFrames<double>(out, frames); }
  void Check32(const float* const* out, int frames) { CheckFrames<float>(out, frames); }

  TortureTarget& target_;
  SoakOptions options_;
  Watchdog& watchdog_;
  std::mt19937_64 rng_;
  SignalSource source_;
  Settings settings_;
  SoakFigures figures_;
  double rate_ = 44100.0;
  bool doublePrecision_ = true;
  int64_t fastUntil_ = 0;
  double inputHold_ = 0.0;
  std::vector<double> inL_, inR_, keptL_, keptR_, outL_, outR_;
  std::vector<float> inL32_, inR32_, outL32_, outR32_;
};

}  // namespace

SoakFigures RunSoak(TortureTarget& target, const SoakOptions& options, Watchdog& watchdog) {
  Soak soak(target, options, watchdog);
  return soak.Run();
}

void PrintSoak(const char* format, const SoakFigures& f) {
  std::printf("soak %s: %.1f s of audio in %.1f s (%.1fx real time), %lld blocks, %lld setups, "
              "%lld rate switches while running\n", format,
              f.audioSeconds, f.wallSeconds, f.wallSeconds > 0 ? f.audioSeconds / f.wallSeconds : 0.0,
              static_cast<long long>(f.blocks), static_cast<long long>(f.setups),
              static_cast<long long>(f.rateSwitches));
  std::printf("  bad input frames %lld; non-finite outputs %lld; denormal outputs 32-bit %lld, 64-bit %lld; "
              "pass-through mismatches %lld\n",
              static_cast<long long>(f.badInputFrames), static_cast<long long>(f.nonFiniteOutputs),
              static_cast<long long>(f.denormals32), static_cast<long long>(f.denormals64),
              static_cast<long long>(f.passThroughMismatches));
  std::printf("  clipper bound: %lld frames checked, %lld exceeded, worst |out|/bound %.6f\n",
              static_cast<long long>(f.clipperBoundChecks), static_cast<long long>(f.clipperBoundExceeded),
              f.worstClipperRatio);
  std::printf("  worst peak %.6g; worst linear gain %.6g (%s)\n", f.worstPeak, f.worstGain, f.worstGainContext.c_str());
  if (!f.firstFailure.empty()) std::printf("  first failure: %s\n", f.firstFailure.c_str());
}
