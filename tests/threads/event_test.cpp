// The event object: manual and automatic reset, waits with and without a time limit.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "frontend/platform.h"
#include "threads/watchdog.h"

namespace {

TEST(Event, ManualResetStaysSetUntilReset) {
  Watchdog watchdog(10000);
  Event event(true);
  EXPECT_FALSE(event.WaitFor(0));
  event.Set();
  EXPECT_TRUE(event.WaitFor(0));
  EXPECT_TRUE(event.WaitFor(0));
  event.Wait();
  event.Wait();
  event.Reset();
  EXPECT_FALSE(event.WaitFor(10));
}

TEST(Event, AutomaticResetIsConsumedByOneWait) {
  Watchdog watchdog(10000);
  Event event(false);
  event.Set();
  event.Set();  // setting twice does not count twice
  EXPECT_TRUE(event.WaitFor(0));
  EXPECT_FALSE(event.WaitFor(10));
  event.Set();
  event.Wait();
  EXPECT_FALSE(event.WaitFor(0));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.WaitFor(0));
}

TEST(Event, AutomaticResetReleasesOneWaiterPerSet) {
  Watchdog watchdog(20000);
  Event event(false);
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 2; ++i) {
    waiters.emplace_back([&] {
      event.Wait();
      ++released;
    });
  }
  event.Set();
  while (released == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(released, 1);
  event.Set();
  for (std::thread& waiter : waiters) waiter.join();
  EXPECT_EQ(released, 2);
  EXPECT_FALSE(event.WaitFor(0));
}

TEST(Event, ManualResetReleasesEveryWaiter) {
  Watchdog watchdog(20000);
  Event event(true);
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) waiters.emplace_back([&] { event.Wait(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  event.Set();
  for (std::thread& waiter : waiters) waiter.join();
  EXPECT_TRUE(event.WaitFor(0));
}

TEST(Event, TimedWaitReturnsAsSoonAsSet) {
  Watchdog watchdog(20000);
  for (bool manual : {true, false}) {
    SCOPED_TRACE(manual ? "manual reset" : "automatic reset");
    Event event(manual);
    std::thread setter([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      event.Set();
    });
    int32_t start = ClockMs();
    EXPECT_TRUE(event.WaitFor(60000));
    EXPECT_LT(ClockMs() - start, 10000);
    setter.join();
    EXPECT_EQ(event.WaitFor(0), manual);
  }
}

TEST(Event, TimedWaitTimesOut) {
  Watchdog watchdog(20000);
  for (bool manual : {true, false}) {
    SCOPED_TRACE(manual ? "manual reset" : "automatic reset");
    Event event(manual);
    int32_t start = ClockMs();
    EXPECT_FALSE(event.WaitFor(100));
    EXPECT_GE(ClockMs() - start, 100);
  }
}

TEST(Clock, CountsWallTimeNotCpuTime) {
  int32_t start = ClockMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_GE(ClockMs() - start, 50);
}

}  // namespace
