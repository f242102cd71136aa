// The principal variation as text: the line of stored moves the table holds from the current
// position, each made only when it is a legal move there.
#include <cstring>

#include "notation/notation.h"
#include "search/search_internal.h"

namespace {

// Scratch lists for the legality test of one stored move at a time.
ScoredMove PvScratch[MaxListMoves];
Move PvLegal[MaxListMoves];

// Whether move is among the legal moves of the current position.
bool IsLegalMove(Move move, PlyFrame* frame) {
  const int count = GenerateLegalMoves(PvLegal, PvScratch, frame);
  for (int i = 0; i < count; ++i) {
    if (PvLegal[i] == move) return true;
  }
  return false;
}

}  // namespace

void FormatPrincipalVariation(char* buffer, int n) {
  *buffer = 0;
  if (n == 0) return;
  const TtSlot* slot = ProbeTranspositionTable();
  if (slot == nullptr) {
    std::strcpy(buffer, "NOE ");
    return;
  }
  const Move m = SlotMove(*slot);
  if (MoveKindOf(m) == NonMove) {
    if (m == MoveMate) std::strcpy(buffer, "# ");
    if (m == MoveStalemate) std::strcpy(buffer, "1/2 - 1/2 (stalemate)");
    return;
  }
  PlyFrame* const frame = Pos.currentFrame;
  if (!IsLegalMove(m, frame)) return;
  char* out = FormatCoordinateMove(buffer, m);
  *out++ = ' ';
  *out = 0;
  SaveForMake(frame);
  MakeMove(m, frame);
  Pos.currentFrame = frame + 1;
  FormatPrincipalVariation(out, n - 1);
  Pos.currentFrame = frame;
  UnmakeMove(m, frame);
}
