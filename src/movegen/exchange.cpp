// Static exchange score: plays out the captures on one square with least valuable attackers
// first, x-rays included, and maps the result onto the ordering bands of the generators
// (gaining exchanges near -9500, even or losing ones near -30000). Scores and the swap list
// are 16-bit and wrap like 16-bit arithmetic.
#include "eval/eval.h"
#include "movegen/movegen_internal.h"

using namespace movegen_detail;

namespace {

constexpr int16_t Wrap(int v) { return static_cast<int16_t>(v); }

// Sliders of the given set standing behind square from on a line through to, that now reach
// from; they are added to attackers and taken out of the set. Returns true when any was found.
template <bool Straight>
inline bool AddXray(Square from, Square to, Bitboard& sliders, Bitboard& attackers) {
  Bitboard x = (Straight ? RookRays[to] & RookRays[from] : BishopRays[to] & BishopRays[from]) & sliders;
  if (x == 0) return false;
  x &= Straight ? RookAttacks(from) : BishopAttacks(from);
  attackers |= x;
  sliders &= ~x;
  return x != 0;
}

// Score of a capture that the mover's side makes last, or that nobody answers: gaining exchanges
// also earn the victim's piece-square bonus.
inline int16_t GainScore(int gain, int victim, Square to, int positionalDelta) {
  if (victim != 0) positionalDelta += PieceSquareValue(victim, to);
  return Wrap(gain + positionalDelta - 9500);
}

}  // namespace

int16_t ExchangeScore(int piece, Square from, Square to, Bitboard rookSliders, Bitboard bishopSliders) {
  int16_t gain[32];
  const int victim = Pos.board[to];
  gain[0] = CaptureValue[victim];
  int positionalDelta = -PieceSquareValue(piece, from);

  const Bitboard kings = Bit(Pos.kingSquare[White]) | Bit(Pos.kingSquare[Black]);
  Bitboard attackers = (BishopAttacks(to) & bishopSliders) | (RookAttacks(to) & rookSliders) |
                       (KingAttacks[to] & kings) | (KnightAttacks[to] & (whiteKnights | blackKnights));
  // Pawns that attack to: black pawns from the squares a white pawn on to would attack, and the
  // other way round; the mover is left out.
  const Bitboard pawns = ((WhitePawnAttacks[to] & blackPawns) | (BlackPawnAttacks[to] & whitePawns)) & ~Bit(from);
  int nextAttackerType[2];
  if (pawns) {
    attackers |= pawns;
    nextAttackerType[Black] = BlackPawn;
    nextAttackerType[White] = WhitePawn;
  } else {
    nextAttackerType[Black] = BlackKnight;
    nextAttackerType[White] = WhiteKnight;
  }
  attackers &= ~Bit(from);

  // Sliders uncovered behind the mover, by the mover's kind.
  switch (piece) {
    case WhitePawn:
    case BlackPawn:
      if ((piece == WhitePawn && (Rank8 & Bit(to))) || (piece == BlackPawn && (Rank1 & Bit(to)))) {
        gain[0] = Wrap(gain[0] + 800);
        piece = piece == WhitePawn ? WhiteQueen : BlackQueen;
      }
      [[fallthrough]];
    case WhiteBishop:
    case BlackBishop:
      bishopSliders &= ~Bit(from);
      AddXray<false>(from, to, bishopSliders, attackers);
      break;
    case WhiteRook:
    case BlackRook:
      rookSliders &= ~Bit(from);
      AddXray<true>(from, to, rookSliders, attackers);
      break;
    case WhiteQueen:
    case BlackQueen:
      rookSliders &= ~Bit(from);
      bishopSliders &= ~Bit(from);
      if (!AddXray<true>(from, to, rookSliders, attackers)) AddXray<false>(from, to, bishopSliders, attackers);
      break;
    case WhiteKing:
      if (attackers & blackPieces) return -32767;
      break;
    case BlackKing:
      if (attackers & whitePieces) return -32767;
      break;
    default:  // knights
      break;
  }
  positionalDelta += PieceSquareValue(piece, to);

  const int us = Pos.sideToMove;
  const int them = us ^ 1;
  if ((attackers & ColourBoard(them)) == 0) {
    if (gain[0] == 0) return Wrap(positionalDelta - 29985);
    return GainScore(gain[0], victim, to, positionalDelta);
  }

  // The exchange: each side recaptures with its least valuable attacker.
  rookSliders &= ~attackers;
  bishopSliders &= ~attackers;
  int n = 1;
  int s = them;
  int onTo = piece;
  for (;;) {
    int capturer = 0;
    Square square = 0;
    for (int t = nextAttackerType[s]; t <= 10 - s; t += 2) {
      const Bitboard found = Pos.pieceBoards[t] & attackers;
      if (found) {
        square = BitScan(found);
        attackers &= ~Bit(square);
        capturer = t;
        break;
      }
    }
    if (capturer == 0) {
      // A king captures last only: never onto a square that is still attacked.
      const Square kingSq = Pos.kingSquare[s];
      if (!(KingAttacks[to] & Bit(kingSq))) break;
      attackers &= ~Bit(kingSq);
      if (attackers) break;
      capturer = KingOf(s);
      square = kingSq;
    }
    nextAttackerType[s] = capturer;
    gain[n] = Wrap(CaptureValue[onTo] - gain[n - 1]);

    // Early stop: the side capturing now stays more than 50 ahead even if it loses its capturer.
    if (Wrap(gain[n] - CaptureValue[capturer]) > 50) {
      if (s == us) {
        if (gain[0] == 0) return Wrap(positionalDelta - 29985);
        return GainScore(gain[n - 2], victim, to, positionalDelta);
      }
      return Wrap(CaptureValue[capturer] / 2 - gain[n] + positionalDelta - 30000);
    }

    switch (capturer) {
      case WhitePawn:
      case BlackPawn:
      case WhiteBishop:
      case BlackBishop: AddXray<false>(square, to, bishopSliders, attackers); break;
      case WhiteRook:
      case BlackRook: AddXray<true>(square, to, rookSliders, attackers); break;
      case WhiteQueen:
      case BlackQueen:
        if (!AddXray<true>(square, to, rookSliders, attackers)) AddXray<false>(square, to, bishopSliders, attackers);
        break;
      default:  // knights and kings uncover nothing
        break;
    }

    onTo = capturer;
    s ^= 1;
    ++n;
    if ((attackers & ColourBoard(s)) == 0) break;
  }

  // Each side stops where that is better for it.
  for (int k = n - 1; k >= 1; --k) {
    const int16_t answer = Wrap(-gain[k]);
    if (answer < gain[k - 1]) gain[k - 1] = answer;
  }
  const int g = gain[0];
  if (g <= -50) return Wrap(g + positionalDelta - 30000);
  if (g == 0) return Wrap(positionalDelta - 29985);
  return GainScore(g, victim, to, positionalDelta);
}
