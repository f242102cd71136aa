// SAN move text read on the live position: castling words, pawn pushes and captures with and
// without promotion, piece moves with file or rank hints, and coordinate words.
#include <bit>
#include <cstring>

#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/tables.h"

namespace {

// Whole files and rows as Bitboards (square s is bit 63 - s): file 0 is a, row 0 is rank 8.
constexpr Bitboard FileMask(int file) { return 0x8080808080808080ull >> file; }
constexpr Bitboard RowMask(int row) { return 0xFF00000000000000ull >> (8 * row); }

constexpr bool IsFileLetter(char c) { return c >= 'a' && c <= 'h'; }
constexpr bool IsRankDigit(char c) { return c >= '1' && c <= '8'; }
constexpr bool OnBoard(int s) { return s >= 0 && s < 64; }

// The square named by a file letter and a rank digit, or -1 when either is out of range (so
// that "i9" names no square rather than wrapping onto one).
constexpr Square SquareOf(char file, char rank) {
  return IsFileLetter(file) && IsRankDigit(rank) ? (file - 'a') + 8 * ('8' - rank) : -1;
}

// The non-capturing promotion kind of a promotion letter in either case, or -1. The capturing
// kind is 4 more.
constexpr int PromotionKind(char c) {
  switch (c) {
    case 'Q':
    case 'q': return PromoteQueen;
    case 'N':
    case 'n': return PromoteKnight;
    case 'R':
    case 'r': return PromoteRook;
    case 'B':
    case 'b': return PromoteBishop;
    default: return -1;
  }
}
static_assert(CapturePromoteQueen - PromoteQueen == 4 && CapturePromoteBishop - PromoteBishop == 4);

// Castling word after the decorations are gone: 1 king-side, 2 queen-side, 0 none.
int CastlingWord(const char* s) {
  if (std::strcmp(s, "00") == 0 || std::strcmp(s, "OO") == 0) return 1;
  if (std::strcmp(s, "000") == 0 || std::strcmp(s, "OOO") == 0) return 2;
  return 0;
}

Move Castling(bool kingSide) {
  const uint16_t rights = Pos.castlingRights;
  if (Pos.sideToMove == White) {
    if (kingSide) return (rights & RightWhiteShort) ? MoveCastleWhiteShort : 0;
    return (rights & RightWhiteLong) ? MoveCastleWhiteLong : 0;
  }
  if (kingSide) return (rights & RightBlackShort) ? MoveCastleBlackShort : 0;
  return (rights & RightBlackLong) ? MoveCastleBlackLong : 0;
}

}  // namespace

Move ResolveSanMove(char letter, Square to, Bitboard allowed) {
  if (!OnBoard(to)) return 0;
  const int us = Pos.sideToMove;
  const int own = us == White ? 0 : 1;  // added to a white piece code gives the side's code
  int kind = Pos.board[to] != Empty ? Capture : Quiet;
  Bitboard candidates = 0;
  switch (letter) {
    case 'N': candidates = KnightAttacks[to] & Pos.pieceBoards[WhiteKnight + own] & allowed; break;
    case 'B': candidates = BishopAttacks(to) & Pos.pieceBoards[WhiteBishop + own] & allowed; break;
    case 'R': candidates = RookAttacks(to) & Pos.pieceBoards[WhiteRook + own] & allowed; break;
    case 'Q': candidates = (RookAttacks(to) | BishopAttacks(to)) & Pos.pieceBoards[WhiteQueen + own] & allowed; break;
    case 'K': {
      const Square king = Pos.kingSquare[us];
      return OnBoard(king) ? BuildMove(king, to, kind) : 0;
    }
    default:
      if (!IsFileLetter(letter)) return 0;
      // The squares from which a pawn of ours captures onto to are those a pawn of the other
      // colour would attack from to; the table keeps them on the neighbouring files.
      candidates = (us == White ? BlackPawnAttacks[to] : WhitePawnAttacks[to]) & FileMask(letter - 'a') &
                   Pos.pieceBoards[WhitePawn + own];
      if (kind == Quiet) kind = EnPassant;
      break;
  }
  if (candidates == 0) return 0;
  if (std::has_single_bit(candidates)) return BuildMove(BitScan(candidates), to, kind);

  // Several candidates: keep the one whose move fits the board and leaves our king safe. Each
  // trial is made and taken back on a frame of our own, so one more history entry must fit.
  if (Pos.historyTop >= &GameHistory[GameHistorySize - 1]) return 0;
  const Move topMove = Pos.historyTop->move;  // MakeMove records the trial move there
  PlyFrame frame{};
  SaveForMake(&frame);
  Move found = 0;
  bool ambiguous = false;
  for (Bitboard b = candidates; b != 0 && !ambiguous; b &= b - 1) {
    const Move move = BuildMove(BitScan(b), to, kind);
    if (!IsPseudoLegal(move)) continue;
    MakeMove(move, &frame);
    const bool unsafe = KingAttacked(move, us);
    UnmakeMove(move, &frame);
    if (unsafe) continue;
    if (found != 0) ambiguous = true;
    found = move;
  }
  Pos.historyTop->move = topMove;
  return ambiguous ? 0 : found;
}

Move ParseSanMove(const char* text) {
  // Working copy: the first nine characters without the decorations.
  char s[10] = {};
  int length = 0;
  for (int i = 0; i < 9 && text[i] != 0; ++i) {
    if (std::strchr("x+#!?=-", text[i]) == nullptr) s[length++] = text[i];
  }
  const bool white = Pos.sideToMove == White;
  const int back = white ? 8 : -8;  // one rank towards the side's own back rank

  switch (length) {
    case 2: {
      if (const int castling = CastlingWord(s); castling != 0) return castling == 1 ? Castling(true) : 0;
      // Pawn push: one step back from to, or two when no pawn stands on the first square.
      const Square to = SquareOf(s[0], s[1]);
      if (to < 0) return 0;
      Square from = to + back;
      if (!OnBoard(from)) return 0;
      if (Pos.board[from] != WhitePawn && Pos.board[from] != BlackPawn) {
        from += back;
        if (!OnBoard(from)) return 0;
      }
      return BuildMove(from, to, Quiet);
    }
    case 3: {
      if (const int castling = CastlingWord(s); castling != 0) return castling == 2 ? Castling(false) : 0;
      if (const int kind = PromotionKind(s[2]); kind >= 0) {
        // Promotion by a push ("e8Q"); the kind does not depend on what stands on to.
        const Square to = SquareOf(s[0], s[1]);
        if (to < 0 || !OnBoard(to + back)) return 0;
        return BuildMove(to + back, to, kind);
      }
      const Square to = SquareOf(s[1], s[2]);
      if (to < 0) return 0;
      return ResolveSanMove(s[0], to, ~Bitboard{0});
    }
    case 4: {
      if (const int kind = PromotionKind(s[3]); kind >= 0) {
        // Promotion by capture ("ed8N"): the origin is diagonally behind to, on file s[0].
        const Square to = SquareOf(s[1], s[2]);
        if (to < 0 || !IsFileLetter(s[0]) || (s[0] - s[1] != 1 && s[1] - s[0] != 1)) return 0;
        const Square from = s[0] < s[1] ? to + (white ? 7 : -9) : to + (white ? 9 : -7);
        if (!OnBoard(from)) return 0;
        return BuildMove(from, to, Pos.board[to] != Empty ? kind + 4 : kind);
      }
      if (const Move move = ParseCoordinateMoveLive(s); move != 0) return move;
      // Piece move with a file or a rank hint ("Nbd7", "R1e2").
      const Square to = SquareOf(s[2], s[3]);
      if (to < 0) return 0;
      Bitboard allowed;
      if (IsFileLetter(s[1])) {
        allowed = FileMask(s[1] - 'a');
      } else if (IsRankDigit(s[1])) {
        allowed = RowMask('8' - s[1]);
      } else {
        return 0;
      }
      return ResolveSanMove(s[0], to, allowed);
    }
    case 5:
      // A piece letter before a coordinate word ("Ng1f3"), or a promotion word ("e7e8Q").
      if (const Move move = ParseCoordinateMoveLive(s + 1); move != 0) return move;
      return ParseCoordinateMoveLive(s);
    default: return 0;
  }
}
