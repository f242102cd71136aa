// Position setup from FEN text and FEN output.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "position/position.h"
#include "position/tables.h"
#include "search/search.h"
#include "support/position_compare.h"

namespace {

const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string Fen() {
  char buffer[96];
  WriteFen(buffer);
  return buffer;
}

TEST(Setup, StartPositionFields) {
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_EQ(Pos.sideToMove, White);
  EXPECT_EQ(Pos.castlingRights, 27);
  EXPECT_EQ(Pos.epSquare, 0);
  EXPECT_EQ(Pos.materialTotal, 78);
  EXPECT_EQ(Pos.pieceMaterial[White], 31);
  EXPECT_EQ(Pos.pieceMaterial[Black], 31);
  EXPECT_EQ(Pos.pawnCount[White], 8);
  EXPECT_EQ(Pos.pawnCount[Black], 8);
  EXPECT_EQ(whiteKingSquare, 60);
  EXPECT_EQ(blackKingSquare, 4);
  EXPECT_EQ(Pos.pieceBoards[11], 0xFFFF000000000000ull);  // black pieces on ranks 8 and 7
  EXPECT_EQ(Pos.pieceBoards[12], 0x000000000000FFFFull);  // white pieces on ranks 2 and 1
  EXPECT_EQ(Pos.historyTop, &GameHistory[0]);
  EXPECT_EQ(GameHistory[0].key, Pos.hashKey);
  EXPECT_EQ(GameHistory[0].fiftyCount, 0);
  EXPECT_EQ(TtGeneration, 1);
  EXPECT_EQ(std::memcmp(RootSnapshot.board, Pos.board, 64), 0);
  EXPECT_EQ(RootSnapshot.castlingRights, 27);
  EXPECT_TRUE(PositionIsConsistent());
  EXPECT_EQ(Fen(), StartFen);
}

struct RoundTrip {
  const char* input;
  const char* written;
};

TEST(Setup, AcceptedTextsWriteBackAsFen) {
  const RoundTrip cases[] = {
      // move counters are dropped
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", StartFen},
      // separators at odd places and several blanks between fields are accepted
      {"  rnbqkbnrpppppppp/8/8//8/8/PPPPPPPP/RNBQKBNR   w   KQkq   -", StartFen},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR W KQkq -", StartFen},
      {"4k3/8/8/8/8/8/8/4K3 B - -", "4k3/8/8/8/8/8/8/4K3 b - -"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b Qk -", "r3k2r/8/8/8/8/8/8/R3K2R b Qk -"},
      // genuine en-passant squares on ranks 3 and 6
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"},
      {"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6",
       "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6"},
      // rights whose king or rook has left its square are dropped
      {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq -", "r3k2r/8/8/8/8/8/8/R4K1R w kq -"},
      {"1r2k2r/8/8/8/8/8/8/R3K3 w KQkq -", "1r2k2r/8/8/8/8/8/8/R3K3 w Qk -"},
      // an en-passant square no double step can have produced is dropped
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3",
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e6", StartFen},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq z9", StartFen},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "4k3/8/8/3pP3/8/8/8/4K3 w - d6"},
      {"4k3/3n4/8/3pP3/8/8/8/4K3 w - d6", "4k3/3n4/8/3pP3/8/8/8/4K3 w - -"},
      // a text that ends after the castling field has no en-passant square
      {"4k3/8/8/8/8/8/8/4K3 w -", "4k3/8/8/8/8/8/8/4K3 w - -"},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.input);
    ASSERT_TRUE(SetupPosition(c.input, false));
    EXPECT_TRUE(PositionIsConsistent());
    EXPECT_EQ(Fen(), c.written);
  }
}

TEST(Setup, EnPassantFieldDoesNotEnterTheKey) {
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", false));
  const HashKey withEp = Pos.hashKey;
  EXPECT_EQ(Pos.epSquare, 44);
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b - -", false));
  EXPECT_EQ(Pos.hashKey, withEp);
  EXPECT_EQ(Pos.castlingRights, 0);
  EXPECT_EQ(Pos.epSquare, 0);
}

TEST(Setup, RejectedTextsLeaveTheGameUntouched) {
  const char* const rejected[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN0 w KQkq -",  // digit 0
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",  // digit 9
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -",  // unknown letter
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq -",  // bad side letter
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",           // no side
      "rnbqkbnr/pppppppp/8/8",                                 // ends in the placement
      "",                                                      // empty (as after "accepted setboard")
      "\n",
      "8/8/8/8/8/8/8/4K3 w - -",                            // no black king
      "4k3/8/8/8/8/8/8/4K2K w - -",                         // two white kings
      "P3k3/8/8/8/8/8/8/4K3 w - -",                         // pawn on rank 8
      "4k3/8/8/8/8/8/8/p3K3 w - -",                         // pawn on rank 1
      "4k3/pppppppp/p7/8/8/8/8/4K3 w - -",                  // nine black pawns
      "4k3/8/8/8/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/4K3 w - -",     // more than 16 white men
      "4k3/4R3/8/8/8/8/8/4K3 w - -",                        // black, not to move, in check
      "8/8/8/3kK3/8/8/8/8 b - -",                           // kings side by side
      "qqqqkqqq/qqqqqqqq/8/8/8/8/QQQQQQQQ/QQQQKQQQ w - -",  // material that could overflow
  };
  ASSERT_TRUE(SetupPosition("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", false));
  // Give the game some history so that its preservation is visible.
  PlyFrame frame{};
  SaveForMake(&frame);
  MakeMove(BuildMove(E1, F1, Quiet), &frame);
  const Position before = Pos;
  const RootSnapshotRecord snapshotBefore = RootSnapshot;
  const HistoryEntry history0 = GameHistory[0], history1 = GameHistory[1];
  for (const char* text : rejected) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(SetupPosition(text, false));
    EXPECT_TRUE(SamePosition(Pos, before));
    EXPECT_EQ(std::memcmp(&RootSnapshot.board, &snapshotBefore.board, 64), 0);
    EXPECT_TRUE(SameHistoryEntry(GameHistory[0], history0));
    EXPECT_TRUE(SameHistoryEntry(GameHistory[1], history1));
  }
}

TEST(Setup, ClearsHistoryAndSearchTables) {
  ASSERT_TRUE(SetupPosition(StartFen, false));
  PlyFrame frame{};
  SaveForMake(&frame);
  MakeMove(BuildMove(G1, F3, Quiet), &frame);
  StoreSearchResult(BuildMove(G8, F6, Quiet), 12, 5, BoundExact);
  HistoryTable[1][100] = 7;
  PlyFrames[3].killerMoves[0] = 99;
  ASSERT_NE(ProbeTranspositionTable(), nullptr);
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_EQ(Pos.historyTop, &GameHistory[0]);
  EXPECT_EQ(GameHistory[1].key, 0u);
  EXPECT_EQ(HistoryTable[1][100], 0u);
  EXPECT_EQ(PlyFrames[3].killerMoves[0], 0);
  SaveForMake(&frame);
  MakeMove(BuildMove(G1, F3, Quiet), &frame);
  EXPECT_EQ(ProbeTranspositionTable(), nullptr);
}

TEST(Setup, EpdOperationDoesNotDisturbThePosition) {
  // "bm" with ";" and at the end of the line: the position is set up either way.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - bm Nf3;", false));
  EXPECT_EQ(Fen(), "4k3/8/8/8/8/8/8/4K1N1 w - -");
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - bm Nf3", false));
  EXPECT_EQ(Fen(), "4k3/8/8/8/8/8/8/4K1N1 w - -");
}

}  // namespace

namespace {

TEST(SideToMove, SwitchDropsTheEnPassantSquareAndKeepsTheKeysConsistent) {
  // A set-up en-passant square, switched at the root.
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", false));
  EXPECT_TRUE(SetSideToMove(White));
  EXPECT_EQ(Pos.sideToMove, White);
  EXPECT_EQ(Pos.epSquare, 0);
  EXPECT_EQ(RootSnapshot.epSquare, 0);
  EXPECT_TRUE(PositionIsConsistent());
  // An en-passant square made by a game move, switched later.
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  PlyFrame frame{};
  SaveForMake(&frame);
  MakeMove(BuildMove(D2, D4, Quiet), &frame);
  ASSERT_EQ(Pos.epSquare, D3);
  EXPECT_TRUE(SetSideToMove(White));
  EXPECT_EQ(Pos.epSquare, 0);
  EXPECT_EQ(Pos.historyTop->key, Pos.hashKey);
  EXPECT_TRUE(PositionIsConsistent());
  PlyFrame next{};
  SaveForMake(&next);
  MakeMove(BuildMove(E2, E4, Quiet), &next);
  EXPECT_TRUE(PositionIsConsistent());
}

TEST(SideToMove, SwitchThatWouldExposeAKingIsRefused) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/4R3/4K3 b - -", false));  // Black in check, to move
  const Position before = Pos;
  EXPECT_FALSE(SetSideToMove(White));
  EXPECT_TRUE(SamePosition(Pos, before));
  EXPECT_TRUE(SetSideToMove(Black));  // no change asked
}

}  // namespace
