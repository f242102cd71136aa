#include "frontend/timecontrol.h"

#include <algorithm>
#include <limits>

uint32_t MovesPerTimeControl = 40;
int32_t IncrementMs = 0;
uint32_t MoveBudgetMs = 0;
uint8_t BookExitPending = 0;
uint32_t MoveTimeCapMs = NoMoveTimeCap;
int32_t MoveStartClock = 0;

namespace {
// The clock share of "test": about 11.9 days per move with 40 moves per control.
constexpr uint32_t TestClockCentiseconds = 0xF5C6F4B1u;
}  // namespace

void SetLevel(int32_t moves, int32_t /*baseMinutes*/, int32_t incrementSeconds) {
  MovesPerTimeControl = moves == 0 ? 40u : static_cast<uint32_t>(moves);
  // A negative increment would wrap the unsigned budget sum into weeks, so it counts as none;
  // an absurdly large one is capped rather than overflowed.
  int64_t increment = std::max<int64_t>(incrementSeconds, 0) * 1000;
  IncrementMs = static_cast<int32_t>(std::min<int64_t>(increment, std::numeric_limits<int32_t>::max()));
}

void SetClockBudget(int32_t ownCentiseconds, int32_t /*opponentCentiseconds*/) {
  // An overstepped clock may be reported as negative; read as unsigned it would become an
  // almost unlimited budget, so it counts as an empty clock: move at once.
  uint32_t clock = ownCentiseconds < 0 ? 0u : static_cast<uint32_t>(ownCentiseconds);
  // One second is held back once the clock shows two seconds or more.
  if (clock >= 200) clock -= 100;
  MoveBudgetMs = static_cast<uint32_t>(IncrementMs) + (clock / MovesPerTimeControl) * 10u;
  // With an increment larger than what is left, or after the book-exit raise and a fail-low
  // extension, the budget alone could pass the clock: no move takes more than half of it.
  const uint64_t clockMs = ownCentiseconds < 0 ? 0u : static_cast<uint64_t>(ownCentiseconds) * 10u;
  MoveTimeCapMs = static_cast<uint32_t>(std::min<uint64_t>(clockMs / 2, NoMoveTimeCap - 1));
}

void SetTestBudget() {
  MoveTimeCapMs = NoMoveTimeCap;
  MoveBudgetMs = static_cast<uint32_t>(IncrementMs) + (TestClockCentiseconds / MovesPerTimeControl) * 10u;
}

void ApplyBookExitBudget() {
  if (!BookExitPending) return;
  BookExitPending = 0;
  MoveBudgetMs = std::min(3u * MoveBudgetMs, (MovesPerTimeControl * MoveBudgetMs) / 10u);
}

uint32_t CapWaitToClock(uint32_t waitMs, int32_t elapsedMs) {
  if (MoveTimeCapMs == NoMoveTimeCap) return waitMs;
  const int64_t left = static_cast<int64_t>(MoveTimeCapMs) - std::max<int32_t>(elapsedMs, 0);
  if (left <= 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(waitMs, left));
}
