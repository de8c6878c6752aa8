// Compares two renders: prints the RMS of each and the largest sample difference.
// Usage: render_compare PROCESSED.wav BYPASSED.wav
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
bool ReadAll(const char* path, std::vector<double>* samples) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) return false;
  samples->resize(static_cast<size_t>(info.frames * info.channels));
  const sf_count_t got = sf_read_double(file, samples->data(), static_cast<sf_count_t>(samples->size()));
  sf_close(file);
  samples->resize(static_cast<size_t>(std::max<sf_count_t>(got, 0)));
  return true;
}

double Rms(const std::vector<double>& v) {
  double sum = 0.0;
  for (double x : v) sum += x * x;
  return v.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(v.size()));
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<double> a, b;
  if (argc != 3 || !ReadAll(argv[1], &a) || !ReadAll(argv[2], &b)) {
    std::fprintf(stderr, "usage: render_compare PROCESSED.wav BYPASSED.wav (both readable)\n");
    return 2;
  }
  double maxDiff = 0.0;
  bool finite = true;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    finite = finite && std::isfinite(a[i]);
    maxDiff = std::max(maxDiff, std::abs(a[i] - b[i]));
  }
  std::printf("processed_rms %.6f bypassed_rms %.6f max_difference %.6f samples %zu %zu finite %d\n", Rms(a), Rms(b),
              maxDiff, a.size(), b.size(), finite ? 1 : 0);
  return 0;
}
