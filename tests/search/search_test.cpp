// The search on the main thread: mates, result codes, draws, log lines and the table's line.
#include "search/search.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/engine.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "support/log_lines.h"

namespace {

// Sets up fen and searches it to depth on this thread.
ScoredMove Search(const char* fen, unsigned depth) {
  EXPECT_TRUE(SetupPosition(fen, false)) << fen;
  MaxSearchDepth = depth;
  StopFlag = 0;
  NodeCount = 0;
  IterativeDeepening();
  return SearchResult;
}

std::string Text(Move m) {
  char buffer[8];
  FormatCoordinateMove(buffer, m);
  return buffer;
}

// Joins the pieces into one text.
template <typename... Pieces>
std::string Cat(const Pieces&... pieces) {
  std::ostringstream out;
  (out << ... << pieces);
  return out.str();
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

TEST(Search, MatesAreFoundWithTheirDistance) {
  struct Case {
    const char* fen;
    const char* move;
    int score;
  };
  const Case cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", 8099},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq -", "d5f6", 8097},
      {"2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - -", "b1g6", 8095},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fen);
    std::vector<int> iterationScores;
    const auto lines = LogLinesOf([&] { Search(c.fen, 20); });
    EXPECT_EQ(Text(SearchResult.move), c.move);
    EXPECT_EQ(SearchResult.score, c.score);
    // The iterations stop at the first depth d whose score is a mate within d plies.
    int lastDepth = 0, lastScore = 0;
    bool mateLine = false;
    for (const std::string& line : lines) {
      int depth, score;
      if (std::sscanf(line.c_str(), "-E: %d:\t%d", &depth, &score) == 2) {
        EXPECT_FALSE(mateLine);
        if (lastDepth != 0) {
          EXPECT_LT(lastScore, 8100 - lastDepth) << "deepening went on past a mate";
        }
        lastDepth = depth;
        lastScore = score;
      }
      if (line == Cat("--- MATE: ", c.score)) mateLine = true;
    }
    EXPECT_TRUE(mateLine);
    EXPECT_EQ(lastScore, c.score);
    EXPECT_GE(lastScore, 8100 - lastDepth);
  }
}

TEST(Search, RootResultCodes) {
  // Checkmated and stalemated roots.
  ScoredMove r = Search("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -", 6);
  EXPECT_EQ(r.move, MoveMate);
  EXPECT_EQ(r.score, -8100);
  r = Search("7k/5Q2/6K1/8/8/8/8/8 b - -", 6);
  EXPECT_EQ(r.move, MoveStalemate);
  EXPECT_EQ(r.score, 0);
  // Insufficient material is answered without a search.
  r = Search("4k3/8/8/8/8/8/8/4KN2 w - -", 6);
  EXPECT_EQ(r.move, MoveInsufficientMaterial);
  EXPECT_EQ(NodeCount, 0u);
}

TEST(Search, DrawsOfTheGameAreAnsweredWithoutASearch) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  // Game moves: both knights out and back twice, so the start position occurs a third time.
  PlyFrame gameFrame{};
  const Move cycle[4] = {BuildMove(G1, F3, Quiet), BuildMove(G8, F6, Quiet), BuildMove(F3, G1, Quiet),
                         BuildMove(F6, G8, Quiet)};
  for (int round = 0; round < 2; ++round) {
    for (Move m : cycle) {
      SaveForMake(&gameFrame);
      MakeMove(m, &gameFrame);
    }
  }
  MaxSearchDepth = 6;
  NodeCount = 0;
  EXPECT_EQ(IterativeDeepening(), MoveRepetition);
  EXPECT_EQ(SearchResult.score, 0);
  EXPECT_EQ(NodeCount, 0u);

  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K3 w - -", false));
  Pos.historyTop->fiftyCount = 100;
  EXPECT_EQ(IterativeDeepening(), MoveFiftyRule);
  EXPECT_EQ(NodeCount, 0u);
}

TEST(Search, OneEarlierOccurrenceIsNoDrawAtTheRoot) {
  // The root has occurred once before in the game: that is no draw yet, so the root is searched
  // and a real move comes back, with the in-check counters balanced afterwards.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/r7/4K1N1 w - -", false));
  PlyFrame gameFrame{};
  const Move cycle[4] = {BuildMove(G1, F3, Quiet), BuildMove(E8, D8, Quiet), BuildMove(F3, G1, Quiet),
                         BuildMove(D8, E8, Quiet)};
  for (Move m : cycle) {
    SaveForMake(&gameFrame);
    MakeMove(m, &gameFrame);
  }
  MaxSearchDepth = 4;
  IterativeDeepening();
  EXPECT_NE(SearchResult.move, MoveRepetition);
  EXPECT_EQ(CheckCount[0], 0);
  EXPECT_EQ(CheckCount[1], 0);
}

TEST(Search, LogLinesOfARealSearch) {
  EngineMode = Pondering;
  const auto lines = LogLinesOf([] { Search("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", 4); });
  EngineMode = Idle;
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "-FEN:\tr1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
  int depth = 2;
  size_t i = 1;
  for (; depth <= 4; ++depth, i += 2) {
    EXPECT_EQ(lines[i], "-PONDER:");
    EXPECT_TRUE(StartsWith(lines[i + 1], Cat("-E: ", depth, ":\t"))) << lines[i + 1];
  }
  // The line's first move is the move played; the table's final score closes the search.
  std::string last = lines.back();
  EXPECT_EQ(last, Cat("-***HT: ", SearchResult.score));
  EXPECT_NE(lines[i - 1].find(Cat("\t", Text(SearchResult.move), " ")), std::string::npos) << lines[i - 1];
}

// Stores move as the table's move for the current position and plays it on the next frame.
void StoreAndPlay(Move move, int ply) {
  StoreSearchResult(move, 0, 1, BoundExact);
  SaveForMake(&PlyFrames[ply]);
  MakeMove(move, &PlyFrames[ply]);
}

TEST(PrincipalVariation, FollowsTheTableToMate) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  const Move line[4] = {BuildMove(F2, F3, Quiet), BuildMove(E7, E5, Quiet), BuildMove(G2, G4, Quiet),
                        BuildMove(D8, H4, Quiet)};
  for (int i = 0; i < 4; ++i) StoreAndPlay(line[i], i);
  StoreSearchResult(MoveMate, -8100 + 4, 1, BoundExact);
  for (int i = 3; i >= 0; --i) UnmakeMove(line[i], &PlyFrames[i]);
  Pos.currentFrame = &PlyFrames[0];
  const Position before = Pos;

  char text[1024];
  FormatPrincipalVariation(text, 5);
  EXPECT_STREQ(text, "f2f3 e7e5 g2g4 d8h4 # ");
  FormatPrincipalVariation(text, 3);
  EXPECT_STREQ(text, "f2f3 e7e5 g2g4 ");
  FormatPrincipalVariation(text, 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(Pos.hashKey, before.hashKey);
  EXPECT_EQ(Pos.historyTop, before.historyTop);
  EXPECT_EQ(Pos.currentFrame, before.currentFrame);

  // A stored move that is not legal in its position ends the text there.
  SaveForMake(&PlyFrames[0]);
  MakeMove(line[0], &PlyFrames[0]);
  StoreSearchResult(BuildMove(D8, H4, Quiet), 0, 9, BoundExact);  // e7 still blocks the queen
  UnmakeMove(line[0], &PlyFrames[0]);
  FormatPrincipalVariation(text, 5);
  EXPECT_STREQ(text, "f2f3 ");
}

TEST(PrincipalVariation, MissingEntryAndStalemate) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  char text[1024];
  FormatPrincipalVariation(text, 3);
  EXPECT_STREQ(text, "NOE ");
  ASSERT_TRUE(SetupPosition("7k/5Q2/8/6K1/8/8/8/8 w - -", false));
  StoreAndPlay(BuildMove(G5, G6, Quiet), 0);
  StoreSearchResult(MoveStalemate, 0, 1, BoundExact);
  UnmakeMove(BuildMove(G5, G6, Quiet), &PlyFrames[0]);
  FormatPrincipalVariation(text, 4);
  EXPECT_STREQ(text, "g5g6 1/2 - 1/2 (stalemate)");
}

}  // namespace
