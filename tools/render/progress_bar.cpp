#include "progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr auto kDelayBeforeShowing = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;
}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream_(stream), enabled_(enabled && isatty(fileno(stream)) != 0), start_(Clock::now()) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Format(double fraction, int width, char* out, int outSize) {
  if (outSize <= 0) return;
  fraction = std::clamp(fraction, 0.0, 1.0);
  width = std::clamp(width, 1, 200);
  const int filled = static_cast<int>(fraction * width);
  char bar[201];
  std::memset(bar, '#', static_cast<size_t>(filled));
  std::memset(bar + filled, ' ', static_cast<size_t>(width - filled));
  bar[width] = '\0';
  std::snprintf(out, static_cast<size_t>(outSize), "[%s] %3d%%", bar, static_cast<int>(fraction * 100));
}

void ProgressBar::Update(int64_t done, int64_t total) {
  if (!enabled_ || total <= 0) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kDelayBeforeShowing) return;
  if (drawn_ && now - lastDraw_ < kRedrawInterval) return;
  char line[256];
  Format(static_cast<double>(done) / static_cast<double>(total), kBarWidth, line, sizeof line);
  std::fprintf(stream_, "\rrendering %s", line);
  std::fflush(stream_);
  drawn_ = true;
  lastDraw_ = now;
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r\033[K");  // back to the line's start and clear it
  std::fflush(stream_);
  drawn_ = false;
}
