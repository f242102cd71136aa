// The few operating-system services the engine needs: events with manual or automatic reset,
// the engine thread, and a wall-clock millisecond clock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// An event with Win32-style semantics. A manual-reset event stays set until Reset; an
// automatic-reset event releases one waiter and resets itself.
class Event {
 public:
  explicit Event(bool manualReset) : manualReset_(manualReset) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // Waits without limit until the event is set.
  void Wait();
  // Waits at most timeoutMs milliseconds; true when the event was set (and, for an
  // automatic-reset event, consumed), false on time-out.
  bool WaitFor(uint32_t timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool signalled_ = false;
  bool manualReset_;
};

// Milliseconds since program start, from a steady clock (wall time, not CPU time).
int32_t ClockMs();
