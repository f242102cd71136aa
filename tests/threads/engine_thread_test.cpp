// Starting and stopping the engine thread, in this process, with a stand-in search whose
// length the test chooses.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "frontend/engine.h"
#include "frontend/timecontrol.h"
#include "search/search.h"
#include "threads/watchdog.h"

namespace {

constexpr int32_t Never = -1;

// How the stand-in search behaves, set before each start.
std::atomic<int32_t> SelfEndMs{Never};  // ends by itself this long after its start
// What it saw and how it ended.
std::atomic<int> SearchesBegun{0};
std::atomic<int> SearchesRun{0};
std::atomic<uint32_t> SeenDepth{0};
std::atomic<int> SeenStopFlag{-1};
std::atomic<int32_t> SeenMode{-1};
std::atomic<bool> EndedByStopFlag{false};

// Runs until StopFlag is raised or until its own end comes.
Move StandInSearch() {
  SeenDepth = MaxSearchDepth;
  SeenStopFlag = StopFlag.load();
  SeenMode = EngineMode.load();
  ++SearchesBegun;
  int32_t start = ClockMs();
  for (;;) {
    if (StopFlag.load()) {
      EndedByStopFlag = true;
      break;
    }
    if (SelfEndMs >= 0 && ClockMs() - start >= SelfEndMs) {
      EndedByStopFlag = false;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ++SearchesRun;
  return 0;
}

// How often line occurs in this process's diagnostic log.
int LogCount(const std::string& line) {
  std::ifstream log("Quillo.log");
  int count = 0;
  for (std::string text; std::getline(log, text);) count += text == line;
  return count;
}

class EngineThreadTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    EngineSearch = StandInSearch;
    LaunchEngineThread();
    StopEngine();
  }
  static void TearDownTestSuite() {
    Watchdog watchdog(30000);
    ShutdownEngine();
  }
  void SetUp() override {
    SelfEndMs = Never;
    AspirationFailFlag = 0;
    MoveBudgetMs = 0;
  }
  // Starts a search in mode and returns when the engine thread has accepted it and the search
  // has looked at what it was handed (a stop right after StartEngine may otherwise come first).
  static void Start(int32_t mode, int32_t depth = 128) {
    int begun = SearchesBegun;
    EngineMode = mode;
    StartEngine(depth);
    EXPECT_EQ(StopFlag, 0);
    while (SearchesBegun == begun) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

TEST_F(EngineThreadTest, StopOnIdleEngineReturnsAtOnce) {
  Watchdog watchdog(10000);
  int runs = SearchesRun;
  StopEngine();
  StopEngine();
  EXPECT_EQ(EngineMode, Idle);
  EXPECT_EQ(SearchStartClock, 0);
  EXPECT_EQ(StopFlag, 1);
  EXPECT_EQ(SearchesRun, runs);
}

TEST_F(EngineThreadTest, StartHandsOverDepthAndClearsStopFlag) {
  struct Case {
    int32_t depth;
    uint32_t limit;
  };
  // The low byte counts, and 127 is the deepest.
  const Case cases[] = {{128, 127}, {100, 100}, {300, 44}, {127, 127}, {126, 126}, {1, 1}, {0, 0}, {-1, 127}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    Watchdog watchdog(10000);
    int runs = SearchesRun;
    Start(Thinking, c.depth);
    StopEngine();
    EXPECT_EQ(SearchesRun, runs + 1);
    EXPECT_EQ(SeenDepth, c.limit);
    EXPECT_EQ(MaxSearchDepth, c.limit);
    EXPECT_EQ(SeenStopFlag, 0);
    EXPECT_EQ(SeenMode, Thinking);
    EXPECT_TRUE(EndedByStopFlag);
    EXPECT_EQ(EngineMode, Idle);
    EXPECT_EQ(SearchStartClock, 0);
  }
}

TEST_F(EngineThreadTest, StartMarksTheClockAndPonderingStartsToo) {
  Watchdog watchdog(10000);
  int32_t before = ClockMs();
  Start(Pondering);
  int32_t started = SearchStartClock;
  EXPECT_GE(started, before);
  EXPECT_LE(started, ClockMs());
  // Once StartEngine has returned, the idle signal is down until this search ends.
  EXPECT_FALSE(EngineStoppedEvent.WaitFor(50));
  StopEngine();
  EXPECT_EQ(SeenMode, Pondering);
  EXPECT_TRUE(EngineStoppedEvent.WaitFor(0));
}

TEST_F(EngineThreadTest, SearchEndingByItselfSignalsIdle) {
  Watchdog watchdog(10000);
  SelfEndMs = 0;
  Start(Thinking);
  EXPECT_TRUE(EngineStoppedEvent.WaitFor(5000));
  StopEngine();
  EXPECT_FALSE(EndedByStopFlag);
}

TEST_F(EngineThreadTest, ConditionalStop) {
  struct Case {
    const char* what;
    int32_t aspirationFail;
    uint32_t budget;
    int32_t selfEnd;
    bool extraTime;
    bool endedByStopFlag;
  };
  const Case cases[] = {
      {"not failing low", 0, 100000, Never, false, true},
      {"failing high", 1, 100000, Never, false, true},
      {"failing low on a budget of exactly 6000 ms", -1, 6000, Never, false, true},
      {"failing low on a short budget", -1, 200, Never, false, true},
      {"failing low, ending within the extra time", -1, 6001, 300, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watchdog watchdog(20000);
    int extraTimeLines = LogCount("-M: FL - Extra time");
    int infiniteWaitLines = LogCount("-----WAIT INF C:");
    SelfEndMs = c.selfEnd;
    Start(Thinking);
    AspirationFailFlag = c.aspirationFail;
    MoveBudgetMs = c.budget;
    int32_t start = ClockMs();
    StopEngineConditional();
    int32_t elapsed = ClockMs() - start;
    EXPECT_EQ(EndedByStopFlag, c.endedByStopFlag);
    EXPECT_LT(elapsed, 5000);  // far below any extra time granted here
    EXPECT_EQ(LogCount("-M: FL - Extra time"), extraTimeLines + (c.extraTime ? 1 : 0));
    EXPECT_EQ(LogCount("-----WAIT INF C:"), infiniteWaitLines + 1);
    EXPECT_EQ(EngineMode, Idle);
    EXPECT_EQ(StopFlag, 1);
    EXPECT_EQ(SearchStartClock, 0);
    EXPECT_TRUE(EngineStoppedEvent.WaitFor(0));
  }
}

TEST_F(EngineThreadTest, ConditionalStopExtraTimeIsTwiceTheBudget) {
  Watchdog watchdog(40000);
  Start(Thinking);
  AspirationFailFlag = -1;
  MoveBudgetMs = 6001;
  int32_t start = ClockMs();
  StopEngineConditional();
  int32_t elapsed = ClockMs() - start;
  EXPECT_TRUE(EndedByStopFlag);
  EXPECT_GE(elapsed, 12002);
  EXPECT_LT(elapsed, 30000);
}

}  // namespace
