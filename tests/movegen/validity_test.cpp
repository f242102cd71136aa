// The single-move validity test on the cases the SAN resolver depends on.
#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

struct ValidityCase {
  const char* fen;
  const char* from;
  const char* to;
  int kind;
  bool valid;
};

TEST(IsPseudoLegal, Cases) {
  const char* const epFen = "4k3/8/8/2PpP3/8/8/8/4K3 w - d6";
  const ValidityCase cases[] = {
      {StartFen, "g1", "f3", Quiet, true},
      {StartFen, "g1", "f3", Capture, false},
      {StartFen, "g1", "e2", Quiet, false},  // own pawn there
      {StartFen, "e2", "e4", Quiet, true},
      {StartFen, "e2", "e3", Quiet, true},
      {StartFen, "e2", "e5", Quiet, false},
      {StartFen, "e7", "e5", Quiet, false},  // Black's pawn, White to move
      {StartFen, "a1", "a5", Quiet, false},  // the a2 pawn blocks the path
      {StartFen, "d1", "d3", Quiet, false},
      {StartFen, "e4", "e5", Quiet, false},  // empty origin
      {StartFen, "e1", "e2", Quiet, false},
      {"4k3/8/p6P/8/8/8/8/4K3 w - -", "h6", "a6", Capture, false},  // numbers differ by 7, files do not touch
      {"4k3/8/6pP/8/8/8/8/4K3 w - -", "h6", "g7", Capture, false},  // g7 is empty
      {"4k3/6p1/7P/8/8/8/8/4K3 w - -", "h6", "g7", Capture, true},
      {epFen, "c5", "d6", EnPassant, true},
      {epFen, "e5", "d6", EnPassant, true},
      {epFen, "d5", "d6", EnPassant, false},  // the black pawn, White to move
      {epFen, "e5", "e6", EnPassant, false},
      {"4k3/8/8/2PpP3/8/8/8/4K3 w - -", "e5", "d6", EnPassant, false},  // no en-passant square
      {"4k3/1P6/8/8/8/8/8/4K3 w - -", "b7", "b8", PromoteKnight, true},
      {"4k3/1P6/8/8/8/8/8/4K3 w - -", "b7", "b8", Quiet, true},  // a single step onto rank 8 passes
      {"4k3/1P6/8/8/8/8/8/4K3 w - -", "b7", "a8", CapturePromoteQueen, false},
      {"r3k3/1P6/8/8/8/8/8/4K3 w - -", "b7", "a8", CapturePromoteRook, true},
      {"r3k3/1P6/8/8/8/8/8/4K3 w - -", "b7", "a8", Capture, true},
      {"4k3/8/8/8/8/1P6/8/4K3 w - -", "b3", "b4", PromoteQueen, false},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", "e1", "g1", Quiet, false},  // kings step one square
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", "e1", "f1", Quiet, true},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", "e1", "f1", Capture, false},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", "a1", "a8", Quiet, true},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ -", "h1", "h8", Capture, false},
      {"r3k3/8/8/8/8/8/8/R3K3 w Q -", "a1", "a8", Capture, true},
      {"4k3/8/8/8/3B4/8/8/4K3 w - -", "d4", "a7", Quiet, true},
      {"4k3/8/8/8/3B4/8/8/4K3 w - -", "d4", "d5", Quiet, false},
      {"4k3/8/8/8/3Q4/8/8/4K3 w - -", "d4", "d8", Quiet, true},
      {"4k3/8/8/8/3Q4/8/8/4K3 w - -", "d4", "e6", Quiet, false},
      // Black to move: the mirror image, and an empty origin.
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", "e7", "e5", Quiet, true},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", "e7", "e4", Quiet, false},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", "e5", "e4", Quiet, false},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", "b8", "c6", Quiet, true},
      {"4k3/8/8/8/8/8/1p6/4K3 b - -", "b2", "b1", PromoteBishop, true},
      {"4k3/8/8/8/8/8/p6R/4K3 b - -", "a2", "h2", Capture, false},  // no wrap from the a-file
      {"4k3/8/8/8/8/8/p7/1R2K3 b - -", "a2", "b1", CapturePromoteQueen, true},
      {"4k3/8/8/8/2pPp3/8/8/4K3 b - d3", "c4", "d3", EnPassant, true},
      {"4k3/8/8/8/2pPp3/8/8/4K3 b - d3", "e4", "d3", EnPassant, true},
  };
  for (const ValidityCase& c : cases) {
    ASSERT_TRUE(SetupPosition(c.fen, false)) << c.fen;
    EXPECT_EQ(IsPseudoLegal(BuildMove(Sq(c.from), Sq(c.to), c.kind)), c.valid)
        << c.fen << " " << c.from << c.to << " kind " << c.kind;
  }
}

TEST(IsPseudoLegal, CastlingIsNeverAccepted) {
  for (const char* fen : {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -"}) {
    ASSERT_TRUE(SetupPosition(fen, false));
    for (Move m : {MoveCastleWhiteShort, MoveCastleWhiteLong, MoveCastleBlackShort, MoveCastleBlackLong}) {
      EXPECT_FALSE(IsPseudoLegal(m)) << fen << " " << std::hex << m;
    }
  }
}

}  // namespace
