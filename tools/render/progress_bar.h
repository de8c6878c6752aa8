#pragma once
// A one-line progress bar on a terminal. It appears only once a render has run for
// half a second (a short render never flickers one), redraws at most ten times a
// second and erases itself when done, so the terminal keeps only the result line.

#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar {
 public:
  // Draws only when 'enabled' and the stream is a terminal.
  ProgressBar(std::FILE* stream, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(int64_t done, int64_t total);
  void Finish();  // erases the bar if it was drawn

  // The bar's text for a fraction in 0..1, e.g. "[#####     ]  50%".
  static void Format(double fraction, int width, char* out, int outSize);

 private:
  using Clock = std::chrono::steady_clock;

  std::FILE* stream_;
  bool enabled_;
  bool drawn_ = false;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
};
