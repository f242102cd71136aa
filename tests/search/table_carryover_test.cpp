// Searches that start from a table left by an earlier search of the same game: the starting
// depth and window taken from it, a deeper root slot, the restart after a repeating table move,
// and evaluation bounds that keep every score below the mate band.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "frontend/game.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "search/search.h"
#include "support/log_lines.h"

namespace {

// Depths and scores of the iteration lines.
struct Iteration {
  int depth, score;
};
std::vector<Iteration> Iterations(const std::vector<std::string>& lines) {
  std::vector<Iteration> found;
  for (const std::string& line : lines) {
    Iteration it{};
    if (std::sscanf(line.c_str(), "-E: %d:\t%d", &it.depth, &it.score) == 2) found.push_back(it);
  }
  return found;
}

// Sets up fen and plays the coordinate moves as game moves.
void SetUpGame(const char* fen, const std::vector<std::string>& moves) {
  Pos.currentFrame = &PlyFrames[0];
  ASSERT_TRUE(SetupPosition(fen, false)) << fen;
  for (const std::string& word : moves) {
    const Move move = ParseCoordinateMove(word.c_str());
    ASSERT_TRUE(IsLegalGameMove(move)) << word;
    MakeGameMove(move);
  }
}

void SearchTo(unsigned depth) {
  MaxSearchDepth = depth;
  StopFlag = 0;
  IterativeDeepening();
}

std::string Text(Move m) {
  char buffer[8];
  FormatCoordinateMove(buffer, m);
  return buffer;
}

// A rook up, the lone king shuffling: the rook move c1b1 would reach, for the third time, a
// position seen twice already, and so throw the win away.
const char* const RepetitionFen = "7k/8/8/8/8/8/8/R3K3 w - -";
const std::vector<std::string> RepetitionGame = {"a1c1", "h8g8", "c1b1", "g8h8", "b1a1",
                                                 "h8g8", "a1b1", "g8h8", "b1c1", "h8g8"};

TEST(TableCarryOver, SecondSearchStartsAtTheStoredDepthAndWindow) {
  SetUpGame("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", {});
  SearchTo(4);
  const TtSlot* slot = ProbeTranspositionTable();
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(SlotBound(*slot), BoundExact);
  const int storedDepth = static_cast<int>(SlotDepth(*slot));
  const int storedScore = SlotScore(*slot);
  const auto lines = LogLinesOf([] { SearchTo(6); });
  const auto iterations = Iterations(lines);
  ASSERT_FALSE(iterations.empty());
  EXPECT_EQ(iterations.front().depth, storedDepth);
  // The stored exact score answers the stored depth at once.
  EXPECT_EQ(iterations.front().score, storedScore);
  EXPECT_EQ(iterations.back().depth, 6);
}

TEST(TableCarryOver, RepeatingTableMoveRestartsAtDepthTwo) {
  SetUpGame(RepetitionFen, RepetitionGame);
  ASSERT_EQ(CheckDraw(2), 0);
  const Move repeating = ParseCoordinateMove("c1b1");
  ASSERT_EQ(PeekRepetition(repeating), 2);
  // What an earlier search of this game (a ponder search, say) could have left: the repeating
  // move as the root's best, searched deeper than this search will go.
  StoreSearchResult(repeating, 600, 4, BoundExact);
  const auto lines = LogLinesOf([] { SearchTo(4); });
  const auto iterations = Iterations(lines);
  ASSERT_FALSE(iterations.empty());
  EXPECT_EQ(iterations.front().depth, 2);
  EXPECT_NE(Text(SearchResult.move), "c1b1");
  EXPECT_GT(SearchResult.score, 200);
}

TEST(TableCarryOver, DeeperRootSlotDoesNotOverrideTheFreshSearch) {
  struct Case {
    const char* what;
    const char* fen;
    std::vector<std::string> moves;
    const char* planted;
    int score;
    const char* best;  // the move the search must find, or nullptr for any other than planted
  };
  const Case cases[] = {
      // A false mate for a move that leaves the queen en prise to the knight.
      {"false mate", "rnb1kbnr/pppp1ppp/8/4p1q1/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", {}, "a2a3", 8091, "f3g5"},
      {"repeating move", RepetitionFen, RepetitionGame, "c1b1", 600, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUpGame(c.fen, c.moves);
    StoreSearchResult(ParseCoordinateMove(c.planted), c.score, 30, BoundExact);
    SearchTo(4);
    if (c.best != nullptr) {
      EXPECT_EQ(Text(SearchResult.move), c.best);
    } else {
      EXPECT_NE(Text(SearchResult.move), c.planted);
    }
    // The root's entry is this search's own.
    const TtSlot* slot = ProbeTranspositionTable();
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(SlotMove(*slot), SearchResult.move);
    EXPECT_LE(SlotDepth(*slot), 4u);
  }
}

TEST(EvaluationBound, ManyQueensStayBelowTheMateBand) {
  // Material far beyond 8190 for one side, as promotions can bring about; the kings are shut
  // in by their own men, so that no king is in check.
  const char* const fens[] = {
      "kn6/pp6/8/8/8/8/QQQQQ3/QQQQK3 w - -",      "kn6/pp6/8/8/8/8/QQQQQ3/QQQQK3 b - -",
      "qqqqk3/qqqqq3/8/8/8/8/PP6/KN6 w - -",      "qqqqk3/qqqqq3/8/8/8/8/PP6/KN6 b - -",
      "kn6/pp6/8/8/QQQQQQQQ/QQQQQQQ1/8/7K b - -", "7k/8/qqqqqqq1/qqqqqqqq/8/8/PP6/KN6 w - -",
  };
  for (const char* fen : fens) {
    SCOPED_TRACE(fen);
    ASSERT_TRUE(SetupPosition(fen, false));
    const int score = Evaluate();
    EXPECT_LE(score, 8000);
    EXPECT_GE(score, -8000);
  }
}

TEST(EvaluationBound, NoFalseResultAgainstManyQueens) {
  // The side with only a king, knight and pawns has legal moves: the search must return one of
  // them, not a stalemate code, whatever the material against it.
  const char* const fens[] = {
      "kn6/pp6/8/8/8/8/QQQQQ3/QQQQK3 b - -",
      "qqqqk3/qqqqq3/8/8/8/8/PP6/KN6 w - -",
      "kn6/pp6/8/8/QQQQQQQQ/QQQQQQQ1/8/7K b - -",
      "7k/8/qqqqqqq1/qqqqqqqq/8/8/PP6/KN6 w - -",
  };
  for (const char* fen : fens) {
    SCOPED_TRACE(fen);
    SetUpGame(fen, {});
    SearchTo(3);
    EXPECT_NE(MoveKindOf(SearchResult.move), NonMove) << Text(SearchResult.move);
    EXPECT_TRUE(IsLegalGameMove(SearchResult.move)) << Text(SearchResult.move);
  }
}

}  // namespace
