// The principal variation search of every node below the root: table probe, null move,
// internal iterative deepening, check extension, ordered moves and the quiescence search at the
// horizon.
#include "position/tables.h"
#include "search/search_internal.h"

namespace {

// Probes the table for a node of this depth. Returns true with *result when the slot ends the
// node; otherwise may narrow the window and sets the frame's hash move and table depth.
bool ProbeNode(PlyFrame* frame, int depth, int& alpha, int& beta, int* result) {
  const TtSlot* slot = ProbeTranspositionTable();
  if (slot == nullptr) {
    frame->hashMove = 0;
    frame->ttDepth = 0;
    return false;
  }
  if (IsBookSlot(*slot)) {
    frame->ttDepth = 0;
    frame->hashMove = SlotMove(*slot);
    return false;
  }
  frame->ttDepth = static_cast<uint8_t>(SlotDepth(*slot));
  if (static_cast<int>(SlotDepth(*slot)) >= depth) {
    const int s = SlotScore(*slot);
    frame->ttScore = static_cast<int16_t>(s);
    // While an iteration is repeated after a failed window, bounds of its own depth may end
    // the node but not narrow it.
    const bool narrow =
        AspirationFailFlag.load(std::memory_order_relaxed) == 0 || depth != static_cast<int>(IterationDepth);
    switch (SlotBound(*slot)) {
      case BoundExact: *result = s; return true;
      case BoundLower:
        if (s >= beta) {
          *result = s;
          return true;
        }
        if (s > alpha && narrow) alpha = s;
        break;
      default:
        if (s <= alpha) {
          *result = s;
          return true;
        }
        if (s < beta && narrow) beta = s;
        break;
    }
  }
  frame->hashMove = SlotMove(*slot);
  return false;
}

}  // namespace

int SearchNode(int depth, int ply, int alpha, int beta, bool nullAllowed) {
  ++NodeCount;
  PlyFrame* const frame = &PlyFrames[ply];
  PlyFrame* const child = frame + 1;
  const int side = Pos.sideToMove;

  int result;
  if (ProbeNode(frame, depth, alpha, beta, &result)) return result;

  FindCheckers(frame);
  const bool inCheck = frame->checkers != 0;

  const int pm = Pos.pieceMaterial[side];
  if (nullAllowed && !inCheck && pm != 0 && (pm >= 6 || depth <= 6)) {
    const int r = (pm >= 6 && depth > 6 && pm >= 9) ? 3 : 2;
    if (frame->moveListEnd == nullptr) frame->moveListEnd = PlyFrames[ply - 1].moveListEnd;
    MakeNullMove(frame);
    child->moveListEnd = nullptr;
    Pos.currentFrame = child;
    int v;
    if (depth > r + 1) {
      v = -SearchNode(depth - r - 1, ply + 1, -beta, -beta + 1, false);
    } else {
      v = -Quiesce(0, ply + 1, -beta, -beta + 1);
    }
    Pos.currentFrame = frame;
    UnmakeNullMove(frame);
    frame->moveListEnd = nullptr;
    if (StopRequested()) return NoScore;
    if (v >= beta) return v;
  }

  if (static_cast<int>(frame->ttDepth) < depth - 2) {
    SearchNode(depth - 2, ply, alpha, beta, nullAllowed);
    if (const TtSlot* slot = ProbeTranspositionTable()) frame->hashMove = SlotMove(*slot);
  }

  int ext = 0;
  if (inCheck) {
    if (CheckCount[side] > 0) ext = 1;
    ++CheckCount[side];
  }

  ScoredMove* const start = PlyFrames[ply - 1].moveListEnd;
  if (frame->moveListEnd == nullptr) {
    frame->moveListEnd = inCheck ? GenerateEvasions[side](start, frame) : GenerateMoves[side](start);
    SaveForMake(frame);
  }
  ScoredMove* const end = frame->moveListEnd;
  MarkHashAndKillers(start, end, frame);

  int best = NoScore;
  Move bestMove = 0;
  unsigned bound = BoundUpper;
  MovePicker picker(frame, start, side);
  const int childDepth = depth + ext - 1;

  for (ScoredMove* cursor = start; cursor < end; ++cursor) {
    picker.Pick(cursor, end);
    const Move move = cursor->move;
    MakeMove(move, frame);
    PrefetchTranspositionTable();
    Pos.currentFrame = child;
    int v;
    if (KingAttacked(move, side)) {
      v = NoScore;
    } else if (CheckDraw(1) != 0) {
      v = 0;
    } else {
      child->moveListEnd = nullptr;
      if (depth + ext <= 1 || ply >= 127) {
        v = -Quiesce(0, ply + 1, -beta, -alpha);
      } else {
        v = SearchChild(childDepth, ply + 1, alpha, beta, bound == BoundUpper);
      }
    }
    Pos.currentFrame = frame;
    UnmakeMove(move, frame);

    if (StopRequested()) {
      if (inCheck) --CheckCount[side];
      return best;
    }
    cursor->score = static_cast<int16_t>(v);
    if (v > best) {
      if (v > alpha) {
        if (v >= beta) {
          if (inCheck) --CheckCount[side];
          UpdateKillers(frame, move);
          HistoryTable[side][move & 0xFFF] += static_cast<uint32_t>(depth * depth);
          StoreSearchResult(move, v, static_cast<unsigned>(depth), BoundLower);
          return v;
        }
        alpha = v;
        bound = BoundExact;
      }
      best = v;
      bestMove = move;
    }
  }

  if (inCheck) --CheckCount[side];
  if (best == NoScore) {
    if (inCheck) {
      StoreSearchResult(MoveMate, ply - MateScore, static_cast<unsigned>(depth), BoundExact);
      return ply - MateScore;
    }
    StoreSearchResult(MoveStalemate, 0, static_cast<unsigned>(depth), BoundExact);
    return 0;
  }
  StoreSearchResult(bestMove, best, static_cast<unsigned>(depth), bound);
  return best;
}
