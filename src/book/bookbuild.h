// Building the opening book file from a PGN file of opening lines, through the engine's own PGN
// reader and GameFile, so that the book is reproducible from the PGN text.
#pragma once

#include <cstdio>

// Converts the PGN file into the GameFile gameName (emptied first) with the "pgn2game"
// conversion, then writes bookName: a header line with the number of lines, then one record
// per game (its length byte and its moves, little-endian). Every game of the PGN must be
// stored: a game that is skipped (unreadable, duplicate, result "*") or an error fails the
// build, as does a line longer than a book record holds or a book the loader then refuses.
// Returns the number of records written, or -1 after a message on standard error.
int BuildOpeningBook(const char* pgnName, const char* gameName, const char* bookName);

// Writes each record of the book file as one text line of coordinate moves, in file order.
// Returns the number of records, or -1 when the file cannot be read as a book.
int WriteBookLines(const char* bookName, FILE* out);
