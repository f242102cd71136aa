// Pawn structure: base value and table entry of each pawn, doubled, isolated and passed pawns,
// pawns attacked by enemy pawns; and the cache that keeps the score per pawn structure.
#include <cstring>

#include "eval/eval.h"
#include "position/tables.h"

// Cache entry layout (32 bits):
//   bits 0-15   pawn-structure score + 8190 as an unsigned 16-bit number; 0 marks an empty entry
//   bits 16-18  always 0
//   bits 19-31  bits 19-31 of pawnKey (bits 0-18 are the entry's index)
// A score of exactly -8190 would store as 0 and is simply never found; real pawn structures
// stay far from it.
uint32_t PawnHashTable[PawnHashSize];

namespace {
constexpr uint32_t PawnHashIndexMask = PawnHashSize - 1;
constexpr uint32_t PawnHashTagMask = 0xFFF80000u;
constexpr int PawnHashScoreOffset = 8190;
static_assert(PawnHashIndexMask == 0x7FFFF && (PawnHashTagMask & PawnHashIndexMask) == 0 &&
                  (PawnHashTagMask | PawnHashIndexMask) == 0xFFFFFFFFu,
              "the tag and the index together make up the whole pawnKey");
static_assert(sizeof(PawnHashTable) == 4 * 524288, "2^19 entries of 32 bits");

// The pawn attacked by n = 1 or 2 enemy pawns: 2 or 3.
inline int AttackWeight(Bitboard attackers) { return (attackers & (attackers - 1)) ? 3 : 2; }
// The protection by n = 1 or 2 own pawns: 1 or 2.
inline int ProtectWeight(Bitboard protectors) { return (protectors & (protectors - 1)) ? 2 : 1; }
}  // namespace

void ClearPawnHashTable() { std::memset(PawnHashTable, 0, sizeof(PawnHashTable)); }

int16_t ComputePawnStructure() {
  const int phase = Pos.materialTotal > 127 ? 127 : Pos.materialTotal;
  const int16_t* table = PhaseTableSelection[PawnKind][phase];
  const Bitboard white = whitePawns;
  const Bitboard black = blackPawns;
  int16_t f = 0;

  for (Bitboard b = white; b; b &= b - 1) {
    const Square s = BitScan(b);
    f += table[s] + 100;
    bool passed = !(WhitePassedMask[s] & black);
    if (FileExceptSquare[s] & white) {
      f -= 8;
      if (FileForwardWhite[s] & white) passed = false;  // only the front pawn of a file is passed
    }
    if (passed) f += 16 * (7 - RowOf(s));
    if (!(AdjacentFilesMask[s] & white)) {
      f -= 18;
      if (!(FileForwardWhite[s] & black)) f -= 6;
    } else if (!passed && s >= 16) {
      const Bitboard attackers = WhitePawnAttacks[s] & black;
      if (attackers) {
        int k = AttackWeight(attackers);
        const Bitboard protectors = BlackPawnAttacks[s] & white;
        if (protectors) k -= ProtectWeight(protectors);
        f -= 8 * k;
      }
    }
  }

  for (Bitboard b = black; b; b &= b - 1) {
    const Square s = BitScan(b);
    f -= table[63 - s] + 100;
    bool passed = !(BlackPassedMask[s] & white);
    if (FileExceptSquare[s] & black) {
      f += 8;
      if (FileForwardBlack[s] & black) passed = false;
    }
    if (passed) f -= 16 * RowOf(s);
    if (!(AdjacentFilesMask[s] & black)) {
      f += 18;
      if (!(FileForwardBlack[s] & white)) f += 6;
    } else if (!passed && s < 48) {
      const Bitboard attackers = BlackPawnAttacks[s] & white;
      if (attackers) {
        int k = AttackWeight(attackers);
        // For Black the protectors' weight is added to the attack weight.
        const Bitboard protectors = WhitePawnAttacks[s] & black;
        if (protectors) k += ProtectWeight(protectors);
        f += 8 * k;
      }
    }
  }
  return f;
}

// A stored score keeps the pawn table of the material band it was computed in: after captures
// that move materialTotal into another band, the same pawns still read the old score until the
// entry is overwritten or the cache is cleared at the next setup.
int16_t PawnStructureScore() {
  const uint32_t key = Pos.pawnKey;
  uint32_t& entry = PawnHashTable[key & PawnHashIndexMask];
  if (((entry ^ key) & PawnHashTagMask) == 0 && (entry & 0xFFFF) != 0) {
    return static_cast<int16_t>((entry & 0xFFFF) - PawnHashScoreOffset);
  }
  const int16_t f = ComputePawnStructure();
  entry = (key & PawnHashTagMask) | static_cast<uint16_t>(f + PawnHashScoreOffset);
  return f;
}
