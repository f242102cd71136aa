// Root search: one move list for all iterations of a search, ordered by the previous
// iteration's scores; the best move ends up in the first entry, which is SearchResult.
#include "search/search_internal.h"

int SearchRoot(int alpha, int beta) {
  const int depth = static_cast<int>(IterationDepth);
  PlyFrame* const frame = &PlyFrames[0];
  PlyFrame* const child = &PlyFrames[1];
  const int side = Pos.sideToMove;

  if (const TtSlot* slot = ProbeTranspositionTable(); slot != nullptr && IsBookSlot(*slot)) {
    // A book move orders the root list; it carries no score.
    frame->ttDepth = 0;
    frame->hashMove = SlotMove(*slot);
  } else if (slot != nullptr) {
    frame->ttDepth = static_cast<uint8_t>(SlotDepth(*slot));
    bool takeMove = true;
    if (static_cast<int>(SlotDepth(*slot)) >= depth) {
      const int s = SlotScore(*slot);
      frame->ttScore = static_cast<int16_t>(s);
      const bool narrow = AspirationFailFlag.load(std::memory_order_relaxed) == 0;
      bool ends = false;
      switch (SlotBound(*slot)) {
        case BoundExact: ends = true; break;
        case BoundLower:
          if (s >= beta) {
            ends = true;
          } else if (s > alpha && narrow) {
            alpha = s;
          }
          break;
        default:
          if (s <= alpha) {
            ends = true;
          } else if (s < beta && narrow) {
            beta = s;
          }
          break;
      }
      // A stored mate is searched again rather than trusted at the root.
      if (ends) {
        if (s < MateThreshold) return s;
        takeMove = false;
      }
    }
    if (takeMove) frame->hashMove = SlotMove(*slot);
  } else {
    frame->hashMove = 0;
    frame->ttDepth = 0;
  }

  if (frame->moveListEnd == nullptr) {
    frame->moveListEnd =
        frame->checkers != 0 ? GenerateEvasions[side](RootMoveList, frame) : GenerateMoves[side](RootMoveList);
    SaveForMake(frame);
  }
  ScoredMove* const end = frame->moveListEnd;
  MarkHashAndKillers(RootMoveList, end, frame);

  int best = NoScore;
  ScoredMove* bestEntry = nullptr;
  unsigned bound = BoundUpper;
  MovePicker picker(frame, RootMoveList, side);

  for (ScoredMove* cursor = RootMoveList; cursor < end; ++cursor) {
    picker.Pick(cursor, end);
    const Move move = cursor->move;
    MakeMove(move, frame);
    PrefetchTranspositionTable();
    Pos.currentFrame = child;
    int v;
    if (KingAttacked(move, side)) {
      v = NoScore;
    } else if (CheckDraw(2) != 0) {
      v = 0;
    } else {
      child->moveListEnd = nullptr;
      v = SearchChild(depth - 1, 1, alpha, beta, bound == BoundUpper);
    }
    Pos.currentFrame = frame;
    UnmakeMove(move, frame);

    if (StopRequested()) return best;
    cursor->score = static_cast<int16_t>(v);
    if (v > best) {
      best = v;
      bestEntry = cursor;
      if (v > alpha) {
        if (v >= beta) {
          UpdateKillers(frame, move);
          HistoryTable[side][move & 0xFFF] += static_cast<uint32_t>(depth * depth);
          StoreSearchResult(move, v, static_cast<unsigned>(depth), BoundLower);
          SwapEntries(cursor, RootMoveList);
          return v;
        }
        alpha = v;
        bound = BoundExact;
      }
    }
  }

  if (best == NoScore) {
    const bool inCheck = frame->checkers != 0;
    const Move code = inCheck ? MoveMate : MoveStalemate;
    const int score = inCheck ? -MateScore : 0;
    RootMoveList[0] = ScoredMove{static_cast<int16_t>(score), code};
    StoreSearchResult(code, score, static_cast<unsigned>(depth), BoundExact);
    return score;
  }
  StoreSearchResult(bestEntry->move, best, static_cast<unsigned>(depth), bound);
  SwapEntries(bestEntry, RootMoveList);
  return best;
}
