// Pieces shared by the root, node and quiescence searches.
#pragma once

#include "movegen/movegen.h"
#include "search/search.h"

// Whether the main thread has asked the search to stop (honoured from depth 3 on).
inline bool StopRequested() { return StopFlag.load(std::memory_order_relaxed) != 0 && IterationDepth > 2; }

// Swaps two list entries and, in the history phase, their ordering keys.
inline void SwapEntries(ScoredMove* a, ScoredMove* b) {
  const ScoredMove t = *a;
  *a = *b;
  *b = t;
}

// Move picking of the root and the principal variation search: by score while the best
// remaining score is at least -10000, then by history key (counter + score + 33000) for this
// and all later picks. Keys live in the frame, at the entry's index in the list.
class MovePicker {
 public:
  MovePicker(PlyFrame* frame, ScoredMove* start, int side) : frame_(frame), start_(start), side_(side) {}

  // Brings the next entry to the cursor.
  void Pick(ScoredMove* cursor, ScoredMove* end) {
    uint32_t* keys = frame_->orderKeys;
    if (!byHistory_) {
      ScoredMove* best = cursor;
      for (ScoredMove* e = cursor + 1; e < end; ++e) {
        if (e->score > best->score) best = e;
      }
      SwapEntries(cursor, best);
      if (cursor->score >= -10000) return;
      byHistory_ = true;
      for (ScoredMove* e = cursor; e < end; ++e) {
        keys[e - start_] = HistoryTable[side_][e->move & 0xFFF] + static_cast<uint32_t>(e->score + 33000);
      }
    }
    ScoredMove* best = cursor;
    uint32_t bestKey = keys[cursor - start_];
    for (ScoredMove* e = cursor + 1; e < end; ++e) {
      if (keys[e - start_] > bestKey) {
        best = e;
        bestKey = keys[e - start_];
      }
    }
    if (best != cursor) {
      SwapEntries(cursor, best);
      const uint32_t t = keys[cursor - start_];
      keys[cursor - start_] = keys[best - start_];
      keys[best - start_] = t;
    }
  }

 private:
  PlyFrame* frame_;
  ScoredMove* start_;
  int side_;
  bool byHistory_ = false;
};

// The ordering marks of the full-width searches: the hash move first, the killers just after
// the good captures.
inline void MarkHashAndKillers(ScoredMove* start, ScoredMove* end, const PlyFrame* frame) {
  for (ScoredMove* e = start; e < end; ++e) {
    if (e->move == frame->hashMove) {
      e->score = 30000;
    } else if (e->move == frame->killerMoves[0]) {
      e->score = -9998;
    } else if (e->move == frame->killerMoves[1]) {
      e->score = -9999;
    }
  }
}

// Records a quiet or castling move that caused a cut-off as killer 1.
inline void UpdateKillers(PlyFrame* frame, Move move) {
  const int kind = MoveKindOf(move);
  if ((kind == Quiet || kind >= CastleBlackShort) && move != frame->killerMoves[0]) {
    frame->killerMoves[1] = frame->killerMoves[0];
    frame->killerMoves[0] = move;
  }
}

// Searches the child position just made, principal-variation style: the full window for the
// first move that may raise alpha, otherwise a null window around alpha first and the full
// window again only when that lands strictly inside (alpha, beta). Returns the mover's score.
inline int SearchChild(int childDepth, int childPly, int alpha, int beta, bool firstMove) {
  if (firstMove) return -SearchNode(childDepth, childPly, -beta, -alpha, true);
  int v = -SearchNode(childDepth, childPly, -alpha - 1, -alpha, true);
  if (alpha < v && v < beta) v = -SearchNode(childDepth, childPly, -beta, -alpha, true);
  return v;
}
