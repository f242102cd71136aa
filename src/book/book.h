// The opening book: "Quillo.book", a text header line with the number of records followed by
// binary records of moves, replayed from the initial position into the transposition table as
// book moves (generation-0 slots). One record, drawn at random at each load, is stored last so
// that its moves take precedence wherever lines meet.
#pragma once

#include "position/position.h"

// The file the engine reads its book from, in the current directory.
inline constexpr const char* BookFileName = "Quillo.book";

// Most moves a record may hold; a longer record makes the load fail.
inline constexpr int MaxBookLineMoves = 64;

// Number (counted down from N at the first record to 1 at the last) of the record the last
// load drew as its preferred line; 0 before the first load.
extern int BookPreferredRecord;
// True once a failed load has printed its error for the interface; later failures of the run
// only write their log line.
extern bool BookErrorReported;

// Whether the board holds the initial placement (the only placement the book covers).
bool IsInitialPlacement();

// Loads the book file into the transposition table. Returns false when the board is not the
// initial placement (nothing loaded), the file cannot be opened, its header holds no count of
// at least 1, a record is longer than MaxBookLineMoves or holds a move that is not legal where
// it is played, the preferred record is empty or cut short, or the file does not hold exactly
// the announced number of records. Records stored before a failure stay in the table.
bool LoadOpeningBook(const char* fileName);

// Replays count moves from the board and stores each as the book move of the position it is
// played from. Returns false, storing nothing and leaving the board as it was, when a move is
// not a legal move of its position. On return the board and currentFrame are as before.
bool StoreBookLine(const Move* moves, int count);

// The book step of a position setup: for the initial placement, loads the book file and on
// failure logs "-\ttellusererror BOOK ERROR!" (and prints the error for the interface the first
// time in the run); for any other placement writes "-M: no book for this position".
void LoadBookForSetup();
