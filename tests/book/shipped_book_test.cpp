// The book the build makes from book/openings.pgn: its shape, that it is what the builder makes
// from the PGN, and how the engine reports it (or its absence) to the interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/bookbuild.h"
#include "frontend/engine_process.h"
#include "search/search.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The build writes the book beside the engine.
const std::filesystem::path ShippedBook = std::filesystem::path(QUILLO_ENGINE_PATH).parent_path() / "Quillo.book";
// The PGN it is made from, found from this file's place in the source tree.
const std::filesystem::path BookPgn =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "book" / "openings.pgn";

std::vector<std::string> BookLines(const std::filesystem::path& book) {
  std::vector<std::string> lines;
  FILE* out = std::tmpfile();
  if (out == nullptr || WriteBookLines(book.c_str(), out) < 0) return lines;
  std::rewind(out);
  std::string line;
  for (int c; (c = std::fgetc(out)) != EOF;) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  std::fclose(out);
  return lines;
}

int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

int CountLines(const std::vector<std::string>& log, const std::string& line) {
  return static_cast<int>(std::count(log.begin(), log.end(), line));
}

TEST(ShippedBook, LinesOfTenToTwentyPliesThatLoad) {
  const std::vector<std::string> lines = BookLines(ShippedBook);
  ASSERT_GE(lines.size(), 200u);
  ASSERT_LE(lines.size(), 400u);
  std::set<std::string> distinct, firstMoves;
  for (const std::string& line : lines) {
    const int plies = 1 + Count(line, " ");
    EXPECT_GE(plies, 10) << line;
    EXPECT_LE(plies, 20) << line;
    distinct.insert(line);
    firstMoves.insert(line.substr(0, 4));
  }
  EXPECT_EQ(distinct.size(), lines.size());
  // Both kings' pawns, the queen's bishop's pawn and the king's knight open lines.
  for (const char* first : {"e2e4", "d2d4", "c2c4", "g1f3"}) EXPECT_EQ(firstMoves.count(first), 1u) << first;

  ASSERT_TRUE(SetupPosition(StartFen, false));
  ASSERT_TRUE(LoadOpeningBook(ShippedBook.c_str()));
  const TtSlot* slot = ProbeTranspositionTable();
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(SlotGeneration(*slot), 0u);
  EXPECT_NE(SlotMove(*slot), 0);
}

TEST(ShippedBook, IsWhatTheBuilderMakesFromThePgn) {
  EngineSandbox sandbox;
  const std::filesystem::path book = sandbox.Dir() / "Quillo.book";
  testing::internal::CaptureStdout();
  const int lines = BuildOpeningBook(BookPgn.c_str(), (sandbox.Dir() / "lines.games").c_str(), book.c_str());
  testing::internal::GetCapturedStdout();
  ASSERT_GT(lines, 0);
  EXPECT_EQ(ReadWholeFile(book), ReadWholeFile(ShippedBook));
}

TEST(ShippedBook, BuilderRefusesAPgnWithAGameItCannotStore) {
  EngineSandbox sandbox;
  const std::filesystem::path pgn = sandbox.Dir() / "lines.pgn";
  const std::string good = "[Result \"1/2-1/2\"]\n1. e4 e5 2. Nf3 Nc6 1/2-1/2\n\n";
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"an unfinished game", good + "[Result \"*\"]\n1. d4 d5 *\n"},
      {"a duplicate", good + good},
      {"an illegal move", good + "[Result \"1/2-1/2\"]\n1. e4 e5 2. Ke3 1/2-1/2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::ofstream file(pgn, std::ios::binary | std::ios::trunc);
      file << c.text;
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int lines =
        BuildOpeningBook(pgn.c_str(), (sandbox.Dir() / "lines.games").c_str(), (sandbox.Dir() / "out.book").c_str());
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines, -1);
  }
}

TEST(ShippedBook, EngineReportsTheBookToTheInterface) {
  EngineSandbox sandbox;
  std::filesystem::copy_file(ShippedBook, sandbox.Dir() / "Quillo.book");
  const std::string error = "tellusererror BOOK ERROR!\n";
  const std::string errorLog = "-\ttellusererror BOOK ERROR!";

  // The shipped book loads at every new game without a word to the interface.
  EngineRun good = sandbox.Run("xboard\nnew\nresult 1-0\nnew\nquit\n");
  EXPECT_TRUE(good.finished);
  EXPECT_EQ(good.output, HandshakeOutput);
  EXPECT_EQ(CountLines(good.log, errorLog), 0);

  // Another placement has no book, and that is no error.
  EngineRun other = sandbox.Run("xboard\nsetboard 4k3/8/8/8/8/8/4P3/4K3 w - -\nquit\n");
  EXPECT_EQ(other.output, HandshakeOutput);
  EXPECT_EQ(CountLines(other.log, "-M: no book for this position"), 1);
  EXPECT_EQ(CountLines(other.log, errorLog), 0);

  // A damaged book, then a missing one: one notice per run, a log line per failure.
  {
    std::ofstream damaged(sandbox.Dir() / "Quillo.book", std::ios::binary | std::ios::trunc);
    damaged << "2\n" << '\x01' << '\x24' << '\x1d';  // e2e4 written as a capture, then a missing record
  }
  EngineRun bad = sandbox.Run("xboard\nnew\nresult 1/2-1/2\nnew\nquit\n");
  EXPECT_EQ(bad.output, HandshakeOutput + error);
  EXPECT_EQ(CountLines(bad.log, errorLog), 3);  // "result" sets up a new game too

  std::filesystem::remove(sandbox.Dir() / "Quillo.book");
  EngineRun missing = sandbox.Run("xboard\nnew\nsetboard 4k3/8/8/8/8/8/4P3/4K3 w - -\nnew\nquit\n");
  EXPECT_EQ(missing.output, HandshakeOutput + error);
  EXPECT_EQ(CountLines(missing.log, errorLog), 2);
}

// The moves the engine announced, in order.
std::vector<std::string> AnnouncedMoves(const std::string& output) {
  std::vector<std::string> moves;
  for (const std::string& line : SplitLines(output)) {
    if (line.rfind("move ", 0) == 0) moves.push_back(line.substr(5));
  }
  return moves;
}

TEST(ShippedBook, EnginePlaysItsFirstMovesFromTheBook) {
  EngineSandbox sandbox;
  std::filesystem::copy_file(ShippedBook, sandbox.Dir() / "Quillo.book");
  std::set<std::string> firstMoves, blackReplies;
  for (const std::string& line : BookLines(ShippedBook)) {
    firstMoves.insert(line.substr(0, 4));
    if (line.rfind("e2e4 ", 0) == 0) blackReplies.insert(line.substr(5, 4));
  }

  // As White: "go" after "new" plays a first move of some line, at once and from the book.
  EngineRun white = sandbox.Run("xboard\nnew\nlevel 40 5 0\ngo\nquit\n");
  EXPECT_TRUE(white.finished);
  std::vector<std::string> moves = AnnouncedMoves(white.output);
  ASSERT_EQ(moves.size(), 1u) << white.output;
  EXPECT_EQ(firstMoves.count(moves[0]), 1u) << moves[0];
  EXPECT_GE(FindLine(white.log, "-M: move(book): " + moves[0]), 0);
  EXPECT_EQ(Count(white.output, "tellusererror"), 0);

  // As Black against 1.e4: the answer is a reply of the book's 1.e4 lines.
  EngineRun black = sandbox.Run("xboard\nnew\nlevel 40 5 0\ne2e4\nquit\n");
  moves = AnnouncedMoves(black.output);
  ASSERT_EQ(moves.size(), 1u) << black.output;
  EXPECT_EQ(blackReplies.count(moves[0]), 1u) << moves[0];
  EXPECT_GE(FindLine(black.log, "-M: move(book): " + moves[0]), 0);

  // Out of the book the engine searches: a first move no line plays gets no book reply.
  EngineRun out = sandbox.Run("xboard\nnew\nlevel 40 5 0\nst 1\nh2h4\nquit\n", 60000);
  EXPECT_EQ(FindLine(out.log, "-M: move(book): "), -1);
}

}  // namespace
