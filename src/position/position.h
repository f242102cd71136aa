// The one global board state shared by every subsystem: squares, bitboards, piece codes, moves,
// the Position record, the game history, the per-ply frames and the root snapshot.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>

// Square numbering: a8 = 0, b8 = 1, ... h8 = 7, a7 = 8, ... h1 = 63.
using Square = int;
// A set of squares: square s is bit (63 - s), so a8 is the top bit and h1 bit 0.
using Bitboard = uint64_t;
using HashKey = uint64_t;

// Move layout (16 bits):
//   bits 0-5   destination square (to)
//   bits 6-11  origin square (from)
//   bits 12-15 MoveKind
// Move 0 means "no move"; kind 3 values are result codes, never made on the board.
using Move = uint16_t;
static_assert(sizeof(Move) == 2);

enum Side : int { Black = 0, White = 1 };

// Piece codes: white pieces odd, black pieces even, so colour = code & 1.
enum PieceCode : uint8_t {
  Empty = 0,
  WhitePawn = 1,
  BlackPawn = 2,
  WhiteKnight = 3,
  BlackKnight = 4,
  WhiteBishop = 5,
  BlackBishop = 6,
  WhiteRook = 7,
  BlackRook = 8,
  WhiteQueen = 9,
  BlackQueen = 10,
  WhiteKing = 11,
  BlackKing = 12,
};

// Piece letters indexed by piece code.
inline constexpr char PieceLetters[] = ".PpNnBbRrQqKk";

// Material units per piece code (pawn 1, minor 3, rook 5, queen 9); kings and empty are never read.
inline constexpr uint8_t PieceValue[13] = {100, 1, 1, 3, 3, 3, 3, 5, 5, 9, 9, 150, 200};

enum MoveKind : int {
  Quiet = 0,
  Capture = 1,
  EnPassant = 2,
  NonMove = 3,
  PromoteQueen = 4,
  PromoteKnight = 5,
  PromoteRook = 6,
  PromoteBishop = 7,
  CapturePromoteQueen = 8,
  CapturePromoteKnight = 9,
  CapturePromoteRook = 10,
  CapturePromoteBishop = 11,
  CastleBlackShort = 12,
  CastleWhiteShort = 13,
  CastleBlackLong = 14,
  CastleWhiteLong = 15,
};

// Result codes carried where a Move is expected (kind 3, from = to = k).
inline constexpr Move MoveMate = 0x3000;
inline constexpr Move MoveStalemate = 0x3041;
inline constexpr Move MoveRepetition = 0x3082;
inline constexpr Move MoveNull = 0x3104;
inline constexpr Move MoveFiftyRule = 0x3186;
inline constexpr Move MoveInsufficientMaterial = 0x31C7;

// The four castling moves, with their king's squares in bits 0-11.
inline constexpr Move MoveCastleBlackShort = 0xC106;  // e8-g8
inline constexpr Move MoveCastleWhiteShort = 0xDF3E;  // e1-g1
inline constexpr Move MoveCastleBlackLong = 0xE102;   // e8-c8
inline constexpr Move MoveCastleWhiteLong = 0xFF3A;   // e1-c1

// Castling-right flags of castlingRights.
inline constexpr uint16_t RightWhiteShort = 1;
inline constexpr uint16_t RightWhiteLong = 2;
inline constexpr uint16_t RightBlackShort = 8;
inline constexpr uint16_t RightBlackLong = 16;

// kingSquare value of a side that has no king.
inline constexpr uint8_t NoKing = 100;

constexpr Square MoveTo(Move m) { return m & 63; }
constexpr Square MoveFrom(Move m) { return (m >> 6) & 63; }
constexpr int MoveKindOf(Move m) { return m >> 12; }
constexpr Move BuildMove(Square from, Square to, int kind) {
  return static_cast<Move>((kind << 12) | (from << 6) | to);
}
constexpr int FileOf(Square s) { return s & 7; }
constexpr int RowOf(Square s) { return s >> 3; }  // 0 = rank 8, 7 = rank 1

// Squares named throughout the engine.
enum NamedSquare : int {
  A8 = 0,
  B8,
  C8,
  D8,
  E8,
  F8,
  G8,
  H8,
  A7,
  B7,
  C7,
  D7,
  E7,
  F7,
  G7,
  H7,
  A6,
  B6,
  C6,
  D6,
  E6,
  F6,
  G6,
  H6,
  A5,
  B5,
  C5,
  D5,
  E5,
  F5,
  G5,
  H5,
  A4,
  B4,
  C4,
  D4,
  E4,
  F4,
  G4,
  H4,
  A3,
  B3,
  C3,
  D3,
  E3,
  F3,
  G3,
  H3,
  A2,
  B2,
  C2,
  D2,
  E2,
  F2,
  G2,
  H2,
  A1,
  B1,
  C1,
  D1,
  E1,
  F1,
  G1,
  H1,
};

// A move with its ordering score. Read as one little-endian 32-bit word the score is the low
// half and the move the high half.
struct ScoredMove {
  int16_t score;
  Move move;
};
static_assert(sizeof(ScoredMove) == 4);

// Room for any generated list: a side has at most 16 men, none of which has more than 27
// pseudo-legal moves, plus the king's 8 and two castlings, so 415 is a hard upper bound.
inline constexpr int MaxListMoves = 512;

// Number of search ply frames (frame 0 is the root).
inline constexpr int PlyFrameCount = 136;
// Most plies a game may have: the fifty-move rule ends every game before 12,000 plies.
inline constexpr int LongestGamePlies = 12000;
// Number of GameHistory entries: the longest game, a predicted reply made for pondering and
// the deepest search line above it, plus the setup entry.
inline constexpr int GameHistorySize = LongestGamePlies + PlyFrameCount + 8;

// One GameHistory entry: the position reached i plies after the last setup.
struct HistoryEntry {
  HashKey key;
  Move move;            // the move made from this position (undefined for the top entry)
  uint16_t fiftyCount;  // plies since the last capture, pawn move, promotion or castling
};

// Everything one search ply needs to take its move back, plus its check and ordering data.
struct PlyFrame {
  Bitboard checkers;         // enemy pieces giving check to the side to move
  Bitboard kingRookRays;     // RookAttacks(king) when a straight-line slider is aligned
  Bitboard kingBishopRays;   // BishopAttacks(king) when a diagonal slider is aligned
  Bitboard savedOccupied;    // written by the caller of MakeMove
  Bitboard savedOwnPieces;   // colour board of the side to move, written by the caller
  Bitboard savedMoverBoard;  // written by MakeMove
  Bitboard savedOccupiedFiles, savedOccupiedA1H8, savedOccupiedA8H1;
  HashKey savedHashKey;
  uint32_t savedPawnKey;
  ScoredMove* moveCursor;
  ScoredMove* moveListEnd;  // end of this ply's list, nullptr = not generated yet
  int16_t ttScore;
  Move hashMove;
  Move killerMoves[2];  // killer 1 (most recent) and killer 2
  uint16_t savedCastlingRights;
  uint8_t savedEpSquare;
  uint8_t ttDepth;
  uint8_t capturedPiece;
  int8_t materialChange;
  uint32_t orderKeys[MaxListMoves];  // history ordering keys of this ply's remaining moves
};

// The global Position. One instance, Pos; every field is plain data so the whole record can
// be copied and compared.
struct Position {
  // 1..10: squares of the pieces with that code; 11: black pieces; 12: white pieces.
  Bitboard pieceBoards[13];
  Bitboard occupied;
  Bitboard occupiedFiles;  // occupied, one byte per file (file h top byte, rank 8 in bit 7)
  Bitboard occupiedA1H8;   // occupied, diagonals parallel to a1-h8 contiguous
  Bitboard occupiedA8H1;   // occupied, diagonals parallel to a8-h1 contiguous
  HashKey hashKey;
  uint32_t pawnKey;
  uint8_t board[64];
  uint8_t kingSquare[2];  // by side; NoKing when absent
  uint16_t castlingRights;
  uint8_t epSquare;  // square passed over by a double step, 0 = none
  uint8_t materialTotal;
  uint8_t pieceMaterial[2];
  uint8_t pawnCount[2];
  int sideToMove;
  Move epdBestMove;
  Move epdAvoidMove;
  HistoryEntry* historyTop;
  PlyFrame* currentFrame;
};

// The game position as it stood after the last setup or game move; the search never touches it.
struct RootSnapshotRecord {
  uint8_t board[64];
  uint8_t epSquare;
  uint16_t castlingRights;
};

extern Position Pos;
extern HistoryEntry GameHistory[GameHistorySize];
extern PlyFrame PlyFrames[PlyFrameCount];
extern PlyFrame PonderFrame;
extern RootSnapshotRecord RootSnapshot;

// Named references to single elements of the Position.
inline constinit Bitboard& whitePawns = Pos.pieceBoards[WhitePawn];
inline constinit Bitboard& blackPawns = Pos.pieceBoards[BlackPawn];
inline constinit Bitboard& whiteKnights = Pos.pieceBoards[WhiteKnight];
inline constinit Bitboard& blackKnights = Pos.pieceBoards[BlackKnight];
inline constinit Bitboard& whiteBishops = Pos.pieceBoards[WhiteBishop];
inline constinit Bitboard& blackBishops = Pos.pieceBoards[BlackBishop];
inline constinit Bitboard& whiteRooks = Pos.pieceBoards[WhiteRook];
inline constinit Bitboard& blackRooks = Pos.pieceBoards[BlackRook];
inline constinit Bitboard& whiteQueens = Pos.pieceBoards[WhiteQueen];
inline constinit Bitboard& blackQueens = Pos.pieceBoards[BlackQueen];
inline constinit Bitboard& blackPieces = Pos.pieceBoards[11];
inline constinit Bitboard& whitePieces = Pos.pieceBoards[12];
inline constinit uint8_t& whiteKingSquare = Pos.kingSquare[White];
inline constinit uint8_t& blackKingSquare = Pos.kingSquare[Black];

// Colour board of side s (blackPieces for 0, whitePieces for 1).
inline Bitboard& ColourBoard(int side) { return Pos.pieceBoards[11 + side]; }

// Zobrist keys [piece code][square]; row 0 holds the en-passant terms and, at g1, c1, g8 and
// c8, the four castling-right terms. Drawn at compile time from a splitmix64 sequence with a
// fixed seed: distinct, well mixed and never zero (checked by the tests).
constexpr std::array<std::array<HashKey, 64>, 13> MakeZobristKeys() {
  std::array<std::array<HashKey, 64>, 13> keys{};
  uint64_t state = 0x51A7E5C0FFEE1234ull;
  for (auto& row : keys) {
    for (HashKey& key : row) {
      do {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        key = z ^ (z >> 31);
      } while (key == 0);
    }
  }
  return keys;
}
inline constexpr std::array<std::array<HashKey, 64>, 13> ZobristKeys = MakeZobristKeys();

// Castling-right term of each flag.
inline HashKey CastlingTerm(uint16_t right) {
  switch (right) {
    case RightWhiteShort: return ZobristKeys[0][G1];
    case RightWhiteLong: return ZobristKeys[0][C1];
    case RightBlackShort: return ZobristKeys[0][G8];
    default: return ZobristKeys[0][C8];
  }
}

// Raised when a kind-3 code reaches MakeMove or UnmakeMove.
struct InternalError : std::logic_error {
  using std::logic_error::logic_error;
};

// Rearrange a normal Bitboard into the rotated layouts of occupiedFiles, occupiedA1H8 and
// occupiedA8H1 (slow; used by setup and table construction).
Bitboard RotateFiles(Bitboard b);
Bitboard RotateA1H8(Bitboard b);
Bitboard RotateA8H1(Bitboard b);

// Sets up the Position from FEN or EPD text. Returns false, leaving the game untouched, when
// the text is rejected; also false, with the position set up, when an EPD move cannot be read.
bool SetupPosition(const char* text, bool loadBook);
// Gives the move to side without moving a piece (the "white" and "black" commands). An
// en-passant square goes, since only the other side could capture onto it. Refused, with
// nothing changed, when the side that would not be to move is in check: no move can follow
// such a position without taking a king.
bool SetSideToMove(int side);
// Writes the Position as FEN (no move counters) into buffer, at most 81 characters with NUL.
void WriteFen(char* buffer);

// Stores the fields MakeMove expects its caller to save into frame.
inline void SaveForMake(PlyFrame* frame) {
  frame->savedOccupied = Pos.occupied;
  frame->savedOwnPieces = ColourBoard(Pos.sideToMove);
  frame->savedOccupiedFiles = Pos.occupiedFiles;
  frame->savedOccupiedA1H8 = Pos.occupiedA1H8;
  frame->savedOccupiedA8H1 = Pos.occupiedA8H1;
  frame->savedHashKey = Pos.hashKey;
  frame->savedPawnKey = Pos.pawnKey;
  frame->savedCastlingRights = Pos.castlingRights;
  frame->savedEpSquare = Pos.epSquare;
}

// Plays move (kind 0-2, 4-15) on the Position; the caller has saved its fields into frame.
void MakeMove(Move move, PlyFrame* frame);
// Takes back the move MakeMove just played with the same frame.
void UnmakeMove(Move move, PlyFrame* frame);

// Passes the move to the other side (the search's null move), and back.
void MakeNullMove(PlyFrame* frame);
void UnmakeNullMove(PlyFrame* frame);
// Insufficient material, fifty-move rule or a repetition with repetitionsNeeded earlier
// occurrences: returns the result code, or 0 when the position is not drawn.
Move CheckDraw(unsigned repetitionsNeeded);
// Whether a quiet piece move would repeat an earlier position (0, 1 or 2), without making it.
int PeekRepetition(Move move);

// Checks the Position's invariants (boards, counters, keys recomputed from the board); returns
// true when they hold. Used by debug builds after every make and unmake, and by the tests.
bool PositionIsConsistent();

#ifndef NDEBUG
#define QUILLO_ASSERT_CONSISTENT() PositionAssertConsistent()
void PositionAssertConsistent();
#else
#define QUILLO_ASSERT_CONSISTENT() ((void)0)
#endif
