// The phase selection of the piece-square tables: for each piece kind and each materialTotal
// 0..127, the table the evaluation reads.
#include "eval/psqt.h"

#include "eval/eval.h"

const int16_t* PhaseTableSelection[6][128];

namespace {
// The tables of one piece kind for the five material bands, from the most material down:
// 71..127, 63..70, 47..62, 15..46, 0..14.
struct PhaseBands {
  const int16_t* tables[5];
};

// Indexed by PhaseKind.
constexpr PhaseBands KindBands[6] = {
    {{KingTableA, KingTableB, KingTableB, KingTableC, KingTableD}},
    {{PawnTableA, PawnTableB, PawnTableC, PawnTableC, PawnTableD}},
    {{KnightTableA, KnightTableB, KnightTableB, KnightTableB, KnightTableB}},
    {{BishopTableA, BishopTableB, BishopTableB, BishopTableB, BishopTableB}},
    {{RookTableA, RookTableB, RookTableB, RookTableB, RookTableB}},
    {{QueenTableA, QueenTableB, QueenTableB, QueenTableB, QueenTableB}},
};

// Band number of a materialTotal (0 = the most material).
constexpr int BandOf(int material) {
  if (material >= 71) return 0;
  if (material >= 63) return 1;
  if (material >= 47) return 2;
  if (material >= 15) return 3;
  return 4;
}
}  // namespace

void InitPhaseTables() {
  for (int kind = 0; kind < 6; ++kind) {
    for (int material = 0; material < 128; ++material) {
      PhaseTableSelection[kind][material] = KindBands[kind].tables[BandOf(material)];
    }
  }
}
