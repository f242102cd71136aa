// The sixteen piece-square tables of the evaluation. Each holds 64 entries from White's point of
// view, indexed by square (a8 = 0 ... h1 = 63), written below as an 8x8 block: the first line is
// rank 8 (a8 ... h8), the last line rank 1 (a1 ... h1). A white piece on s reads entry s; a black
// pawn, knight, bishop, rook or queen reads entry 63 - s (the square turned by half a turn); both
// kings read the entry of their own square, so the king tables hold the white king's squares in
// the lower half and the black king's squares in the upper half.
#pragma once

#include <cstdint>

// clang-format off

// King, materialTotal 71 and more: shelter on the castled wings of the own back rank, heavy
// penalties for a king that walks to the middle of the board. The c- and f-file entries of the
// black king's back rank are 2 lower than White's.
inline constexpr int16_t KingTableA[64] = {
    4,  12,  -4,  -6,  -6,  -4,  12,   4,
   -4,  -2, -12, -18, -18, -12,  -2,  -4,
  -15, -22, -28, -36, -36, -28, -22, -15,
  -25, -39, -40, -55, -55, -40, -39, -25,
  -25, -39, -40, -55, -55, -40, -39, -25,
  -15, -22, -28, -36, -36, -28, -22, -15,
   -4,  -2, -12, -18, -18, -12,  -2,  -4,
    4,  12,  -2,  -6,  -6,  -2,  12,   4,
};

// King, materialTotal 47..70: the same idea at half strength while the queens and a few pieces
// have gone; again the black king's c- and f-file corners are a little worse than White's.
inline constexpr int16_t KingTableB[64] = {
    0,   6,  -4,  -3,  -3,  -4,   6,   0,
   -4,  -2,  -8, -12, -12,  -8,  -2,  -4,
  -10, -15, -20, -25, -25, -20, -15, -10,
  -18, -26, -30, -38, -38, -30, -26, -18,
  -18, -26, -30, -38, -38, -30, -26, -18,
  -10, -15, -20, -25, -25, -20, -15, -10,
   -4,  -2,  -8, -12, -12,  -8,  -2,  -4,
    0,   6,  -2,  -3,  -3,  -2,   6,   0,
};

// King, materialTotal 15..46: the king starts to come out; a small pull towards the centre,
// rising by 2 per step from the corners.
inline constexpr int16_t KingTableC[64] = {
   -8,  -6,  -4,  -2,  -2,  -4,  -6,  -8,
   -6,  -4,  -2,   0,   0,  -2,  -4,  -6,
   -4,  -2,   0,   2,   2,   0,  -2,  -4,
   -2,   0,   2,   4,   4,   2,   0,  -2,
   -2,   0,   2,   4,   4,   2,   0,  -2,
   -4,  -2,   0,   2,   2,   0,  -2,  -4,
   -6,  -4,  -2,   0,   0,  -2,  -4,  -6,
   -8,  -6,  -4,  -2,  -2,  -4,  -6,  -8,
};

// King, materialTotal 0..14: the endgame king belongs in the centre; edges and corners cost a lot.
inline constexpr int16_t KingTableD[64] = {
  -26, -19, -12,  -9,  -9, -12, -19, -26,
  -19, -10,  -4,  -1,  -1,  -4, -10, -19,
  -14,  -4,   2,   5,   5,   2,  -4, -14,
  -12,   0,   4,   9,   9,   4,   0, -12,
  -12,   0,   4,   9,   9,   4,   0, -12,
  -14,  -4,   2,   5,   5,   2,  -4, -14,
  -19, -10,  -4,  -1,  -1,  -4, -10, -19,
  -26, -19, -12,  -9,  -9, -12, -19, -26,
};

// Pawn, materialTotal 71 and more: central pawns should advance, d2 and e2 are penalised for
// staying at home; advanced pawns gain a little (rank 8 is never read).
inline constexpr int16_t PawnTableA[64] = {
   99,  99,  99,  99,  99,  99,  99,  99,
   18,  31,  33,  40,  40,  33,  31,  18,
   10,  18,  20,  26,  26,  20,  18,  10,
    4,   8,  10,  16,  16,  10,   8,   4,
    1,   3,   5,  12,  12,   5,   3,   1,
    0,  -1,   1,   2,   2,  -1,  -1,   0,
    0,   0,   0,  -9,  -9,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,
};

// Pawn, materialTotal 63..70: advancement counts for more as the pieces come off.
inline constexpr int16_t PawnTableB[64] = {
  199, 199, 199, 199, 199, 199, 199, 199,
   29,  44,  48,  53,  53,  48,  44,  29,
   16,  26,  30,  34,  34,  30,  26,  16,
    8,  12,  15,  20,  20,  15,  12,   8,
    3,   5,   8,  12,  12,   8,   5,   3,
    0,   1,   2,   4,   4,   2,   1,   0,
    0,   0,   0,  -5,  -5,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,
};

// Pawn, materialTotal 15..62: a middlegame-to-endgame pawn is worth more the closer it is to
// promotion, the centre files a little more than the wings.
inline constexpr int16_t PawnTableC[64] = {
  299, 299, 299, 299, 299, 299, 299, 299,
   52,  64,  67,  75,  75,  67,  64,  52,
   30,  38,  42,  46,  46,  42,  38,  30,
   15,  20,  23,  26,  26,  23,  20,  15,
    6,   9,  11,  13,  13,  11,   9,   6,
    2,   3,   4,   5,   5,   4,   3,   2,
    0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,
};

// Pawn, materialTotal 0..14: in the pawn endgame advancement is almost everything.
inline constexpr int16_t PawnTableD[64] = {
  499, 499, 499, 499, 499, 499, 499, 499,
   72,  90,  99, 104, 104,  99,  90,  72,
   42,  54,  60,  64,  64,  60,  54,  42,
   18,  24,  28,  30,  28,  24,  30,  18,
    8,  12,  14,  16,  16,  14,  12,   8,
    3,   5,   6,   7,   7,   6,   5,   3,
    0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,
};

// Knight, materialTotal 71 and more: centralisation; c3 and f3 are the natural development
// squares, the rim and the back rank are poor.
inline constexpr int16_t KnightTableA[64] = {
  -22, -14, -10,  -8,  -8, -10, -14, -22,
  -14,  -4,   2,   5,   5,   2,  -4, -14,
   -8,   4,  12,  15,  15,  12,   4,  -8,
   -6,   5,  12,  17,  17,  12,   5,  -6,
   -6,   5,  12,  17,  17,  12,   5,  -6,
  -10,   0,   8,   4,   4,   8,   0, -10,
  -14,  -6,  -2,   0,   0,  -2,  -6, -14,
  -20, -18, -12, -10, -10, -12, -18, -20,
};

// Knight, materialTotal 70 and less: plain centralisation.
inline constexpr int16_t KnightTableB[64] = {
  -20, -12,  -8,  -6,  -6,  -8, -12, -20,
  -12,  -2,   2,   4,   4,   2,  -2, -12,
   -8,   4,   8,  12,  12,   8,   4,  -8,
   -6,   5,   9,  15,  15,   9,   5,  -6,
   -6,   5,   9,  15,  15,   9,   5,  -6,
   -8,   2,   6,   8,   8,   6,   2,  -8,
  -12,  -4,   0,   2,   2,   0,  -4, -12,
  -20, -14, -10,  -8,  -8, -10, -14, -20,
};

// Bishop, materialTotal 71 and more: leave the back rank, prefer the long diagonals and the
// king-side fianchetto (g2, h1 and the b7-g2 diagonal); not symmetric in any direction.
inline constexpr int16_t BishopTableA[64] = {
  -15, -12, -14,  -9,  -9, -14, -12, -27,
   -6,   4,   2,   3,   3,   2,   6,  -8,
    2,   6,  10,   8,   8,  10,   4,  -2,
    6,   9,  13,  13,   9,   6,   0,   0,
    4,  12,  10,  13,  13,   9,   8,   2,
   -2,   6,   9,   8,   8,  10,   4,  -2,
   -6,   4,   3,   4,   4,   3,  10,  -4,
  -12, -14,  -9,  -9, -14, -12, -15,   0,
};

// Bishop, materialTotal 70 and less: centralisation, the rim and the corners are poor.
inline constexpr int16_t BishopTableB[64] = {
  -10,  -6,  -4,  -2,  -2,  -4,  -6, -10,
   -4,   3,   4,   5,   5,   4,   3,  -4,
   -1,   4,   8,   8,   8,   7,   4,  -1,
    1,   7,  10,  13,  13,  10,   7,   1,
    1,   7,  10,  13,  13,  10,   7,   1,
   -1,   4,   7,   8,   8,   7,   4,  -1,
   -4,   3,   4,   5,   5,   4,   3,  -4,
  -10,  -6,  -4,  -2,  -2,  -4,  -6, -10,
};

// Rook, materialTotal 71 and more: the seventh rank and the centre files; rooks in the corners
// of the first rank (not yet connected) cost a little.
inline constexpr int16_t RookTableA[64] = {
    0,   2,   4,   5,   5,   4,   2,   0,
    7,   9,  11,  12,  12,  11,   9,   7,
   -2,   0,   2,   3,   3,   2,   0,  -2,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
  -10,  -9,   0,   1,   1,   0,  -9, -10,
};

// Rook, materialTotal 70 and less: as RookTableA with a smaller penalty in the first-rank corners.
inline constexpr int16_t RookTableB[64] = {
    0,   2,   4,   5,   5,   4,   2,   0,
    7,   9,  11,  12,  12,  11,   9,   7,
   -2,   0,   2,   3,   3,   2,   0,  -2,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -4,  -2,   0,   1,   1,   0,  -2,  -4,
   -8,  -6,   0,   1,   1,   0,  -6,  -8,
};

// Queen, materialTotal 71 and more: the queen stays near home in the opening; early excursions
// to the far ranks and the rim are discouraged.
inline constexpr int16_t QueenTableA[64] = {
  -10,  -6,  -4,  -2,  -2,  -4,  -6, -10,
   -6,  -2,   0,   0,   0,   0,  -2,  -6,
   -6,  -2,   0,   0,   0,   0,  -2,  -6,
   -6,  -2,   0,   2,   2,   0,  -2,  -6,
   -6,  -2,   0,   2,   2,   0,  -2,  -6,
   -6,   0,   2,   2,   2,   2,   0,  -6,
   -6,   0,   3,   4,   4,   3,   0,  -6,
   -4,  -3,   0,   9,   9,   0,  -3,  -4,
};

// Queen, materialTotal 70 and less: centralisation and the seventh rank.
inline constexpr int16_t QueenTableB[64] = {
    0,   2,   3,   4,   4,   3,   2,   0,
    6,   7,   8,   9,   9,   8,   7,   6,
    2,   6,   9,  10,  10,   9,   6,   2,
    2,   6,  10,  12,  12,  10,   6,   2,
    2,   6,  10,  12,  12,  10,   6,   2,
    0,   4,   7,   8,   8,   7,   4,   0,
   -2,   0,   2,   3,   3,   2,   0,  -2,
   -6,  -4,  -2,   0,   0,  -2,  -4,  -6,
};

// clang-format on
