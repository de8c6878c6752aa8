#include "decay_measures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr double kDecayedDb = -45.0;

// In-place iterative radix-2 FFT; data.size() is a power of two.
void Fft(std::vector<std::complex<double>>& data) {
  const size_t n = data.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (size_t length = 2; length <= n; length <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += length) {
      std::complex<double> w(1.0, 0.0);
      for (size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> even = data[i + k];
        const std::complex<double> odd = data[i + k + length / 2] * w;
        data[i + k] = even + odd;
        data[i + k + length / 2] = even - odd;
        w *= step;
      }
    }
  }
}

}  // namespace

std::vector<double> EnergyDecayCurveDb(const std::vector<std::vector<double>>& channels) {
  const size_t frames = channels.empty() ? 0 : channels[0].size();
  std::vector<double> curve(frames);
  double remaining = 0.0;
  for (size_t i = frames; i-- > 0;) {
    for (const std::vector<double>& channel : channels) remaining += channel[i] * channel[i];
    curve[i] = remaining;
  }
  const double total = frames > 0 ? curve[0] : 0.0;
  for (double& value : curve) value = total > 0.0 && value > 0.0 ? 10.0 * std::log10(value / total) : -400.0;
  return curve;
}

std::optional<size_t> DecayPoint(const std::vector<double>& curveDb, double levelDb) {
  const auto it = std::find_if(curveDb.begin(), curveDb.end(), [levelDb](double v) { return v <= levelDb; });
  if (it == curveDb.end()) return std::nullopt;
  return static_cast<size_t>(it - curveDb.begin());
}

std::optional<double> ReverbTimeSeconds(const std::vector<double>& curveDb, double sampleRate) {
  if (curveDb.empty() || curveDb[curveDb.size() * 95 / 100] > kDecayedDb) return std::nullopt;
  const std::optional<size_t> begin = DecayPoint(curveDb, -5.0), end = DecayPoint(curveDb, -25.0);
  if (!begin || !end || *end <= *begin) return std::nullopt;
  // Least squares of dB over seconds.
  double sumT = 0, sumY = 0, sumTT = 0, sumTY = 0;
  const double count = static_cast<double>(*end - *begin + 1);
  for (size_t i = *begin; i <= *end; ++i) {
    const double t = static_cast<double>(i) / sampleRate, y = curveDb[i];
    sumT += t, sumY += y, sumTT += t * t, sumTY += t * y;
  }
  const double denominator = count * sumTT - sumT * sumT;
  if (denominator <= 0.0) return std::nullopt;
  const double slopeDbPerSecond = (count * sumTY - sumT * sumY) / denominator;
  if (!(slopeDbPerSecond < 0.0)) return std::nullopt;
  return -60.0 / slopeDbPerSecond;
}

double SpectralCentroidHz(const std::vector<std::vector<double>>& channels, size_t start, size_t length,
                          double sampleRate) {
  std::vector<double> magnitudeSquared(length / 2 + 1, 0.0);
  std::vector<std::complex<double>> data(length);
  for (const std::vector<double>& channel : channels) {
    for (size_t i = 0; i < length; ++i) {
      const double phase = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(length);
      const double hann = 0.5 - 0.5 * std::cos(phase);
      data[i] = start + i < channel.size() ? channel[start + i] * hann : 0.0;
    }
    Fft(data);
    for (size_t k = 0; k < magnitudeSquared.size(); ++k) magnitudeSquared[k] += std::norm(data[k]);
  }
  double weighted = 0.0, total = 0.0;
  for (size_t k = 0; k < magnitudeSquared.size(); ++k) {
    const double magnitude = std::sqrt(magnitudeSquared[k]);
    weighted += magnitude * static_cast<double>(k) * sampleRate / static_cast<double>(length);
    total += magnitude;
  }
  return total > 0.0 ? weighted / total : 0.0;
}

double SideToMidDb(const std::vector<double>& left, const std::vector<double>& right, size_t start) {
  double side = 0.0, mid = 0.0;
  for (size_t i = start; i < left.size() && i < right.size(); ++i) {
    const double m = 0.5 * (left[i] + right[i]), s = 0.5 * (left[i] - right[i]);
    mid += m * m, side += s * s;
  }
  if (side <= 0.0) return -HUGE_VAL;
  return 10.0 * std::log10(side / std::max(mid, 1e-300));
}
