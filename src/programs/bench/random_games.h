// Random legal games, for measurements and tests that want positions of every phase reached by
// real moves (so that keys, counters and boards are those the search would see).
#pragma once

#include <random>

#include "movegen/movegen.h"

// Plays random legal moves from the current position for at most maxPlies plies, calling
// visit() at every position before its move is chosen. Captures are preferred half of the
// time so that games run down into endgames. Moves are made on PlyFrames[0..maxPlies) and never
// taken back; maxPlies must stay below PlyFrameCount.
template <typename Visit>
void PlayRandomGame(std::mt19937& rng, int maxPlies, Visit&& visit) {
  static Move legal[MaxListMoves];
  static Move captures[MaxListMoves];
  for (int ply = 0; ply < maxPlies; ++ply) {
    visit();
    PlyFrame* frame = &PlyFrames[ply];
    Pos.currentFrame = frame;
    const int legalCount = GenerateLegalMoves(legal, RootMoveList, frame);
    if (legalCount == 0) return;
    int captureCount = 0;
    for (int i = 0; i < legalCount; ++i) {
      const int kind = MoveKindOf(legal[i]);
      if (kind == Capture || kind == EnPassant || (kind >= CapturePromoteQueen && kind <= CapturePromoteBishop)) {
        captures[captureCount++] = legal[i];
      }
    }
    const Move chosen = captureCount > 0 && rng() % 2 ? captures[rng() % captureCount] : legal[rng() % legalCount];
    SaveForMake(frame);
    MakeMove(chosen, frame);
  }
}
