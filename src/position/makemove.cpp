// Make and unmake: every redundant field of the Position is kept up to date by XOR and table
// look-ups; unmake restores the words the caller saved instead of reversing each XOR.
#include "position/tables.h"

namespace {

inline uint32_t Low(HashKey key) { return static_cast<uint32_t>(key); }

inline void ToggleRotated(Square s) {
  Pos.occupiedFiles ^= SquareMaskFiles[s];
  Pos.occupiedA1H8 ^= SquareMaskA1H8[s];
  Pos.occupiedA8H1 ^= SquareMaskA8H1[s];
}

inline void SetRotated(Square s) {
  Pos.occupiedFiles |= SquareMaskFiles[s];
  Pos.occupiedA1H8 |= SquareMaskA1H8[s];
  Pos.occupiedA8H1 |= SquareMaskA8H1[s];
}

// Removes a held castling right and its key term.
inline void RemoveRight(uint16_t right) {
  if (Pos.castlingRights & right) {
    Pos.castlingRights &= ~right;
    Pos.hashKey ^= CastlingTerm(right);
  }
}

// A rook captured on its home corner takes that corner's right with it.
inline void RemoveCornerRight(Square to) {
  if (Pos.castlingRights == 0) return;
  switch (to) {
    case A8: RemoveRight(RightBlackLong); break;
    case H8: RemoveRight(RightBlackShort); break;
    case A1: RemoveRight(RightWhiteLong); break;
    case H1: RemoveRight(RightWhiteShort); break;
    default: break;
  }
}

// Takes the piece on to off the board for a capture by side; returns its code.
inline uint8_t RemoveCaptured(Square to, int opp) {
  const uint8_t c = Pos.board[to];
  Pos.pieceBoards[c] &= ~SquareMask[to];
  ColourBoard(opp) &= ~SquareMask[to];
  Pos.hashKey ^= ZobristKeys[c][to];
  return c;
}

// Moves a non-promoting piece from -> to (quiet moves and captures).
inline void PieceStep(Move move, Square from, Square to, int side, PlyFrame* frame, HistoryEntry* entry) {
  const Bitboard mask = SquareMask[from] | SquareMask[to];
  ToggleRotated(from);
  const uint8_t p = Pos.board[from];
  switch (p) {
    case WhitePawn:
      entry->fiftyCount = 0;
      frame->savedMoverBoard = whitePawns;
      whitePawns ^= mask;
      if (from == to + 16) {
        Pos.epSquare = static_cast<uint8_t>(to + 8);
        Pos.hashKey ^= ZobristKeys[0][Pos.epSquare];
        Pos.pawnKey ^= Low(ZobristKeys[0][Pos.epSquare]);
      }
      Pos.hashKey ^= ZobristKeys[WhitePawn][from] ^ ZobristKeys[WhitePawn][to];
      Pos.pawnKey ^= Low(ZobristKeys[WhitePawn][from]) ^ Low(ZobristKeys[WhitePawn][to]);
      break;
    case BlackPawn:
      entry->fiftyCount = 0;
      frame->savedMoverBoard = blackPawns;
      blackPawns ^= mask;
      if (from == to - 16) {
        Pos.epSquare = static_cast<uint8_t>(to - 8);
        Pos.hashKey ^= ZobristKeys[0][Pos.epSquare];
        Pos.pawnKey ^= Low(ZobristKeys[0][Pos.epSquare]);
      }
      Pos.hashKey ^= ZobristKeys[BlackPawn][from] ^ ZobristKeys[BlackPawn][to];
      Pos.pawnKey ^= Low(ZobristKeys[BlackPawn][from]) ^ Low(ZobristKeys[BlackPawn][to]);
      break;
    case WhiteKing:
    case BlackKing:
      Pos.kingSquare[side] = static_cast<uint8_t>(to);
      Pos.hashKey ^= ZobristKeys[p][from] ^ ZobristKeys[p][to];
      if (side == White) {
        RemoveRight(RightWhiteShort);
        RemoveRight(RightWhiteLong);
      } else {
        RemoveRight(RightBlackShort);
        RemoveRight(RightBlackLong);
      }
      break;
    default:
      frame->savedMoverBoard = Pos.pieceBoards[p];
      Pos.pieceBoards[p] ^= mask;
      Pos.hashKey ^= ZobristKeys[p][from] ^ ZobristKeys[p][to];
      if (Pos.castlingRights != 0) {
        if (p == WhiteRook) {
          if (from == A1) RemoveRight(RightWhiteLong);
          if (from == H1) RemoveRight(RightWhiteShort);
        } else if (p == BlackRook) {
          if (from == A8) RemoveRight(RightBlackLong);
          if (from == H8) RemoveRight(RightBlackShort);
        }
      }
      break;
  }
  (void)move;
  Pos.board[to] = p;
  Pos.board[from] = Empty;
  ColourBoard(side) ^= mask;
  Pos.occupied = whitePieces | blackPieces;
}

// The piece a promotion of this kind gives to side (queen, knight, rook, bishop).
inline uint8_t PromotedPiece(int kind, int side) {
  static constexpr uint8_t BlackCode[4] = {BlackQueen, BlackKnight, BlackRook, BlackBishop};
  return static_cast<uint8_t>(BlackCode[kind & 3] - side);
}

inline void PromotionStep(Square from, Square to, uint8_t n, int side, PlyFrame* frame, HistoryEntry* entry) {
  const uint8_t pawn = static_cast<uint8_t>(2 - side);
  ToggleRotated(from);
  frame->savedMoverBoard = Pos.pieceBoards[pawn];
  Pos.board[from] = Empty;
  Pos.board[to] = n;
  Pos.pawnKey ^= Low(ZobristKeys[pawn][from]);
  Pos.hashKey ^= ZobristKeys[n][to] ^ ZobristKeys[pawn][from];
  --Pos.pawnCount[side];
  Pos.pieceBoards[n] |= SquareMask[to];
  Pos.pieceBoards[pawn] &= ~SquareMask[from];
  ColourBoard(side) ^= SquareMask[from] | SquareMask[to];
  Pos.occupied = whitePieces | blackPieces;
  entry->fiftyCount = 0;
}

struct CastlingLayout {
  Square kingFrom, kingTo, rookFrom, rookTo;
  uint16_t rights;
  int side;
};
// By kind - 12: black short, white short, black long, white long.
constexpr CastlingLayout Castlings[4] = {{E8, G8, H8, F8, RightBlackShort | RightBlackLong, Black},
                                         {E1, G1, H1, F1, RightWhiteShort | RightWhiteLong, White},
                                         {E8, C8, A8, D8, RightBlackShort | RightBlackLong, Black},
                                         {E1, C1, A1, D1, RightWhiteShort | RightWhiteLong, White}};

}  // namespace

void MakeMove(Move move, PlyFrame* frame) {
  HistoryEntry* const previous = Pos.historyTop;
  previous->move = move;
  HistoryEntry* const entry = previous + 1;
  Pos.historyTop = entry;
  if (Pos.epSquare != 0) {
    Pos.hashKey ^= ZobristKeys[0][Pos.epSquare];
    Pos.pawnKey ^= Low(ZobristKeys[0][Pos.epSquare]);
    Pos.epSquare = 0;
  }
  const int side = Pos.sideToMove, opp = side ^ 1;
  const Square from = MoveFrom(move), to = MoveTo(move);
  const int kind = MoveKindOf(move);

  switch (kind) {
    case Quiet:
      SetRotated(to);
      entry->fiftyCount = static_cast<uint16_t>(previous->fiftyCount + 1);
      PieceStep(move, from, to, side, frame, entry);
      break;

    case Capture: {
      const uint8_t c = Pos.board[to];
      frame->capturedPiece = c;
      frame->materialChange = static_cast<int8_t>(-PieceValue[c]);
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal + frame->materialChange);
      Pos.pieceBoards[c] &= ~SquareMask[to];
      if (c <= BlackPawn) {
        --Pos.pawnCount[opp];
        Pos.pawnKey ^= Low(ZobristKeys[c][to]);
      } else {
        Pos.pieceMaterial[opp] = static_cast<uint8_t>(Pos.pieceMaterial[opp] + frame->materialChange);
      }
      ColourBoard(opp) &= ~SquareMask[to];
      Pos.hashKey ^= ZobristKeys[c][to];
      RemoveCornerRight(to);
      entry->fiftyCount = 0;
      PieceStep(move, from, to, side, frame, entry);
      break;
    }

    case EnPassant: {
      const Square cap = side == White ? to + 8 : to - 8;
      const uint8_t mover = Pos.board[from], captured = Pos.board[cap];
      frame->savedMoverBoard = Pos.pieceBoards[mover];
      frame->capturedPiece = captured;
      Pos.board[to] = mover;
      Pos.board[from] = Empty;
      Pos.board[cap] = Empty;
      --Pos.materialTotal;
      --Pos.pawnCount[opp];
      Pos.hashKey ^= ZobristKeys[captured][cap] ^ ZobristKeys[mover][from] ^ ZobristKeys[mover][to];
      Pos.pawnKey ^= Low(ZobristKeys[captured][cap]) ^ Low(ZobristKeys[mover][from]) ^ Low(ZobristKeys[mover][to]);
      const Bitboard mask = SquareMask[from] | SquareMask[to];
      Pos.pieceBoards[captured] &= ~SquareMask[cap];
      ColourBoard(opp) &= ~SquareMask[cap];
      Pos.pieceBoards[mover] ^= mask;
      ColourBoard(side) ^= mask;
      Pos.occupied = whitePieces | blackPieces;
      Pos.occupiedFiles ^= SquareMaskFiles[from] ^ EnPassantTogglesFiles[to];
      Pos.occupiedA1H8 ^= SquareMaskA1H8[from] ^ EnPassantTogglesA1H8[to];
      Pos.occupiedA8H1 ^= SquareMaskA8H1[from] ^ EnPassantTogglesA8H1[to];
      entry->fiftyCount = 0;
      break;
    }

    case PromoteQueen:
    case PromoteKnight:
    case PromoteRook:
    case PromoteBishop: {
      const uint8_t n = PromotedPiece(kind, side);
      frame->materialChange = static_cast<int8_t>(PieceValue[n] - 1);
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal + frame->materialChange);
      Pos.pieceMaterial[side] = static_cast<uint8_t>(Pos.pieceMaterial[side] + frame->materialChange + 1);
      SetRotated(to);
      PromotionStep(from, to, n, side, frame, entry);
      break;
    }

    case CapturePromoteQueen:
    case CapturePromoteKnight:
    case CapturePromoteRook:
    case CapturePromoteBishop: {
      const uint8_t n = PromotedPiece(kind, side);
      const uint8_t c = Pos.board[to];
      int change = PieceValue[n] - 1;
      frame->capturedPiece = c;
      RemoveCornerRight(to);
      Pos.pieceMaterial[side] = static_cast<uint8_t>(Pos.pieceMaterial[side] + change + 1);
      Pos.pieceMaterial[opp] = static_cast<uint8_t>(Pos.pieceMaterial[opp] - PieceValue[c]);
      change -= PieceValue[c];
      frame->materialChange = static_cast<int8_t>(change);
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal + change);
      RemoveCaptured(to, opp);
      PromotionStep(from, to, n, side, frame, entry);
      break;
    }

    case CastleBlackShort:
    case CastleWhiteShort:
    case CastleBlackLong:
    case CastleWhiteLong: {
      const CastlingLayout& c = Castlings[kind - CastleBlackShort];
      if (c.side == White) {
        RemoveRight(RightWhiteShort);
        RemoveRight(RightWhiteLong);
      } else {
        RemoveRight(RightBlackShort);
        RemoveRight(RightBlackLong);
      }
      const uint8_t king = side == White ? WhiteKing : BlackKing;
      const uint8_t rook = side == White ? WhiteRook : BlackRook;
      Pos.kingSquare[side] = static_cast<uint8_t>(c.kingTo);
      Pos.hashKey ^= ZobristKeys[king][c.kingFrom] ^ ZobristKeys[king][c.kingTo] ^ ZobristKeys[rook][c.rookFrom] ^
                     ZobristKeys[rook][c.rookTo];
      Pos.board[c.kingFrom] = Empty;
      Pos.board[c.rookFrom] = Empty;
      Pos.board[c.rookTo] = rook;
      Pos.board[c.kingTo] = king;
      Pos.pieceBoards[rook] ^= SquareMask[c.rookFrom] | SquareMask[c.rookTo];
      const Bitboard all =
          SquareMask[c.kingFrom] | SquareMask[c.kingTo] | SquareMask[c.rookFrom] | SquareMask[c.rookTo];
      ColourBoard(side) ^= all;
      Pos.occupied ^= all;
      ToggleRotated(c.kingFrom);
      ToggleRotated(c.kingTo);
      ToggleRotated(c.rookFrom);
      ToggleRotated(c.rookTo);
      entry->fiftyCount = 0;
      break;
    }

    default: throw InternalError("MakeMove called with a result code");
  }

  Pos.sideToMove = opp;
  entry->key = Pos.hashKey;
  QUILLO_ASSERT_CONSISTENT();
}

void UnmakeMove(Move move, PlyFrame* frame) {
  Pos.sideToMove ^= 1;
  const int side = Pos.sideToMove, opp = side ^ 1;
  Pos.occupiedFiles = frame->savedOccupiedFiles;
  Pos.occupiedA1H8 = frame->savedOccupiedA1H8;
  Pos.occupiedA8H1 = frame->savedOccupiedA8H1;
  Pos.occupied = frame->savedOccupied;
  ColourBoard(side) = frame->savedOwnPieces;
  Pos.epSquare = frame->savedEpSquare;
  Pos.hashKey = frame->savedHashKey;
  Pos.pawnKey = frame->savedPawnKey;

  const Square from = MoveFrom(move), to = MoveTo(move);
  const int kind = MoveKindOf(move);
  switch (kind) {
    case Quiet:
      Pos.castlingRights = frame->savedCastlingRights;
      if (to == Pos.kingSquare[side]) {
        Pos.kingSquare[side] = static_cast<uint8_t>(from);
      } else {
        Pos.pieceBoards[Pos.board[to]] = frame->savedMoverBoard;
      }
      Pos.board[from] = Pos.board[to];
      Pos.board[to] = Empty;
      break;

    case Capture: {
      const uint8_t c = frame->capturedPiece;
      Pos.castlingRights = frame->savedCastlingRights;
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal - frame->materialChange);
      if (c > BlackPawn) {
        Pos.pieceMaterial[opp] = static_cast<uint8_t>(Pos.pieceMaterial[opp] - frame->materialChange);
      } else {
        ++Pos.pawnCount[opp];
      }
      Pos.pieceBoards[c] |= SquareMask[to];
      ColourBoard(opp) |= SquareMask[to];
      if (to == Pos.kingSquare[side]) {
        Pos.kingSquare[side] = static_cast<uint8_t>(from);
      } else {
        Pos.pieceBoards[Pos.board[to]] = frame->savedMoverBoard;
      }
      Pos.board[from] = Pos.board[to];
      Pos.board[to] = c;
      break;
    }

    case EnPassant: {
      const Square cap = side == White ? to + 8 : to - 8;
      Pos.board[from] = Pos.board[to];
      Pos.board[to] = Empty;
      ++Pos.materialTotal;
      ++Pos.pawnCount[opp];
      Pos.board[cap] = frame->capturedPiece;
      ColourBoard(opp) |= SquareMask[cap];
      Pos.pieceBoards[frame->capturedPiece] |= SquareMask[cap];
      Pos.pieceBoards[Pos.board[from]] = frame->savedMoverBoard;
      break;
    }

    case PromoteQueen:
    case PromoteKnight:
    case PromoteRook:
    case PromoteBishop: {
      const uint8_t pawn = static_cast<uint8_t>(2 - side);
      Pos.pieceMaterial[side] = static_cast<uint8_t>(Pos.pieceMaterial[side] - (frame->materialChange + 1));
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal - frame->materialChange);
      Pos.board[from] = pawn;
      Pos.pieceBoards[pawn] = frame->savedMoverBoard;
      Pos.pieceBoards[Pos.board[to]] &= ~SquareMask[to];
      Pos.board[to] = Empty;
      ++Pos.pawnCount[side];
      break;
    }

    case CapturePromoteQueen:
    case CapturePromoteKnight:
    case CapturePromoteRook:
    case CapturePromoteBishop: {
      const uint8_t pawn = static_cast<uint8_t>(2 - side);
      const uint8_t c = frame->capturedPiece;
      Pos.castlingRights = frame->savedCastlingRights;
      Pos.materialTotal = static_cast<uint8_t>(Pos.materialTotal - frame->materialChange);
      ++Pos.pawnCount[side];
      Pos.board[from] = pawn;
      Pos.pieceBoards[pawn] = frame->savedMoverBoard;
      Pos.pieceBoards[c] |= SquareMask[to];
      ColourBoard(opp) |= SquareMask[to];
      Pos.pieceBoards[Pos.board[to]] &= ~SquareMask[to];
      Pos.pieceMaterial[side] = static_cast<uint8_t>(Pos.pieceMaterial[side] - PieceValue[Pos.board[to]]);
      Pos.pieceMaterial[opp] = static_cast<uint8_t>(Pos.pieceMaterial[opp] + PieceValue[c]);
      Pos.board[to] = c;
      break;
    }

    case CastleBlackShort:
    case CastleWhiteShort:
    case CastleBlackLong:
    case CastleWhiteLong: {
      const CastlingLayout& c = Castlings[kind - CastleBlackShort];
      const uint8_t rook = side == White ? WhiteRook : BlackRook;
      Pos.castlingRights = frame->savedCastlingRights;
      Pos.kingSquare[side] = static_cast<uint8_t>(c.kingFrom);
      Pos.board[c.kingFrom] = Pos.board[c.kingTo];
      Pos.board[c.rookFrom] = rook;
      Pos.board[c.kingTo] = Empty;
      Pos.board[c.rookTo] = Empty;
      Pos.pieceBoards[rook] ^= SquareMask[c.rookFrom] | SquareMask[c.rookTo];
      break;
    }

    default: throw InternalError("UnmakeMove called with a result code");
  }
  --Pos.historyTop;
  QUILLO_ASSERT_CONSISTENT();
}
