// The single-move validity test used to resolve SAN piece moves: the right piece of the side to
// move on the origin, a reachable destination over empty squares, and a destination that is
// empty or holds an enemy piece exactly as the move's kind says. King safety is not tested.
#include "movegen/movegen_internal.h"

using namespace movegen_detail;

namespace {

// Quiet or capturing move of a non-pawn piece whose reach from its origin is reach.
bool PieceMoveFits(Bitboard reach, Square to, int kind, int them) {
  const Bitboard target = Bit(to);
  if (!(reach & target)) return false;
  if (kind == Quiet) return !(Pos.occupied & target);
  if (kind == Capture) return (ColourBoard(them) & target) != 0;
  return false;
}

}  // namespace

bool IsPseudoLegal(Move move) {
  const Square from = MoveFrom(move);
  const Square to = MoveTo(move);
  const int kind = MoveKindOf(move);
  const int p = Pos.board[from];
  const int us = Pos.sideToMove;
  const int them = us ^ 1;
  if ((p & 1) != us) return false;
  const bool toEmpty = !(Pos.occupied & Bit(to));
  const int file = FileOf(to);

  switch (p) {
    case WhitePawn:
    case BlackPawn: {
      const bool white = p == WhitePawn;
      // The origins from which a pawn of this colour attacks to, without wrapping across files.
      const bool fromAttacks = white ? ((from == to + 7 && file != 0) || (from == to + 9 && file != 7))
                                     : ((from == to - 9 && file != 0) || (from == to - 7 && file != 7));
      const bool onLastRank = white ? RowOf(to) == 0 : RowOf(to) == 7;
      const bool captures = fromAttacks && (ColourBoard(them) & Bit(to)) != 0;
      switch (kind) {
        case Quiet:
          if (!toEmpty) return false;
          if (white) {
            return from == to + 8 || (from == to + 16 && RowOf(to) == 4 && !(Pos.occupied & Bit(to + 8)));
          }
          return from == to - 8 || (from == to - 16 && RowOf(to) == 3 && !(Pos.occupied & Bit(to - 8)));
        case Capture: return captures;
        case EnPassant: return Pos.epSquare != 0 && to == Pos.epSquare && fromAttacks;
        case PromoteQueen:
        case PromoteKnight:
        case PromoteRook:
        case PromoteBishop: return onLastRank && from == to + (white ? 8 : -8) && toEmpty;
        case CapturePromoteQueen:
        case CapturePromoteKnight:
        case CapturePromoteRook:
        case CapturePromoteBishop: return onLastRank && captures;
        default: return false;
      }
    }
    case WhiteKnight:
    case BlackKnight: return PieceMoveFits(KnightAttacks[from], to, kind, them);
    case WhiteBishop:
    case BlackBishop: return PieceMoveFits(BishopAttacks(from), to, kind, them);
    case WhiteRook:
    case BlackRook: return PieceMoveFits(RookAttacks(from), to, kind, them);
    case WhiteQueen:
    case BlackQueen: return PieceMoveFits(RookAttacks(from) | BishopAttacks(from), to, kind, them);
    case WhiteKing:
    case BlackKing:
      if (from != Pos.kingSquare[us]) return false;
      return PieceMoveFits(KingAttacks[from], to, kind, them);
    default: return false;  // empty origin, or a code that is no piece
  }
}
