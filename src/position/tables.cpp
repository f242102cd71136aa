#include "position/tables.h"

#include "eval/eval.h"

Bitboard SquareMask[64];
Bitboard KingAttacks[64];
Bitboard KnightAttacks[64];
Bitboard WhitePawnAttacks[64];
Bitboard BlackPawnAttacks[64];
Bitboard QueenRays[64];
Bitboard RookRays[64];
Bitboard BishopRays[64];
Bitboard SquareMaskFiles[64];
Bitboard SquareMaskA1H8[64];
Bitboard SquareMaskA8H1[64];
Bitboard FileExceptSquare[64];
Bitboard AdjacentFilesMask[64];
Bitboard WhitePassedMask[64];
Bitboard BlackPassedMask[64];
Bitboard FileForwardWhite[64];
Bitboard FileForwardBlack[64];
Bitboard RankAttacks[64][256];
Bitboard FileAttacks[64][256];
Bitboard DiagA1H8Attacks[64][256];
Bitboard DiagA8H1Attacks[64][256];
Bitboard EnPassantTogglesFiles[48];
Bitboard EnPassantTogglesA1H8[48];
Bitboard EnPassantTogglesA8H1[48];

namespace {

constexpr Bitboard Bit(Square s) { return Bitboard{1} << (63 - s); }

bool OnBoard(int file, int row) { return file >= 0 && file < 8 && row >= 0 && row < 8; }

// Squares one step (df, dw) away from s for each step in the list, on the board only.
template <size_t N>
Bitboard StepTargets(Square s, const int (&steps)[N][2]) {
  Bitboard targets = 0;
  for (const auto& step : steps) {
    int f = FileOf(s) + step[0], w = RowOf(s) + step[1];
    if (OnBoard(f, w)) targets |= Bit(f + 8 * w);
  }
  return targets;
}

// Attacks along the two opposite directions (df, dw) and (-df, -dw) from s, stopping after the
// first square whose index bit is set in index. indexBit maps a square of the line to its bit.
template <typename IndexBit>
Bitboard LineAttacks(Square s, int df, int dw, unsigned index, IndexBit indexBit) {
  Bitboard attacks = 0;
  for (int dir = -1; dir <= 1; dir += 2) {
    int f = FileOf(s) + dir * df, w = RowOf(s) + dir * dw;
    while (OnBoard(f, w)) {
      Square t = f + 8 * w;
      attacks |= Bit(t);
      if (index & indexBit(t)) break;
      f += dir * df;
      w += dir * dw;
    }
  }
  return attacks;
}

}  // namespace

// First slot of each diagonal in the rotated diagonal layouts (diagonal d has length d + 1 up
// to d = 7, then 15 - d).
static int DiagonalStart(int d) {
  int start = 0;
  for (int k = 0; k < d; ++k) start += k <= 7 ? k + 1 : 15 - k;
  return start;
}

static int SlotFiles(Square s) { return 8 * (7 - FileOf(s)) + RowOf(s); }
static int SlotA1H8(Square s) {
  int d = FileOf(s) + RowOf(s);
  return DiagonalStart(d) + (d <= 7 ? FileOf(s) : FileOf(s) - (d - 7));
}
static int SlotA8H1(Square s) {
  int e = 7 - FileOf(s) + RowOf(s);
  return DiagonalStart(e) + (e <= 7 ? FileOf(s) - (7 - e) : FileOf(s));
}

template <typename SlotOf>
static Bitboard Rotate(Bitboard b, SlotOf slotOf) {
  Bitboard result = 0;
  for (Square k = 0; k < 64; ++k) {
    if (b & Bit(k)) result |= Bit(slotOf(k));
  }
  return result;
}

Bitboard RotateFiles(Bitboard b) { return Rotate(b, SlotFiles); }
Bitboard RotateA1H8(Bitboard b) { return Rotate(b, SlotA1H8); }
Bitboard RotateA8H1(Bitboard b) { return Rotate(b, SlotA8H1); }

void InitTables() {
  static bool built = false;
  if (built) return;
  built = true;

  static constexpr int KingSteps[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
  static constexpr int KnightSteps[8][2] = {{-2, -1}, {-1, -2}, {1, -2}, {2, -1}, {-2, 1}, {-1, 2}, {1, 2}, {2, 1}};
  static constexpr int WhitePawnSteps[2][2] = {{-1, -1}, {1, -1}};
  static constexpr int BlackPawnSteps[2][2] = {{-1, 1}, {1, 1}};

  for (Square s = 0; s < 64; ++s) {
    SquareMask[s] = Bit(s);
    SquareMaskFiles[s] = RotateFiles(Bit(s));
    SquareMaskA1H8[s] = RotateA1H8(Bit(s));
    SquareMaskA8H1[s] = RotateA8H1(Bit(s));
  }

  for (Square s = 0; s < 64; ++s) {
    KingAttacks[s] = StepTargets(s, KingSteps);
    WhitePawnAttacks[s] = StepTargets(s, WhitePawnSteps);
    BlackPawnAttacks[s] = StepTargets(s, BlackPawnSteps);
    KnightAttacks[s] = StepTargets(s, KnightSteps);

    const int f = FileOf(s), w = RowOf(s);
    for (unsigned index = 0; index < 256; ++index) {
      RankAttacks[s][index] =
          LineAttacks(s, 1, 0, index, [w](Square t) { return unsigned(SquareMask[t] >> (8 * (7 - w))) & 0xFF; });
      FileAttacks[s][index] =
          LineAttacks(s, 0, 1, index, [f](Square t) { return unsigned(SquareMaskFiles[t] >> (8 * f)) & 0xFF; });
      DiagA1H8Attacks[s][index] = index > DiagMaskA1H8[s] ? 0 : LineAttacks(s, 1, -1, index, [s](Square t) {
        return unsigned(SquareMaskA1H8[t] >> DiagShiftA1H8[s]);
      });
      DiagA8H1Attacks[s][index] = index > DiagMaskA8H1[s] ? 0 : LineAttacks(s, 1, 1, index, [s](Square t) {
        return unsigned(SquareMaskA8H1[t] >> DiagShiftA8H1[s]);
      });
    }
  }

  for (Square s = 0; s < 64; ++s) {
    const int f = FileOf(s), w = RowOf(s);
    Bitboard file = 0, adjacent = 0, ahead = 0, behind = 0, passedWhite = 0, passedBlack = 0;
    for (Square t = 0; t < 64; ++t) {
      const int tf = FileOf(t), tw = RowOf(t);
      const bool sameFile = tf == f, nearFile = tf == f - 1 || tf == f + 1;
      if (sameFile && t != s) file |= Bit(t);
      if (nearFile) adjacent |= Bit(t);
      if (sameFile && tw < w) ahead |= Bit(t);
      if (sameFile && tw > w) behind |= Bit(t);
      if ((sameFile || nearFile) && tw < w) passedWhite |= Bit(t);
      if ((sameFile || nearFile) && tw > w) passedBlack |= Bit(t);
    }
    FileExceptSquare[s] = file;
    AdjacentFilesMask[s] = adjacent;
    WhitePassedMask[s] = passedWhite;
    BlackPassedMask[s] = passedBlack;
    FileForwardWhite[s] = ahead;
    FileForwardBlack[s] = behind;
  }

  for (Square s = 0; s < 64; ++s) {
    // With only s occupied every line index is zero apart from s's own bit, which never matters.
    RookRays[s] = RankAttacks[s][0] | FileAttacks[s][0];
    BishopRays[s] = DiagA1H8Attacks[s][0] | DiagA8H1Attacks[s][0];
    QueenRays[s] = RookRays[s] | BishopRays[s];
  }

  for (int k = 0; k < 8; ++k) {
    EnPassantTogglesFiles[16 + k] = SquareMaskFiles[16 + k] | SquareMaskFiles[24 + k];
    EnPassantTogglesFiles[40 + k] = SquareMaskFiles[32 + k] | SquareMaskFiles[40 + k];
    EnPassantTogglesA1H8[16 + k] = SquareMaskA1H8[16 + k] | SquareMaskA1H8[24 + k];
    EnPassantTogglesA1H8[40 + k] = SquareMaskA1H8[32 + k] | SquareMaskA1H8[40 + k];
    EnPassantTogglesA8H1[16 + k] = SquareMaskA8H1[16 + k] | SquareMaskA8H1[24 + k];
    EnPassantTogglesA8H1[40 + k] = SquareMaskA8H1[32 + k] | SquareMaskA8H1[40 + k];
  }

  InitPhaseTables();
}
