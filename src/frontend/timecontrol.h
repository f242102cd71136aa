// Time allocation: turns the interface's clock into the budget of the engine's current move.
// All of it is read and written by the main thread only.
#pragma once

#include <cstdint>

// Moves the remaining clock is shared among (used as unsigned); 40 at start, set by "level".
extern uint32_t MovesPerTimeControl;
// Increment per move in milliseconds, never negative; 0 at start, set by "level".
extern int32_t IncrementMs;
// Budget of the current move in milliseconds; 0 at start, set by "time" and "test".
extern uint32_t MoveBudgetMs;
// 1 after a book move was played, until the next searched move has had its book-exit budget.
extern uint8_t BookExitPending;
// Longest time in milliseconds a move may take, fail-low extension included: half the clock of
// the last "time" command, so that no move can lose on time. NoMoveTimeCap before any "time"
// and after "test".
extern uint32_t MoveTimeCapMs;
inline constexpr uint32_t NoMoveTimeCap = 0xFFFFFFFFu;
// ClockMs() when the engine's current move began to use its own clock.
extern int32_t MoveStartClock;

// The budget arithmetic is 32-bit unsigned with truncating division.

// "level": moves per control (0 = sudden death, budgeted as 40), base minutes (not used) and
// increment seconds (a negative increment counts as none).
void SetLevel(int32_t moves, int32_t baseMinutes, int32_t incrementSeconds);
// "time": recomputes MoveBudgetMs and MoveTimeCapMs from the engine's clock in centiseconds (a
// negative reading counts as 0); the opponent's clock is not used.
void SetClockBudget(int32_t ownCentiseconds, int32_t opponentCentiseconds);
// "test": a budget so long that the search ends by itself, and no cap.
void SetTestBudget();
// The part of a wait of waitMs that fits under MoveTimeCapMs when elapsedMs of the move have
// passed already (0 once the cap is used up); waitMs itself when there is no cap.
uint32_t CapWaitToClock(uint32_t waitMs, int32_t elapsedMs);
// When BookExitPending is set: clears it and raises MoveBudgetMs to
// min(3 * budget, MovesPerTimeControl * budget / 10). Otherwise does nothing.
void ApplyBookExitBudget();
