#include "frontend/platform.h"

#include <chrono>

void Event::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  if (manualReset_) {
    condition_.notify_all();
  } else {
    condition_.notify_one();
  }
}

void Event::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

void Event::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  condition_.wait(lock, [this] { return signalled_; });
  if (!manualReset_) signalled_ = false;
}

bool Event::WaitFor(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!condition_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; })) {
    return false;
  }
  if (!manualReset_) signalled_ = false;
  return true;
}

namespace {
const std::chrono::steady_clock::time_point ProgramStart = std::chrono::steady_clock::now();
}

int32_t ClockMs() {
  auto elapsed = std::chrono::steady_clock::now() - ProgramStart;
  return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
