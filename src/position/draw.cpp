// Null move, repetition and draw detection on the Position and its GameHistory.
#include <cstddef>

#include "position/position.h"

namespace {

// Counts earlier entries (every second one, back to the last irreversible move) whose key
// equals key, starting two below entry; stops once the count reaches limit.
unsigned CountRepetitions(const HistoryEntry* entry, HashKey key, unsigned limit) {
  unsigned count = 0;
  // The scan never passes entry 0, even when a fifty count exceeds the game's length.
  for (ptrdiff_t index = (entry - GameHistory) - 2, i = index >= 0 ? GameHistory[index].fiftyCount : -1;
       index >= 0 && i >= 0; index -= 2, i -= 2) {
    if (GameHistory[index].key == key && ++count >= limit) break;
  }
  return count;
}

}  // namespace

Move CheckDraw(unsigned repetitionsNeeded) {
  if (Pos.materialTotal < 4 && (whitePawns | blackPawns) == 0) return MoveInsufficientMaterial;
  const unsigned fifty = Pos.historyTop->fiftyCount;
  if (fifty < 4) return 0;
  if (fifty >= 100) return MoveFiftyRule;
  if (CountRepetitions(Pos.historyTop, Pos.hashKey, repetitionsNeeded) >= repetitionsNeeded) return MoveRepetition;
  return 0;
}

int PeekRepetition(Move move) {
  const Square from = MoveFrom(move), to = MoveTo(move);
  const uint8_t p = Pos.board[from];
  if (MoveKindOf(move) != Quiet || p <= BlackPawn) return 0;
  HashKey key = Pos.hashKey ^ ZobristKeys[p][from] ^ ZobristKeys[p][to];
  if (Pos.epSquare != 0) key ^= ZobristKeys[0][Pos.epSquare];
  auto removes = [&](uint16_t right) {
    if (Pos.castlingRights & right) key ^= CastlingTerm(right);
  };
  if (p == WhiteKing) {
    removes(RightWhiteShort);
    removes(RightWhiteLong);
  } else if (p == BlackKing) {
    removes(RightBlackShort);
    removes(RightBlackLong);
  } else if (p == WhiteRook) {
    if (from == A1) removes(RightWhiteLong);
    if (from == H1) removes(RightWhiteShort);
  } else if (p == BlackRook) {
    if (from == A8) removes(RightBlackLong);
    if (from == H8) removes(RightBlackShort);
  }
  HistoryEntry* const next = Pos.historyTop + 1;
  next->fiftyCount = static_cast<uint16_t>(Pos.historyTop->fiftyCount + 1);
  next->key = key;
  const unsigned g = next->fiftyCount;
  if (g < 4) return 0;
  if (g >= 100) return 2;
  if (g >= 76) return 1;
  return static_cast<int>(CountRepetitions(next, key, 2));
}

void MakeNullMove(PlyFrame* frame) {
  HistoryEntry* const previous = Pos.historyTop;
  previous->move = MoveNull;
  HistoryEntry* const entry = previous + 1;
  Pos.historyTop = entry;
  entry->fiftyCount = static_cast<uint16_t>(previous->fiftyCount + 1);
  frame->savedHashKey = Pos.hashKey;
  frame->savedPawnKey = Pos.pawnKey;
  frame->savedEpSquare = Pos.epSquare;
  frame->savedCastlingRights = Pos.castlingRights;
  if (Pos.epSquare != 0) {
    Pos.hashKey ^= ZobristKeys[0][Pos.epSquare];
    Pos.pawnKey ^= static_cast<uint32_t>(ZobristKeys[0][Pos.epSquare]);
    Pos.epSquare = 0;
  }
  entry->key = Pos.hashKey;
  Pos.sideToMove ^= 1;
}

void UnmakeNullMove(PlyFrame* frame) {
  Pos.sideToMove ^= 1;
  Pos.castlingRights = frame->savedCastlingRights;
  Pos.epSquare = frame->savedEpSquare;
  Pos.pawnKey = frame->savedPawnKey;
  Pos.hashKey = frame->savedHashKey;
  --Pos.historyTop;
}
