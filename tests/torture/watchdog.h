#pragma once
// Fails a run that stops making progress: the run calls Tick() as it goes; when no
// tick comes for the given time, the watchdog names the run on the standard error
// stream and ends the process with exit code 3 (a hang inside the plug-in cannot be
// unwound, only reported).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

class Watchdog {
 public:
  Watchdog(double seconds, std::string what) : limit_(seconds), what_(std::move(what)) {
    Tick();
    thread_ = std::thread([this] { Watch(); });
  }
  ~Watchdog() {
    stop_.store(true);
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void Tick() { last_.store(Now(), std::memory_order_relaxed); }

 private:
  static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  void Watch() {
    while (!stop_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (Now() - last_.load(std::memory_order_relaxed) > limit_) {
        std::fprintf(stderr, "watchdog: %s made no progress for %.0f s\n", what_.c_str(), limit_);
        std::fflush(stderr);
        std::_Exit(3);
      }
    }
  }

  double limit_;
  std::string what_;
  std::atomic<double> last_{0.0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
