// Helpers shared by the generators, the attack tests and the exchange score: rank and file
// masks, the side-dependent pawn geometry and the list writer. Everything here is inline and
// allocation-free.
#pragma once

#include "movegen/movegen.h"
#include "position/tables.h"

namespace movegen_detail {

// Whole files and ranks as Bitboards (square s is bit 63 - s, so a8 is the top bit).
inline constexpr Bitboard FileA = 0x8080808080808080ull;
inline constexpr Bitboard FileH = 0x0101010101010101ull;
inline constexpr Bitboard Rank8 = 0xFF00000000000000ull;
inline constexpr Bitboard Rank7 = 0x00FF000000000000ull;
inline constexpr Bitboard Rank6 = 0x0000FF0000000000ull;
inline constexpr Bitboard Rank3 = 0x0000000000FF0000ull;
inline constexpr Bitboard Rank2 = 0x000000000000FF00ull;
inline constexpr Bitboard Rank1 = 0x00000000000000FFull;

// The Bitboard of square s alone, computed without a table read.
constexpr Bitboard Bit(Square s) { return Bitboard{1} << (63 - s); }

// Per-side constants of the pawn geometry. White pawns move towards rank 8 (lower square
// numbers, higher bits); Black pawns towards rank 1.
template <int Us>
struct PawnGeometry;

template <>
struct PawnGeometry<White> {
  static constexpr Bitboard PromotionRank = Rank8;
  static constexpr Bitboard DoubleStepRank = Rank3;  // a single step lands here first
  static constexpr Bitboard SeventhRank = Rank7;
  static constexpr int Push = -8;      // destination - origin of a single step
  static constexpr int CaptureA = -9;  // destination - origin of a capture towards the a-file
  static constexpr int CaptureH = -7;  // destination - origin of a capture towards the h-file
  static constexpr Bitboard Forward(Bitboard b) { return b << 8; }
  static constexpr Bitboard ForwardA(Bitboard b) { return (b & ~FileA) << 9; }
  static constexpr Bitboard ForwardH(Bitboard b) { return (b & ~FileH) << 7; }
};

template <>
struct PawnGeometry<Black> {
  static constexpr Bitboard PromotionRank = Rank1;
  static constexpr Bitboard DoubleStepRank = Rank6;
  static constexpr Bitboard SeventhRank = Rank2;
  static constexpr int Push = 8;
  static constexpr int CaptureA = 7;
  static constexpr int CaptureH = 9;
  static constexpr Bitboard Forward(Bitboard b) { return b >> 8; }
  static constexpr Bitboard ForwardA(Bitboard b) { return (b & ~FileA) >> 7; }
  static constexpr Bitboard ForwardH(Bitboard b) { return (b & ~FileH) >> 9; }
};

// Piece codes of side s.
constexpr int PawnOf(int s) { return 2 - s; }
constexpr int KnightOf(int s) { return 4 - s; }
constexpr int BishopOf(int s) { return 6 - s; }
constexpr int RookOf(int s) { return 8 - s; }
constexpr int QueenOf(int s) { return 10 - s; }
constexpr int KingOf(int s) { return 12 - s; }

// Writes one entry and returns the next free one.
inline ScoredMove* Put(ScoredMove* list, Square from, Square to, int kind, int score) {
  list->score = static_cast<int16_t>(score);
  list->move = BuildMove(from, to, kind);
  return list + 1;
}

// Writes the four promotions (queen, knight, rook, bishop) of one pawn move; base is the kind of
// the queen promotion (PromoteQueen or CapturePromoteQueen) and bonus the victim's value.
inline ScoredMove* PutPromotions(ScoredMove* list, Square from, Square to, int base, int bonus) {
  list = Put(list, from, to, base, bonus - 9401);
  list = Put(list, from, to, base + 1, bonus - 30005);
  list = Put(list, from, to, base + 2, bonus - 30025);
  return Put(list, from, to, base + 3, bonus - 30050);
}

// All rooks and queens, and all bishops and queens, of both colours.
inline Bitboard RookSliders() { return whiteRooks | blackRooks | whiteQueens | blackQueens; }
inline Bitboard BishopSliders() { return whiteBishops | blackBishops | whiteQueens | blackQueens; }

// Ordering score of a capture by a piece other than a pawn: victim minus attacker when the
// victim is worth at least the attacker less 50, otherwise the exchange score.
inline int CaptureScore(int attacker, Square from, Square to, Bitboard rookSliders, Bitboard bishopSliders) {
  int victim = CaptureValue[Pos.board[to]];
  int value = CaptureValue[attacker];
  if (victim >= value - 50) return victim - value - 9500;
  return ExchangeScore(attacker, from, to, rookSliders, bishopSliders);
}

// True when square s is attacked by a knight, pawn, bishop, rook or queen of side Them, with the
// current occupancy. The enemy king is not counted.
template <int Them>
inline bool AttackedBy(Square s) {
  if (KnightAttacks[s] & Pos.pieceBoards[KnightOf(Them)]) return true;
  // A white pawn attacks s from the squares a black pawn on s would attack, and vice versa.
  const Bitboard pawnSources = Them == White ? BlackPawnAttacks[s] : WhitePawnAttacks[s];
  if (pawnSources & Pos.pieceBoards[PawnOf(Them)]) return true;
  const Bitboard queens = Pos.pieceBoards[QueenOf(Them)];
  const Bitboard straight = Pos.pieceBoards[RookOf(Them)] | queens;
  const Bitboard diagonal = Pos.pieceBoards[BishopOf(Them)] | queens;
  if (QueenRays[s] & (straight | diagonal)) {
    if ((RookRays[s] & straight) && (RookAttacks(s) & straight)) return true;
    if ((BishopRays[s] & diagonal) && (BishopAttacks(s) & diagonal)) return true;
  }
  return false;
}

}  // namespace movegen_detail
