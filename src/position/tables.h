// Precomputed bitboard tables: per-square masks and attack sets, the rotated line-attack tables
// read through the rotated occupancies, the en-passant toggles and the bit scan.
#pragma once

#include <array>
#include <bit>

#include "position/position.h"

// Per-square tables, indexed by square (a8 = 0 ... h1 = 63).
extern Bitboard SquareMask[64];         // the square alone
extern Bitboard KingAttacks[64];        // squares a king attacks
extern Bitboard KnightAttacks[64];      // squares a knight attacks
extern Bitboard WhitePawnAttacks[64];   // squares a white pawn attacks (empty on rank 8)
extern Bitboard BlackPawnAttacks[64];   // squares a black pawn attacks (empty on rank 1)
extern Bitboard QueenRays[64];          // queen reach on an empty board
extern Bitboard RookRays[64];           // rank and file without the square
extern Bitboard BishopRays[64];         // both diagonals without the square
extern Bitboard SquareMaskFiles[64];    // the square's bit in occupiedFiles
extern Bitboard SquareMaskA1H8[64];     // the square's bit in occupiedA1H8
extern Bitboard SquareMaskA8H1[64];     // the square's bit in occupiedA8H1
extern Bitboard FileExceptSquare[64];   // the square's file without the square
extern Bitboard AdjacentFilesMask[64];  // every square of the neighbouring files
extern Bitboard WhitePassedMask[64];    // own and adjacent files strictly in front, towards rank 8
extern Bitboard BlackPassedMask[64];    // the same towards rank 1
extern Bitboard FileForwardWhite[64];   // own file in front, towards rank 8
extern Bitboard FileForwardBlack[64];   // own file in front, towards rank 1

// Line attacks [square][line occupancy index]: every square up to and including the first
// occupied one in each direction along that line.
extern Bitboard RankAttacks[64][256];
extern Bitboard FileAttacks[64][256];
extern Bitboard DiagA1H8Attacks[64][256];
extern Bitboard DiagA8H1Attacks[64][256];

// Shift and mask of each square's diagonal in the rotated diagonal boards, derived from the
// diagonal's first slot and length: shift = 63 - (start + len - 1), mask = 2^len - 1.
// Indexed by diagonal number 0..14; the per-square tables below take D = f + w or E = 7 - f + w.
inline constexpr uint8_t DiagonalShift[15] = {63, 61, 58, 54, 49, 43, 36, 28, 21, 15, 10, 6, 3, 1, 0};
inline constexpr uint8_t DiagonalMask[15] = {1, 3, 7, 15, 31, 63, 127, 255, 127, 63, 31, 15, 7, 3, 1};

template <bool Shift, bool A1H8>
constexpr std::array<uint8_t, 64> MakeDiagTable() {
  std::array<uint8_t, 64> t{};
  for (int s = 0; s < 64; ++s) {
    int d = A1H8 ? (s & 7) + (s >> 3) : 7 - (s & 7) + (s >> 3);
    t[s] = Shift ? DiagonalShift[d] : DiagonalMask[d];
  }
  return t;
}
// Per-square shift and mask of the diagonal through the square, indexed by square.
inline constexpr std::array<uint8_t, 64> DiagShiftA1H8 = MakeDiagTable<true, true>();
inline constexpr std::array<uint8_t, 64> DiagMaskA1H8 = MakeDiagTable<false, true>();
inline constexpr std::array<uint8_t, 64> DiagShiftA8H1 = MakeDiagTable<true, false>();
inline constexpr std::array<uint8_t, 64> DiagMaskA8H1 = MakeDiagTable<false, false>();

// En-passant toggles by destination square of the capture (16..23 for White, 40..47 for
// Black): the rotated bits of the destination and of the captured pawn's square.
extern Bitboard EnPassantTogglesFiles[48];
extern Bitboard EnPassantTogglesA1H8[48];
extern Bitboard EnPassantTogglesA8H1[48];

// Bit-scan table of the folding rule: for each bit k, the entry the rule computes for 2^k is
// 63 - k.
inline constexpr uint8_t BitScanTable[64] = {63, 32, 59, 30, 3,  48, 51, 29, 2,  38, 12, 53, 7,  43, 41, 28,
                                             1,  33, 60, 9,  11, 39, 21, 44, 6,  34, 61, 19, 16, 35, 62, 27,
                                             0,  31, 4,  58, 57, 13, 8,  56, 47, 10, 50, 22, 55, 20, 17, 46,
                                             37, 5,  14, 49, 52, 23, 54, 18, 42, 15, 24, 40, 45, 25, 26, 36};

// The folding bit scan: the square of the lowest set bit via a 32-bit multiply and BitScanTable.
constexpr Square BitScanFolded(Bitboard b) {
  Bitboard x = (b & (0 - b)) - 1;
  uint32_t fold = static_cast<uint32_t>(x) ^ static_cast<uint32_t>(x >> 32);
  return BitScanTable[(fold * 0x78291ACFu) >> 26];
}

// Square of the least significant set bit of a non-empty Bitboard: the highest-numbered
// square, so loops that scan and clear walk from h1 towards a8. Same result as BitScanFolded.
inline Square BitScan(Bitboard b) { return 63 - std::countr_zero(b); }

// Rank, file and diagonal occupancy indices of square s in the current Position.
inline unsigned RankIndex(Square s) { return (Pos.occupied >> (8 * (7 - (s >> 3)))) & 0xFF; }
inline unsigned FileIndex(Square s) { return (Pos.occupiedFiles >> (8 * (s & 7))) & 0xFF; }
inline unsigned A1H8Index(Square s) { return (Pos.occupiedA1H8 >> DiagShiftA1H8[s]) & DiagMaskA1H8[s]; }
inline unsigned A8H1Index(Square s) { return (Pos.occupiedA8H1 >> DiagShiftA8H1[s]) & DiagMaskA8H1[s]; }

// Rook (rank and file) and bishop (both diagonals) attacks from s with the current occupancy.
inline Bitboard RookAttacks(Square s) { return RankAttacks[s][RankIndex(s)] | FileAttacks[s][FileIndex(s)]; }
inline Bitboard BishopAttacks(Square s) { return DiagA1H8Attacks[s][A1H8Index(s)] | DiagA8H1Attacks[s][A8H1Index(s)]; }

// Builds every table above (and the evaluation's phase selection). Safe to call again.
void InitTables();
