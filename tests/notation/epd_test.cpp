// The "bm" and "am" operations of EPD text read by SetupPosition.
#include <gtest/gtest.h>

#include <string>

#include "notation/notation.h"
#include "position/position.h"

namespace {

const std::string Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

struct SetupOutcome {
  bool ok;
  Move best, avoid;
  std::string output;
};

SetupOutcome SetUpText(const std::string& text) {
  testing::internal::CaptureStdout();
  const bool ok = SetupPosition(text.c_str(), false);
  std::fflush(stdout);
  const std::string output = testing::internal::GetCapturedStdout();
  return SetupOutcome{ok, Pos.epdBestMove, Pos.epdAvoidMove, output};
}

TEST(EpdOperations, ReadOneMoveEndedBySemicolonOrBlank) {
  const Move nf3 = BuildMove(G1, F3, Quiet);
  struct Case {
    std::string text;
    bool ok;
    Move best, avoid;
  };
  const Case cases[] = {
      {Start + " bm Nf3;", true, nf3, 0},
      {Start + " am Nf3;", true, 0, nf3},
      {Start + " bm Nf3; id \"start\";", true, nf3, 0},
      {Start + " bm Nf3 e4; id \"two moves\";", true, nf3, 0},  // setup keeps the first
      {Start + " 0 1 bm e4;", true, BuildMove(E2, E4, Quiet), 0},
      {Start + " bm Ng1-f3!!!;", true, nf3, 0},  // nine characters are read
      // No operation: the text runs to the end of the line, or is ten characters long.
      {Start + " bm Nf3", true, 0, 0},
      {Start + " bm Nf3\n", true, 0, 0},
      {Start + " bm Ng1-f3!!!!;", true, 0, 0},
      {Start + " bm ", true, 0, 0},
      {Start + " c0 \"a comment\"; bm Nf3;", true, 0, 0},  // the first "a" or "b" starts no operation
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 bm exd6;", true, BuildMove(E5, D6, EnPassant), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const SetupOutcome s = SetUpText(c.text);
    EXPECT_EQ(s.ok, c.ok);
    EXPECT_EQ(s.best, c.best);
    EXPECT_EQ(s.avoid, c.avoid);
    EXPECT_EQ(s.output, "");
  }
}

TEST(EpdOperations, UnreadableMoveWarnsAndFailsWithThePositionSetUp) {
  for (const char* op : {" am Zz9;", " bm Nf6;", " bm Pe4;"}) {
    SCOPED_TRACE(op);
    const SetupOutcome s = SetUpText(Start + op);
    EXPECT_FALSE(s.ok);
    const std::string move = std::string(op).substr(4, std::string(op).size() - 5);
    EXPECT_EQ(s.output, "Warning cannot recognize move: " + move + "\r\n");
    EXPECT_EQ(s.best, 0);
    EXPECT_EQ(s.avoid, 0);
    char fen[96];
    WriteFen(fen);
    EXPECT_EQ(std::string(fen), Start);
    EXPECT_TRUE(PositionIsConsistent());
  }
}

TEST(EpdOperations, ANewSetupClearsTheMovesOfTheLastOne) {
  ASSERT_TRUE(SetUpText(Start + " bm Nf3;").ok);
  ASSERT_NE(Pos.epdBestMove, 0);
  const SetupOutcome s = SetUpText(Start);
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.best, 0);
  EXPECT_EQ(s.avoid, 0);
}

}  // namespace
