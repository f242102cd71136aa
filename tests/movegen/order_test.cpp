// Order and scores of the generated lists in the cases where they are easy to get wrong.
#include "eval/eval.h"
#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

void ExpectList(const std::vector<Entry>& actual, const std::vector<Entry>& expected) {
  ASSERT_EQ(actual.size(), expected.size()) << Describe(actual);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(MoveText(actual[i].move), MoveText(expected[i].move)) << "entry " << i << ": " << Describe(actual);
    EXPECT_EQ(MoveKindOf(actual[i].move), MoveKindOf(expected[i].move)) << "entry " << i;
    EXPECT_EQ(actual[i].score, expected[i].score) << "entry " << i << " " << MoveText(actual[i].move);
  }
}

std::vector<Entry> MovesOf(const char* fen) {
  EXPECT_TRUE(SetupPosition(fen, false)) << fen;
  return SearchList();
}

// Piece-square change of a move plus the victim's bonus: the positional part of an exchange score.
int Positional(int piece, const char* from, const char* to, int victim) {
  int delta = PieceSquareValue(piece, Sq(to)) - PieceSquareValue(piece, Sq(from));
  if (victim) delta += PieceSquareValue(victim, Sq(to));
  return delta;
}

TEST(GenerateMoves, StartPositionInWalkingOrder) {
  std::vector<Entry> expected;
  for (const char* m : {"g1h3", "g1f3", "b1c3", "b1a3", "h2h4", "g2g4", "f2f4", "e2e4", "d2d4", "c2c4",
                        "b2b4", "a2a4", "h2h3", "g2g3", "f2f3", "e2e3", "d2d3", "c2c3", "b2b3", "a2a3"}) {
    expected.push_back(E(std::string(m, 2).c_str(), m + 2, Quiet, -30000));
  }
  ExpectList(MovesOf(StartFen), expected);
}

TEST(GenerateMoves, BlackStartPositionMirrorsWhite) {
  std::vector<Entry> expected;
  // Black's walk also runs from h1 towards a8: the g8 knight first, the h-file first.
  for (const char* m : {"g8h6", "g8f6", "b8c6", "b8a6", "h7h5", "g7g5", "f7f5", "e7e5", "d7d5", "c7c5",
                        "b7b5", "a7a5", "h7h6", "g7g6", "f7f6", "e7e6", "d7d6", "c7c6", "b7b6", "a7a6"}) {
    expected.push_back(E(std::string(m, 2).c_str(), m + 2, Quiet, -30000));
  }
  ExpectList(MovesOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -"), expected);
}

// The capturing promotions come with the pawn captures at the head of the list; the step
// promotions follow the bishop's moves.
TEST(GenerateMoves, PromotionsOnAndBesideTheRookCorner) {
  const std::vector<Entry> expected = {
      E("b7", "a8", CapturePromoteQueen, -8901),
      E("b7", "a8", CapturePromoteKnight, -29505),
      E("b7", "a8", CapturePromoteRook, -29525),
      E("b7", "a8", CapturePromoteBishop, -29550),
      E("a1", "b2", Quiet, -30000),
      E("a1", "c3", Quiet, -30000),
      E("a1", "d4", Quiet, -30000),
      E("a1", "e5", Quiet, -30000),
      E("a1", "f6", Quiet, -30000),
      E("a1", "g7", Quiet, -30000),
      E("a1", "h8", Quiet, -30000),
      E("b7", "b8", PromoteQueen, -9401),
      E("b7", "b8", PromoteKnight, -30005),
      E("b7", "b8", PromoteRook, -30025),
      E("b7", "b8", PromoteBishop, -30050),
      E("e1", "f1", Quiet, -30000),
      E("e1", "d1", Quiet, -30000),
      E("e1", "f2", Quiet, -30000),
      E("e1", "e2", Quiet, -30000),
      E("e1", "d2", Quiet, -30000),
  };
  ExpectList(MovesOf("r3k3/1P6/8/8/8/8/8/B3K3 w - -"), expected);
}

TEST(GenerateMoves, BlackPromotionsAndDoubleSteps) {
  // Black: captures towards the a-file (from = to - 7) before those towards the h-file.
  const std::vector<Entry> expected = {
      E("h2", "g1", CapturePromoteQueen, 310 - 9401),
      E("h2", "g1", CapturePromoteKnight, 310 - 30005),
      E("h2", "g1", CapturePromoteRook, 310 - 30025),
      E("h2", "g1", CapturePromoteBishop, 310 - 30050),
      E("d5", "e4", Capture, 100 - 9600),
      E("f7", "g6", Capture, 100 - 9600),
      E("h2", "h1", PromoteQueen, -9401),
      E("h2", "h1", PromoteKnight, -30005),
      E("h2", "h1", PromoteRook, -30025),
      E("h2", "h1", PromoteBishop, -30050),
      E("f7", "f5", Quiet, -30000),
      E("d5", "d4", Quiet, -30000),
      E("f7", "f6", Quiet, -30000),
      E("a8", "b7", Quiet, -30000),
      E("a8", "a7", Quiet, -30000),
      E("a8", "b8", Quiet, -30000),
  };
  ExpectList(MovesOf("k7/5p2/6P1/3p4/4P3/8/7p/4K1N1 b - -"), expected);
}

TEST(GenerateMoves, TwoEnPassantCapturesOntoD6) {
  std::vector<Entry> list = MovesOf("4k3/8/8/2PpP3/8/8/8/4K3 w - d6");
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0].move, BuildMove(Sq("e5"), Sq("d6"), EnPassant));
  EXPECT_EQ(list[0].score, -9500);
  EXPECT_EQ(list[1].move, BuildMove(Sq("c5"), Sq("d6"), EnPassant));
  EXPECT_EQ(list[1].score, -9500);
  for (size_t i = 2; i < list.size(); ++i) EXPECT_NE(MoveKindOf(list[i].move), EnPassant);
  // Without the en-passant square there is no such capture.
  for (const Entry& e : MovesOf("4k3/8/8/2PpP3/8/8/8/4K3 w - -")) EXPECT_NE(MoveKindOf(e.move), EnPassant);
}

TEST(GenerateMoves, CastlingIsGeneratedThenRejectedWhenTheCrossedSquareIsAttacked) {
  // The bishop on a6 attacks f1; g1 is safe.
  std::vector<Entry> list = MovesOf("4k3/8/b7/8/8/8/8/4K2R w K -");
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.back().move, MoveCastleWhiteShort);
  EXPECT_EQ(list.back().score, -29000);
  EXPECT_FALSE(LegalAfterMake(MoveCastleWhiteShort));
  // Both castlings, short first; the king's own steps come before them.
  list = MovesOf("r3k2r/8/8/8/8/8/8/4K3 b kq -");
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[list.size() - 2].move, MoveCastleBlackShort);
  EXPECT_EQ(list[list.size() - 2].score, -29000);
  EXPECT_EQ(list.back().move, MoveCastleBlackLong);
  EXPECT_EQ(list.back().score, -29500);
  EXPECT_TRUE(LegalAfterMake(MoveCastleBlackShort));
  EXPECT_TRUE(LegalAfterMake(MoveCastleBlackLong));
  // A piece between king and rook, or a missing right, means no castling.
  for (const Entry& e : MovesOf("rn2k1nr/8/8/8/8/8/8/4K3 b kq -")) EXPECT_LT(MoveKindOf(e.move), CastleBlackShort);
}

TEST(GenerateMoves, KingNeverStepsNextToTheEnemyKing) {
  // The knight on e4 stands next to both kings: the white king may not take it.
  const std::vector<Entry> expected = {
      E("d3", "e2", Quiet, -30000), E("d3", "d2", Quiet, -30000), E("d3", "c2", Quiet, -30000),
      E("d3", "e3", Quiet, -30000), E("d3", "c3", Quiet, -30000),
  };
  ExpectList(MovesOf("8/8/8/3k4/4n3/3K4/8/8 w - -"), expected);
}

TEST(GenerateMoves, KingCapturesGoThroughTheExchangeScore) {
  // Undefended knight: the gain of a knight plus the positional terms.
  std::vector<Entry> list = MovesOf("7k/8/8/8/8/8/4n3/4K3 w - -");
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list[0].move, BuildMove(Sq("e1"), Sq("e2"), Capture));
  EXPECT_EQ(list[0].score, 310 - 9500 + Positional(WhiteKing, "e1", "e2", BlackKnight));
  EXPECT_EQ(CaptureList().size(), 1u);
  // Defended by a bishop: the lowest score of all, and no place in the quiescence list.
  list = MovesOf("7k/8/8/1b6/8/8/4n3/4K3 w - -");
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list[0].move, BuildMove(Sq("e1"), Sq("e2"), Capture));
  EXPECT_EQ(list[0].score, -32767);
  EXPECT_TRUE(CaptureList().empty());
}

TEST(GenerateCaptures, KeepsGainingCapturesAndDropsLosingOnes) {
  // The bishop takes a pawn that a pawn defends: dropped. The rook takes an undefended knight:
  // kept, near the equal-exchange score.
  const char* fen = "4k3/8/2p5/1p5n/8/3B4/8/4K2R w - -";
  ASSERT_TRUE(SetupPosition(fen, false));
  ExpectList(CaptureList(), {E("h1", "h5", Capture, 310 - 9500 + Positional(WhiteRook, "h1", "h5", BlackKnight))});
  // The full list keeps the bishop capture, scored by the losing exchange.
  const int bishopScore = 100 / 2 - (315 - 100) - 30000 + Positional(WhiteBishop, "d3", "b5", 0);
  bool found = false;
  for (const Entry& e : MovesOf(fen)) {
    if (e.move == BuildMove(Sq("d3"), Sq("b5"), Capture)) {
      found = true;
      EXPECT_EQ(e.score, bishopScore);
    }
  }
  EXPECT_TRUE(found);
}

TEST(GenerateCaptures, OrderAndQueenStepPromotions) {
  // Pawn captures, then the step promotions kept by the exchange (both squares undefended),
  // then knight, bishop, rook, queen and king captures.
  ASSERT_TRUE(SetupPosition("1n6/P3P3/7k/2p1n3/1Q1B3N/8/2p5/R3K3 w - -", false));
  auto promotion = [](const char* from, const char* to) {
    return 800 - 9500 + PieceSquareValue(WhiteQueen, Sq(to)) - PieceSquareValue(WhitePawn, Sq(from));
  };
  ExpectList(CaptureList(), {
                                E("a7", "b8", CapturePromoteQueen, 310 - 9401),
                                E("a7", "b8", CapturePromoteKnight, 310 - 30005),
                                E("a7", "b8", CapturePromoteRook, 310 - 30025),
                                E("a7", "b8", CapturePromoteBishop, 310 - 30050),
                                E("e7", "e8", PromoteQueen, promotion("e7", "e8")),
                                E("a7", "a8", PromoteQueen, promotion("a7", "a8")),
                                E("d4", "e5", Capture, 310 - 315 - 9500),
                                E("d4", "c5", Capture, 100 - 9500 + Positional(WhiteBishop, "d4", "c5", BlackPawn)),
                                E("b4", "c5", Capture, 100 - 9500 + Positional(WhiteQueen, "b4", "c5", BlackPawn)),
                                E("b4", "b8", Capture, 310 - 9500 + Positional(WhiteQueen, "b4", "b8", BlackKnight)),
                            });
  // A step promotion onto a square the enemy holds is left out.
  ASSERT_TRUE(SetupPosition("1r6/P6k/8/8/8/8/8/4K3 w - -", false));
  for (const Entry& e : CaptureList()) EXPECT_NE(MoveKindOf(e.move), PromoteQueen) << MoveText(e.move);
}

}  // namespace
