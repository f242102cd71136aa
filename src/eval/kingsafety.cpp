// King shelter, king-file counts and the attack product.
#include "eval/kingsafety.h"

#include "position/tables.h"

namespace {
constexpr Bitboard Bit(Square s) { return Bitboard{1} << (63 - s); }

// Count of one king's files: own pawns are the king's side's pawns, enemy pawns the other's.
uint8_t FileCount(Square k, Bitboard own, Bitboard enemy, bool enemyQueen) {
  int c = 0;
  Bitboard file = FileExceptSquare[k];
  if (!(file & own)) c = 2;
  if (!(file & enemy)) c = c == 2 ? 4 : 1;
  auto neighbour = [&](Square beside) {
    Bitboard next = FileExceptSquare[beside];
    if (!(next & own)) c += c >= 4 ? 3 : 2;
    if (!(next & enemy)) c += c >= 4 ? 2 : 1;
  };
  if (FileOf(k) != 7) neighbour(k + 1);
  if (FileOf(k) != 0) neighbour(k - 1);
  if (enemyQueen) c += 1;
  return static_cast<uint8_t>(c);
}
}  // namespace

int16_t KingShelter() {
  int16_t m = 0;
  const int16_t whiteQueenBonus = whiteQueens ? 6 : 0;
  const int16_t blackQueenBonus = blackQueens ? 6 : 0;
  const Square wk = whiteKingSquare;
  const Square bk = blackKingSquare;

  if (wk >= F1 && !(whiteRooks & (Bit(G1) | Bit(H1)))) {
    const int16_t unit = 6 + blackQueenBonus;
    for (Square s : {F2, G2, H2})
      if (whitePawns & Bit(s)) m += unit;
    if (whitePawns & (Bit(G2) | Bit(H2))) m += unit / 2;
  } else if (wk >= A1 && wk <= C1 && !(whiteRooks & (Bit(A1) | Bit(B1)))) {
    const int16_t unit = 3 + blackQueenBonus;
    for (Square s : {A2, B2, C2})
      if (whitePawns & Bit(s)) m += unit;
    if (whitePawns & (Bit(A2) | Bit(B2))) m += unit / 2;
  }

  if (bk >= F8 && bk <= H8 && !(blackRooks & (Bit(G8) | Bit(H8)))) {
    const int16_t unit = 6 + whiteQueenBonus;
    for (Square s : {F7, G7, H7})
      if (blackPawns & Bit(s)) m -= unit;
    if (blackPawns & (Bit(G7) | Bit(H7))) m -= unit / 2;
  } else if (bk <= C8 && !(blackRooks & (Bit(A8) | Bit(B8)))) {
    const int16_t unit = 3 + whiteQueenBonus;
    for (Square s : {A7, B7, C7})
      if (blackPawns & Bit(s)) m -= unit;
    if (blackPawns & (Bit(A7) | Bit(B7))) m -= unit / 2;
  }
  return m;
}

KingFileCounts CountKingFiles() {
  return {FileCount(whiteKingSquare, whitePawns, blackPawns, blackQueens != 0),
          FileCount(blackKingSquare, blackPawns, whitePawns, whiteQueens != 0)};
}

int16_t AttackProduct(KingFileCounts counts, int whiteTropism, int blackTropism) {
  int16_t m = 0;
  if (Pos.pieceMaterial[Black] > 13) {
    m -= static_cast<int16_t>(KingDangerScale[counts.white] * KingAttackTable[blackTropism > 63 ? 63 : blackTropism]);
  }
  if (Pos.pieceMaterial[White] > 13) {
    m += static_cast<int16_t>(KingDangerScale[counts.black] * KingAttackTable[whiteTropism > 63 ? 63 : whiteTropism]);
  }
  return m;
}
