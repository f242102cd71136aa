// Check detection (checkers and the king rays) and the legality test after castling.
#include <initializer_list>

#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

Bitboard Squares(std::initializer_list<const char*> names) {
  Bitboard b = 0;
  for (const char* n : names) b |= SquareMask[Sq(n)];
  return b;
}

constexpr Bitboard Sentinel = 0x0123456789ABCDEFull;

TEST(FindCheckers, StartPositionHasNoCheckers) {
  ASSERT_TRUE(SetupPosition(StartFen, false));
  PlyFrame frame{};
  frame.kingRookRays = frame.kingBishopRays = Sentinel;
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, 0u);
  // No enemy slider stands on a line of the king: the rays keep what the frame held.
  EXPECT_EQ(frame.kingRookRays, Sentinel);
  EXPECT_EQ(frame.kingBishopRays, Sentinel);
  EXPECT_FALSE(KingAttacked(0, White));
  EXPECT_FALSE(KingAttacked(0, Black));
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", false));
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, 0u);
}

TEST(FindCheckers, RookOnTheKingsFile) {
  ASSERT_TRUE(SetupPosition("3qkb2/8/8/8/8/8/8/4R1K1 b - -", false));
  PlyFrame frame{};
  frame.kingBishopRays = Sentinel;
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, Squares({"e1"}));
  EXPECT_EQ(frame.kingRookRays, Squares({"e7", "e6", "e5", "e4", "e3", "e2", "e1", "d8", "f8"}));
  EXPECT_EQ(frame.kingBishopRays, Sentinel);
}

TEST(FindCheckers, DiagonalCheckClearsTheRookRays) {
  // The rook on e1 is blocked by the pawn on e7; only the bishop on a4 gives check.
  ASSERT_TRUE(SetupPosition("4k3/4p3/8/8/B7/8/8/4R1K1 b - -", false));
  PlyFrame frame{};
  frame.kingRookRays = frame.kingBishopRays = Sentinel;
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, Squares({"a4"}));
  EXPECT_EQ(frame.kingRookRays, 0u);
  EXPECT_EQ(frame.kingBishopRays, Squares({"d7", "c6", "b5", "a4", "f7", "g6", "h5"}));
  // With a straight checker as well, the rook rays stay.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/B7/8/8/4R1K1 b - -", false));
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, Squares({"a4", "e1"}));
  EXPECT_NE(frame.kingRookRays, 0u);
}

TEST(FindCheckers, KnightAndPawnCheckers) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/3n4/5p2/4K3 w - -", false));
  PlyFrame frame{};
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, Squares({"d3", "f2"}));
  ASSERT_TRUE(SetupPosition("4k3/3P1N2/8/8/8/8/8/4K3 b - -", false));
  FindCheckers(&frame);
  EXPECT_EQ(frame.checkers, Squares({"d7"}));  // the knight on f7 does not reach e8
}

struct CastlingCase {
  const char* name;
  const char* fen;
  Move move;
  bool attacked;
};

TEST(KingAttacked, AfterCastling) {
  const CastlingCase cases[] = {
      {"plain short castling", "4k3/8/8/8/8/8/8/R3K2R w KQ -", MoveCastleWhiteShort, false},
      {"plain long castling", "4k3/8/8/8/8/8/8/R3K2R w KQ -", MoveCastleWhiteLong, false},
      {"a bishop attacks f8, g8 is safe", "4k2r/8/8/8/8/B7/8/4K3 b k -", MoveCastleBlackShort, true},
      {"a rook attacks b1 only", "1r2k3/8/8/8/8/8/8/R3K3 w Q -", MoveCastleWhiteLong, false},
      {"a rook attacks d1", "3r3k/8/8/8/8/8/8/R3K3 w Q -", MoveCastleWhiteLong, true},
      {"a rook attacks c1, the destination", "2r4k/8/8/8/8/8/8/R3K3 w Q -", MoveCastleWhiteLong, true},
      {"a rook attacks g1, the destination", "k5r1/8/8/8/8/8/8/4K2R w K -", MoveCastleWhiteShort, true},
      {"castling out of check", "4r1k1/8/8/8/8/8/8/4K2R w K -", MoveCastleWhiteShort, true},
      {"the black king on g2 stands next to f1 and g1", "8/8/8/8/8/8/6k1/4K2R w K -", MoveCastleWhiteShort, true},
      {"the black king on g3 does not", "8/8/8/8/8/6k1/8/4K2R w K -", MoveCastleWhiteShort, false},
      {"the white king on b7 stands next to c8", "r3k3/1K6/8/8/8/8/8/8 b q -", MoveCastleBlackLong, true},
      {"the white king on b6 is next to no square of the path", "r3k3/8/1K6/8/8/8/8/8 b q -", MoveCastleBlackLong,
       false},
      {"a knight attacks d8", "r3k2r/8/2N5/8/8/8/8/4K3 b kq -", MoveCastleBlackLong, true},
      {"the same knight leaves the short side alone", "r3k2r/8/2N5/8/8/8/8/4K3 b kq -", MoveCastleBlackShort, false},
      {"a pawn on e7 attacks f8", "r3k2r/4P3/8/8/8/8/8/4K3 b kq -", MoveCastleBlackShort, true},
      {"a pawn on e7 attacks d8", "r3k2r/4P3/8/8/8/8/8/4K3 b kq -", MoveCastleBlackLong, true},
  };
  for (const CastlingCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetupPosition(c.fen, false)) << c.fen;
    EXPECT_EQ(!LegalAfterMake(c.move), c.attacked);
  }
}

TEST(KingAttacked, TheEnemyKingIsNotAnAttacker) {
  // A king step next to the other king is never generated; if one is made, it is not reported.
  ASSERT_TRUE(SetupPosition("8/8/8/3k4/8/3K4/8/8 w - -", false));
  EXPECT_TRUE(LegalAfterMake(BuildMove(Sq("d3"), Sq("d4"), Quiet)));
  // Any other attacker is: the king steps into a knight's reach.
  ASSERT_TRUE(SetupPosition("8/8/8/3k4/8/3K4/8/5n2 w - -", false));
  EXPECT_FALSE(LegalAfterMake(BuildMove(Sq("d3"), Sq("e3"), Quiet)));
}

}  // namespace
