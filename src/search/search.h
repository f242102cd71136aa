// The search: transposition table, iterative deepening with aspiration windows, root search,
// principal variation search, quiescence search and the principal-variation text.
#pragma once

#include <atomic>
#include <cstdint>

#include "position/position.h"

// Score scale, from the side to move's view.
inline constexpr int MateScore = 8100;
inline constexpr int MateThreshold = 8050;
inline constexpr int NoScore = -8190;

// Bound codes of a table slot.
inline constexpr unsigned BoundExact = 0;
inline constexpr unsigned BoundLower = 1;
inline constexpr unsigned BoundUpper = 2;

// TtSlot layout (three 32-bit words):
//   keyAndMove  bits 0-15  move (or MoveMate / MoveStalemate), 0 = none
//               bits 16-31 bits 16-31 of the low word of hashKey
//   keyHigh     bits 0-31  high word of hashKey
//   info        bits 0-6   depth 0..127
//               bits 7-8   bound (exact 0, lower 1, upper 2)
//               bits 9-17  generation (0 = book move or never written)
//               bits 18-31 score + 8190 as an unsigned 14-bit number
struct TtSlot {
  uint32_t keyAndMove;
  uint32_t keyHigh;
  uint32_t info;
};
static_assert(sizeof(TtSlot) == 12);

constexpr Move SlotMove(const TtSlot& s) { return static_cast<Move>(s.keyAndMove & 0xFFFF); }
constexpr unsigned SlotDepth(const TtSlot& s) { return s.info & 0x7F; }
constexpr unsigned SlotBound(const TtSlot& s) { return (s.info >> 7) & 3; }
constexpr unsigned SlotGeneration(const TtSlot& s) { return (s.info >> 9) & 0x1FF; }
constexpr int SlotScore(const TtSlot& s) { return static_cast<int>(s.info >> 18) - 8190; }
// A slot of generation 0 holds a book move and no search result: its depth, bound and score
// bits are whatever the slot held before (zero after a clear) and must not be read as a result.
constexpr bool IsBookSlot(const TtSlot& s) { return SlotGeneration(s) == 0; }

struct TtBucket {
  TtSlot slot[3];
};

// 2^21 buckets: the first 2^20 for Black to move, the second 2^20 for White to move.
inline constexpr uint32_t TtBucketCount = 1u << 21;
extern TtBucket TranspositionTable[TtBucketCount];
// Generation written with every search store; 1 during play.
extern uint16_t TtGeneration;

// Starts loading the current position's bucket into the cache, so that the probe of a node
// just entered finds it there; changes nothing.
inline void PrefetchTranspositionTable() {
  const uint32_t index = (static_cast<uint32_t>(Pos.sideToMove) << 20) | (static_cast<uint32_t>(Pos.hashKey) & 0xFFFFF);
  // A 36-byte bucket may straddle two cache lines.
  const char* bucket = reinterpret_cast<const char*>(&TranspositionTable[index]);
  __builtin_prefetch(bucket);
  __builtin_prefetch(bucket + sizeof(TtBucket) - 1);
}

// Zeroes every slot.
void ClearTranspositionTable();
// The first slot (0, 1, 2) of the current position's bucket that matches it, or nullptr.
TtSlot* ProbeTranspositionTable();
// Stores a search result for the current position under the replacement policy.
void StoreSearchResult(Move move, int score, unsigned depth, unsigned bound);
// Writes a book move into slot 0 of the current position's bucket, generation 0.
void StoreBookMove(Move move);

// Search control, shared with the front end.
extern std::atomic<uint8_t> StopFlag;            // 1 = stop as soon as possible
extern std::atomic<int32_t> AspirationFailFlag;  // -1 fail-low re-search, +1 fail-high, else 0
extern uint32_t MaxSearchDepth;                  // deepest iteration allowed
extern uint32_t IterationDepth;                  // depth of the current iteration
extern ScoredMove& SearchResult;                 // the first entry of the root move list
extern int32_t CheckCount[2];                    // in-check nodes on the current path, by side

// History counters by side and the from-to bits of a move.
extern uint32_t HistoryTable[2][4096];
// Zeroes the HistoryTable.
void ClearHistoryTable();
// Zeroes the killer moves of all search frames.
void ClearKillerMoves();

// Node counter: one per SearchNode and Quiesce call; read by the bench tool.
extern uint64_t NodeCount;

// Depth of the last iteration the search completed (0 before the first).
extern uint32_t CompletedDepth;

// Called on the engine thread after each completed iteration (depth, score, the variation text
// of its log line) when set; the front end prints thinking lines through it.
extern void (*IterationReport)(unsigned depth, int score, const char* variation);

// The whole search for the current position; leaves the result in SearchResult and returns
// its move.
Move IterativeDeepening();
int SearchRoot(int alpha, int beta);
int SearchNode(int depth, int ply, int alpha, int beta, bool nullAllowed);
int Quiesce(int qdepth, int ply, int alpha, int beta);
// Writes the table's line from the current position (n plies) into buffer.
void FormatPrincipalVariation(char* buffer, int n);
