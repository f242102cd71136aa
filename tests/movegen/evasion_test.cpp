// Evasion lists: which moves, in which order, with which scores.
#include "eval/eval.h"
#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

struct EvasionCase {
  const char* name;
  const char* fen;
  std::vector<Entry> expected;  // the whole list
};

int KingCapture(int king, const char* from, const char* to, int victim) {
  return CaptureValue[victim] - 9500 + PieceSquareValue(king, Sq(to)) - PieceSquareValue(king, Sq(from)) +
         PieceSquareValue(victim, Sq(to));
}

TEST(GenerateEvasions, Lists) {
  const EvasionCase cases[] = {
      {"double check by rook and knight: king steps only",
       "k3r3/8/8/8/8/3n4/8/1B2K3 w - -",
       {E("e1", "f1", Quiet, -30000), E("e1", "d1", Quiet, -30000), E("e1", "f2", Quiet, -30000),
        E("e1", "e2", Quiet, -30000), E("e1", "d2", Quiet, -30000)}},
      {"rook checks from a1: knight blocks on d1 and b1, the king may not step onto d1",
       "4k3/8/8/8/8/2N5/8/r3K3 w - -",
       {E("c3", "d1", Quiet, -30310), E("c3", "b1", Quiet, -30310), E("e1", "f1", Quiet, -30000),
        E("e1", "f2", Quiet, -30000), E("e1", "e2", Quiet, -30000), E("e1", "d2", Quiet, -30000)}},
      {"bishop checks from the next square: captures and king steps, no blocks",
       "4k3/8/8/8/8/1N6/R2b4/4K3 w - -",
       {E("b3", "d2", Capture, 315 - 9810), E("a2", "d2", Capture, 315 - 10000),
        E("e1", "d2", Capture, 0 /* filled below */), E("e1", "f1", Quiet, -30000), E("e1", "d1", Quiet, -30000),
        E("e1", "f2", Quiet, -30000), E("e1", "e2", Quiet, -30000)}},
      {"diagonal check: blocks by knight, bishop, rook, queen, then pawn double step, single step",
       "4k3/8/5B2/b7/7R/3Q4/1PP5/1N2K3 w - -",
       {E("b1", "d2", Quiet, -30310), E("b1", "c3", Quiet, -30310), E("f6", "c3", Quiet, -30315),
        E("h4", "b4", Quiet, -30500), E("d3", "d2", Quiet, -30950), E("d3", "c3", Quiet, -30950),
        E("b2", "b4", Quiet, -30000), E("c2", "c3", Quiet, -30000), E("e1", "f1", Quiet, -30000),
        E("e1", "d1", Quiet, -30000), E("e1", "f2", Quiet, -30000), E("e1", "e2", Quiet, -30000)}},
      {"the checking pawn taken en passant from both sides, before everything else",
       "4k3/8/8/3PpP2/5K2/8/8/8 w - e6",
       {E("d5", "e6", EnPassant, -9500), E("f5", "e6", EnPassant, -9500), E("f4", "e5", Capture, 0 /* below */),
        E("f4", "g3", Quiet, -30000), E("f4", "f3", Quiet, -30000), E("f4", "e3", Quiet, -30000),
        E("f4", "g4", Quiet, -30000), E("f4", "e4", Quiet, -30000), E("f4", "g5", Quiet, -30000)}},
      {"black takes the checking pawn en passant",
       "8/8/8/5k2/3pPp2/8/8/4K3 b - e3",
       {E("d4", "e3", EnPassant, -9500), E("f4", "e3", EnPassant, -9500), E("f5", "e4", Capture, 0 /* below */),
        E("f5", "g4", Quiet, -30000), E("f5", "g5", Quiet, -30000), E("f5", "e5", Quiet, -30000),
        E("f5", "g6", Quiet, -30000), E("f5", "f6", Quiet, -30000), E("f5", "e6", Quiet, -30000)}},
      {"knight check: pawns take it from the a-side first",
       "4k3/8/8/8/8/3n4/2P1P3/4K3 w - -",
       {E("c2", "d3", Capture, 310 - 9600), E("e2", "d3", Capture, 310 - 9600), E("e1", "f1", Quiet, -30000),
        E("e1", "d1", Quiet, -30000), E("e1", "f2", Quiet, -30000), E("e1", "d2", Quiet, -30000)}},
      {"b7 takes the checking rook on a8 with four promotions",
       "r3k3/1P6/8/8/8/8/8/K7 w - -",
       {E("b7", "a8", CapturePromoteQueen, -8901), E("b7", "a8", CapturePromoteKnight, -29505),
        E("b7", "a8", CapturePromoteRook, -29525), E("b7", "a8", CapturePromoteBishop, -29550),
        E("a1", "b1", Quiet, -30000), E("a1", "b2", Quiet, -30000)}},
      {"black g2 takes the checking rook on h1; no wrap to a1",
       "7k/8/8/8/8/8/6p1/K6R b - -",
       {E("g2", "h1", CapturePromoteQueen, -8901), E("g2", "h1", CapturePromoteKnight, -29505),
        E("g2", "h1", CapturePromoteRook, -29525), E("g2", "h1", CapturePromoteBishop, -29550),
        E("h8", "g7", Quiet, -30000), E("h8", "g8", Quiet, -30000)}},
      {"a pawn takes the checker with promotions, or blocks on the last rank with promotions",
       "r3K2k/1P6/8/8/8/8/8/8 w - -",
       {E("b7", "a8", CapturePromoteQueen, -8901), E("b7", "a8", CapturePromoteKnight, -29505),
        E("b7", "a8", CapturePromoteRook, -29525), E("b7", "a8", CapturePromoteBishop, -29550),
        E("b7", "b8", PromoteQueen, -9401), E("b7", "b8", PromoteKnight, -30005), E("b7", "b8", PromoteRook, -30025),
        E("b7", "b8", PromoteBishop, -30050), E("e8", "f7", Quiet, -30000), E("e8", "e7", Quiet, -30000),
        E("e8", "d7", Quiet, -30000), E("e8", "f8", Quiet, -30000)}},
  };
  for (const EvasionCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetupPosition(c.fen, false)) << c.fen;
    std::vector<Entry> expected = c.expected;
    for (Entry& e : expected) {
      if (MoveKindOf(e.move) == Capture && Pos.board[MoveFrom(e.move)] >= WhiteKing) {
        const char from[3] = {static_cast<char>('a' + FileOf(MoveFrom(e.move))),
                              static_cast<char>('8' - RowOf(MoveFrom(e.move))), 0};
        const char to[3] = {static_cast<char>('a' + FileOf(MoveTo(e.move))),
                            static_cast<char>('8' - RowOf(MoveTo(e.move))), 0};
        e.score = KingCapture(Pos.board[MoveFrom(e.move)], from, to, Pos.board[MoveTo(e.move)]);
      }
    }
    PlyFrame* frame = &PlyFrames[0];
    FindCheckers(frame);
    ASSERT_NE(frame->checkers, 0u);
    const std::vector<Entry> actual = SearchList(frame);
    ASSERT_EQ(actual.size(), expected.size()) << Describe(actual);
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(actual[i].move, expected[i].move) << "entry " << i << ": " << Describe(actual);
      EXPECT_EQ(actual[i].score, expected[i].score) << "entry " << i << ": " << MoveText(actual[i].move);
    }
  }
}

TEST(GenerateEvasions, KingStepAlongTheCheckingLineIsRejectedAfterMake) {
  // f1 is written, but the rook on a1 still reaches it through the king's old square.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/2N5/8/r3K3 w - -", false));
  EXPECT_FALSE(LegalAfterMake(BuildMove(Sq("e1"), Sq("f1"), Quiet)));
  EXPECT_TRUE(LegalAfterMake(BuildMove(Sq("e1"), Sq("e2"), Quiet)));
  EXPECT_TRUE(LegalAfterMake(BuildMove(Sq("c3"), Sq("d1"), Quiet)));
}

TEST(GenerateEvasions, PinnedBlockerIsWrittenAndRejected) {
  // The rook on e3, pinned by the queen on e8, blocks the h4 bishop's check on g3.
  ASSERT_TRUE(SetupPosition("4q1k1/8/8/8/7b/4R3/8/4K3 w - -", false));
  const Move block = BuildMove(Sq("e3"), Sq("g3"), Quiet);
  bool written = false;
  for (const Entry& e : SearchList()) written |= e.move == block;
  EXPECT_TRUE(written);
  EXPECT_FALSE(LegalAfterMake(block));
}

}  // namespace
