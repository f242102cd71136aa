#include "position/position.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "eval/eval.h"
#include "notation/notation.h"
#include "position/tables.h"
#include "search/search.h"

// Program start: empty board, zero keys, White to move, history and frames at their first entry.
static constexpr Position InitialPosition() {
  Position p{};
  p.sideToMove = White;
  p.historyTop = GameHistory;
  p.currentFrame = PlyFrames;
  return p;
}
constinit Position Pos = InitialPosition();
HistoryEntry GameHistory[GameHistorySize];
PlyFrame PlyFrames[PlyFrameCount];
PlyFrame PonderFrame;
RootSnapshotRecord RootSnapshot;

// The en-passant square of the last setup: setup leaves its term out of the keys, and the
// first move after it XORs the term in while clearing the square, so every later key of the
// game carries it. Only the consistency check needs to know.
static uint8_t SetupEpSquare;

namespace {

constexpr Bitboard Bit(Square s) { return Bitboard{1} << (63 - s); }

bool IsPieceLetter(char c) { return c != 0 && c != '.' && std::strchr(PieceLetters, c) != nullptr; }

// Whether the side bySide attacks square sq on board, found by walking rays square by square.
// Used only to validate set-up positions, before any incremental state exists.
bool AttackedOnBoard(const uint8_t* board, Square sq, int bySide) {
  const int f = FileOf(sq), w = RowOf(sq);
  auto pieceAt = [&](int pf, int pw) -> int {
    if (pf < 0 || pf > 7 || pw < 0 || pw > 7) return -1;
    return board[pf + 8 * pw];
  };
  auto isOwn = [&](int code, int base) { return code > 0 && code == base + (bySide == White ? 0 : 1); };
  // Pawns: a white pawn attacks upwards (row - 1), so it stands one row below sq.
  const int pawnRow = bySide == White ? w + 1 : w - 1;
  if (isOwn(pieceAt(f - 1, pawnRow), WhitePawn) || isOwn(pieceAt(f + 1, pawnRow), WhitePawn)) return true;
  static constexpr int Knight[8][2] = {{-2, -1}, {-1, -2}, {1, -2}, {2, -1}, {-2, 1}, {-1, 2}, {1, 2}, {2, 1}};
  for (const auto& d : Knight) {
    if (isOwn(pieceAt(f + d[0], w + d[1]), WhiteKnight)) return true;
  }
  static constexpr int Around[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
  for (const auto& d : Around) {
    if (isOwn(pieceAt(f + d[0], w + d[1]), WhiteKing)) return true;
    const bool diagonal = d[0] != 0 && d[1] != 0;
    for (int pf = f + d[0], pw = w + d[1];; pf += d[0], pw += d[1]) {
      int code = pieceAt(pf, pw);
      if (code < 0) break;
      if (code == 0) continue;
      if (isOwn(code, WhiteQueen) || isOwn(code, diagonal ? WhiteBishop : WhiteRook)) return true;
      break;
    }
  }
  return false;
}

// Drops castling rights whose king and rook are not on their original squares, and an
// en-passant square that no double step of the side not to move can have produced.
void DropBogusRights(Position& p) {
  struct RightRule {
    uint16_t right;
    Square king, rook;
    uint8_t kingCode, rookCode;
  };
  static constexpr RightRule Rules[4] = {{RightWhiteShort, E1, H1, WhiteKing, WhiteRook},
                                         {RightWhiteLong, E1, A1, WhiteKing, WhiteRook},
                                         {RightBlackShort, E8, H8, BlackKing, BlackRook},
                                         {RightBlackLong, E8, A8, BlackKing, BlackRook}};
  for (const RightRule& r : Rules) {
    if ((p.castlingRights & r.right) && (p.board[r.king] != r.kingCode || p.board[r.rook] != r.rookCode)) {
      p.castlingRights &= ~r.right;
    }
  }
  if (p.epSquare != 0) {
    const Square e = p.epSquare;
    bool valid;
    if (p.sideToMove == White) {
      // Black just played a double step: e on rank 6, the pawn on rank 5, rank 7 square empty.
      valid = e >= 16 && e <= 23 && p.board[e] == Empty && p.board[e - 8] == Empty && p.board[e + 8] == BlackPawn;
    } else {
      valid = e >= 40 && e <= 47 && p.board[e] == Empty && p.board[e + 8] == Empty && p.board[e - 8] == WhitePawn;
    }
    if (!valid) p.epSquare = 0;
  }
}

}  // namespace

bool SetupPosition(const char* text, bool loadBook) {
  // Everything is parsed into a scratch record first; the game is replaced only on success.
  Position p{};
  for (uint8_t& k : p.kingSquare) k = NoKing;
  p.sideToMove = White;
  const char* c = text;
  int kings[2] = {0, 0};
  int men[2] = {0, 0};

  while (*c == ' ') ++c;
  Square square = 0;
  while (square < 64) {
    const char ch = *c++;
    if (IsPieceLetter(ch)) {
      const int code = static_cast<int>(std::strchr(PieceLetters, ch) - PieceLetters);
      const int side = code & 1;
      p.board[square] = static_cast<uint8_t>(code);
      p.hashKey ^= ZobristKeys[code][square];
      ++men[side];
      if (code >= WhiteKing) {
        p.kingSquare[side] = static_cast<uint8_t>(square);
        ++kings[side];
      } else {
        p.pieceBoards[code] |= Bit(square);
        p.materialTotal += PieceValue[code];
        if (code <= BlackPawn) {
          if (RowOf(square) == 0 || RowOf(square) == 7) return false;  // pawn on rank 8 or 1
          ++p.pawnCount[side];
          p.pawnKey ^= static_cast<uint32_t>(ZobristKeys[code][square]);
        } else {
          p.pieceMaterial[side] += PieceValue[code];
        }
      }
      ++square;
    } else if (ch >= '1' && ch <= '8') {
      square += ch - '0';
    } else if (ch != '/') {
      return false;
    }
    // Counters are 8 bits wide; cap the men per side before they can wrap.
    if (men[0] > 16 || men[1] > 16) return false;
  }
  if (kings[0] != 1 || kings[1] != 1) return false;
  for (int side = 0; side < 2; ++side) {
    if (p.pawnCount[side] > 8) return false;
  }
  // Material can only grow by promotions, each turning a pawn's potential 9 into a queen's 9:
  // refuse placements whose material could then overflow the 8-bit total.
  if (p.pieceMaterial[0] + p.pieceMaterial[1] + 9 * (p.pawnCount[0] + p.pawnCount[1]) > 255) return false;

  while (*c == ' ') ++c;
  if (*c == 'w' || *c == 'W') {
    p.sideToMove = White;
  } else if (*c == 'b' || *c == 'B') {
    p.sideToMove = Black;
  } else {
    return false;
  }
  ++c;
  while (*c == ' ') ++c;

  // Castling: up to four letters; the first other character ends the field and is consumed.
  for (int i = 0; i < 4 && *c != 0; ++i) {
    const char ch = *c++;
    if (ch == 'K') {
      p.castlingRights |= RightWhiteShort;
    } else if (ch == 'Q') {
      p.castlingRights |= RightWhiteLong;
    } else if (ch == 'k') {
      p.castlingRights |= RightBlackShort;
    } else if (ch == 'q') {
      p.castlingRights |= RightBlackLong;
    } else {
      break;
    }
  }
  while (*c == ' ') ++c;

  // En passant: "-" or a file letter and a rank digit; a text that ends here has none.
  if (*c != '-' && *c != 0 && c[1] != 0) {
    if (c[0] >= 'a' && c[0] <= 'h' && c[1] >= '1' && c[1] <= '8') {
      p.epSquare = static_cast<uint8_t>((c[0] - 'a') + 8 * ('8' - c[1]));
    }
    c += 2;
  }

  // EPD operation: the first "bm" or "am" after the fields, with a move of at most 9 characters
  // ended by ";" or a blank.
  char epdText[10] = {};
  char epdOpcode = 0;
  const char* scan = c;
  while (*scan != 0 && *scan != 'a' && *scan != 'b') ++scan;
  if (*scan != 0 && scan[1] == 'm' && scan[2] == ' ' && scan[3] != 0) {
    const char* m = scan + 3;
    int n = 0;
    while (n < 9 && m[n] != 0 && m[n] != ';' && m[n] != ' ') {
      epdText[n] = m[n];
      ++n;
    }
    if (m[n] == ';' || m[n] == ' ') epdOpcode = scan[0];
  }

  // The side not to move may not be in check and the kings may not touch: no move could
  // follow such a position without capturing a king.
  const Square ownKing = p.kingSquare[p.sideToMove], otherKing = p.kingSquare[p.sideToMove ^ 1];
  if (AttackedOnBoard(p.board, otherKing, p.sideToMove)) return false;
  const int df = FileOf(ownKing) - FileOf(otherKing), dw = RowOf(ownKing) - RowOf(otherKing);
  if (df >= -1 && df <= 1 && dw >= -1 && dw <= 1) return false;

  DropBogusRights(p);

  for (int side = 0; side < 2; ++side) {
    const int base = side == White ? 1 : 2;
    Bitboard colour = Bit(p.kingSquare[side]);
    for (int code = base; code <= 10; code += 2) colour |= p.pieceBoards[code];
    p.pieceBoards[11 + side] = colour;
  }
  p.occupied = p.pieceBoards[11] | p.pieceBoards[12];
  p.occupiedFiles = RotateFiles(p.occupied);
  p.occupiedA1H8 = RotateA1H8(p.occupied);
  p.occupiedA8H1 = RotateA8H1(p.occupied);

  // Commit: the new position, a history of one entry, the snapshot and empty search tables.
  for (HistoryEntry* h = Pos.historyTop; h > &GameHistory[0]; --h) *h = HistoryEntry{};
  GameHistory[0] = HistoryEntry{};
  PlyFrame* const frame = Pos.currentFrame;
  Pos = p;
  Pos.currentFrame = frame;
  Pos.historyTop = &GameHistory[0];
  GameHistory[0].key = Pos.hashKey;
  SetupEpSquare = Pos.epSquare;

  std::memcpy(RootSnapshot.board, Pos.board, sizeof RootSnapshot.board);
  RootSnapshot.epSquare = Pos.epSquare;
  RootSnapshot.castlingRights = Pos.castlingRights;

  ClearTranspositionTable();
  ClearHistoryTable();
  ClearKillerMoves();
  ClearPawnHashTable();
  if (loadBook) LoadBookForSetup();
  TtGeneration = 1;
  // The EPD move is read on the new position; an unreadable one fails the setup, although the
  // position itself stays set up.
  if (epdOpcode != 0) {
    const Move move = ParseSanMove(epdText);
    if (epdOpcode == 'a') {
      Pos.epdAvoidMove = move;
    } else {
      Pos.epdBestMove = move;
    }
    if (move == 0) {
      std::printf("Warning cannot recognize move: %s\r\n", epdText);
      return false;
    }
  }
  return true;
}

bool SetSideToMove(int side) {
  if (side == Pos.sideToMove) return true;
  // side would move next: the other side's king must not be attacked by it.
  if (AttackedOnBoard(Pos.board, Pos.kingSquare[side ^ 1], side)) return false;
  if (Pos.epSquare != 0) {
    if (Pos.historyTop == &GameHistory[0] && Pos.epSquare == SetupEpSquare) {
      // A set-up square was never in the keys: drop it, and the offset it would have left.
      SetupEpSquare = 0;
    } else {
      Pos.hashKey ^= ZobristKeys[0][Pos.epSquare];
      Pos.pawnKey ^= static_cast<uint32_t>(ZobristKeys[0][Pos.epSquare]);
      Pos.historyTop->key = Pos.hashKey;
    }
    Pos.epSquare = 0;
    RootSnapshot.epSquare = 0;
  }
  Pos.sideToMove = side;
  return true;
}

void WriteFen(char* buffer) {
  char* out = buffer;
  int empty = 0;
  for (Square s = 0; s < 64; ++s) {
    const uint8_t code = Pos.board[s];
    if (code != Empty) {
      if (empty != 0) {
        *out++ = static_cast<char>('0' + empty);
        empty = 0;
      }
      if (s % 8 == 0 && s != 0) *out++ = '/';
      *out++ = PieceLetters[code];
    } else if (s % 8 == 0) {
      if (empty != 0) *out++ = static_cast<char>('0' + empty);
      if (s != 0) *out++ = '/';
      empty = 1;
    } else {
      ++empty;
    }
  }
  if (empty != 0) *out++ = static_cast<char>('0' + empty);
  *out++ = ' ';
  *out++ = Pos.sideToMove == White ? 'w' : 'b';
  *out++ = ' ';
  if (Pos.castlingRights == 0) {
    *out++ = '-';
  } else {
    if (Pos.castlingRights & RightWhiteShort) *out++ = 'K';
    if (Pos.castlingRights & RightWhiteLong) *out++ = 'Q';
    if (Pos.castlingRights & RightBlackShort) *out++ = 'k';
    if (Pos.castlingRights & RightBlackLong) *out++ = 'q';
  }
  *out++ = ' ';
  if (Pos.epSquare == 0) {
    *out++ = '-';
  } else {
    *out++ = static_cast<char>('a' + (Pos.epSquare & 7));
    *out++ = static_cast<char>('8' - (Pos.epSquare >> 3));
  }
  *out = 0;
}

bool PositionIsConsistent() {
  Bitboard boards[13] = {};
  uint8_t material = 0, pieceMaterial[2] = {0, 0}, pawns[2] = {0, 0};
  HashKey pieceKey = 0;
  uint32_t pawnKey = 0;
  uint8_t kings[2] = {NoKing, NoKing};
  for (Square s = 0; s < 64; ++s) {
    const uint8_t code = Pos.board[s];
    if (code == Empty) continue;
    if (code > BlackKing) return false;
    const int side = code & 1;
    pieceKey ^= ZobristKeys[code][s];
    boards[11 + side] |= Bit(s);
    if (code >= WhiteKing) {
      kings[side] = static_cast<uint8_t>(s);
      continue;
    }
    boards[code] |= Bit(s);
    material += PieceValue[code];
    if (code <= BlackPawn) {
      ++pawns[side];
      pawnKey ^= static_cast<uint32_t>(ZobristKeys[code][s]);
    } else {
      pieceMaterial[side] += PieceValue[code];
    }
  }
  for (int i = 1; i <= 12; ++i) {
    if (boards[i] != Pos.pieceBoards[i]) return false;
  }
  if (kings[0] != Pos.kingSquare[0] || kings[1] != Pos.kingSquare[1]) return false;
  if (Pos.occupied != (boards[11] | boards[12])) return false;
  if (Pos.occupiedFiles != RotateFiles(Pos.occupied) || Pos.occupiedA1H8 != RotateA1H8(Pos.occupied) ||
      Pos.occupiedA8H1 != RotateA8H1(Pos.occupied)) {
    return false;
  }
  if (material != Pos.materialTotal || pieceMaterial[0] != Pos.pieceMaterial[0] ||
      pieceMaterial[1] != Pos.pieceMaterial[1] || pawns[0] != Pos.pawnCount[0] || pawns[1] != Pos.pawnCount[1]) {
    return false;
  }
  if (Pos.castlingRights & ~(RightWhiteShort | RightWhiteLong | RightBlackShort | RightBlackLong)) return false;
  for (uint8_t ep : {Pos.epSquare, SetupEpSquare}) {
    if (ep != 0) {
      pieceKey ^= ZobristKeys[0][ep];
      pawnKey ^= static_cast<uint32_t>(ZobristKeys[0][ep]);
    }
  }
  if (pawnKey != Pos.pawnKey) return false;
  // The key also holds the terms of the castling rights removed since setup: what remains after
  // the pieces and the en-passant term must be the terms of some rights no longer held.
  const HashKey residue = Pos.hashKey ^ pieceKey;
  static constexpr uint16_t Rights[4] = {RightWhiteShort, RightWhiteLong, RightBlackShort, RightBlackLong};
  bool residueOk = false;
  for (int subset = 0; subset < 16 && !residueOk; ++subset) {
    HashKey terms = 0;
    bool allowed = true;
    for (int i = 0; i < 4; ++i) {
      if (!(subset & (1 << i))) continue;
      if (Pos.castlingRights & Rights[i]) allowed = false;
      terms ^= CastlingTerm(Rights[i]);
    }
    residueOk = allowed && terms == residue;
  }
  if (!residueOk) return false;
  if (Pos.historyTop < &GameHistory[0] || Pos.historyTop >= &GameHistory[GameHistorySize]) return false;
  return Pos.historyTop->key == Pos.hashKey;
}

#ifndef NDEBUG
void PositionAssertConsistent() {
  if (!PositionIsConsistent()) {
    char fen[96];
    WriteFen(fen);
    std::fprintf(stderr, "position invariants broken: %s\n", fen);
    std::abort();
  }
}
#endif
