// Evaluate on hand-worked positions: each expected number is written as the sum of the terms
// that make it up, so a failing case shows which term went wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "eval/eval.h"
#include "eval/kingsafety.h"
#include "eval/psqt.h"

namespace {

// Expected values of one position; terms left empty are not checked. Terms are from White's
// view, score from the side to move's view.
struct Case {
  const char* name;
  const char* fen;
  std::optional<int> score = std::nullopt;
  std::optional<int> kingTables = std::nullopt;
  std::optional<int> shelter = std::nullopt;
  std::optional<int> pawnStructure = std::nullopt;
  std::optional<int> knights = std::nullopt;
  std::optional<int> bishops = std::nullopt;
  std::optional<int> rooks = std::nullopt;
  std::optional<int> queens = std::nullopt;
  std::optional<int> imbalance = std::nullopt;
  std::optional<int> attackProduct = std::nullopt;
  std::optional<int> whiteKingFileCount = std::nullopt;
  std::optional<int> blackKingFileCount = std::nullopt;
  std::optional<int> whiteTropism = std::nullopt;
  std::optional<int> blackTropism = std::nullopt;
};

void Check(const std::optional<int>& expected, int actual, const char* what) {
  if (expected) {
    EXPECT_EQ(actual, *expected) << what;
  }
}

void CheckCase(const Case& c) {
  SCOPED_TRACE(std::string(c.name) + ": " + c.fen);
  ASSERT_TRUE(SetupPosition(c.fen, false));
  EvalTerms t;
  const int score = EvaluateTerms(t);
  EXPECT_EQ(Evaluate(), score) << "the traced and the plain evaluation differ";
  Check(c.score, score, "score");
  Check(c.kingTables, t.kingTables, "king tables");
  Check(c.shelter, t.shelter, "shelter");
  Check(c.pawnStructure, t.pawnStructure, "pawn structure");
  Check(c.knights, t.knights, "knights");
  Check(c.bishops, t.bishops, "bishops");
  Check(c.rooks, t.rooks, "rooks");
  Check(c.queens, t.queens, "queens");
  Check(c.imbalance, t.imbalance, "imbalance");
  Check(c.attackProduct, t.attackProduct, "attack product");
  Check(c.whiteKingFileCount, t.whiteKingFileCount, "white king file count");
  Check(c.blackKingFileCount, t.blackKingFileCount, "black king file count");
  Check(c.whiteTropism, t.whiteTropism, "white tropism");
  Check(c.blackTropism, t.blackTropism, "black tropism");
  if (!t.insufficientMaterial) {
    const int16_t sum = static_cast<int16_t>(t.kingTables + t.shelter + t.pawnStructure + t.knights + t.bishops +
                                             t.rooks + t.queens + t.imbalance + t.attackProduct);
    // Beyond +-8000 the score is held at the bound, below the mate scores.
    const int bounded = std::clamp<int>(sum, -8000, 8000);
    EXPECT_EQ(Pos.sideToMove == White ? bounded : -bounded, score) << "the terms do not add up to the score";
  }
}

// Table entries named for readability below.
constexpr int KD_e1 = -9, KD_e8 = -9, KD_g8 = -19, KD_g7 = -10, KD_g1 = -19, KD_a1 = -26, KD_a8 = -26;

const Case MaterialAndPieceCases[] = {
    {.name = "bare kings", .fen = "4k3/8/8/8/8/8/8/4K3 w - -", .score = 0},
    {.name = "king and knight against king", .fen = "4k3/8/8/8/8/8/8/4KN2 w - -", .score = 0},
    {.name = "king and bishop against king", .fen = "4kb2/8/8/8/8/8/8/4K3 b - -", .score = 0},
    {.name = "king and rook against king",
     .fen = "4k3/8/8/8/8/8/8/R3K3 w - -",
     // materialTotal 5: KingTableD, RookTableB; no shelter, no pawns, no attack product.
     .score = (KD_e1 - KD_e8) + (-8 + 500 + 8 + 12) + 100,
     .kingTables = KD_e1 - KD_e8,
     .rooks = -8 + 500 + 8 + 12,  // RookTableB a1, base, no own pawn on the file, none at all
     .imbalance = 100},           // a rook more, no queens
    {.name = "king and rook against king, Black to move",
     .fen = "4k3/8/8/8/8/8/8/R3K3 b - -",
     .score = -((KD_e1 - KD_e8) + (-8 + 500 + 20) + 100)},
    {.name = "white king c1 and black king c8 read their own squares",
     .fen = "rnkq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNKQ1BNR w - -",
     // materialTotal 72: the A tables. Everything but the kings and the bishops cancels.
     .score = (-2 - -4) + (-12 - -9),
     .kingTables = -2 - -4,                          // KingTableA c1 - KingTableA c8
     .shelter = 0,                                   // both kings have their rook on the a-file corner
     .bishops = (-12 + 315 - 16) - (-9 + 315 - 16),  // BishopTableA f1, black f8 turned to c1
     .attackProduct = 0,
     .whiteKingFileCount = 1,  // every file closed by pawns of both colours, the enemy queen
     .blackKingFileCount = 1},
    {.name = "knight and bishop with sixteen pawns",
     .fen = "4k3/pppppppp/8/3b4/4N3/8/PPPPPPPP/4K3 w - -",
     // materialTotal 22: KingTableC, PawnTableC, KnightTableB, BishopTableB.
     .score = (15 + 310 + 16) - (13 + 315 - 16),
     .kingTables = 0,
     .pawnStructure = 0,           // symmetric blocked pawns on their home squares
     .knights = 15 + 310 + 16,     // KnightTableB e4 + base + 16 pawns: 326 before the table
     .bishops = -(13 + 315 - 16),  // BishopTableB e4 (d5 turned) + base - 16 pawns: 299
     .imbalance = 0},              // neither side has more than 4 units of pieces
    {.name = "two white rooks on the seventh, black king on g8",
     .fen = "6k1/RR6/8/8/8/8/8/4K3 w - -",
     .score = (KD_e1 - KD_g8) + (7 + 500 + 20) + (9 + 500 + 20) + 12 + 12 + 36 + 100,
     .kingTables = KD_e1 - KD_g8,
     .rooks = (7 + 500 + 20) + (9 + 500 + 20) + 12 + 12 + 36,  // RookTableB a7, b7, open files
     .imbalance = 100},
    {.name = "two white rooks on the seventh, black king on g7",
     .fen = "8/RR4k1/8/8/8/8/8/4K3 b - -",
     .score = -((KD_e1 - KD_g7) + (7 + 500 + 20) + (9 + 500 + 20) + 12 + 12 + 12 + 100),
     .rooks = (7 + 500 + 20) + (9 + 500 + 20) + 12 + 12 + 12},
    {.name = "two black rooks on the second, white king on g1",
     .fen = "4k3/8/8/8/8/8/rr6/6K1 w - -",
     .score = (KD_g1 - KD_e8) - (7 + 500 + 20) - (9 + 500 + 20) - 12 - 12 - 36 - 100,
     .rooks = -(7 + 500 + 20) - (9 + 500 + 20) - 12 - 12 - 36,  // a2, b2 turned to h7, g7
     .imbalance = -100},
    {.name = "rook behind a passed pawn",
     .fen = "4k3/8/8/8/8/4P3/8/4R1K1 w - -",
     // The e3 pawn is passed and in front of the rook: +20; no file bonus (own pawn on the file).
     .rooks = 1 + 500 + 20},
    {.name = "rook in front of its own passed pawn gets no file bonus",
     .fen = "6k1/4R3/8/8/8/4P3/8/4K3 w - -",
     .rooks = (12 + 500) + 12},  // RookTableB e7; one rook on the seventh
    {.name = "white rook on an open file, black rook behind a pawn that is not passed",
     .fen = "4r1k1/8/8/8/4p3/8/4P3/3RK3 w - -",
     .rooks = (1 + 500 + 8 + 12) - (1 + 500)},  // d1 open; e8 turned to d1; e4 blocked by e2
    {.name = "black rook behind its passed pawn",
     .fen = "4r1k1/8/8/8/4p3/8/8/4K3 w - -",
     .rooks = -(1 + 500 + 20)},  // RookTableB e8 turned to d1 is 1
    {.name = "white bishops trapped on a7 and h7 pay once; bishop pair",
     .fen = "4k3/B6B/1p4p1/8/8/8/8/4K3 w - -",
     // materialTotal 8: KingTableD, PawnTableD, BishopTableB.
     .score = 0 + (-113 - 113) + ((-4 + 315 - 2) + (-4 + 315 - 2) - 220 + 32) + 100,
     .kingTables = KD_e1 - KD_e8,
     // b6: -(PawnTableD g3 5 + 100) - passed 16 x 2 + isolated 18 + half-open 6; g6 alike.
     .pawnStructure = -(5 + 100) - 32 + 24 - (5 + 100) - 32 + 24,
     .bishops = (-4 + 315 - 2) + (-4 + 315 - 2) - 220 + 32,  // BishopTableB a7, h7; 2 pawns
     .imbalance = 100},                                      // two minor pieces more
    {.name = "black bishop trapped on g1",
     .fen = "4k3/8/8/8/8/8/5P2/4K1b1 w - -",
     .score = (100 + 0 + 16 - 18 - 6) - (-6 + 315 - 1) + 220,
     .pawnStructure = 100 + 0 + 16 - 18 - 6,  // f2: passed on rank 2, isolated on a half-open file
     .bishops = -(-6 + 315 - 1) + 220,        // BishopTableB g1 turned to b8
     .imbalance = 0,                          // 3 units of pieces only
     .blackTropism = 4},                      // bishop at distance 2 from e1
    {.name = "rook and pawn against two minor pieces",
     .fen = "4k3/8/8/2nb4/8/8/4P3/R3K3 w - -",
     // materialTotal 12: D tables, piece tables B.
     .score = 92 - (9 + 310 + 1) - (13 + 315 - 1) + (-8 + 500 + 20) - 100,
     .pawnStructure = 100 + 0 + 16 - 18 - 6,
     .knights = -(9 + 310 + 1),   // c5 turned to f4
     .bishops = -(13 + 315 - 1),  // d5 turned to e4
     .rooks = -8 + 500 + 20,
     .imbalance = -100},  // MajorBalance +1, MinorBalance -2
};

TEST(Evaluate, MaterialAndPieceTerms) {
  for (const Case& c : MaterialAndPieceCases) CheckCase(c);
}

// Imbalance corrections (pieces placed where no other term tells them apart).
const Case ImbalanceCases[] = {
    {.name = "queen against rook", .fen = "3rk3/8/8/8/8/8/8/3QK3 w - -", .imbalance = 60},
    {.name = "rook against queen", .fen = "3qk3/8/8/8/8/8/8/3RK3 w - -", .imbalance = -60},
    {.name = "queen against bishop counts as a major for a minor",
     .fen = "4k3/8/8/8/8/8/8/Q1b1K3 w - -",
     .imbalance = 60},
    {.name = "queen against two rooks: queens unequal", .fen = "r2rk3/8/8/8/8/8/8/3QK3 w - -", .imbalance = 0},
    {.name = "a queen more: queens unequal", .fen = "r3k3/8/8/8/8/8/8/RQ2K3 w - -", .imbalance = 0},
    {.name = "a rook more, queens on both sides", .fen = "q3k3/8/8/8/8/8/8/QR2K3 w - -", .imbalance = 100},
    {.name = "queens only", .fen = "q3k3/8/8/8/8/8/8/Q3K3 w - -", .imbalance = 0},
    {.name = "the exchange for White", .fen = "2b1k3/8/8/8/8/8/8/3RK3 w - -", .imbalance = 60},
    {.name = "the exchange for Black", .fen = "3rk3/8/8/8/8/8/8/2B1K3 w - -", .imbalance = -60},
    {.name = "two minors against a rook", .fen = "3rk3/8/8/8/8/8/8/1NB1K3 w - -", .imbalance = 100},
    {.name = "rook against two minors", .fen = "1nb1k3/8/8/8/8/8/8/3RK3 w - -", .imbalance = -100},
    {.name = "three minors against two rooks", .fen = "r2rk3/8/8/8/8/8/8/1NBBK3 w - -", .imbalance = 130},
    {.name = "two rooks against three minors", .fen = "1nbbk3/8/8/8/8/8/8/R2RK3 w - -", .imbalance = -130},
    {.name = "two rooks against two minors", .fen = "1nb1k3/8/8/8/8/8/8/R2RK3 w - -", .imbalance = 0},
    {.name = "a piece more", .fen = "r3k3/8/8/8/8/8/8/R1N1K3 w - -", .imbalance = 100},
    {.name = "a piece more for Black, queens on both sides", .fen = "q1n1k3/8/8/8/8/8/8/Q3K3 w - -", .imbalance = -100},
    {.name = "a piece more, queen against rook", .fen = "r3k3/8/8/8/8/8/8/Q1N1K3 w - -", .imbalance = 0},
    {.name = "little material: knight against pawn", .fen = "4k3/4p3/8/8/8/8/8/1N2K3 w - -", .imbalance = 0},
};

TEST(Evaluate, MaterialImbalance) {
  for (const Case& c : ImbalanceCases) CheckCase(c);
}

// The d7 pawn scores 100 + PawnTable[d7] + passed 96 - isolated 18 - half-open 6 in every band;
// the kings on g1 and h8 read the king table of the band.
constexpr int PawnD7(int tableEntry) { return 100 + tableEntry + 96 - 18 - 6; }

const Case PhaseCases[] = {
    {.name = "materialTotal 71: A tables",
     .fen = "qnbq1b1k/3P4/n7/8/8/N7/QR6/RNBQ1BK1 w - -",
     .kingTables = 12 - 4,  // KingTableA g1 - h8
     .pawnStructure = PawnD7(40)},
    {.name = "materialTotal 70: KingTableB, PawnTableB",
     .fen = "qrbq1b1k/3P4/8/8/8/N7/QR6/RNBQ1BK1 w - -",
     .kingTables = 6 - 0,
     .pawnStructure = PawnD7(53)},
    {.name = "materialTotal 63: KingTableB, PawnTableB",
     .fen = "rnbq1b1k/3P4/n6r/8/8/N7/1R6/RNBQ1BK1 w - -",
     .kingTables = 6 - 0,
     .pawnStructure = PawnD7(53)},
    {.name = "materialTotal 62: KingTableB, PawnTableC",
     .fen = "qnbq1b1k/3P4/n7/8/8/N7/1R6/RNBQ1BK1 w - -",
     .kingTables = 6 - 0,
     .pawnStructure = PawnD7(75)},
    {.name = "materialTotal 47: KingTableB, PawnTableC",
     .fen = "1n1q3k/3P4/n7/8/8/N7/1R6/RNBQ1BK1 w - -",
     .kingTables = 6 - 0,
     .pawnStructure = PawnD7(75)},
    {.name = "materialTotal 46: KingTableC, PawnTableC",
     .fen = "1r1q3k/3P4/8/8/8/N7/1R6/RNBQ1BK1 w - -",
     .kingTables = -6 - -8,
     .pawnStructure = PawnD7(75)},
    {.name = "materialTotal 15: KingTableC, PawnTableC",
     .fen = "1r5k/3P4/8/8/8/8/8/3Q2K1 w - -",
     .kingTables = -6 - -8,
     .pawnStructure = PawnD7(75)},
    {.name = "materialTotal 14: KingTableD, PawnTableD",
     .fen = "1r5k/3P4/n7/8/8/8/8/R5K1 w - -",
     .kingTables = -19 - -26,
     .pawnStructure = PawnD7(104)},
};

TEST(Evaluate, PhaseBands) {
  const int expectedMaterial[] = {71, 70, 63, 62, 47, 46, 15, 14};
  int i = 0;
  for (const Case& c : PhaseCases) {
    CheckCase(c);
    EXPECT_EQ(Pos.materialTotal, expectedMaterial[i++]) << c.name;
  }
}

const Case KingSafetyCases[] = {
    {.name = "g1 king behind f2 g2 h2, Black has a queen",
     .fen = "rnbqkbnr/8/8/8/8/8/5PPP/3Q2K1 w - -",
     .shelter = 3 * (6 + 6) + (6 + 6) / 2},
    {.name = "g1 king with the h1 rook still at home", .fen = "rnbqkbnr/8/8/8/8/8/5PPP/3Q2KR w - -", .shelter = 0},
    {.name = "g1 king after castling, rook on f1",
     .fen = "rnbqkbnr/8/8/8/8/8/5PPP/3Q1RK1 w - -",
     .shelter = 3 * 12 + 6,
     .whiteKingFileCount = 1 + 1 + 1 + 1,   // own file closed by White only, h and f alike, queen
     .blackKingFileCount = 4 + 3 + 5 + 1},  // e open; f: no black pawn; d open; White's queen
    {.name = "g1 king, Black has no queen", .fen = "rnb1kbnr/8/8/8/8/8/5PPP/R2Q2K1 w - -", .shelter = 3 * 6 + 6 / 2},
    {.name = "g1 king with the f2 pawn only", .fen = "rnbqkbnr/8/8/8/8/8/5P2/3Q2K1 w - -", .shelter = 12},
    {.name = "b1 king behind a2 b2 c2",
     .fen = "rnbqkbnr/8/8/8/8/8/PPP5/1K1Q4 w - -",
     .shelter = 3 * (3 + 6) + (3 + 6) / 2},
    {.name = "c1 king with the a1 rook at home", .fen = "rnbqkbnr/8/8/8/8/8/PPP5/R1KQ4 w - -", .shelter = 0},
    {.name = "g8 king behind f7 g7 h7, White has a queen",
     .fen = "3q2k1/5ppp/8/8/8/8/8/RNBQKBNR w - -",
     .shelter = -(3 * 12 + 6)},
    {.name = "b8 king behind a7 b7 c7", .fen = "1k1q4/ppp5/8/8/8/8/8/RNBQKBNR w - -", .shelter = -(3 * 9 + 4)},
    {.name = "materialTotal 35: no shelter and no file counts",
     .fen = "rnbqkbnr/8/8/8/8/8/P4PPP/6K1 w - -",
     .shelter = 0,
     .whiteKingFileCount = 0,
     .blackKingFileCount = 0},
    {.name = "materialTotal 36: shelter counts again", .fen = "rnbqkbnr/8/8/8/8/8/PP3PPP/6K1 w - -", .shelter = 42},
    {.name = "king on h1 looks at the g-file only",
     .fen = "rnbqkbnr/8/8/8/8/8/8/Q6K w - -",
     .whiteKingFileCount = 2 + 2 + 3 + 2 + 1,  // h open for both, g open for both, queen
     .blackKingFileCount = 2 + 2 + 3 + 2 + 3 + 2 + 1},
    {.name = "king on a1 looks at the b-file only",
     .fen = "rnbqkbnr/8/8/8/8/8/1P6/K6Q w - -",
     .whiteKingFileCount = 2 + 2 + 2 + 1},  // a open; b: own pawn, no enemy pawn; queen
    {.name = "attack product: queen, rook and two bishops against a king with count 6",
     .fen = "k7/8/8/5p2/6p1/1R2b1bQ/4q2P/4r1K1 w - -",
     .shelter = 6 + 6 + 6,  // h2 with Black's queen: 12, and the g2/h2 half bonus 6
     .attackProduct = -(2 * 90) + 3 * 0,
     // White: g-file no own pawn (2); h: own pawn, no enemy (+1); f: no own (+2), enemy f5; queen.
     .whiteKingFileCount = 2 + 1 + 2 + 1,
     .blackKingFileCount = 2 + 2 + 3 + 2 + 1,
     .whiteTropism = 0,               // rook b3 and queen h3 too far from a8
     .blackTropism = 8 + 4 + 4 + 4},  // queen e2, rook e1, bishops e3 and g3 at distance 2
    {.name = "attack product needs more than 13 units: rook and knight close by",
     .fen = "k7/8/8/8/8/5n2/6r1/6K1 w - -",
     .attackProduct = 0,
     .blackTropism = 5 + 5},
    {.name = "attack product with little material: scale 1",
     .fen = "k7/8/8/8/8/8/5q2/4r1K1 w - -",
     .attackProduct = -(1 * 55),
     .whiteKingFileCount = 0,
     .blackTropism = 9 + 4},
    {.name = "tropism above 63 reads entry 63; the largest file count",
     .fen = "k7/8/8/3qqq2/3qKq2/3qqq2/8/8 w - -",
     .attackProduct = -(4 * 200),
     .whiteKingFileCount = 15,
     .blackTropism = 8 * 9},
};

TEST(Evaluate, KingSafety) {
  for (const Case& c : KingSafetyCases) CheckCase(c);
}

// Pawn structures in the endgame (PawnTableD), kings on a1 and a8 reading the same entry.
const Case PawnCases[] = {
    {.name = "passed isolated e7",
     .fen = "k7/4P3/8/8/8/8/8/K7 w - -",
     .score = (KD_a1 - KD_a8) + 100 + 104 + 96 - 18 - 6,
     .pawnStructure = 100 + 104 + 96 - 18 - 6},
    {.name = "isolated e5 with a black pawn in front, isolated e7",
     .fen = "k7/4p3/8/4P3/8/8/8/K7 w - -",
     .pawnStructure = (100 + 28 - 18) - (100 + 0 - 18)},
    {.name = "doubled e2 and e4: both pay, only e4 is passed",
     .fen = "k7/8/8/8/4P3/8/4P3/K7 w - -",
     .pawnStructure = (100 + 16 - 8 + 48 - 24) + (100 + 0 - 8 - 24)},
    {.name = "doubled black e7 and e5: only e5 is passed",
     .fen = "k7/4p3/8/4p3/8/8/8/K7 w - -",
     .pawnStructure = -(100 + 16) + 8 - 48 + 24 - (100 + 0) + 8 + 24},
    {.name = "a4 attacked from b5 and protected from b3",
     .fen = "k7/8/8/1p6/P7/1P6/8/K7 w - -",
     // a4: k = 2 - 1; b3 plain; b5: isolated, not half-open (b3 in front).
     .pawnStructure = (100 + 8 - 8 * (2 - 1)) + (100 + 5) - (100 + 12) + 18},
    {.name = "a5 attacked from b4 and protected from b6",
     .fen = "k7/8/1p6/p7/1P6/8/8/K7 w - -",
     // a5: k = 2 + 1; b6 plain; b4: isolated, not half-open (b6 in front).
     .pawnStructure = -(100 + 8) + 8 * (2 + 1) - (100 + 5) + (100 + 12 - 18)},
    {.name = "e4 attacked from d5 and f5, protected from d3",
     .fen = "k7/8/8/3p1p2/4P3/3P4/8/K7 w - -",
     .pawnStructure = (100 + 16 - 8 * (3 - 1)) + (100 + 7) - (100 + 16) + 18 - (100 + 14) + 18 + 6},
};

TEST(Evaluate, PawnStructure) {
  for (const Case& c : PawnCases) CheckCase(c);
}

// The traced evaluation must be the plain one with a record on the side: the same score on
// ordinary positions with both sides to move.
TEST(Evaluate, TracedAndPlainAgree) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
      "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
  };
  for (const char* fen : fens) {
    ASSERT_TRUE(SetupPosition(fen, false));
    const int16_t plain = Evaluate();
    ClearPawnHashTable();
    EvalTerms t;
    EXPECT_EQ(EvaluateTerms(t), plain) << fen;
  }
  ASSERT_TRUE(SetupPosition(fens[0], false));
  EXPECT_EQ(Evaluate(), 0) << "the start position is balanced";
}

// A materialTotal above 127 (promotions) reads the tables of 127: KingTableA, QueenTableA.
TEST(Evaluate, MaterialTotalAbove127) {
  CheckCase({.name = "fifteen queens",
             .fen = "k7/8/8/8/8/8/QQQQQQQQ/QKQQQQQQ b - -",
             // The terms add up to 14,267 for White; the score stops at the bound.
             .score = -8000,
             .kingTables = 12 - 4,  // KingTableA b1 - KingTableA a8
             .queens = 15 * 950 + (-6 + 0 + 3 + 4 + 4 + 3 + 0 - 6) + (-4 + 0 + 9 + 9 + 0 - 3 - 4),
             .imbalance = 0,
             .attackProduct = 0,  // no queen stands within reach of the a8 king
             .whiteKingFileCount = 14,
             .blackKingFileCount = 10});
  EXPECT_EQ(Pos.materialTotal, 135);
}
}  // namespace
