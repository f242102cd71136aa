// The legal moves of a position: the search's calling protocol (check test, evasions or all
// moves, then make, king test and unmake for each) collected into a plain list, for the callers
// that need whole legal lists outside the search's hot path.
#include "movegen/movegen.h"

int GenerateLegalMoves(Move* out, ScoredMove* scratch, PlyFrame* frame) {
  FindCheckers(frame);
  const int side = Pos.sideToMove;
  ScoredMove* const end = frame->checkers != 0 ? GenerateEvasions[side](scratch, frame) : GenerateMoves[side](scratch);
  SaveForMake(frame);
  int count = 0;
  for (const ScoredMove* e = scratch; e < end; ++e) {
    MakeMove(e->move, frame);
    if (!KingAttacked(e->move, side)) out[count++] = e->move;
    UnmakeMove(e->move, frame);
  }
  return count;
}
