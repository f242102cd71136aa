// Ends the test program if a scope takes longer than its limit, so that a lost wake-up shows
// as a failure within seconds instead of a hung run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

class Watchdog {
 public:
  explicit Watchdog(int limitMs)
      : thread_([this, limitMs] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!condition_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return done_; })) {
            std::fprintf(stderr, "Watchdog: still blocked after %d ms\n", limitMs);
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    condition_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool done_ = false;
  std::thread thread_;
};
