// The piece-square tables: the rows that are fixed by design, their symmetries, the phase
// selection by materialTotal and the orientation PieceSquareValue reads them in.
#include "eval/psqt.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "eval/eval.h"

namespace {
using Row = std::array<int, 8>;

// Rank 1..8 of a table, a-file first.
Row RankOf(const int16_t* table, int rank) {
  Row row{};
  for (int file = 0; file < 8; ++file) row[file] = table[file + 8 * (8 - rank)];
  return row;
}

struct FixedRow {
  const char* name;
  const int16_t* table;
  int rank;
  Row entries;
};

const FixedRow FixedRows[] = {
    {"KingTableA", KingTableA, 1, {4, 12, -2, -6, -6, -2, 12, 4}},
    {"KingTableA", KingTableA, 8, {4, 12, -4, -6, -6, -4, 12, 4}},
    {"KingTableA", KingTableA, 4, {-25, -39, -40, -55, -55, -40, -39, -25}},
    {"KingTableA", KingTableA, 5, {-25, -39, -40, -55, -55, -40, -39, -25}},
    {"KingTableB", KingTableB, 1, {0, 6, -2, -3, -3, -2, 6, 0}},
    {"KingTableC", KingTableC, 1, {-8, -6, -4, -2, -2, -4, -6, -8}},
    {"KingTableC", KingTableC, 4, {-2, 0, 2, 4, 4, 2, 0, -2}},
    {"KingTableC", KingTableC, 5, {-2, 0, 2, 4, 4, 2, 0, -2}},
    {"KingTableD", KingTableD, 1, {-26, -19, -12, -9, -9, -12, -19, -26}},
    {"KingTableD", KingTableD, 4, {-12, 0, 4, 9, 9, 4, 0, -12}},
    {"KingTableD", KingTableD, 5, {-12, 0, 4, 9, 9, 4, 0, -12}},
    {"PawnTableA", PawnTableA, 7, {18, 31, 33, 40, 40, 33, 31, 18}},
    {"PawnTableA", PawnTableA, 3, {0, -1, 1, 2, 2, -1, -1, 0}},
    {"PawnTableA", PawnTableA, 2, {0, 0, 0, -9, -9, 0, 0, 0}},
    {"PawnTableB", PawnTableB, 7, {29, 44, 48, 53, 53, 48, 44, 29}},
    {"PawnTableC", PawnTableC, 7, {52, 64, 67, 75, 75, 67, 64, 52}},
    {"PawnTableD", PawnTableD, 7, {72, 90, 99, 104, 104, 99, 90, 72}},
    {"PawnTableD", PawnTableD, 5, {18, 24, 28, 30, 28, 24, 30, 18}},
    {"PawnTableA", PawnTableA, 8, {99, 99, 99, 99, 99, 99, 99, 99}},
    {"PawnTableB", PawnTableB, 8, {199, 199, 199, 199, 199, 199, 199, 199}},
    {"PawnTableC", PawnTableC, 8, {299, 299, 299, 299, 299, 299, 299, 299}},
    {"PawnTableD", PawnTableD, 8, {499, 499, 499, 499, 499, 499, 499, 499}},
    {"PawnTableA", PawnTableA, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"PawnTableB", PawnTableB, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"PawnTableC", PawnTableC, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"PawnTableD", PawnTableD, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"KnightTableA", KnightTableA, 1, {-20, -18, -12, -10, -10, -12, -18, -20}},
    {"KnightTableA", KnightTableA, 4, {-6, 5, 12, 17, 17, 12, 5, -6}},
    {"KnightTableA", KnightTableA, 5, {-6, 5, 12, 17, 17, 12, 5, -6}},
    {"KnightTableB", KnightTableB, 4, {-6, 5, 9, 15, 15, 9, 5, -6}},
    {"KnightTableB", KnightTableB, 5, {-6, 5, 9, 15, 15, 9, 5, -6}},
    {"BishopTableA", BishopTableA, 1, {-12, -14, -9, -9, -14, -12, -15, 0}},
    {"BishopTableA", BishopTableA, 8, {-15, -12, -14, -9, -9, -14, -12, -27}},
    {"BishopTableA", BishopTableA, 5, {6, 9, 13, 13, 9, 6, 0, 0}},
    {"BishopTableB", BishopTableB, 4, {1, 7, 10, 13, 13, 10, 7, 1}},
    {"BishopTableB", BishopTableB, 5, {1, 7, 10, 13, 13, 10, 7, 1}},
    {"BishopTableB", BishopTableB, 6, {-1, 4, 8, 8, 8, 7, 4, -1}},
    {"RookTableA", RookTableA, 7, {7, 9, 11, 12, 12, 11, 9, 7}},
    {"RookTableA", RookTableA, 1, {-10, -9, 0, 1, 1, 0, -9, -10}},
    {"RookTableB", RookTableB, 1, {-8, -6, 0, 1, 1, 0, -6, -8}},
    {"QueenTableA", QueenTableA, 1, {-4, -3, 0, 9, 9, 0, -3, -4}},
    {"QueenTableB", QueenTableB, 7, {6, 7, 8, 9, 9, 8, 7, 6}},
};

TEST(PieceSquareTables, FixedRowsAreExact) {
  for (const FixedRow& row : FixedRows) {
    EXPECT_EQ(RankOf(row.table, row.rank), row.entries) << row.name << " rank " << row.rank;
  }
}

TEST(PieceSquareTables, RookTableBDiffersFromRookTableAOnlyOnRank1) {
  for (int s = 0; s < 56; ++s) EXPECT_EQ(RookTableB[s], RookTableA[s]) << "square " << s;
}

struct NamedTable {
  const char* name;
  const int16_t* table;
};

const NamedTable AllTables[] = {
    {"KingTableA", KingTableA},     {"KingTableB", KingTableB},     {"KingTableC", KingTableC},
    {"KingTableD", KingTableD},     {"PawnTableA", PawnTableA},     {"PawnTableB", PawnTableB},
    {"PawnTableC", PawnTableC},     {"PawnTableD", PawnTableD},     {"KnightTableA", KnightTableA},
    {"KnightTableB", KnightTableB}, {"BishopTableA", BishopTableA}, {"BishopTableB", BishopTableB},
    {"RookTableA", RookTableA},     {"RookTableB", RookTableB},     {"QueenTableA", QueenTableA},
    {"QueenTableB", QueenTableB},
};

bool RankIsSymmetric(const int16_t* table, int rank) {
  Row row = RankOf(table, rank);
  for (int file = 0; file < 4; ++file)
    if (row[file] != row[7 - file]) return false;
  return true;
}

// Every table is symmetric between the a-side and the h-side except BishopTableA (no symmetry at
// all) and exactly three ranks: PawnTableA rank 3, PawnTableD rank 5 and BishopTableB rank 6.
TEST(PieceSquareTables, LeftRightSymmetryWithItsExceptions) {
  const std::string exceptions[] = {"PawnTableA 3", "PawnTableD 5", "BishopTableB 6"};
  for (const NamedTable& t : AllTables) {
    if (std::string(t.name) == "BishopTableA") continue;
    for (int rank = 1; rank <= 8; ++rank) {
      std::string id = std::string(t.name) + " " + std::to_string(rank);
      bool isException = false;
      for (const std::string& e : exceptions) isException |= e == id;
      EXPECT_EQ(RankIsSymmetric(t.table, rank), !isException) << id;
    }
  }
}

TEST(PieceSquareTables, BishopTableAIsSymmetricInNoDirection) {
  bool leftRight = true, topBottom = true, halfTurn = true;
  for (int s = 0; s < 64; ++s) {
    leftRight &= BishopTableA[s] == BishopTableA[s ^ 7];
    topBottom &= BishopTableA[s] == BishopTableA[s ^ 56];
    halfTurn &= BishopTableA[s] == BishopTableA[63 - s];
  }
  EXPECT_FALSE(leftRight);
  EXPECT_FALSE(topBottom);
  EXPECT_FALSE(halfTurn);
}

// Both kings read their own square, so the black king's half of KingTableA and KingTableB is
// not the mirror of the white king's half; KingTableC and KingTableD treat both kings alike.
TEST(PieceSquareTables, KingTablesAAndBFavourTheWhiteKingOnTheBackRankCorners) {
  for (const int16_t* table : {KingTableA, KingTableB}) {
    EXPECT_EQ(table[C1] - table[C8], 2);
    EXPECT_EQ(table[F1] - table[F8], 2);
  }
  for (const int16_t* table : {KingTableC, KingTableD}) {
    for (int s = 0; s < 64; ++s) EXPECT_EQ(table[s], table[s ^ 56]) << "square " << s;
  }
}

TEST(PhaseSelection, BandsByMaterialTotal) {
  struct Band {
    int low, high;
    const int16_t* king;
    const int16_t* pawn;
    bool pieceTablesA;
  };
  const Band bands[] = {
      {71, 127, KingTableA, PawnTableA, true}, {63, 70, KingTableB, PawnTableB, false},
      {47, 62, KingTableB, PawnTableC, false}, {15, 46, KingTableC, PawnTableC, false},
      {0, 14, KingTableD, PawnTableD, false},
  };
  for (const Band& band : bands) {
    for (int material = band.low; material <= band.high; ++material) {
      SCOPED_TRACE("materialTotal " + std::to_string(material));
      EXPECT_EQ(PhaseTableSelection[KingKind][material], band.king);
      EXPECT_EQ(PhaseTableSelection[PawnKind][material], band.pawn);
      EXPECT_EQ(PhaseTableSelection[KnightKind][material], band.pieceTablesA ? KnightTableA : KnightTableB);
      EXPECT_EQ(PhaseTableSelection[BishopKind][material], band.pieceTablesA ? BishopTableA : BishopTableB);
      EXPECT_EQ(PhaseTableSelection[RookKind][material], band.pieceTablesA ? RookTableA : RookTableB);
      EXPECT_EQ(PhaseTableSelection[QueenKind][material], band.pieceTablesA ? QueenTableA : QueenTableB);
    }
  }
}

// PieceSquareValue reads the table of the current phase, turned for black pieces but not for
// the black king; a materialTotal above 127 reads the tables of 127.
TEST(PhaseSelection, PieceSquareValueOrientationAndClamp) {
  const uint8_t savedMaterial = Pos.materialTotal;
  Pos.materialTotal = 78;
  EXPECT_EQ(PieceSquareValue(WhiteKing, C1), -2);
  EXPECT_EQ(PieceSquareValue(BlackKing, C8), -4);
  EXPECT_EQ(PieceSquareValue(WhitePawn, D2), -9);
  EXPECT_EQ(PieceSquareValue(BlackPawn, D7), -9);  // turned to e2
  EXPECT_EQ(PieceSquareValue(BlackPawn, C6), -1);  // turned to f3, not mirrored to c3 (1)
  EXPECT_EQ(PieceSquareValue(BlackBishop, H8), BishopTableA[A1]);
  EXPECT_EQ(PieceSquareValue(WhiteBishop, H1), 0);
  Pos.materialTotal = 10;
  EXPECT_EQ(PieceSquareValue(WhiteKing, A1), -26);
  EXPECT_EQ(PieceSquareValue(BlackQueen, A2), QueenTableB[H7]);
  Pos.materialTotal = 200;
  EXPECT_EQ(PieceSquareValue(WhiteKing, C1), KingTableA[C1]);
  EXPECT_EQ(PieceSquareValue(BlackKnight, G8), KnightTableA[B1]);
  Pos.materialTotal = savedMaterial;
}
}  // namespace
