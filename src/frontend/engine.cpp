#include "frontend/engine.h"

#include <algorithm>
#include <limits>
#include <thread>

#include "frontend/log.h"
#include "frontend/timecontrol.h"
#include "search/search.h"

std::atomic<int32_t> EngineMode{Idle};

Event EngineStartEvent(false);
Event EngineStoppedEvent(true);
Event EngineStartedEvent(false);

std::atomic<int32_t> SearchStartClock{0};

Move (*EngineSearch)() = IterativeDeepening;

namespace {
std::thread EngineThreadHandle;

// A failing-low search may run on for this long past its budget, and only when the budget is
// above FailLowMinimumBudgetMs.
constexpr uint32_t FailLowMinimumBudgetMs = 6000;
uint32_t FailLowExtraTimeMs(uint32_t budget) {
  // Twice the budget, held within the range of a wait rather than wrapped to a short one.
  return static_cast<uint32_t>(std::min<uint64_t>(2ull * budget, std::numeric_limits<uint32_t>::max()));
}
}  // namespace

void EngineThread() {
  do {
    DiagnosticLog.Line("-------------- STOPPED", ClockMs());
    EngineStoppedEvent.Set();
    EngineStartEvent.Wait();
    // Reset before acknowledging, so that a stop after StartEngine waits for this search.
    EngineStoppedEvent.Reset();
    int32_t mode = EngineMode.load();
    if (mode == Thinking || mode == Pondering) {
      DiagnosticLog.Line("-------------- STARTED", ClockMs());
      EngineStartedEvent.Set();
      EngineSearch();
    } else {
      DiagnosticLog.Line("-------------- ELSE  ", ClockMs());
    }
  } while (EngineMode.load() != Quitting);
  DiagnosticLog.Line("-------------- STARTED");
  EngineStartedEvent.Set();
}

void LaunchEngineThread() {
  if (EngineThreadHandle.joinable()) return;
  EngineThreadHandle = std::thread(EngineThread);
}

void JoinEngineThread() {
  if (EngineThreadHandle.joinable()) EngineThreadHandle.join();
}

void StartEngine(int32_t depth) {
  DiagnosticLog.Line("-M: entered StartEngine");
  uint32_t lowByte = static_cast<uint32_t>(depth) & 0xFF;
  MaxSearchDepth = lowByte < 127 ? lowByte : 127;
  StopFlag = 0;
  SearchStartClock = ClockMs();
  EngineStartEvent.Set();
  EngineStartedEvent.Wait();
  DiagnosticLog.Line("-M: exited StartEngine");
}

void StopEngine() {
  DiagnosticLog.Line("-M: entered StopEngine");
  EngineMode = Idle;
  SearchStartClock = 0;
  StopFlag = 1;
  EngineStoppedEvent.Wait();
  DiagnosticLog.Line("-M: exited StopEngine");
}

void StopEngineConditional() {
  DiagnosticLog.Line("-M: entered StopEngineConditional");
  int32_t aspirationFail = AspirationFailFlag.load();
  EngineMode = Idle;
  if (aspirationFail < 0 && MoveBudgetMs > FailLowMinimumBudgetMs) {
    DiagnosticLog.Line("-M: FL - Extra time");
    EngineStoppedEvent.WaitFor(CapWaitToClock(FailLowExtraTimeMs(MoveBudgetMs), ClockMs() - MoveStartClock));
  }
  StopFlag = 1;
  SearchStartClock = 0;
  DiagnosticLog.Line("-----WAIT INF C:");
  EngineStoppedEvent.Wait();
  DiagnosticLog.Line("-M: exited StopEngineConditional");
}

void ShutdownEngine() {
  StopEngine();
  EngineMode = Quitting;
  // The thread wakes, sees Quitting, acknowledges and ends.
  StartEngine(128);
  JoinEngineThread();
}
