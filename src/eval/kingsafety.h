// King safety: the pawn shelter of a castled king, the openness of the files around each king,
// the tropism weights of pieces near the enemy king and the attack product built from them.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"

// Distance between two squares [a][b]: the larger of the file and the rank difference (0..7).
inline constexpr std::array<std::array<uint8_t, 64>, 64> SquareDistance = [] {
  std::array<std::array<uint8_t, 64>, 64> d{};
  for (int a = 0; a < 64; ++a) {
    for (int b = 0; b < 64; ++b) {
      int files = FileOf(a) > FileOf(b) ? FileOf(a) - FileOf(b) : FileOf(b) - FileOf(a);
      int rows = RowOf(a) > RowOf(b) ? RowOf(a) - RowOf(b) : RowOf(b) - RowOf(a);
      d[a][b] = static_cast<uint8_t>(files > rows ? files : rows);
    }
  }
  return d;
}();

// Tropism weight of a piece by its distance 0..7 to the enemy king, one row per piece kind.
inline constexpr uint8_t KnightTropism[8] = {4, 5, 5, 2, 1, 0, 0, 0};
inline constexpr uint8_t BishopTropism[8] = {5, 5, 4, 2, 1, 0, 0, 0};
inline constexpr uint8_t RookTropism[8] = {6, 5, 4, 2, 1, 0, 0, 0};
inline constexpr uint8_t QueenTropism[8] = {9, 9, 8, 4, 2, 1, 0, 0};

// Multiplier of the attack product by king-file count 0..15: 1 + count / 4.
inline constexpr std::array<int16_t, 16> KingDangerScale = [] {
  std::array<int16_t, 16> t{};
  for (int i = 0; i < 16; ++i) t[i] = static_cast<int16_t>(1 + i / 4);
  return t;
}();

// Danger by tropism sum 0..63 (larger sums read entry 63). Entries 48-51 repeat 44-47.
// clang-format off
inline constexpr int16_t KingAttackTable[64] = {
    0,   1,   3,   8,  10,  15,  20,  25,  30,  35,  40,  45,  50,  55,  60,  65,
   70,  75,  80,  85,  90,  95, 100, 110, 115, 117, 120, 122, 125, 127, 130, 132,
  135, 137, 140, 142, 145, 147, 150, 152, 155, 157, 160, 162, 165, 167, 170, 172,
  165, 167, 170, 172, 175, 177, 190, 192, 195, 197, 200, 200, 200, 200, 200, 200,
};
// clang-format on

// Bonus from White's view for own pawns still in front of a castled king (both kings); the
// evaluation asks for it only while materialTotal is above 35.
int16_t KingShelter();

// Openness of the files around each king (0..15), as used by the attack product.
struct KingFileCounts {
  uint8_t white;
  uint8_t black;
};
// Counts for both kings; the evaluation asks for them only while materialTotal is above 35.
KingFileCounts CountKingFiles();

// The attack product from White's view: each side whose king is near enemy pieces loses
// KingDangerScale[its file count] x KingAttackTable[enemy tropism], when the enemy keeps more
// than 13 units of pieces.
int16_t AttackProduct(KingFileCounts counts, int whiteTropism, int blackTropism);
