// The transposition table: 2^21 buckets of three slots, indexed by side to move and the low 20
// bits of the key, with a depth- and generation-based replacement policy.
#include <sys/mman.h>

#include <cstring>

#include "search/search.h"

// Aligned to 2 MB so that the kernel can back the table with huge pages: every probe is a
// random access into 75 MB, and with 4 KB pages nearly each one would also miss the TLB.
alignas(1 << 21) TtBucket TranspositionTable[TtBucketCount];
uint16_t TtGeneration = 1;

namespace {

inline TtBucket& CurrentBucket() {
  const uint32_t low = static_cast<uint32_t>(Pos.hashKey);
  return TranspositionTable[(static_cast<uint32_t>(Pos.sideToMove) << 20) | (low & 0xFFFFF)];
}

// A slot matches when bits 20-31 of the low key word and the whole high word agree; bits
// 16-19 are fixed by the bucket index.
inline bool Matches(const TtSlot& slot) {
  const uint32_t low = static_cast<uint32_t>(Pos.hashKey);
  const uint32_t high = static_cast<uint32_t>(Pos.hashKey >> 32);
  return ((slot.keyAndMove ^ low) & 0xFFF00000u) == 0 && slot.keyHigh == high;
}

inline void WriteSlot(TtSlot& slot, Move move, int score, unsigned depth, unsigned bound) {
  const uint32_t low = static_cast<uint32_t>(Pos.hashKey);
  slot.keyAndMove = (low & 0xFFFF0000u) | move;
  slot.keyHigh = static_cast<uint32_t>(Pos.hashKey >> 32);
  slot.info =
      (static_cast<uint32_t>(score + 8190) << 18) | (static_cast<uint32_t>(TtGeneration) << 9) | (bound << 7) | depth;
}

// Whether a new result of this depth and bound may replace the slot: newDepth + generation
// distance - stored depth above zero, or zero with a better (lower) bound code.
inline bool Replaces(const TtSlot& slot, unsigned newDepth, unsigned newBound) {
  const int priority = static_cast<int>(newDepth) + TtGeneration - static_cast<int>(SlotGeneration(slot)) -
                       static_cast<int>(SlotDepth(slot));
  return priority > 0 || (priority == 0 && newBound < SlotBound(slot));
}

}  // namespace

void ClearTranspositionTable() {
  static const bool advised = [] {
    // Only advice: where huge pages are not to be had the table works as before.
    madvise(TranspositionTable, sizeof TranspositionTable, MADV_HUGEPAGE);
    return true;
  }();
  (void)advised;
  std::memset(TranspositionTable, 0, sizeof TranspositionTable);
}

TtSlot* ProbeTranspositionTable() {
  TtBucket& bucket = CurrentBucket();
  for (TtSlot& slot : bucket.slot) {
    if (Matches(slot)) return &slot;
  }
  return nullptr;
}

void StoreSearchResult(Move move, int score, unsigned depth, unsigned bound) {
  TtBucket& bucket = CurrentBucket();
  TtSlot& slot0 = bucket.slot[0];
  if (Matches(slot0)) {
    if (depth > SlotDepth(slot0) || (depth == SlotDepth(slot0) && bound < SlotBound(slot0))) {
      WriteSlot(slot0, move, score, depth, bound);
    }
    return;
  }
  if (Replaces(slot0, depth, bound)) {
    bucket.slot[1] = slot0;
    WriteSlot(slot0, move, score, depth, bound);
  } else if (Replaces(bucket.slot[1], depth, bound)) {
    WriteSlot(bucket.slot[1], move, score, depth, bound);
  } else {
    WriteSlot(bucket.slot[2], move, score, depth, bound);
  }
}

void StoreBookMove(Move move) {
  TtSlot& slot0 = CurrentBucket().slot[0];
  const uint32_t low = static_cast<uint32_t>(Pos.hashKey);
  slot0.keyAndMove = (low & 0xFFFF0000u) | move;
  slot0.keyHigh = static_cast<uint32_t>(Pos.hashKey >> 32);
  slot0.info &= ~(0x1FFu << 9);
}
