// The game on the main thread: making the game's moves, the book move, the engine's own move
// with its announcement and result line, pondering on the opponent's time, and the record of
// the game's setup that take-backs replay from.
#pragma once

#include <cstdint>

#include "position/position.h"

// The opponent's move predicted and made on the board for pondering, 0 = none.
extern Move PonderMove;
// False after a rejected "setboard", until the next successful setup: the board then no longer
// matches the interface's, so no move is made from it.
extern bool GamePositionValid;

// Plays a move of the game (low 16 bits) on the board, refreshes the RootSnapshot and clears
// the history counters. False, with nothing done, for 0 or when the game has reached
// LongestGamePlies.
bool MakeGameMove(uint32_t move);
// Whether move is a legal move of the current position (the engine stopped, no ponder move on
// the board): no king left capturable and no king next to the other king.
bool IsLegalGameMove(Move move);
// The first legal move of the current position in list order, or 0 when it has none.
Move FirstLegalMove();
// Plays the book move of the current position if the table holds one (a generation-0 slot);
// otherwise applies a pending book-exit budget. True when a book move was played.
bool TryBookMove();
// Searches for the engine's move within its budget (or lets a running ponder search go on),
// announces it and any result line, then starts pondering when it may.
void Think();
// Takes PonderMove back off the board and clears it; the engine must be stopped.
void AbandonPonder();

// The engine thread's search in the extended mode: IterativeDeepening, counting the thinking
// lines' nodes from its start.
Move SearchWithThinking();
// With "post" on: prints the thinking line of a finished iteration (depth, score, time in
// centiseconds, nodes, the variation's moves). Runs on the engine thread.
void PrintThinkingLine(unsigned depth, int score, const char* variation);

// SetupPosition(text, loadBook), remembering the text for take-backs. False when the setup
// rejects the text, which leaves the game as it was.
bool SetUpGame(const char* text, bool loadBook);
// Records the current position as the game's setup (after a change of the side to move), so
// that take-backs stop there.
void RebaseGameSetup();
// Takes back up to count game moves by setting up the recorded text again and replaying the
// rest; returns the number taken back. The engine must be stopped with no ponder move on the
// board.
int TakeBackGameMoves(int count);
