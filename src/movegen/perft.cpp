// Perft: counts the leaves of the legal move tree by making and unmaking every move with the
// same frames, lists and legality test as the search.
#include "movegen/movegen.h"

namespace {

// Leaves below the node of this ply; list is where its move list starts (the end of the
// parent's). With rootCounts, the count below each legal move is recorded there.
uint64_t PerftNode(int ply, int depth, ScoredMove* list, PerftRootCount* rootCounts, int* rootCountSize) {
  PlyFrame* frame = &PlyFrames[ply];
  Pos.currentFrame = frame;
  FindCheckers(frame);
  const int side = Pos.sideToMove;
  ScoredMove* end = frame->checkers ? GenerateEvasions[side](list, frame) : GenerateMoves[side](list);
  frame->moveListEnd = end;
  SaveForMake(frame);
  uint64_t nodes = 0;
  for (ScoredMove* m = list; m != end; ++m) {
    frame->moveCursor = m;
    const Move move = m->move;
    MakeMove(move, frame);
    if (!KingAttacked(move, side)) {
      uint64_t below = 1;
      if (depth > 1) {
        below = PerftNode(ply + 1, depth - 1, end, nullptr, nullptr);
        Pos.currentFrame = frame;
      }
      if (rootCounts) rootCounts[(*rootCountSize)++] = {move, below};
      nodes += below;
    }
    UnmakeMove(move, frame);
  }
  return nodes;
}

}  // namespace

uint64_t Perft(int depth, PerftRootCount* rootCounts, int* rootCountSize) {
  if (rootCountSize) *rootCountSize = 0;
  if (depth <= 0) return 1;
  PlyFrame* const savedFrame = Pos.currentFrame;
  const uint64_t nodes = PerftNode(0, depth, RootMoveList, rootCounts, rootCountSize);
  Pos.currentFrame = savedFrame;
  return nodes;
}
