// Move text: coordinate notation in both directions.
#pragma once

#include "position/position.h"

// Writes the coordinate text of move ("e2e4", "e7e8q", castling as the king's move) and
// returns the position of its terminating NUL. The buffer needs room for 6 characters.
char* FormatCoordinateMove(char* buffer, Move move);
// The Move a coordinate word denotes in the RootSnapshot, or 0 when it is not one.
Move ParseCoordinateMove(const char* text);

// The Move a SAN text (or a coordinate word) denotes for the side to move in the live
// position, or 0 when it denotes none.
Move ParseSanMove(const char* text);
