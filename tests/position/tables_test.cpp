// The attack tables against an independent square-by-square ray walk.
#include "position/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

namespace {

constexpr Bitboard Sq(Square s) { return Bitboard{1} << (63 - s); }

bool OnBoard(int f, int w) { return f >= 0 && f < 8 && w >= 0 && w < 8; }

// Squares reached from s along (df, dw) until and including the first occupied square.
Bitboard Walk(Square s, int df, int dw, Bitboard occupied) {
  Bitboard result = 0;
  for (int f = FileOf(s) + df, w = RowOf(s) + dw; OnBoard(f, w); f += df, w += dw) {
    result |= Sq(f + 8 * w);
    if (occupied & Sq(f + 8 * w)) break;
  }
  return result;
}

// The squares of a line through s, in the order its occupancy index numbers them: bit 7 (or
// the highest used bit) first.
std::vector<Square> LineSquares(Square s, int kind) {
  std::vector<Square> squares;
  const int f = FileOf(s), w = RowOf(s);
  for (Square t = 0; t < 64; ++t) {
    const int tf = FileOf(t), tw = RowOf(t);
    bool on = kind == 0 ? tw == w : kind == 1 ? tf == f : kind == 2 ? tf + tw == f + w : tf - tw == f - w;
    if (on) squares.push_back(t);
  }
  // Rank: file a first; file: rank 8 first; diagonals: smallest file first.
  std::sort(squares.begin(), squares.end(),
            [kind](Square a, Square b) { return kind == 1 ? RowOf(a) < RowOf(b) : FileOf(a) < FileOf(b); });
  return squares;
}

TEST(Tables, LineTablesMatchARayWalkForEveryIndex) {
  static constexpr int Directions[4][2] = {{1, 0}, {0, 1}, {1, -1}, {1, 1}};
  Bitboard(*tables[4])[256] = {RankAttacks, FileAttacks, DiagA1H8Attacks, DiagA8H1Attacks};
  for (Square s = 0; s < 64; ++s) {
    for (int kind = 0; kind < 4; ++kind) {
      const std::vector<Square> line = LineSquares(s, kind);
      const unsigned len = static_cast<unsigned>(line.size());
      for (unsigned index = 0; index < 256; ++index) {
        SCOPED_TRACE(testing::Message() << "square " << s << " line " << kind << " index " << index);
        if (index >= (1u << len)) {
          EXPECT_EQ(tables[kind][s][index], 0u) << "index beyond the diagonal";
          continue;
        }
        Bitboard occupied = 0;
        for (unsigned i = 0; i < len; ++i) {
          if (index & (1u << (len - 1 - i))) occupied |= Sq(line[i]);
        }
        const int df = Directions[kind][0], dw = Directions[kind][1];
        const Bitboard expected = Walk(s, df, dw, occupied) | Walk(s, -df, -dw, occupied);
        ASSERT_EQ(tables[kind][s][index], expected);
      }
    }
  }
}

TEST(Tables, SlidingLookupsMatchARayWalkOnRandomBoards) {
  const Position saved = Pos;
  std::mt19937_64 random(12345);
  for (int trial = 0; trial < 2000; ++trial) {
    Bitboard occupied = random() & random();
    Pos.occupied = occupied;
    Pos.occupiedFiles = RotateFiles(occupied);
    Pos.occupiedA1H8 = RotateA1H8(occupied);
    Pos.occupiedA8H1 = RotateA8H1(occupied);
    for (Square s = 0; s < 64; ++s) {
      const Bitboard rook =
          Walk(s, 1, 0, occupied) | Walk(s, -1, 0, occupied) | Walk(s, 0, 1, occupied) | Walk(s, 0, -1, occupied);
      const Bitboard bishop =
          Walk(s, 1, 1, occupied) | Walk(s, -1, -1, occupied) | Walk(s, 1, -1, occupied) | Walk(s, -1, 1, occupied);
      ASSERT_EQ(RookAttacks(s), rook) << s;
      ASSERT_EQ(BishopAttacks(s), bishop) << s;
    }
  }
  Pos = saved;
}

TEST(Tables, StepAttacksAndRaysMatchGeometry) {
  for (Square s = 0; s < 64; ++s) {
    Bitboard king = 0, knight = 0, whitePawn = 0, blackPawn = 0, rook = 0, bishop = 0;
    for (Square t = 0; t < 64; ++t) {
      const int df = FileOf(t) - FileOf(s), dw = RowOf(t) - RowOf(s);
      const int adf = std::abs(df), adw = std::abs(dw);
      if (t != s && adf <= 1 && adw <= 1) king |= Sq(t);
      if ((adf == 1 && adw == 2) || (adf == 2 && adw == 1)) knight |= Sq(t);
      if (adf == 1 && dw == -1) whitePawn |= Sq(t);
      if (adf == 1 && dw == 1) blackPawn |= Sq(t);
      if (t != s && (df == 0 || dw == 0)) rook |= Sq(t);
      if (t != s && adf == adw) bishop |= Sq(t);
    }
    EXPECT_EQ(KingAttacks[s], king) << s;
    EXPECT_EQ(KnightAttacks[s], knight) << s;
    EXPECT_EQ(WhitePawnAttacks[s], whitePawn) << s;
    EXPECT_EQ(BlackPawnAttacks[s], blackPawn) << s;
    EXPECT_EQ(RookRays[s], rook) << s;
    EXPECT_EQ(BishopRays[s], bishop) << s;
    EXPECT_EQ(QueenRays[s], rook | bishop) << s;
    EXPECT_EQ(SquareMask[s], Sq(s));
  }
}

TEST(Tables, RotationsArePermutationsWithTheirSlotLayouts) {
  std::set<Bitboard> files, a1h8, a8h1;
  for (Square s = 0; s < 64; ++s) {
    files.insert(SquareMaskFiles[s]);
    a1h8.insert(SquareMaskA1H8[s]);
    a8h1.insert(SquareMaskA8H1[s]);
  }
  EXPECT_EQ(files.size(), 64u);
  EXPECT_EQ(a1h8.size(), 64u);
  EXPECT_EQ(a8h1.size(), 64u);
  // Slot t is bit 63 - t: a8 is slot 0 of the diagonal layouts, h1 slot 63; a1..h8 fill 28-35.
  EXPECT_EQ(SquareMaskA1H8[A8], Sq(0));
  EXPECT_EQ(SquareMaskA1H8[H1], Sq(63));
  EXPECT_EQ(SquareMaskA1H8[A1], Sq(28));
  EXPECT_EQ(SquareMaskA1H8[H8], Sq(35));
  EXPECT_EQ(SquareMaskA8H1[H8], Sq(0));
  EXPECT_EQ(SquareMaskA8H1[A8], Sq(28));
  EXPECT_EQ(SquareMaskA8H1[A7], Sq(36));
  EXPECT_EQ(SquareMaskA8H1[A1], Sq(63));
  // Files: file h is the top byte with rank 8 in its top bit; file a the bottom byte.
  EXPECT_EQ(SquareMaskFiles[H8], Sq(0));
  EXPECT_EQ(SquareMaskFiles[A1], Bitboard{1});
  EXPECT_EQ(DiagShiftA1H8[A8], 63);
  EXPECT_EQ(DiagShiftA1H8[A1], 28);
  EXPECT_EQ(DiagShiftA1H8[H8], 28);
  EXPECT_EQ(DiagShiftA1H8[H1], 0);
  EXPECT_EQ(DiagShiftA8H1[H8], 63);
  EXPECT_EQ(DiagShiftA8H1[A8], 28);
  EXPECT_EQ(DiagShiftA8H1[A1], 0);
}

Bitboard Squares(std::initializer_list<Square> list) {
  Bitboard b = 0;
  for (Square s : list) b |= Sq(s);
  return b;
}

TEST(Tables, NamedEdgeCases) {
  EXPECT_EQ(BitScan(1), 63);
  EXPECT_EQ(BitScan(0x8000000000000000ull), 0);
  EXPECT_EQ(BitScan(Squares({A8, H1})), 63);
  EXPECT_EQ(RankAttacks[E4][(1u << 7) | (1u << 1)], Squares({A4, B4, C4, D4, F4, G4}));
  EXPECT_EQ(FileAttacks[A1][0], Squares({A2, A3, A4, A5, A6, A7, A8}));
  EXPECT_EQ(FileAttacks[A1][1u << 4], Squares({A2, A3, A4, A5}));  // a5 is rank 5: bit 4
  EXPECT_EQ(DiagA1H8Attacks[A8][0], 0u);
  EXPECT_EQ(DiagA8H1Attacks[A8][0], Squares({B7, C6, D5, E4, F3, G2, H1}));
  EXPECT_EQ(WhitePawnAttacks[H2], Squares({G3}));
  EXPECT_EQ(BlackPawnAttacks[A7], Squares({B6}));
  EXPECT_EQ(WhitePawnAttacks[C8], 0u);
  EXPECT_EQ(BlackPawnAttacks[C1], 0u);
  EXPECT_EQ(WhitePassedMask[E4], Squares({D5, D6, D7, D8, E5, E6, E7, E8, F5, F6, F7, F8}));
  EXPECT_EQ(FileForwardBlack[E4], Squares({E3, E2, E1}));
  EXPECT_EQ(AdjacentFilesMask[A1], Squares({B1, B2, B3, B4, B5, B6, B7, B8}));
  EXPECT_EQ(WhitePassedMask[E8], 0u);
  EXPECT_EQ(BlackPassedMask[E1], 0u);
  EXPECT_EQ(FileExceptSquare[E4], Squares({E1, E2, E3, E5, E6, E7, E8}));
}

TEST(Tables, BitScanFollowsTheFoldingRule) {
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(BitScanFolded(Bitboard{1} << k), 63 - k);
    EXPECT_EQ(BitScan(Bitboard{1} << k), 63 - k);
    // Higher bits never change the result.
    EXPECT_EQ(BitScanFolded(~Bitboard{0} << k), 63 - k);
  }
  EXPECT_EQ(BitScanFolded(0), 63);
}

TEST(Tables, EnPassantTogglesHoldDestinationAndCapturedPawn) {
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(EnPassantTogglesFiles[16 + k], RotateFiles(Sq(16 + k) | Sq(24 + k)));
    EXPECT_EQ(EnPassantTogglesA1H8[40 + k], RotateA1H8(Sq(40 + k) | Sq(32 + k)));
    EXPECT_EQ(EnPassantTogglesA8H1[16 + k], RotateA8H1(Sq(16 + k) | Sq(24 + k)));
  }
}

TEST(Tables, ZobristKeysAreDistinctAndNonZero) {
  std::set<HashKey> keys;
  for (const auto& row : ZobristKeys) {
    for (HashKey key : row) {
      EXPECT_NE(key, 0u);
      keys.insert(key);
    }
  }
  EXPECT_EQ(keys.size(), 13u * 64u);
}

}  // namespace
