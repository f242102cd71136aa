// Check detection before generating and the legality test after each make, including the
// castling-path tests.
#include <initializer_list>

#include "movegen/movegen_internal.h"

using namespace movegen_detail;

namespace {

// Squares on which the enemy king would stand next to the squares a castling king lands on or
// crosses: f1/g1 (e1-h1 and e2-h2), c1/d1 (b1-d1 and b2-d2), and the same on rank 8. The
// e-file squares of the long castlings are left out: an enemy king there would already have
// stood next to the castling king.
constexpr Bitboard SquaresOf(std::initializer_list<int> squares) {
  Bitboard b = 0;
  for (int s : squares) b |= Bit(s);
  return b;
}
constexpr Bitboard WhiteShortKingZone = SquaresOf({E1, F1, G1, H1, E2, F2, G2, H2});
constexpr Bitboard WhiteLongKingZone = SquaresOf({B1, C1, D1, B2, C2, D2});
constexpr Bitboard BlackShortKingZone = SquaresOf({E7, F7, G7, H7, E8, F8, G8, H8});
constexpr Bitboard BlackLongKingZone = SquaresOf({B7, C7, D7, B8, C8, D8});

template <int Us>
void FindCheckersFor(PlyFrame* frame) {
  constexpr int Them = 1 - Us;
  const Square k = Pos.kingSquare[Us];
  const Bitboard queens = Pos.pieceBoards[QueenOf(Them)];
  const Bitboard straight = Pos.pieceBoards[RookOf(Them)] | queens;
  const Bitboard diagonal = Pos.pieceBoards[BishopOf(Them)] | queens;
  Bitboard checkers = 0;
  if (QueenRays[k] & (straight | diagonal)) {
    if (RookRays[k] & straight) {
      const Bitboard rays = RookAttacks(k);
      frame->kingRookRays = rays;
      checkers = straight & rays;
    }
    if (BishopRays[k] & diagonal) {
      // With no straight-line checker the evasion generator must read the diagonal rays.
      if (checkers == 0) frame->kingRookRays = 0;
      const Bitboard rays = BishopAttacks(k);
      frame->kingBishopRays = rays;
      checkers |= diagonal & rays;
    }
  }
  checkers |= KnightAttacks[k] & Pos.pieceBoards[KnightOf(Them)];
  checkers |= (Us == White ? WhitePawnAttacks[k] : BlackPawnAttacks[k]) & Pos.pieceBoards[PawnOf(Them)];
  frame->checkers = checkers;
}

// The castling move has been made: the king stands on its destination and the rook beside it.
template <int Us>
bool CastlingPathAttackedFor(Move move) {
  constexpr int Them = 1 - Us;
  const bool shortSide = MoveKindOf(move) == (Us == White ? CastleWhiteShort : CastleBlackShort);
  const Square origin = Us == White ? E1 : E8;
  if (AttackedBy<Them>(origin)) return true;
  const Square crossed = Us == White ? (shortSide ? F1 : D1) : (shortSide ? F8 : D8);
  if (AttackedBy<Them>(crossed)) return true;
  const Bitboard zone = Us == White ? (shortSide ? WhiteShortKingZone : WhiteLongKingZone)
                                    : (shortSide ? BlackShortKingZone : BlackLongKingZone);
  return (zone & Bit(Pos.kingSquare[Them])) != 0;
}

template <int Us>
bool KingAttackedFor(Move move) {
  if (AttackedBy<1 - Us>(Pos.kingSquare[Us])) return true;
  if (MoveKindOf(move) >= CastleBlackShort) return CastlingPathAttackedFor<Us>(move);
  return false;
}

}  // namespace

void FindCheckers(PlyFrame* frame) {
  if (Pos.sideToMove == White) {
    FindCheckersFor<White>(frame);
  } else {
    FindCheckersFor<Black>(frame);
  }
}

bool KingAttacked(Move move, int side) {
  return side == White ? KingAttackedFor<White>(move) : KingAttackedFor<Black>(move);
}

bool CastlingPathAttacked(Move move) {
  // White's castling kinds are odd (13, 15), Black's even (12, 14).
  return (MoveKindOf(move) & 1) ? CastlingPathAttackedFor<White>(move) : CastlingPathAttackedFor<Black>(move);
}
