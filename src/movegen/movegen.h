// Scored pseudo-legal move generation (all moves, quiescence moves, check evasions), check and
// attack detection, the static exchange score and the single-move validity test.
#pragma once

#include "position/position.h"

// Ordering values by piece code, used only by move ordering.
inline constexpr int16_t CaptureValue[13] = {0, 100, 100, 310, 310, 315, 315, 500, 500, 950, 950, 2000, 2000};

// The search's move lists: one list per ply of the current line, stacked one after another.
// PlyFrameCount lists of at most MaxListMoves entries each fit without a check.
inline constexpr int MoveListArenaSize = PlyFrameCount * MaxListMoves;
extern ScoredMove MoveListArena[MoveListArenaSize];
// The root list starts the arena.
inline ScoredMove* const RootMoveList = MoveListArena;

using MoveGenerator = ScoredMove* (*)(ScoredMove* list);
using EvasionGenerator = ScoredMove* (*)(ScoredMove* list, PlyFrame* frame);

// Generators indexed by sideToMove (0 Black, 1 White); each writes from list onwards and
// returns the pointer one past the last entry written.
// Every pseudo-legal move; the side to move must not be in check.
extern const MoveGenerator GenerateMoves[2];
// Captures, en passant, capturing promotions and safe queen step-promotions for quiescence.
extern const MoveGenerator GenerateCaptures[2];
// Moves that may answer the check described by frame (FindCheckers already ran on it).
extern const EvasionGenerator GenerateEvasions[2];

// Fills frame->checkers (and the king rays when a slider is aligned) for the side to move.
void FindCheckers(PlyFrame* frame);
// After MakeMove: true when the king of side is attacked, or move castled through an attack.
bool KingAttacked(Move move, int side);
// After a castling move: true when the king's origin or crossed square is attacked, or the
// enemy king stands next to the path.
bool CastlingPathAttacked(Move move);

// Ordering score of a capture (or a quiescence queen step-promotion) by playing out the
// exchange on to with least valuable attackers and x-rays.
int16_t ExchangeScore(int piece, Square from, Square to, Bitboard rookSliders, Bitboard bishopSliders);

// Whether move fits the current position for the side to move (piece, path, destination);
// castling is never accepted and king safety is not tested.
bool IsPseudoLegal(Move move);

// Writes the legal moves of the current position into out (room for MaxListMoves) in list
// order and returns their number. The pseudo-legal list goes to scratch (MaxListMoves
// entries); frame receives the check data and the save fields. The Position is unchanged.
int GenerateLegalMoves(Move* out, ScoredMove* scratch, PlyFrame* frame);

// Leaf count of one perft root move.
struct PerftRootCount {
  Move move;
  uint64_t nodes;
};
// Number of leaf nodes of the legal move tree depth plies below the Position (1 for depth 0).
// Every node runs the search's own pipeline on PlyFrames[ply] with its list stacked in
// MoveListArena: FindCheckers, the evasion or full generator, SaveForMake, then MakeMove,
// KingAttacked and UnmakeMove for each move, leaves included. When rootCounts is given, one
// entry per legal root move is written there, in list order, and their number to *rootCountSize
// (room for MaxListMoves entries). depth must stay below PlyFrameCount; the Position and
// historyTop are as before when it returns.
uint64_t Perft(int depth, PerftRootCount* rootCounts = nullptr, int* rootCountSize = nullptr);
