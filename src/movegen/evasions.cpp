// Check evasions: captures of a single checker, moves onto the squares between the king and a
// distant sliding checker, and king steps. Pseudo-legal like the other generators: pinned
// capturers and blockers and king steps along the line of check are rejected after the move by
// KingAttacked.
#include "movegen/movegen_internal.h"

using namespace movegen_detail;

namespace {

// Captures of the checker on cs by the sliders of code Piece (scored by value alone), then, when
// there are block squares, each slider's moves onto them.
template <int Piece>
ScoredMove* SliderEvasions(ScoredMove* list, Square cs, int checkerValue, Bitboard blockSquares) {
  constexpr int value = CaptureValue[Piece];
  const Bitboard pieces = Pos.pieceBoards[Piece];
  if (pieces == 0) return list;
  constexpr bool straight = Piece >= WhiteRook;
  constexpr bool diagonal = Piece <= BlackBishop || Piece >= WhiteQueen;
  const Bitboard rays = (straight ? RookRays[cs] : 0) | (diagonal ? BishopRays[cs] : 0);
  if (rays & pieces) {
    Bitboard reach = 0;
    if constexpr (straight) reach |= RookAttacks(cs);
    if constexpr (diagonal) reach |= BishopAttacks(cs);
    for (Bitboard b = reach & pieces; b; b &= b - 1)
      list = Put(list, BitScan(b), cs, Capture, checkerValue - value - 9500);
  }
  if (blockSquares) {
    for (Bitboard p = pieces; p; p &= p - 1) {
      const Square from = BitScan(p);
      const Bitboard fromRays = (straight ? RookRays[from] : 0) | (diagonal ? BishopRays[from] : 0);
      if ((fromRays & blockSquares) == 0) continue;
      Bitboard reach = 0;
      if constexpr (straight) reach |= RookAttacks(from);
      if constexpr (diagonal) reach |= BishopAttacks(from);
      for (Bitboard b = reach & blockSquares; b; b &= b - 1) list = Put(list, from, BitScan(b), Quiet, -30000 - value);
    }
  }
  return list;
}

template <int Us>
ScoredMove* GenerateEvasionsFor(ScoredMove* list, PlyFrame* frame) {
  using G = PawnGeometry<Us>;
  constexpr int Them = 1 - Us;
  const Square king = Pos.kingSquare[Us];
  const Bitboard checkers = frame->checkers;
  Bitboard blockSquares = 0;

  if ((checkers & (checkers - 1)) == 0) {
    const Square cs = BitScan(checkers);
    const int cp = Pos.board[cs];
    const int checkerValue = CaptureValue[cp];
    if (cp >= WhiteBishop && !(KingAttacks[king] & Bit(cs))) {
      blockSquares =
          frame->kingRookRays ? RookAttacks(cs) & frame->kingRookRays : BishopAttacks(cs) & frame->kingBishopRays;
    }

    // En passant of the pawn that has just made a double step and gives check.
    const Square ep = Pos.epSquare;
    const int pawn = PawnOf(Us);
    if constexpr (Us == White) {
      if (ep != 0 && cs == ep + 8) {
        if (ep > A6 && Pos.board[ep + 7] == pawn) list = Put(list, ep + 7, ep, EnPassant, -9500);
        if (ep < H6 && Pos.board[ep + 9] == pawn) list = Put(list, ep + 9, ep, EnPassant, -9500);
      }
    } else {
      if (ep != 0 && cs == ep - 8) {
        if (ep > A3 && Pos.board[ep - 9] == pawn) list = Put(list, ep - 9, ep, EnPassant, -9500);
        if (ep < H3 && Pos.board[ep - 7] == pawn) list = Put(list, ep - 7, ep, EnPassant, -9500);
      }
    }

    // Pawn captures of the checker: from the a-file side first, then from the h-file side.
    const Bitboard pawnSources = Us == White ? BlackPawnAttacks[cs] : WhitePawnAttacks[cs];
    if (pawnSources & Pos.pieceBoards[pawn]) {
      const Square fromA = Us == White ? cs + 7 : cs - 9;
      const Square fromH = Us == White ? cs + 9 : cs - 7;
      const bool promotes = (G::PromotionRank & Bit(cs)) != 0;
      if (FileOf(cs) != 0 && Pos.board[fromA] == pawn) {
        list = promotes ? PutPromotions(list, fromA, cs, CapturePromoteQueen, checkerValue)
                        : Put(list, fromA, cs, Capture, checkerValue - 9600);
      }
      if (FileOf(cs) != 7 && Pos.board[fromH] == pawn) {
        list = promotes ? PutPromotions(list, fromH, cs, CapturePromoteQueen, checkerValue)
                        : Put(list, fromH, cs, Capture, checkerValue - 9600);
      }
    }

    // Knights: captures of the checker, then blocks.
    const Bitboard knights = Pos.pieceBoards[KnightOf(Us)];
    for (Bitboard b = KnightAttacks[cs] & knights; b; b &= b - 1)
      list = Put(list, BitScan(b), cs, Capture, checkerValue - 9810);
    if (blockSquares) {
      for (Bitboard p = knights; p; p &= p - 1) {
        const Square from = BitScan(p);
        for (Bitboard b = KnightAttacks[from] & blockSquares; b; b &= b - 1)
          list = Put(list, from, BitScan(b), Quiet, -30310);
      }
    }

    list = SliderEvasions<BishopOf(Us)>(list, cs, checkerValue, blockSquares);
    list = SliderEvasions<RookOf(Us)>(list, cs, checkerValue, blockSquares);
    list = SliderEvasions<QueenOf(Us)>(list, cs, checkerValue, blockSquares);

    // Pawn blocks: double steps, then promotions, then single steps.
    if (blockSquares) {
      Bitboard steps = G::Forward(Pos.pieceBoards[pawn]) & ~Pos.occupied;
      if (steps) {
        for (Bitboard b = G::Forward(steps & G::DoubleStepRank) & blockSquares; b; b &= b - 1) {
          const Square to = BitScan(b);
          list = Put(list, to - 2 * G::Push, to, Quiet, -30000);
        }
        steps &= blockSquares;
        for (Bitboard b = steps & G::PromotionRank; b; b &= b - 1) {
          const Square to = BitScan(b);
          list = PutPromotions(list, to - G::Push, to, PromoteQueen, 0);
        }
        for (Bitboard b = steps & ~G::PromotionRank; b; b &= b - 1) {
          const Square to = BitScan(b);
          list = Put(list, to - G::Push, to, Quiet, -30000);
        }
      }
    }
  }

  // King steps, never next to the enemy king nor onto the line of check between king and checker.
  const Bitboard targets =
      KingAttacks[king] & ~KingAttacks[Pos.kingSquare[Them]] & ~Pos.pieceBoards[11 + Us] & ~blockSquares;
  const Bitboard enemy = Pos.pieceBoards[12 - Us];
  if (targets & enemy) {
    const Bitboard rookSliders = RookSliders();
    const Bitboard bishopSliders = BishopSliders();
    for (Bitboard b = targets & enemy; b; b &= b - 1) {
      const Square to = BitScan(b);
      list = Put(list, king, to, Capture, CaptureScore(KingOf(Us), king, to, rookSliders, bishopSliders));
    }
  }
  for (Bitboard b = targets & ~enemy; b; b &= b - 1) list = Put(list, king, BitScan(b), Quiet, -30000);
  return list;
}

}  // namespace

const EvasionGenerator GenerateEvasions[2] = {GenerateEvasionsFor<Black>, GenerateEvasionsFor<White>};
