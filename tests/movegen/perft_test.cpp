// Perft leaf counts of the standard positions against their published values, and the bench
// command's output.
#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <string>

#include "movegen_test_util.h"
#include "support/position_compare.h"

using namespace movegen_test;

namespace {

struct PerftCase {
  const char* fen;
  int depth;
  uint64_t nodes;
};

// Release builds go a ply deeper; debug and sanitizer builds check the invariants after every
// make and unmake and are far slower.
#ifdef NDEBUG
constexpr PerftCase PerftCases[] = {
    {StartFen, 5, 4865609},      {KiwipeteFen, 5, 193690690},       {Position3Fen, 6, 11030083},
    {Position4Fen, 5, 15833292}, {Position4MirrorFen, 5, 15833292}, {Position5Fen, 4, 2103487},
    {Position6Fen, 4, 3894594},
};
#else
constexpr PerftCase PerftCases[] = {
    {StartFen, 4, 197281},         {KiwipeteFen, 3, 97862},  {Position3Fen, 4, 43238}, {Position4Fen, 4, 422333},
    {Position4MirrorFen, 3, 9467}, {Position5Fen, 3, 62379}, {Position6Fen, 3, 89890},
};
#endif

TEST(Perft, StandardPositionsMatchPublishedCounts) {
  for (const PerftCase& c : PerftCases) {
    SCOPED_TRACE(c.fen);
    ASSERT_TRUE(SetupPosition(c.fen, false));
    EXPECT_EQ(Perft(c.depth), c.nodes) << "depth " << c.depth;
  }
}

TEST(Perft, ShallowDepthsOfKiwipete) {
  const uint64_t expected[] = {1, 48, 2039, 97862};
  ASSERT_TRUE(SetupPosition(KiwipeteFen, false));
  for (int depth = 0; depth < 4; ++depth) EXPECT_EQ(Perft(depth), expected[depth]) << "depth " << depth;
}

// The split per root move adds up to the total, lists each legal move once, and the Position,
// the history and the current frame are as they were.
TEST(Perft, DivideAddsUpAndLeavesThePositionAlone) {
  ASSERT_TRUE(SetupPosition(KiwipeteFen, false));
  Pos.currentFrame = &PlyFrames[0];
  const Position before = Pos;
  const HistoryEntry entry0 = GameHistory[0];
  static PerftRootCount counts[MaxListMoves];
  int size = -1;
  const uint64_t total = Perft(3, counts, &size);
  EXPECT_EQ(total, 97862u);
  ASSERT_EQ(size, 48);
  uint64_t sum = 0;
  for (int i = 0; i < size; ++i) sum += counts[i].nodes;
  EXPECT_EQ(sum, total);
  EXPECT_TRUE(SamePosition(before, Pos));
  EXPECT_EQ(GameHistory[0].key, entry0.key);
  EXPECT_EQ(GameHistory[0].fiftyCount, entry0.fiftyCount);
  // The root moves come in list order: Kiwipete's first entry is the pawn capture g2xh3 (the
  // h-side captures walk from h3 before e6), its last one castling long.
  EXPECT_EQ(MoveText(counts[0].move), "g2h3");
  EXPECT_EQ(counts[0].nodes, 1970u);
  EXPECT_EQ(MoveText(counts[1].move), "d5e6");
  EXPECT_EQ(counts[1].nodes, 2241u);
  EXPECT_EQ(counts[size - 1].move, MoveCastleWhiteLong);
}

std::string RunBench(const std::string& arguments, int* exitCode) {
  const std::string command = std::string(QUILLO_BENCH_PATH) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  const int status = pipe ? pclose(pipe) : -1;
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST(PerftCommand, DivideLinesThenSummary) {
  int exitCode = -1;
  const std::string out = RunBench(std::string("perft \"") + StartFen + "\" 3 --divide", &exitCode);
  EXPECT_EQ(exitCode, 0);
  // Twenty root moves in list order, then the summary line.
  const std::regex shape(
      "g1h3 \\d+\ng1f3 \\d+\nb1c3 \\d+\nb1a3 \\d+\nh2h4 \\d+\n(?:[a-h][1-8][a-h][1-8] \\d+\n){15}"
      "perft 3 nodes 8902 time_ms \\d+ nps \\d+\n");
  EXPECT_TRUE(std::regex_match(out, shape)) << out;
  EXPECT_NE(out.find("e2e4 600\n"), std::string::npos) << out;
}

TEST(PerftCommand, PromotionsAndCastlingInCoordinateText) {
  int exitCode = -1;
  const std::string out = RunBench("perft \"r3k3/1P6/8/8/8/8/8/4K2R w K -\" 1 --divide", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(out.find("b7a8q 1\nb7a8n 1\nb7a8r 1\nb7a8b 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("e1g1 1\n"), std::string::npos) << out;
}

TEST(PerftCommand, RejectedInputExitsWithTwo) {
  int exitCode = -1;
  const std::string out = RunBench("perft \"rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\" 2", &exitCode);
  EXPECT_EQ(exitCode, 2);
  EXPECT_EQ(out, "");
  RunBench(std::string("perft \"") + StartFen + "\" x", &exitCode);
  EXPECT_EQ(exitCode, 2);
  RunBench(std::string("perft \"") + StartFen + "\"", &exitCode);
  EXPECT_EQ(exitCode, 2);
}

}  // namespace
