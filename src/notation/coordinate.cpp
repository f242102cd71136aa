// Coordinate move text: "e2e4", "e7e8q", castling as the king's move.
#include "notation/notation.h"

char* FormatCoordinateMove(char* buffer, Move move) {
  static const char* const CastlingText[4] = {"e8g8", "e1g1", "e8c8", "e1c1"};
  char* out = buffer;
  if (move >= 0xC000) {
    for (const char* c = CastlingText[MoveKindOf(move) - CastleBlackShort]; *c != 0; ++c) *out++ = *c;
    *out = 0;
    return out;
  }
  const Square from = MoveFrom(move), to = MoveTo(move);
  *out++ = static_cast<char>('a' + (from & 7));
  *out++ = static_cast<char>('8' - (from >> 3));
  *out++ = static_cast<char>('a' + (to & 7));
  *out++ = static_cast<char>('8' - (to >> 3));
  if (move > 0x3FFF) *out++ = "qnrb"[MoveKindOf(move) & 3];
  *out = 0;
  return out;
}

namespace {

// Reads a coordinate word against the given squares, castling rights and en-passant square:
// the RootSnapshot for the interface's moves, the live position for SAN text.
Move ParseCoordinateOn(const uint8_t* board, uint16_t castlingRights, uint8_t epSquare, const char* text) {
  for (int i = 0; i < 4; ++i) {
    const char c = text[i];
    const bool ok = (i % 2 == 0) ? (c >= 'a' && c <= 'h') : (c >= '1' && c <= '8');
    if (!ok) return 0;
  }
  const Square from = (text[0] - 'a') + 8 * ('8' - text[1]);
  const Square to = (text[2] - 'a') + 8 * ('8' - text[3]);

  if (castlingRights != 0) {
    if (from == E8 && (castlingRights & (RightBlackShort | RightBlackLong))) {
      if (to == C8 && (castlingRights & RightBlackLong)) return MoveCastleBlackLong;
      if (to == G8 && (castlingRights & RightBlackShort)) return MoveCastleBlackShort;
    } else if (from == E1 && (castlingRights & (RightWhiteShort | RightWhiteLong))) {
      if (to == C1 && (castlingRights & RightWhiteLong)) return MoveCastleWhiteLong;
      if (to == G1 && (castlingRights & RightWhiteShort)) return MoveCastleWhiteShort;
    }
  }

  const bool occupied = board[to] != Empty;
  if (board[from] <= BlackPawn) {
    // Promotion letters are read in either case; any other fifth character is ignored, so the
    // word is read like its first four characters (never as a quiet move onto a piece).
    switch (text[4] | 0x20) {
      default:
        if (epSquare != 0 && epSquare == to) return BuildMove(from, to, EnPassant);
        break;
      case 'q': return BuildMove(from, to, occupied ? CapturePromoteQueen : PromoteQueen);
      case 'n': return BuildMove(from, to, occupied ? CapturePromoteKnight : PromoteKnight);
      case 'r': return BuildMove(from, to, occupied ? CapturePromoteRook : PromoteRook);
      case 'b': return BuildMove(from, to, occupied ? CapturePromoteBishop : PromoteBishop);
    }
  }
  return BuildMove(from, to, occupied ? Capture : Quiet);
}

}  // namespace

Move ParseCoordinateMove(const char* text) {
  return ParseCoordinateOn(RootSnapshot.board, RootSnapshot.castlingRights, RootSnapshot.epSquare, text);
}

Move ParseCoordinateMoveLive(const char* text) {
  return ParseCoordinateOn(Pos.board, Pos.castlingRights, Pos.epSquare, text);
}
