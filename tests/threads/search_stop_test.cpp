// The real search on the engine thread, stopped by the main thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "frontend/engine.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "threads/watchdog.h"

namespace {

// Whether move is a legal move of the current position.
bool IsLegal(Move move) {
  PlyFrame frame{};
  ScoredMove scratch[MaxListMoves];
  Move legal[MaxListMoves];
  const int count = GenerateLegalMoves(legal, scratch, &frame);
  return std::find(legal, legal + count, move) != legal + count;
}

class SearchStopTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    EngineSearch = IterativeDeepening;
    LaunchEngineThread();
  }
  static void TearDownTestSuite() {
    Watchdog watchdog(30000);
    ShutdownEngine();
  }
};

TEST_F(SearchStopTest, StoppedSearchLeavesALegalMoveAndTheBoardAsItWas) {
  const char* const positions[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 w - -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
  };
  for (const char* fen : positions) {
    SCOPED_TRACE(fen);
    Watchdog watchdog(30000);
    ASSERT_TRUE(SetupPosition(fen, false));
    const HashKey key = Pos.hashKey;
    HistoryEntry* const top = Pos.historyTop;
    EngineMode = Thinking;
    StartEngine(128);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    StopEngine();
    EXPECT_EQ(EngineMode, Idle);
    EXPECT_EQ(Pos.hashKey, key);
    EXPECT_EQ(Pos.historyTop, top);
    EXPECT_EQ(Pos.currentFrame, &PlyFrames[0]);
    EXPECT_TRUE(IsLegal(SearchResult.move));
    EXPECT_EQ(CheckCount[0] + CheckCount[1], 0);
  }
}

TEST_F(SearchStopTest, SearchEndsByItselfAtTheDepthLimit) {
  Watchdog watchdog(30000);
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false));
  EngineMode = Thinking;
  StartEngine(4);
  EngineStoppedEvent.Wait();
  EXPECT_EQ(CompletedDepth, 4u);
  EXPECT_TRUE(IsLegal(SearchResult.move));
  StopEngine();
}

}  // namespace
