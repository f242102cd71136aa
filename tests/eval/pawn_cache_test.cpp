// The pawn-structure cache: the entry layout, hits agreeing with a fresh computation over many
// random games, the phase staleness of a cached score, and clearing at setup.
#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_set>

#include "eval/eval.h"
#include "eval/random_games.h"
#include "position/position.h"

namespace {

constexpr uint32_t IndexMask = PawnHashSize - 1;

uint32_t EntryOfPosition() { return PawnHashTable[Pos.pawnKey & IndexMask]; }

// The pawn-structure score of the current pawns as the pawn table of another material band
// would give it.
int16_t ComputeAtMaterial(int materialTotal) {
  const uint8_t saved = Pos.materialTotal;
  Pos.materialTotal = static_cast<uint8_t>(materialTotal);
  const int16_t score = ComputePawnStructure();
  Pos.materialTotal = saved;
  return score;
}

TEST(PawnCache, EntryLayout) {
  ASSERT_TRUE(SetupPosition("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -", false));
  EXPECT_EQ(EntryOfPosition(), 0u);
  const int16_t score = PawnStructureScore();
  EXPECT_EQ(score, ComputePawnStructure());
  const uint32_t entry = EntryOfPosition();
  EXPECT_EQ(entry & 0xFFFF, static_cast<uint16_t>(score + 8190)) << "score + 8190 in bits 0-15";
  EXPECT_EQ((entry >> 16) & 7, 0u) << "bits 16-18 stay clear";
  EXPECT_EQ(entry >> 19, Pos.pawnKey >> 19) << "the key's bits 19-31 in bits 19-31";

  // A hit returns the stored score without recomputing it: plant a different score.
  PawnHashTable[Pos.pawnKey & IndexMask] = (entry & 0xFFFF0000u) | static_cast<uint16_t>(1234 + 8190);
  EXPECT_EQ(PawnStructureScore(), 1234);
  // Another structure in the same entry (different key bits 19-31) is not taken for this one.
  PawnHashTable[Pos.pawnKey & IndexMask] = ((entry ^ 0x00080000u) & 0xFFF80000u) | static_cast<uint16_t>(1234 + 8190);
  EXPECT_EQ(PawnStructureScore(), score);
  EXPECT_EQ(EntryOfPosition(), entry) << "the miss stored this structure again";
  // An entry whose low half is 0 is empty, even with matching key bits.
  PawnHashTable[Pos.pawnKey & IndexMask] = entry & 0xFFF80000u;
  EXPECT_EQ(PawnStructureScore(), score);
}

TEST(PawnCache, SetupClearsTheCache) {
  ASSERT_TRUE(SetupPosition("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -", false));
  Evaluate();
  ASSERT_NE(EntryOfPosition(), 0u);
  ASSERT_TRUE(SetupPosition("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -", false));
  EXPECT_TRUE(std::all_of(std::begin(PawnHashTable), std::end(PawnHashTable), [](uint32_t e) { return e == 0; }));
}

// Without pawns the cache is not touched.
TEST(PawnCache, NoPawnsNoEntry) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/3n4/8/8/8/R3K3 w - -", false));
  Evaluate();
  EXPECT_TRUE(std::all_of(std::begin(PawnHashTable), std::end(PawnHashTable), [](uint32_t e) { return e == 0; }));
}

// A structure stored under one pawn table is returned unchanged after a capture has moved
// materialTotal into another band.
TEST(PawnCache, CachedScoreKeepsThePhaseItWasComputedIn) {
  ASSERT_TRUE(SetupPosition("rnb1kbnr/pppppppp/8/8/3qP3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", false));
  ASSERT_EQ(Pos.materialTotal, 78);
  const int16_t before = PawnStructureScore();
  PlyFrame& frame = PlyFrames[0];
  Pos.currentFrame = &frame;
  SaveForMake(&frame);
  const Move capture = BuildMove(F3, D4, Capture);  // the knight takes the queen
  MakeMove(capture, &frame);
  ASSERT_EQ(Pos.materialTotal, 69);
  EXPECT_EQ(PawnStructureScore(), before);
  EvalTerms t;
  EvaluateTerms(t);
  EXPECT_EQ(t.pawnStructure, before);
  EXPECT_NE(ComputePawnStructure(), before) << "PawnTableB gives another score";
  UnmakeMove(capture, &frame);
}

// Over the positions of many random games the cache gives what a fresh computation gives,
// except for structures whose entry was written while materialTotal selected another pawn
// table; those must match the computation with that table.
TEST(PawnCache, AgreesWithFreshComputationOverRandomGames) {
  int positions = 0, repeats = 0, stale = 0, mismatched = 0;
  std::unordered_set<uint32_t> seenThisGame;
  eval_test::PlayRandomGames(eval_test::RandomGameCount, 2024, [&] {
    if (Pos.historyTop == GameHistory) seenThisGame.clear();  // a new game: setup cleared the cache
    if (Pos.pawnCount[Black] + Pos.pawnCount[White] == 0) return;
    ++positions;
    if (!seenThisGame.insert(Pos.pawnKey).second) ++repeats;
    const int16_t cached = PawnStructureScore();
    const int16_t fresh = ComputePawnStructure();
    if (cached != fresh) {
      // One representative materialTotal per pawn table.
      bool anotherTable = false;
      for (int material : {78, 66, 30, 10}) anotherTable |= ComputeAtMaterial(material) == cached;
      if (anotherTable) {
        ++stale;
      } else {
        ++mismatched;
      }
    }
    EvalTerms t;
    EvaluateTerms(t);
    EXPECT_EQ(t.pawnStructure, cached);
    EXPECT_EQ(EntryOfPosition() >> 19, Pos.pawnKey >> 19);
  });
  EXPECT_EQ(mismatched, 0);
  EXPECT_GT(positions, eval_test::RandomGameCount * 40);
  EXPECT_GT(repeats, positions / 3) << "the games should revisit pawn structures";
  EXPECT_LT(stale, positions / 10) << "a stale score needs a capture into another band";
}
}  // namespace
