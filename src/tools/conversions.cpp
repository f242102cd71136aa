// The four conversions between PGN text, GameFiles and position lists.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "frontend/log.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "tools/gamedb_internal.h"

namespace {

constexpr int ListLineSize = 255;  // 254 characters and the NUL

// The game being converted (4 KB: kept out of the stack).
GameRecord Game;

// One game's position-list lines, written only once every move of the game has proved legal.
// A line is at most 4 + 1 + 80 + 5 + 20 characters, four tabs and a line feed.
constexpr int PositionLineSize = 128;
char PositionLines[MaxGamePlies * PositionLineSize];

// Closes a C file at the end of its scope.
struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file != nullptr) std::fclose(file);
  }
};

void WritePgnGame(const GameRecord& record, FILE* out) {
  std::fprintf(out, "[Result \"%s\"]\n", record.resultText);
  std::fflush(out);
  const int plies = GamePlies(record);
  for (int i = 1; i <= plies; ++i) {
    if (i % 2 == 1) std::fprintf(out, "%d. ", (i + 1) / 2);
    char text[8];
    FormatCoordinateMove(text, record.gameMoves[i - 1]);
    std::fputs(text, out);
    std::fputc(' ', out);
  }
  std::fputs(record.resultText, out);
  std::fputc('\n', out);
  std::fflush(out);
}

// Replays the stored game from the initial position, writing one line per position played
// from; the game's moves are taken back afterwards. Raises "MOVE NOT LEGAL" (with the board
// as before the game) at the first move that is not legal in the position reached.
void WritePositionLines(const GameRecord& record, FILE* out) {
  const int plies = GamePlies(record);
  char* line = PositionLines;
  for (int i = 1; i <= plies; ++i) {
    const Move move = record.gameMoves[i - 1];
    PlyFrame* const frame = Pos.currentFrame;
    const int side = Pos.sideToMove;
    bool legal = MoveKindOf(move) != NonMove && IsGeneratedMove(move, frame);
    if (legal) {
      char fen[96];
      char text[8];
      WriteFen(fen);
      FormatCoordinateMove(text, move);
      line += std::snprintf(line, PositionLineSize, "%d\t%c\t%s\t%s\t%" PRId64 "\n", i, record.resultCode, fen, text,
                            static_cast<int64_t>(Pos.hashKey));
      SaveForMake(frame);
      MakeMove(move, frame);
      Pos.currentFrame = frame + 1;
      if (KingAttacked(move, side)) {
        Pos.currentFrame = frame;
        UnmakeMove(move, frame);
        legal = false;
      }
    }
    if (!legal) {
      TakeBackMoves(record.gameMoves, i - 1);
      throw GameDbError("MOVE NOT LEGAL");
    }
  }
  std::fwrite(PositionLines, 1, static_cast<size_t>(line - PositionLines), out);
  TakeBackMoves(record.gameMoves, plies);
}

}  // namespace

void PgnToGame(const char* pgnName, const char* gameName, int& counter) {
  std::ifstream pgn(pgnName, std::ios::in | std::ios::binary);
  if (!pgn.is_open()) {
    std::printf("Cannot open PGN input file: '%s'\n", pgnName);
    return;
  }
  FileCloser gameFile{std::fopen(gameName, "a+b")};
  if (gameFile.file == nullptr) {
    std::printf("Cannot create GAME output file: '%s'\n", gameName);
    return;
  }
  SetupPosition(GameStartPosition, false);
  ToolFrameScope frames;
  int converted = 0, skipped = 0;
  try {
    // A file that ends in a fragment would swallow every game appended after it.
    if (OpenGameIndex(gameFile.file) == GameFileEnd::CutShort) {
      throw GameDbError("GAME FILE ENDS IN A CUT-SHORT GAME");
    }
    pgn >> std::ws;
    pgn.peek();
    while (pgn.good()) {
      const uint16_t code = ReadPgnGame(Game, pgn);
      if (code != 0 && !IsGameStored(Game, gameFile.file)) {
        if (!WriteGameRecord(Game, gameFile.file)) throw GameDbError("CANNOT WRITE GAME FILE");
        ++converted;
        ++counter;
      } else {
        ++skipped;
        std::printf("Warning: game %d (skipped) file: %s\n", converted + skipped, pgnName);
      }
      pgn >> std::ws;
      pgn.peek();
    }
    // The loop ends at the end of the input; a stream that failed before it is an error,
    // not a finished file.
    if (pgn.bad() || !pgn.eof()) throw GameDbError("CANNOT READ PGN INPUT");
    std::printf("converted: %d games. (skipped: %d)\n", converted, skipped);
    std::printf("file: %s \t\tfinished\n", pgnName);
    DiagnosticLog.Line("<<< OK:\t", pgnName, "\t>>>");
  } catch (const GameDbError& error) {
    std::printf("converted: %d games. (skipped: %d)\n", converted, skipped);
    std::printf("ERROR: %s file: %s\n", error.what(), pgnName);
  }
  CloseGameIndex();
  std::fflush(stdout);
}

void PgnListToGame(const char* listName, const char* gameName) {
  std::ifstream list(listName, std::ios::in | std::ios::binary);
  if (!list.is_open()) {
    std::printf("Cannot open PGN input file: '%s'\n", listName);
    return;
  }
  int total = 0;
  while (list.good()) {
    char name[ListLineSize];
    ReadWholeLine(list, name, ListLineSize);
    if (list.bad()) break;
    const size_t length = std::strlen(name);
    if (length > 0 && name[length - 1] == '\r') name[length - 1] = '\0';  // a list written with CR LF
    PgnToGame(name, gameName, total);
  }
  if (list.bad()) std::printf("ERROR: CANNOT READ LIST FILE file: %s\n", listName);
  std::printf("\nCONVERTED GAMES: %d\n", total);
  std::fflush(stdout);
}

void GameToPgn(const char* gameName, const char* pgnName) {
  FileCloser gameFile{std::fopen(gameName, "rb")};
  if (gameFile.file == nullptr) {
    std::printf("Cannot open GAME input file: '%s'\n", gameName);
    return;
  }
  FileCloser pgn{std::fopen(pgnName, "a")};
  if (pgn.file == nullptr) {
    std::printf("Cannot create PGN output file: '%s'\n", pgnName);
    return;
  }
  int converted = 0;
  try {
    while (ReadGameRecord(Game, gameFile.file)) {
      WritePgnGame(Game, pgn.file);
      ++converted;
    }
    std::printf("OK\n");
    std::printf("converted: %d games.\n", converted);
  } catch (const GameDbError& error) {
    std::printf("ERROR: %s\n", error.what());
    std::printf("converted: %d games.\n", converted);
  }
  std::fflush(stdout);
}

void GameToPositions(const char* gameName, const char* listName) {
  FileCloser gameFile{std::fopen(gameName, "rb")};
  if (gameFile.file == nullptr) {
    std::printf("Cannot open GAME input file: '%s'\n", gameName);
    return;
  }
  FileCloser list{std::fopen(listName, "a")};
  if (list.file == nullptr) {
    std::printf("Cannot create DB output file: '%s'\n", listName);
    return;
  }
  SetupPosition(GameStartPosition, false);
  ToolFrameScope frames;
  int converted = 0;
  try {
    while (ReadGameRecord(Game, gameFile.file)) {
      WritePositionLines(Game, list.file);
      ++converted;
    }
    std::printf("OK\n");
    std::printf("converted: %d games.\n", converted);
  } catch (const GameDbError& error) {
    std::printf("ERROR: %s\n", error.what());
    std::printf("converted: %d games.\n", converted);
  }
  std::fflush(list.file);
  std::fflush(stdout);
}
