// The book builder: PGN lines into a GameFile with the engine's conversion, then one book record
// per stored game, checked by loading the finished book.
#include "book/bookbuild.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "notation/notation.h"
#include "tools/gamedb.h"

namespace {

constexpr const char* StartPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The game read from the GameFile (4 KB: kept off the stack).
GameRecord Game;

// Number of games in the PGN text: its lines that begin with a Result tag.
int CountPgnGames(const char* pgnName) {
  std::ifstream pgn(pgnName, std::ios::binary);
  if (!pgn) return -1;
  int games = 0;
  for (std::string line; std::getline(pgn, line);) {
    if (line.rfind("[Result ", 0) == 0) ++games;
  }
  return games;
}

int Fail(const char* what, const char* name) {
  std::fprintf(stderr, "quillo-book: %s: %s\n", what, name);
  return -1;
}

// Reads the records of a book file; false when it is not one.
bool ReadBook(const char* bookName, std::vector<std::vector<Move>>& lines) {
  FILE* file = std::fopen(bookName, "rb");
  if (file == nullptr) return false;
  long count = 0;
  bool ok = std::fscanf(file, "%ld", &count) == 1 && count >= 1;
  for (int c = 0; ok && c != '\n';) {
    c = std::fgetc(file);
    if (c == EOF) ok = false;
  }
  while (ok) {
    const int length = std::fgetc(file);
    if (length == EOF) break;
    std::vector<Move> line(static_cast<size_t>(length));
    for (Move& m : line) {
      const int low = std::fgetc(file), high = std::fgetc(file);
      if (low == EOF || high == EOF) ok = false;
      m = static_cast<Move>(low | (high << 8));
    }
    if (ok) lines.push_back(std::move(line));
  }
  std::fclose(file);
  return ok && static_cast<long>(lines.size()) == count;
}

}  // namespace

int BuildOpeningBook(const char* pgnName, const char* gameName, const char* bookName) {
  const int expected = CountPgnGames(pgnName);
  if (expected < 1) return Fail("no games to read", pgnName);
  std::remove(gameName);
  int converted = 0;
  PgnToGame(pgnName, gameName, converted);
  std::fflush(stdout);
  if (converted != expected) {
    std::fprintf(stderr, "quillo-book: %s holds %d games, %d were stored (see the messages above)\n", pgnName, expected,
                 converted);
    return -1;
  }

  FILE* games = std::fopen(gameName, "rb");
  if (games == nullptr) return Fail("cannot read the game file", gameName);
  std::vector<std::vector<Move>> lines;
  try {
    while (ReadGameRecord(Game, games)) {
      const int plies = GamePlies(Game);
      if (plies > MaxBookLineMoves) {
        std::fclose(games);
        return Fail("a line is longer than a book record holds", pgnName);
      }
      lines.emplace_back(Game.gameMoves, Game.gameMoves + plies);
    }
  } catch (const GameDbError& error) {
    std::fclose(games);
    return Fail(error.what(), gameName);
  }
  std::fclose(games);
  if (static_cast<int>(lines.size()) != expected) return Fail("the game file does not hold every game", gameName);

  FILE* book = std::fopen(bookName, "wb");
  if (book == nullptr) return Fail("cannot write", bookName);
  std::fprintf(book, "%d opening lines\n", expected);
  for (const std::vector<Move>& line : lines) {
    std::fputc(static_cast<int>(line.size()), book);
    for (Move m : line) {
      std::fputc(m & 0xFF, book);
      std::fputc(m >> 8, book);
    }
  }
  if (std::fclose(book) != 0) return Fail("cannot write", bookName);

  // The engine must accept the book as written.
  SetupPosition(StartPosition, false);
  const bool loaded = LoadOpeningBook(bookName);
  SetupPosition(StartPosition, false);
  if (!loaded) return Fail("the finished book does not load", bookName);
  return expected;
}

int WriteBookLines(const char* bookName, FILE* out) {
  std::vector<std::vector<Move>> lines;
  if (!ReadBook(bookName, lines)) return -1;
  for (const std::vector<Move>& line : lines) {
    for (size_t i = 0; i < line.size(); ++i) {
      char text[8];
      FormatCoordinateMove(text, line[i]);
      std::fprintf(out, i == 0 ? "%s" : " %s", text);
    }
    std::fputc('\n', out);
  }
  return static_cast<int>(lines.size());
}
