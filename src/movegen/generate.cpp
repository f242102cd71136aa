// The scored pseudo-legal generators: every move (GenerateMoves) and the quiescence moves
// (GenerateCaptures), one instance per side. The order of the steps, and the h1-to-a8 walk of
// every Bitboard within a step, fix the order of the list; the search's move ordering and the
// bench node counts depend on it.
#include "movegen/movegen_internal.h"

using namespace movegen_detail;

ScoredMove MoveListArena[MoveListArenaSize];

namespace {

// Pawn captures in one direction (towards the a-file when ASide, else towards the h-file): the
// en-passant capture first, then the capturing promotions (four per destination), then the other
// captures. Shared by both generators.
template <int Us, bool ASide>
ScoredMove* PawnCaptures(ScoredMove* list) {
  using G = PawnGeometry<Us>;
  const Bitboard pawns = Pos.pieceBoards[PawnOf(Us)];
  Bitboard targets = ASide ? G::ForwardA(pawns) : G::ForwardH(pawns);
  if (targets == 0) return list;
  constexpr int back = ASide ? -G::CaptureA : -G::CaptureH;  // origin - destination
  const Square ep = Pos.epSquare;
  if (ep != 0 && (targets & Bit(ep))) list = Put(list, ep + back, ep, EnPassant, -9500);
  targets &= Pos.pieceBoards[12 - Us];
  for (Bitboard b = targets & G::PromotionRank; b; b &= b - 1) {
    const Square to = BitScan(b);
    list = PutPromotions(list, to + back, to, CapturePromoteQueen, CaptureValue[Pos.board[to]]);
  }
  for (Bitboard b = targets & ~G::PromotionRank; b; b &= b - 1) {
    const Square to = BitScan(b);
    list = Put(list, to + back, to, Capture, CaptureValue[Pos.board[to]] - 9600);
  }
  return list;
}

// Attack set of a knight, bishop, rook or queen of code Piece on from, current occupancy.
template <int Piece>
inline Bitboard PieceAttacks(Square from) {
  if constexpr (Piece <= BlackKnight) {
    return KnightAttacks[from];
  } else if constexpr (Piece <= BlackBishop) {
    return BishopAttacks(from);
  } else if constexpr (Piece <= BlackRook) {
    return RookAttacks(from);
  } else {
    return RookAttacks(from) | BishopAttacks(from);
  }
}

// Every move of the pieces of code Piece: for each piece its captures, then its quiet moves.
template <int Us, int Piece>
ScoredMove* PieceMoves(ScoredMove* list, Bitboard rookSliders, Bitboard bishopSliders) {
  const Bitboard own = Pos.pieceBoards[11 + Us];
  const Bitboard enemy = Pos.pieceBoards[12 - Us];
  for (Bitboard pieces = Pos.pieceBoards[Piece]; pieces; pieces &= pieces - 1) {
    const Square from = BitScan(pieces);
    const Bitboard targets = PieceAttacks<Piece>(from) & ~own;
    for (Bitboard b = targets & enemy; b; b &= b - 1) {
      const Square to = BitScan(b);
      list = Put(list, from, to, Capture, CaptureScore(Piece, from, to, rookSliders, bishopSliders));
    }
    for (Bitboard b = targets & ~enemy; b; b &= b - 1) list = Put(list, from, BitScan(b), Quiet, -30000);
  }
  return list;
}

// Captures of the pieces of code Piece for the quiescence list; those scored below -10000 are
// left out.
template <int Us, int Piece>
ScoredMove* PieceCaptures(ScoredMove* list, Bitboard rookSliders, Bitboard bishopSliders) {
  const Bitboard enemy = Pos.pieceBoards[12 - Us];
  for (Bitboard pieces = Pos.pieceBoards[Piece]; pieces; pieces &= pieces - 1) {
    const Square from = BitScan(pieces);
    for (Bitboard b = PieceAttacks<Piece>(from) & enemy; b; b &= b - 1) {
      const Square to = BitScan(b);
      const int score = CaptureScore(Piece, from, to, rookSliders, bishopSliders);
      if (score >= -10000) list = Put(list, from, to, Capture, score);
    }
  }
  return list;
}

// King targets: its neighbourhood without own pieces and without the enemy king's neighbours.
template <int Us>
inline Bitboard KingTargets() {
  return KingAttacks[Pos.kingSquare[Us]] & ~KingAttacks[Pos.kingSquare[1 - Us]] & ~Pos.pieceBoards[11 + Us];
}

template <int Us>
ScoredMove* GenerateMovesFor(ScoredMove* list) {
  using G = PawnGeometry<Us>;
  const Bitboard rookSliders = RookSliders();
  const Bitboard bishopSliders = BishopSliders();
  const Bitboard empty = ~Pos.occupied;
  const Bitboard enemy = Pos.pieceBoards[12 - Us];

  list = PawnCaptures<Us, true>(list);
  list = PawnCaptures<Us, false>(list);
  list = PieceMoves<Us, KnightOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceMoves<Us, QueenOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceMoves<Us, RookOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceMoves<Us, BishopOf(Us)>(list, rookSliders, bishopSliders);

  // Pawn steps: promotions, then double steps, then single steps.
  Bitboard steps = G::Forward(Pos.pieceBoards[PawnOf(Us)]) & empty;
  if (steps) {
    for (Bitboard b = steps & G::PromotionRank; b; b &= b - 1) {
      const Square to = BitScan(b);
      list = PutPromotions(list, to - G::Push, to, PromoteQueen, 0);
    }
    steps &= ~G::PromotionRank;
    for (Bitboard b = G::Forward(steps & G::DoubleStepRank) & empty; b; b &= b - 1) {
      const Square to = BitScan(b);
      list = Put(list, to - 2 * G::Push, to, Quiet, -30000);
    }
    for (Bitboard b = steps; b; b &= b - 1) {
      const Square to = BitScan(b);
      list = Put(list, to - G::Push, to, Quiet, -30000);
    }
  }

  // King: captures first, then quiet steps.
  const Square king = Pos.kingSquare[Us];
  const Bitboard targets = KingTargets<Us>();
  for (Bitboard b = targets & enemy; b; b &= b - 1) {
    const Square to = BitScan(b);
    list = Put(list, king, to, Capture, CaptureScore(KingOf(Us), king, to, rookSliders, bishopSliders));
  }
  for (Bitboard b = targets & ~enemy; b; b &= b - 1) list = Put(list, king, BitScan(b), Quiet, -30000);

  // Castling: the right and empty squares between king and rook; attacks on the king's path are
  // tested after the move by KingAttacked.
  if (Pos.castlingRights) {
    if constexpr (Us == White) {
      if ((Pos.castlingRights & RightWhiteShort) && !(Pos.occupied & (Bit(F1) | Bit(G1)))) {
        list->score = -29000;
        list->move = MoveCastleWhiteShort;
        ++list;
      }
      if ((Pos.castlingRights & RightWhiteLong) && !(Pos.occupied & (Bit(B1) | Bit(C1) | Bit(D1)))) {
        list->score = -29500;
        list->move = MoveCastleWhiteLong;
        ++list;
      }
    } else {
      if ((Pos.castlingRights & RightBlackShort) && !(Pos.occupied & (Bit(F8) | Bit(G8)))) {
        list->score = -29000;
        list->move = MoveCastleBlackShort;
        ++list;
      }
      if ((Pos.castlingRights & RightBlackLong) && !(Pos.occupied & (Bit(B8) | Bit(C8) | Bit(D8)))) {
        list->score = -29500;
        list->move = MoveCastleBlackLong;
        ++list;
      }
    }
  }
  return list;
}

template <int Us>
ScoredMove* GenerateCapturesFor(ScoredMove* list) {
  using G = PawnGeometry<Us>;
  const Bitboard rookSliders = RookSliders();
  const Bitboard bishopSliders = BishopSliders();

  list = PawnCaptures<Us, true>(list);
  list = PawnCaptures<Us, false>(list);

  // Queen promotions by a step, kept only when the exchange on the promotion square gains.
  for (Bitboard b = G::Forward(Pos.pieceBoards[PawnOf(Us)] & G::SeventhRank) & ~Pos.occupied; b; b &= b - 1) {
    const Square to = BitScan(b);
    const Square from = to - G::Push;
    const int score = ExchangeScore(PawnOf(Us), from, to, rookSliders, bishopSliders);
    if (score >= -10000) list = Put(list, from, to, PromoteQueen, score);
  }

  list = PieceCaptures<Us, KnightOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceCaptures<Us, BishopOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceCaptures<Us, RookOf(Us)>(list, rookSliders, bishopSliders);
  list = PieceCaptures<Us, QueenOf(Us)>(list, rookSliders, bishopSliders);

  const Square king = Pos.kingSquare[Us];
  for (Bitboard b = KingTargets<Us>() & Pos.pieceBoards[12 - Us]; b; b &= b - 1) {
    const Square to = BitScan(b);
    const int score = CaptureScore(KingOf(Us), king, to, rookSliders, bishopSliders);
    if (score >= -10000) list = Put(list, king, to, Capture, score);
  }
  return list;
}

}  // namespace

const MoveGenerator GenerateMoves[2] = {GenerateMovesFor<Black>, GenerateMovesFor<White>};
const MoveGenerator GenerateCaptures[2] = {GenerateCapturesFor<Black>, GenerateCapturesFor<White>};
