// The engine thread and its control signals: the front end's state, the three events through
// which the main thread starts and stops a search, and the values handed over with them.
#pragma once

#include <atomic>
#include <cstdint>

#include "frontend/platform.h"
#include "position/position.h"

// The front end's state, written only by the main thread.
enum EngineModeValue : int32_t { Idle = 0, Thinking = 1, Pondering = 2, WaitingForMove = 3, Quitting = 4 };
extern std::atomic<int32_t> EngineMode;

extern Event EngineStartEvent;    // automatic reset: set by StartEngine
extern Event EngineStoppedEvent;  // manual reset: set while the engine thread is idle
extern Event EngineStartedEvent;  // automatic reset: set when a start is accepted or the thread ends

// clock() of the last start, 0 after a stop.
extern std::atomic<int32_t> SearchStartClock;

// The search the engine thread runs when started: IterativeDeepening, unless a test puts a
// search of its own here before starting the engine.
extern Move (*EngineSearch)();

// Starts the engine thread (once).
void LaunchEngineThread();
// Waits until the engine thread has ended.
void JoinEngineThread();
// The engine thread's loop.
void EngineThread();

// Returns when the engine thread has accepted a start to at most depth (low byte, max 127).
void StartEngine(int32_t depth);
// Returns when the engine thread is idle; EngineMode becomes Idle.
void StopEngine();
// As StopEngine, after giving a failing-low search extra time.
void StopEngineConditional();
// Stops the engine, sets Quitting, wakes the thread so that it ends, and waits for it.
void ShutdownEngine();
