// Quiescence search: captures and queen promotions until the position is quiet, standing pat
// on the static evaluation; every evasion when in check.
#include "eval/eval.h"
#include "position/tables.h"
#include "search/search_internal.h"

int Quiesce(int qdepth, int ply, int alpha, int beta) {
  ++NodeCount;
  PlyFrame* const frame = &PlyFrames[ply];
  const int side = Pos.sideToMove;

  frame->hashMove = 0;
  frame->ttDepth = 0;
  if (const TtSlot* slot = ProbeTranspositionTable(); slot != nullptr && IsBookSlot(*slot)) {
    frame->hashMove = SlotMove(*slot);
  } else if (slot != nullptr) {
    const int s = SlotScore(*slot);
    frame->ttDepth = static_cast<uint8_t>(SlotDepth(*slot));
    frame->ttScore = static_cast<int16_t>(s);
    switch (SlotBound(*slot)) {
      case BoundExact: return s;
      case BoundLower:
        if (s >= beta) return s;
        if (s > alpha) alpha = s;
        break;
      default:
        if (s <= alpha) return s;
        if (s < beta) beta = s;
        break;
    }
    frame->hashMove = SlotMove(*slot);
  }

  ScoredMove* const start = PlyFrames[ply - 1].moveListEnd;
  frame->moveListEnd = start;
  Move bestMove = 0;
  unsigned bound = BoundUpper;
  FindCheckers(frame);
  const bool inCheck = frame->checkers != 0;
  int best;
  ScoredMove* end;
  if (inCheck) {
    best = NoScore;
    end = GenerateEvasions[side](start, frame);
  } else {
    const int e = Evaluate();
    if (e > alpha) {
      if (e >= beta) return e;
      alpha = e;
    }
    best = e;
    end = GenerateCaptures[side](start);
  }
  frame->moveListEnd = end;
  SaveForMake(frame);

  for (ScoredMove* e = start; e < end; ++e) {
    if (e->move == frame->hashMove) {
      e->score = 30000;
    } else if (e->move == frame->killerMoves[0]) {
      e->score = static_cast<int16_t>(e->score + 1500);
    } else if (e->move == frame->killerMoves[1]) {
      e->score = static_cast<int16_t>(e->score + 1000);
    }
  }

  for (ScoredMove* cursor = start; cursor < end; ++cursor) {
    ScoredMove* pick = cursor;
    for (ScoredMove* e = cursor + 1; e < end; ++e) {
      if (e->score > pick->score) pick = e;
    }
    SwapEntries(cursor, pick);
    const Move move = cursor->move;

    MakeMove(move, frame);
    PrefetchTranspositionTable();
    Pos.currentFrame = frame + 1;
    int v;
    if (KingAttacked(move, side)) {
      v = NoScore;
    } else if (qdepth == -8 || ply == PlyFrameCount - 1) {
      v = -Evaluate();
    } else if (Pos.materialTotal < 4 && (whitePawns | blackPawns) == 0) {
      v = 0;
    } else {
      v = -Quiesce(qdepth - 1, ply + 1, -beta, -alpha);
    }
    Pos.currentFrame = frame;
    UnmakeMove(move, frame);
    cursor->score = static_cast<int16_t>(v);

    if (v > best) {
      if (v > alpha) {
        if (v >= beta) {
          if (move != frame->killerMoves[0]) {
            frame->killerMoves[1] = frame->killerMoves[0];
            frame->killerMoves[0] = move;
          }
          StoreSearchResult(move, v, 0, BoundLower);
          return v;
        }
        alpha = v;
        bound = BoundExact;
      }
      best = v;
      bestMove = move;
    }
  }

  if (best == NoScore) {
    StoreSearchResult(MoveMate, ply - MateScore, 0, BoundExact);
    return ply - MateScore;
  }
  if (inCheck) {
    StoreSearchResult(bestMove, best, 1, bound);
  } else if (bestMove != 0) {
    StoreSearchResult(bestMove, best, 0, bound);
  }
  return best;
}
