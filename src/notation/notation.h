// Move text: coordinate notation in both directions.
#pragma once

#include "position/position.h"

// Writes the coordinate text of move ("e2e4", "e7e8q", castling as the king's move) and
// returns the position of its terminating NUL. The buffer needs room for 6 characters.
char* FormatCoordinateMove(char* buffer, Move move);
// The Move a coordinate word denotes in the RootSnapshot, or 0 when it is not one.
Move ParseCoordinateMove(const char* text);

// The Move a coordinate word denotes in the live position (board, castling rights and
// en-passant square), or 0 when it is not one. Like ParseCoordinateMove, no legality is checked.
Move ParseCoordinateMoveLive(const char* text);

// The Move a SAN text (or a coordinate word) denotes for the side to move in the live
// position, or 0 when it denotes none. Only the first 9 characters are read; decorations
// ("x+#!?=-") are dropped, not verified. A move that only one piece can make is returned
// without a legality test, so its origin may be empty or its kind may not fit the board:
// callers make it only after checking it against the legal moves.
Move ParseSanMove(const char* text);

// The move onto to of the side to move's piece named by letter ("N", "B", "R", "Q", "K"; a file
// letter "a"-"h" is a pawn capture from that file) from a square of allowed (not applied to
// kings and pawns). One candidate is returned untested; among several, the one legal move, or 0
// when none or more than one is legal. The Position is left as it was.
Move ResolveSanMove(char letter, Square to, Bitboard allowed);
