// The evaluation driver: king tables, king safety, pawn structure, the piece terms, the material
// imbalance and the attack product, summed from White's view in a wrapping 16-bit accumulator.
#include "eval/eval.h"
#include "eval/kingsafety.h"
#include "position/tables.h"

namespace {
// Bound of the static score, below MateThreshold (8050) so that no evaluation reads as a mate.
constexpr int16_t MaxStaticScore = 8000;
constexpr Bitboard Bit(Square s) { return Bitboard{1} << (63 - s); }
constexpr Bitboard Rank8 = 0xFF00000000000000ull;
constexpr Bitboard Rank7 = Rank8 >> 8;
constexpr Bitboard Rank2 = 0xFF00ull;
// a8 is a light square; a square is light when file + row is even.
constexpr Bitboard LightSquares = 0xAA55AA55AA55AA55ull;
constexpr Bitboard DarkSquares = ~LightSquares;
static_assert((LightSquares & Bit(A8)) != 0 && (LightSquares & Bit(H1)) != 0 && (DarkSquares & Bit(A1)) != 0);

// A white bishop on a7, b8, g8 or h7 shut in by the black pawn beside it (b6, c7, f7, g6).
inline bool WhiteBishopTrapped() {
  return ((whiteBishops & Bit(A7)) && (blackPawns & Bit(B6))) || ((whiteBishops & Bit(B8)) && (blackPawns & Bit(C7))) ||
         ((whiteBishops & Bit(G8)) && (blackPawns & Bit(F7))) || ((whiteBishops & Bit(H7)) && (blackPawns & Bit(G6)));
}
inline bool BlackBishopTrapped() {
  return ((blackBishops & Bit(A2)) && (whitePawns & Bit(B3))) || ((blackBishops & Bit(B1)) && (whitePawns & Bit(C2))) ||
         ((blackBishops & Bit(G1)) && (whitePawns & Bit(F2))) || ((blackBishops & Bit(H2)) && (whitePawns & Bit(G3)));
}

// Corrections for unequal trades of pieces, by the balance of minor and of major pieces.
inline int16_t Imbalance(int minor, int major) {
  const bool whiteQueen = whiteQueens != 0;
  const bool blackQueen = blackQueens != 0;
  const bool queensEqual = whiteQueen == blackQueen;
  if (minor == 0) {
    if (major == 0) {
      if (whiteQueen && !blackQueen) return 60;
      if (blackQueen && !whiteQueen) return -60;
    } else if (queensEqual) {
      return major > 0 ? 100 : -100;
    }
    return 0;
  }
  switch (major) {
    case 0: return queensEqual ? (minor > 0 ? 100 : -100) : 0;
    case 1: return minor <= -2 ? -100 : minor == -1 ? 60 : 0;
    case -1: return minor >= 2 ? 100 : minor == 1 ? -60 : 0;
    case 2: return minor <= -3 ? -130 : 0;
    case -2: return minor >= 3 ? 130 : 0;
    default: return 0;
  }
}

template <bool Traced>
int16_t EvaluateWith(EvalTerms* terms) {
  const int pawns = Pos.pawnCount[Black] + Pos.pawnCount[White];
  if constexpr (Traced) *terms = EvalTerms{};
  if (Pos.materialTotal < 4 && pawns == 0) {
    if constexpr (Traced) terms->insufficientMaterial = true;
    return 0;
  }
  const int phase = Pos.materialTotal > 127 ? 127 : Pos.materialTotal;
  const Square wk = whiteKingSquare;
  const Square bk = blackKingSquare;

  const int16_t* kingTable = PhaseTableSelection[KingKind][phase];
  int16_t m = kingTable[wk] - kingTable[bk];
  int16_t mark = 0;
  // Records the change of m since the last mark as one term.
  auto term = [&](int16_t EvalTerms::*slot) {
    if constexpr (Traced) terms->*slot = static_cast<int16_t>(m - mark);
    mark = m;
  };
  term(&EvalTerms::kingTables);

  KingFileCounts counts{0, 0};
  if (Pos.materialTotal > 35) {
    m += KingShelter();
    counts = CountKingFiles();
  }
  term(&EvalTerms::shelter);

  if (pawns > 0) m += PawnStructureScore();
  term(&EvalTerms::pawnStructure);

  int minor = 0;
  int major = 0;
  int whiteTropism = 0;
  int blackTropism = 0;
  const uint8_t* towardsBlackKing = SquareDistance[bk].data();
  const uint8_t* towardsWhiteKing = SquareDistance[wk].data();

  const int16_t* knightTable = PhaseTableSelection[KnightKind][phase];
  for (Bitboard b = whiteKnights; b; b &= b - 1) {
    const Square s = BitScan(b);
    m += knightTable[s] + 310 + pawns;
    ++minor;
    whiteTropism += KnightTropism[towardsBlackKing[s]];
  }
  for (Bitboard b = blackKnights; b; b &= b - 1) {
    const Square s = BitScan(b);
    m -= knightTable[63 - s] + 310 + pawns;
    --minor;
    blackTropism += KnightTropism[towardsWhiteKing[s]];
  }
  term(&EvalTerms::knights);

  const int16_t* bishopTable = PhaseTableSelection[BishopKind][phase];
  if (whiteBishops) {
    for (Bitboard b = whiteBishops; b; b &= b - 1) {
      const Square s = BitScan(b);
      m += bishopTable[s] + 315 - pawns;
      ++minor;
      whiteTropism += BishopTropism[towardsBlackKing[s]];
    }
    if (WhiteBishopTrapped()) m -= 220;
    if ((whiteBishops & LightSquares) && (whiteBishops & DarkSquares)) m += 32;
  }
  if (blackBishops) {
    for (Bitboard b = blackBishops; b; b &= b - 1) {
      const Square s = BitScan(b);
      m -= bishopTable[63 - s] + 315 - pawns;
      --minor;
      blackTropism += BishopTropism[towardsWhiteKing[s]];
    }
    if (BlackBishopTrapped()) m += 220;
    if ((blackBishops & LightSquares) && (blackBishops & DarkSquares)) m -= 32;
  }
  term(&EvalTerms::bishops);

  const int16_t* rookTable = PhaseTableSelection[RookKind][phase];
  if (whiteRooks) {
    for (Bitboard b = whiteRooks; b; b &= b - 1) {
      const Square s = BitScan(b);
      m += rookTable[s] + 500;
      ++major;
      whiteTropism += RookTropism[towardsBlackKing[s]];
      const Bitboard file = FileExceptSquare[s];
      if (!(file & whitePawns)) {
        m += 8;                             // half-open file
        if (!(file & blackPawns)) m += 12;  // open file
      } else {
        // The rearmost own pawn on the file, when it is passed and stands in front of the rook.
        const Square q = BitScan(file & whitePawns);
        if (!(WhitePassedMask[q] & blackPawns) && q < s) m += 20;
      }
    }
    const Bitboard seventh = whiteRooks & Rank7;
    if (seventh) {
      m += 12;
      if (seventh & (seventh - 1)) {
        m += 12;
        if (RowOf(bk) == 0) {
          m += 36;
        } else if (RowOf(bk) == 1) {
          m += 12;
        }
      }
    }
  }
  if (blackRooks) {
    for (Bitboard b = blackRooks; b; b &= b - 1) {
      const Square s = BitScan(b);
      m -= rookTable[63 - s] + 500;
      --major;
      blackTropism += RookTropism[towardsWhiteKing[s]];
      const Bitboard file = FileExceptSquare[s];
      if (!(file & blackPawns)) {
        m -= 8;
        if (!(file & whitePawns)) m -= 12;
      } else {
        // The own pawn on the file nearest rank 1, when it is passed and in front of the rook.
        const Square q = BitScan(file & blackPawns);
        if (!(BlackPassedMask[q] & whitePawns) && q > s) m -= 20;
      }
    }
    const Bitboard second = blackRooks & Rank2;
    if (second) {
      m -= 12;
      if (second & (second - 1)) {
        m -= 12;
        if (RowOf(wk) == 7) {
          m -= 36;
        } else if (RowOf(wk) == 6) {
          m -= 12;
        }
      }
    }
  }
  term(&EvalTerms::rooks);

  const int16_t* queenTable = PhaseTableSelection[QueenKind][phase];
  for (Bitboard b = whiteQueens; b; b &= b - 1) {
    const Square s = BitScan(b);
    m += queenTable[s] + 950;
    ++major;
    whiteTropism += QueenTropism[towardsBlackKing[s]];
  }
  for (Bitboard b = blackQueens; b; b &= b - 1) {
    const Square s = BitScan(b);
    m -= queenTable[63 - s] + 950;
    --major;
    blackTropism += QueenTropism[towardsWhiteKing[s]];
  }
  term(&EvalTerms::queens);

  if (Pos.pieceMaterial[Black] > 4 || Pos.pieceMaterial[White] > 4) m += Imbalance(minor, major);
  term(&EvalTerms::imbalance);

  m += AttackProduct(counts, whiteTropism, blackTropism);
  term(&EvalTerms::attackProduct);

  if constexpr (Traced) {
    terms->whiteKingFileCount = counts.white;
    terms->blackKingFileCount = counts.black;
    terms->whiteTropism = static_cast<uint8_t>(whiteTropism);
    terms->blackTropism = static_cast<uint8_t>(blackTropism);
  }
  // Kept below the mate band: with enough promoted queens the material alone would pass the
  // mate scores, and the search would read a real move's score as a mate or "no legal move".
  if (m > MaxStaticScore) m = MaxStaticScore;
  if (m < -MaxStaticScore) m = -MaxStaticScore;
  return Pos.sideToMove == White ? m : static_cast<int16_t>(-m);
}
}  // namespace

int16_t Evaluate() { return EvaluateWith<false>(nullptr); }

int16_t EvaluateTerms(EvalTerms& terms) { return EvaluateWith<true>(&terms); }
