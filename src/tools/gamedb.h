// The game database: a PGN reader that replays and checks each game on the live position, the
// binary GameFile of distinct games, and the four conversions between PGN text, GameFiles and
// position lists ("pgn2game", "pgnlist2game", "game2pgn", "game2pos").
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <stdexcept>

#include "position/position.h"

// Longest game kept: the ply count of a GameFile header has 14 bits, and a game from the
// initial position must fit the game history (one entry per ply above the setup entry).
inline constexpr int MaxGamePlies = 1023;
static_assert(MaxGamePlies < GameHistorySize);

// GameFile game header (16 bits):
//   bits 14-15 result: 10 = "1-0", 01 = "0-1", 11 = "1/2-1/2" (00 is no valid stored result)
//   bits 0-13  number of plies n; n moves (16-bit Moves, little-endian) follow the header.
inline constexpr uint16_t ResultWhiteWins = 0x8000;
inline constexpr uint16_t ResultBlackWins = 0x4000;
inline constexpr uint16_t ResultDraw = 0xC000;
inline constexpr uint16_t ResultBits = 0xC000;
inline constexpr uint16_t PlyCountBits = 0x3FFF;

// One game in memory. gameHeader and the first n entries of gameMoves are, word for word, the
// bytes of the game in a GameFile: gameMoves[i - 1] is the move of ply i.
struct GameRecord {
  char moveText[11];    // the move token being read, NUL-terminated
  char resultText[8];   // "1-0", "0-1", "1/2-1/2", "*", or empty before a Result tag
  char resultCode;      // 'W', 'B', 'D', '*', or '?' before a Result tag
  uint16_t gameHeader;  // result bits | ply count
  Move gameMoves[MaxGamePlies];
};
static_assert(offsetof(GameRecord, gameMoves) == offsetof(GameRecord, gameHeader) + sizeof(uint16_t),
              "the header and the moves form one block of words, as in a GameFile");

// Number of plies stored in a record's header.
inline int GamePlies(const GameRecord& record) { return record.gameHeader & PlyCountBits; }

// Raised by the reader and the GameFile functions for a fault that ends the conversion of a
// file; what() is the message the conversion prints ("MOVE NOT LEGAL 1", "WRONG RESULT", ...).
struct GameDbError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The frames the reader and "game2pos" make their moves on: one per ply of the longest game,
// apart from the search's stack so that no game outgrows it.
inline constexpr int ToolFrameCount = MaxGamePlies + 1;
extern PlyFrame ToolFrames[ToolFrameCount];

// ---- PGN reader ------------------------------------------------------------------------
// Every game is replayed on the live position, which must hold the initial position with the
// game history at its first entry (SetupPosition does both); each function leaves the Position,
// historyTop and currentFrame as it found them, on errors too.

// Reads a tag section: fills resultText and resultCode from its Result tag. False when the
// input ends inside or right after the tags; raises "Result Error 1" for a Result value other
// than the four results and "Result Error 2" when tags end without a Result tag.
bool ReadPgnTags(GameRecord& record, std::istream& in);
// Reads, checks and stores the next game into record. Returns its result bits (ResultWhiteWins,
// ResultBlackWins, ResultDraw), or 0 when no game was read: end of input, no moves, a token
// that is no move (printed as "move: %s, plyNo:%d"), or the result "*"; the rest of a game
// read as 0 is skipped up to the next line that begins with "[". Raises GameDbError for the
// faults that end the conversion of the file (an illegal move, a result that does not match).
// Text before the first tag line is skipped; a game longer than MaxGamePlies keeps its first
// MaxGamePlies plies, the later tokens being read over without being parsed.
uint16_t ReadPgnGame(GameRecord& record, std::istream& in);
// Reads the next move token (at most 10 characters, ended by a blank, tab, CR, LF or "{",
// which stays in the input) into moveText; returns the Move ParseSanMove finds for it, 0 if none.
Move ReadMoveToken(GameRecord& record, std::istream& in);
// Prints board (64 piece codes) as a diagram on standard output: rank 8 first, "." for empty.
void PrintBoardDiagram(const uint8_t* board);

// ---- GameFile ----------------------------------------------------------------------------

// Reads the next game of a GameFile into record (resultCode, resultText, gameHeader, moves).
// False when no further game can be read (the end, or a game cut short by it); raises
// "WRONG RESULT" for result bits 00, "GAME TOO LONG" for a ply count above MaxGamePlies and
// "CANNOT READ GAME FILE" when the read itself failed.
bool ReadGameRecord(GameRecord& record, FILE* file);
// Appends the game's 2 * (n + 1) bytes at the end of the file (and to the stored-game index
// when it is open on this file); false when the write failed.
bool WriteGameRecord(const GameRecord& record, FILE* file);
// True when both games have the same header (result and length) and the same moves.
bool SameGame(const GameRecord& a, const GameRecord& b);
// True when file already holds a game that is SameGame as record; the file position and error
// state are as before. Answers from the stored-game index when it is open on this file (one
// read of a stored game per hash hit), otherwise by reading the whole file.
bool IsGameStored(const GameRecord& record, FILE* file);

// How a GameFile ends, as found when its index is opened.
enum class GameFileEnd { Clean, CutShort };
// Reads every game of file once into the stored-game index used by IsGameStored and
// WriteGameRecord; reports whether the file ends with a cut-short game. Raises the errors of
// ReadGameRecord. The file position is left at the end.
GameFileEnd OpenGameIndex(FILE* file);
// Forgets the index (IsGameStored then reads the file again).
void CloseGameIndex();
// Number of games ReadGameRecord has read since program start (for the index's tests).
extern uint64_t GameRecordsRead;

// ---- Conversions -------------------------------------------------------------------------
// Each prints its progress and errors on standard output and never ends the program; the
// Position is the initial position afterwards.

// "pgn2game": appends every readable game of the PGN file that the GameFile does not hold yet;
// counter grows by the number of games appended.
void PgnToGame(const char* pgnName, const char* gameName, int& counter);
// "pgnlist2game": PgnToGame for every file named in the list file, one name a line, with one
// counter; an error in one file does not stop the next.
void PgnListToGame(const char* listName, const char* gameName);
// "game2pgn": appends every game of the GameFile to the PGN file, moves in coordinate notation.
void GameToPgn(const char* gameName, const char* pgnName);
// "game2pos": appends one line per position played from in every game of the GameFile:
// ply, result letter, FEN, move, hash key (tab-separated).
void GameToPositions(const char* gameName, const char* listName);
