// The transposition table's slot layout, match test and replacement policy.
#include <gtest/gtest.h>

#include "search/search.h"

namespace {

TtBucket& BucketOfCurrentPosition() {
  return TranspositionTable[(static_cast<uint32_t>(Pos.sideToMove) << 20) |
                            (static_cast<uint32_t>(Pos.hashKey) & 0xFFFFF)];
}

// A slot for another position of the same bucket: same index bits, different high word.
TtSlot Foreign(unsigned depth, unsigned bound, unsigned generation) {
  TtSlot s;
  s.keyAndMove = (static_cast<uint32_t>(Pos.hashKey) & 0xFFFF0000u) ^ 0x12300000u;
  s.keyHigh = static_cast<uint32_t>(Pos.hashKey >> 32) ^ 0xABCDu;
  s.info = (8190u << 18) | (generation << 9) | (bound << 7) | depth;
  return s;
}

class TranspositionTableTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", false)); }
  const Move a = BuildMove(A1, A2, Quiet);
  const Move b = BuildMove(H1, H2, Quiet);
};

TEST_F(TranspositionTableTest, SlotLayoutRoundTrips) {
  StoreSearchResult(a, -8100 + 3, 17, BoundUpper);
  const TtSlot* slot = ProbeTranspositionTable();
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot, &BucketOfCurrentPosition().slot[0]);
  EXPECT_EQ(SlotMove(*slot), a);
  EXPECT_EQ(SlotDepth(*slot), 17u);
  EXPECT_EQ(SlotBound(*slot), BoundUpper);
  EXPECT_EQ(SlotGeneration(*slot), 1u);
  EXPECT_EQ(SlotScore(*slot), -8097);  // a mate score is kept as stored, whatever the ply
  EXPECT_EQ(slot->keyAndMove >> 16, static_cast<uint32_t>(Pos.hashKey) >> 16);
  EXPECT_EQ(slot->keyHigh, static_cast<uint32_t>(Pos.hashKey >> 32));
  // The other side to move uses the other half of the table.
  Pos.sideToMove ^= 1;
  EXPECT_EQ(ProbeTranspositionTable(), nullptr);
  Pos.sideToMove ^= 1;
}

TEST_F(TranspositionTableTest, ClearedSlotReadsAsEmpty) {
  const TtSlot& s = BucketOfCurrentPosition().slot[0];
  EXPECT_EQ(SlotMove(s), 0);
  EXPECT_EQ(SlotDepth(s), 0u);
  EXPECT_EQ(SlotBound(s), BoundExact);
  EXPECT_EQ(SlotGeneration(s), 0u);
  EXPECT_EQ(SlotScore(s), -8190);
}

TEST_F(TranspositionTableTest, FirstStoreIntoAnEmptyBucketTakesSlotZero) {
  TtBucket& bucket = BucketOfCurrentPosition();
  bucket.slot[0] = Foreign(0, BoundExact, 0);  // never-written slot of another key: priority 1
  const TtSlot old = bucket.slot[0];
  StoreSearchResult(a, 5, 0, BoundUpper);
  EXPECT_EQ(SlotMove(bucket.slot[0]), a);
  EXPECT_EQ(bucket.slot[1].keyHigh, old.keyHigh);
}

TEST_F(TranspositionTableTest, DeeperSlotZeroOfThePositionKeepsItsResult) {
  StoreSearchResult(a, 10, 8, BoundLower);
  StoreSearchResult(b, 20, 7, BoundExact);  // shallower: dropped even though exact
  EXPECT_EQ(SlotMove(*ProbeTranspositionTable()), a);
  StoreSearchResult(b, 20, 8, BoundExact);  // same depth, better bound: replaces
  EXPECT_EQ(SlotMove(*ProbeTranspositionTable()), b);
  StoreSearchResult(a, 30, 8, BoundUpper);  // same depth, worse bound: dropped
  EXPECT_EQ(SlotMove(*ProbeTranspositionTable()), b);
  EXPECT_EQ(SlotMove(BucketOfCurrentPosition().slot[1]), 0);  // slots 1 and 2 untouched
}

TEST_F(TranspositionTableTest, ReplacementPriorityOfOtherPositions) {
  TtBucket& bucket = BucketOfCurrentPosition();
  // Slot 0 deep and current: priority 3 + 1 - 1 - 9 < 0; slot 1 shallow: 3 + 1 - 1 - 2 > 0.
  bucket.slot[0] = Foreign(9, BoundExact, 1);
  bucket.slot[1] = Foreign(2, BoundExact, 1);
  StoreSearchResult(a, 1, 3, BoundExact);
  EXPECT_EQ(ProbeTranspositionTable(), &bucket.slot[1]);
  // Both deep: the result goes to slot 2 whatever it holds.
  bucket.slot[1] = Foreign(9, BoundExact, 1);
  StoreSearchResult(b, 1, 3, BoundExact);
  EXPECT_EQ(ProbeTranspositionTable(), &bucket.slot[2]);
  // Equal priority (0): only a better bound replaces.
  ClearTranspositionTable();
  bucket.slot[0] = Foreign(3, BoundUpper, 1);  // 3 + 1 - 1 - 3 = 0
  StoreSearchResult(a, 1, 3, BoundExact);
  EXPECT_EQ(ProbeTranspositionTable(), &bucket.slot[0]);
}

TEST_F(TranspositionTableTest, TwoSlotsOfOnePositionAndTheLowerOneWins) {
  TtBucket& bucket = BucketOfCurrentPosition();
  bucket.slot[0] = Foreign(0, BoundExact, 0);
  bucket.slot[1] = Foreign(9, BoundExact, 1);
  StoreSearchResult(a, 1, 5, BoundExact);  // slot 0 has priority 6: lands there, old slot 0 to slot 1
  bucket.slot[2] = bucket.slot[0];
  StoreSearchResult(b, 2, 1, BoundExact);  // slot 0 matches, shallower: dropped
  // Put the position into slot 1 as well, then store while slot 0 holds another position.
  bucket.slot[1] = bucket.slot[0];
  bucket.slot[0] = Foreign(0, BoundExact, 0);
  StoreSearchResult(b, 3, 2, BoundExact);
  EXPECT_EQ(SlotMove(bucket.slot[0]), b);
  EXPECT_EQ(SlotMove(bucket.slot[2]), a);
  EXPECT_EQ(ProbeTranspositionTable(), &bucket.slot[0]);
}

TEST_F(TranspositionTableTest, BookMovesAndTheirDisplacement) {
  EXPECT_EQ(ProbeTranspositionTable(), nullptr);  // after a clear, no book move anywhere
  StoreSearchResult(a, 77, 6, BoundLower);
  StoreBookMove(b);
  const TtSlot* slot = ProbeTranspositionTable();
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(SlotMove(*slot), b);
  EXPECT_EQ(SlotGeneration(*slot), 0u);  // a book move now
  EXPECT_EQ(SlotDepth(*slot), 6u);       // the search result's other bits stay
  EXPECT_EQ(SlotBound(*slot), BoundLower);
  EXPECT_EQ(SlotScore(*slot), 77);

  ClearTranspositionTable();
  StoreBookMove(b);
  EXPECT_EQ(SlotDepth(*ProbeTranspositionTable()), 0u);
  StoreSearchResult(a, 0, 1, BoundUpper);  // depth 1 beats the book slot's depth 0
  slot = ProbeTranspositionTable();
  EXPECT_EQ(SlotMove(*slot), a);
  EXPECT_EQ(SlotGeneration(*slot), 1u);
}

}  // namespace
