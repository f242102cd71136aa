// Make and unmake of hand-built moves, null move, repetition and draw detection.
#include <gtest/gtest.h>

#include "position/position.h"
#include "support/position_compare.h"

namespace {

// Plays hand-built moves on consecutive ply frames and takes them back in reverse.
class Line {
 public:
  void Play(Move move) {
    PlyFrame* frame = &PlyFrames[count_];
    SaveForMake(frame);
    MakeMove(move, frame);
    moves_[count_++] = move;
  }
  void TakeBackAll() {
    while (count_ > 0) {
      --count_;
      UnmakeMove(moves_[count_], &PlyFrames[count_]);
    }
  }

 private:
  Move moves_[PlyFrameCount] = {};
  int count_ = 0;
};

Move Q(Square from, Square to) { return BuildMove(from, to, Quiet); }

TEST(MakeMove, DoubleStepSetsAndClearsTheEnPassantTerm) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  const HashKey key = Pos.hashKey;
  const uint32_t pawnKey = Pos.pawnKey;
  Line line;
  line.Play(Q(E2, E4));
  EXPECT_EQ(Pos.epSquare, 44);
  EXPECT_EQ(Pos.hashKey, key ^ ZobristKeys[1][E2] ^ ZobristKeys[1][E4] ^ ZobristKeys[0][E3]);
  EXPECT_EQ(Pos.pawnKey, pawnKey ^ uint32_t(ZobristKeys[1][E2] ^ ZobristKeys[1][E4] ^ ZobristKeys[0][E3]));
  EXPECT_EQ(Pos.historyTop->fiftyCount, 0);
  line.Play(Q(G8, F6));
  EXPECT_EQ(Pos.epSquare, 0);
  EXPECT_EQ(Pos.hashKey, key ^ ZobristKeys[1][E2] ^ ZobristKeys[1][E4] ^ ZobristKeys[4][G8] ^ ZobristKeys[4][F6]);
  EXPECT_EQ(Pos.historyTop->fiftyCount, 1);
  line.TakeBackAll();
}

TEST(MakeMove, CastlingAndRookCapturesUpdateRights) {
  ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/6b1/R3K2R w KQkq -", false));
  const Position start = Pos;
  Line line;
  line.Play(MoveCastleWhiteShort);
  EXPECT_EQ(Pos.castlingRights, RightBlackShort | RightBlackLong);
  EXPECT_EQ(Pos.board[G1], WhiteKing);
  EXPECT_EQ(Pos.board[F1], WhiteRook);
  EXPECT_EQ(Pos.board[E1], Empty);
  EXPECT_EQ(Pos.board[H1], Empty);
  EXPECT_EQ(whiteKingSquare, 62);
  EXPECT_EQ(Pos.hashKey, start.hashKey ^ ZobristKeys[11][E1] ^ ZobristKeys[11][G1] ^ ZobristKeys[7][H1] ^
                             ZobristKeys[7][F1] ^ ZobristKeys[0][G1] ^ ZobristKeys[0][C1]);
  // The black bishop takes the rook on a1... not possible from g2; instead the rook on a8 is
  // taken by a white rook: right q goes with it.
  line.TakeBackAll();
  EXPECT_TRUE(SamePosition(Pos, start));
  line.Play(BuildMove(A1, A8, Capture));
  EXPECT_EQ(Pos.castlingRights, RightWhiteShort | RightBlackShort);  // Q (rook left a1) and q (a8 taken)
  EXPECT_EQ(Pos.materialTotal, start.materialTotal - 5);
  EXPECT_EQ(Pos.pieceMaterial[Black], start.pieceMaterial[Black] - 5);
  line.TakeBackAll();
  EXPECT_TRUE(SamePosition(Pos, start));
}

TEST(MakeMove, CapturePromotionToKnightTakingAQueen) {
  ASSERT_TRUE(SetupPosition("3q3k/4P3/8/8/8/8/8/K7 w - -", false));
  const Position start = Pos;
  Line line;
  line.Play(BuildMove(E7, D8, CapturePromoteKnight));
  EXPECT_EQ(PlyFrames[0].materialChange, 2 - 9);
  EXPECT_EQ(Pos.board[D8], WhiteKnight);
  EXPECT_EQ(Pos.pawnCount[White], 0);
  EXPECT_EQ(Pos.pieceMaterial[White], 3);
  EXPECT_EQ(Pos.pieceMaterial[Black], 0);
  EXPECT_TRUE(PositionIsConsistent());
  line.TakeBackAll();
  EXPECT_TRUE(SamePosition(Pos, start));
}

TEST(MakeMove, ResultCodesAreRefused) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K3 w - -", false));
  PlyFrame frame{};
  SaveForMake(&frame);
  EXPECT_THROW(MakeMove(MoveMate, &frame), InternalError);
  EXPECT_THROW(UnmakeMove(MoveStalemate, &frame), InternalError);
}

TEST(CheckDraw, InsufficientMaterialComesFirst) {
  struct Case {
    const char* fen;
    Move expected;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - -", MoveInsufficientMaterial},
      {"4k3/8/8/8/8/8/8/4KB2 w - -", MoveInsufficientMaterial},
      {"4k3/8/8/8/8/8/8/3NKN2 w - -", 0},  // two knights are not a material draw here
      {"4k3/8/8/8/8/8/8/4KR2 w - -", 0},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetupPosition(c.fen, false));
    EXPECT_EQ(CheckDraw(1), c.expected) << c.fen;
  }
}

TEST(CheckDraw, KnightsOutAndBack) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  Line line;
  const Move cycle[4] = {Q(G1, F3), Q(G8, F6), Q(F3, G1), Q(F6, G8)};
  for (Move m : cycle) line.Play(m);
  EXPECT_EQ(Pos.historyTop->fiftyCount, 4);
  EXPECT_EQ(CheckDraw(1), MoveRepetition);
  EXPECT_EQ(CheckDraw(2), 0);
  for (Move m : cycle) line.Play(m);
  EXPECT_EQ(CheckDraw(2), MoveRepetition);  // third occurrence
  // A new position is no repetition.
  line.Play(Q(B1, C3));
  EXPECT_EQ(CheckDraw(1), 0);
  line.TakeBackAll();
}

TEST(CheckDraw, FiftyMoveCountBeatsRepetition) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K3 w - -", false));
  Line line;
  // 100 plies of rook and king shuffling with no capture or pawn move.
  const Move cycle[4] = {Q(A1, A2), Q(E8, D8), Q(A2, A1), Q(D8, E8)};
  for (int i = 0; i < 25; ++i) {
    for (Move m : cycle) line.Play(m);
  }
  EXPECT_EQ(Pos.historyTop->fiftyCount, 100);
  EXPECT_EQ(CheckDraw(2), MoveFiftyRule);
  line.TakeBackAll();
}

TEST(PeekRepetition, CountsWithoutMakingTheMove) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  Line line;
  line.Play(Q(G1, F3));
  line.Play(Q(G8, F6));
  line.Play(Q(F3, G1));
  HistoryEntry* const top = Pos.historyTop;
  const HistoryEntry before[2] = {top[0], top[-1]};
  EXPECT_EQ(PeekRepetition(Q(F6, G8)), 1);  // back to the start position
  EXPECT_EQ(PeekRepetition(Q(F6, H5)), 0);
  // Pawn moves, captures and castling are never peeked.
  EXPECT_EQ(PeekRepetition(Q(E7, E5)), 0);
  EXPECT_EQ(PeekRepetition(BuildMove(F6, E4, Capture)), 0);
  EXPECT_EQ(Pos.historyTop, top);
  EXPECT_TRUE(SameHistoryEntry(top[0], before[0]));
  EXPECT_TRUE(SameHistoryEntry(top[-1], before[1]));
  line.TakeBackAll();
}

TEST(PeekRepetition, NearTheFiftyMoveLimit) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K3 w - -", false));
  Pos.historyTop->fiftyCount = 75;
  EXPECT_EQ(PeekRepetition(Q(A1, A5)), 1);  // 76 after the move
  Pos.historyTop->fiftyCount = 74;
  EXPECT_EQ(PeekRepetition(Q(A1, A5)), 0);
  Pos.historyTop->fiftyCount = 99;
  EXPECT_EQ(PeekRepetition(Q(A1, A5)), 2);
  Pos.historyTop->fiftyCount = 0;
}

TEST(NullMove, ClearsTheEnPassantSquareAndRestoresIt) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", false));
  const Position start = Pos;
  PlyFrame frame{};
  MakeNullMove(&frame);
  EXPECT_EQ(Pos.sideToMove, White);
  EXPECT_EQ(Pos.epSquare, 0);
  EXPECT_EQ(Pos.hashKey, start.hashKey ^ ZobristKeys[0][E3]);
  EXPECT_EQ(Pos.historyTop->fiftyCount, 1);
  EXPECT_EQ(Pos.historyTop[-1].move, MoveNull);
  EXPECT_EQ(Pos.historyTop->key, Pos.hashKey);
  UnmakeNullMove(&frame);
  EXPECT_TRUE(SamePosition(Pos, start));
}

}  // namespace
