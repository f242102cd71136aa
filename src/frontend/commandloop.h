// The main thread's life: the protocol handshake, then one command word after another from
// standard input until "quit" or the end of input.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "position/position.h"

// 1 while the engine may think on the opponent's time; "hard" sets it, "easy" clears it.
extern uint8_t PonderEnabled;

// The extended protocol mode ("quillo --extended"): ping, post/nopost, "?", st, sd and more
// feature lines. Off by default, when the engine answers only the commands of the base set.
extern bool ExtendedProtocol;
// Extended mode: thinking lines are printed after each search iteration ("post").
extern std::atomic<bool> PostThinking;
// Extended mode: milliseconds per move set by "st", 0 = the clock's budget.
extern uint32_t FixedMoveTimeMs;
// Extended mode: the depth limit set by "sd" (128 = none), passed to StartEngine.
extern int32_t SearchDepthLimit;

// Capacity of a word, a file name or a "setboard" line, with the terminating NUL.
inline constexpr int WordBufferSize = 256;

// Runs the handshake, then reads and dispatches words until "quit" or the end of input, and
// shuts the engine thread down before returning.
void CommandLoop();
// Extended mode, while the engine thinks: reads the next word if input is waiting. True when
// it is "?" (move now); any other word is kept for the loop, and no more is read until then.
bool PollMoveNow();
// Makes stdin and stdout unbuffered, answers the handshake with the feature lines, starts the
// engine thread and builds the tables; always returns true.
bool ProtocolHandshake();

// Reads one blank-separated word of at most 255 characters into buffer (WordBufferSize bytes);
// a longer word leaves its rest for the next read. False, with buffer empty, at end of input.
bool ReadWord(FILE* in, char* buffer);
// Reads the arguments of "time" (own clock, a label, the opponent's clock, in centiseconds)
// and recomputes the move budget; leaves the budget alone when no clock can be read.
void ReadTimeCommand(FILE* in);
// Reads the arguments of "level" (moves, base as minutes or minutes:seconds, increment
// seconds) and sets the time control; leaves it alone when the move count cannot be read. A
// missing or unreadable argument is not consumed: the word stays for the command loop.
void ReadLevelCommand(FILE* in);
// Reads the rest of the current line, line feed included, at most 254 characters, into buffer
// (WordBufferSize bytes); a longer line leaves its rest for the next read. Empty at end of input.
void ReadRestOfLine(FILE* in, char* buffer);
