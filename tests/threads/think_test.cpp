// The engine's move decision in this process, with a stand-in search that leaves the result
// and table entries each test needs: the move played when the search leaves none or a wrong
// one, the ponder move taken only when legal, and the cap of a move's time at the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "frontend/commandloop.h"
#include "frontend/engine.h"
#include "frontend/game.h"
#include "frontend/timecontrol.h"
#include "notation/notation.h"
#include "search/search.h"
#include "threads/watchdog.h"

namespace {

// What the stand-in search leaves, set before each Think.
Move ResultMove = 0;
int ResultScore = 0;
Move ReplySlotMove = 0;  // stored for the position after ResultMove, 0 = none
Move PonderResult = 0;   // what a ponder search leaves
std::atomic<bool> FailLowUntilStopped{false};
// Searches started since SetUp: the first is the engine's own, the second the ponder search.
// (EngineMode cannot tell them apart: the main thread may have moved on by the time the
// search reads it.)
std::atomic<int> SearchesStarted{0};

Move StandInSearch() {
  const int index = SearchesStarted++;
  if (index == 0) {
    SearchResult = ScoredMove{static_cast<int16_t>(ResultScore), ResultMove};
    if (ReplySlotMove != 0) {
      PlyFrame frame{};
      SaveForMake(&frame);
      MakeMove(ResultMove, &frame);
      StoreSearchResult(ReplySlotMove, 0, 10, BoundExact);
      UnmakeMove(ResultMove, &frame);
    }
    if (FailLowUntilStopped) {
      AspirationFailFlag = -1;
      while (!StopFlag.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      AspirationFailFlag = 0;
    }
  } else {
    SearchResult = ScoredMove{0, PonderResult};
  }
  return SearchResult.move;
}

const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string Fen() {
  char fen[96];
  WriteFen(fen);
  return fen;
}

class ThinkTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    EngineSearch = StandInSearch;
    LaunchEngineThread();
    StopEngine();
  }
  static void TearDownTestSuite() {
    Watchdog watchdog(30000);
    ShutdownEngine();
    EngineSearch = IterativeDeepening;
  }
  void SetUp() override {
    Pos.currentFrame = &PlyFrames[0];
    ASSERT_TRUE(SetupPosition(StartFen, false));
    ResultMove = 0;
    ResultScore = 0;
    ReplySlotMove = 0;
    PonderResult = 0;
    FailLowUntilStopped = false;
    SearchesStarted = 0;
    MoveBudgetMs = 0;
    MoveTimeCapMs = NoMoveTimeCap;
    PonderEnabled = 1;
    PonderMove = 0;
    EngineMode = WaitingForMove;
  }
  void TearDown() override {
    StopEngine();
    if (PonderMove != 0) AbandonPonder();
  }
  // Runs Think and returns what it printed.
  static std::string ThinkOutput() {
    testing::internal::CaptureStdout();
    Think();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(ThinkTest, NoOrWrongSearchMovePlaysTheFirstLegalMove) {
  const Move first = FirstLegalMove();
  char text[8];
  FormatCoordinateMove(text, first);
  struct Case {
    const char* what;
    Move left;
  };
  const Case cases[] = {
      {"no move", 0},
      {"a move of no piece", ParseCoordinateMove("e4e5")},
      {"an illegal pawn move", ParseCoordinateMove("e2e5")},
      {"the null move", MoveNull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watchdog watchdog(10000);
    SetUp();
    ResultMove = c.left;
    PonderEnabled = 0;
    EXPECT_EQ(ThinkOutput(), std::string("move ") + text + "\n");
    EXPECT_EQ(EngineMode, WaitingForMove);
    EXPECT_EQ(Pos.sideToMove, Black);
  }
}

TEST_F(ThinkTest, PondersOnlyOnALegalReply) {
  struct Case {
    const char* what;
    const char* reply;  // coordinate text for the position after e2e4, or a result code
    Move code;
    bool ponders;
  };
  const Case cases[] = {
      {"a legal reply", "e7e5", 0, true},
      {"a stalemate code", nullptr, MoveStalemate, false},
      {"a mate code", nullptr, MoveMate, false},
      {"a move of the wrong side", "d2d4", 0, false},
      {"a move from an empty square", "e5e4", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watchdog watchdog(10000);
    SetUp();
    ResultMove = ParseCoordinateMove("e2e4");
    {
      // The reply is read as it would be against the board after e2e4.
      PlyFrame frame{};
      SaveForMake(&frame);
      MakeGameMove(ResultMove);
      ReplySlotMove = c.reply != nullptr ? ParseCoordinateMove(c.reply) : c.code;
      ASSERT_TRUE(SetupPosition(StartFen, false));
    }
    EXPECT_EQ(ThinkOutput(), "move e2e4\n");
    const std::string afterMove = Fen();
    if (c.ponders) {
      EXPECT_EQ(EngineMode, Pondering);
      EXPECT_EQ(PonderMove, ReplySlotMove);
      StopEngine();
      AbandonPonder();
    } else {
      EXPECT_EQ(EngineMode, WaitingForMove);
      EXPECT_EQ(PonderMove, 0);
    }
    EXPECT_EQ(Pos.currentFrame, &PlyFrames[0]);
    // Either way the board is the game's once the engine is stopped.
    EXPECT_EQ(Fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    if (!c.ponders) {
      EXPECT_EQ(afterMove, Fen());
    }
  }
}

// A mate line ends the game under the interface: it is printed only when the engine's move
// really mates, whatever the score or the table say. The false case is the one the protocol
// fuzzer found: a mate in one found by the ponder search came back, after a change of the side
// to move, as the score 8099 for c1c7, two moves before the mate.
TEST_F(ThinkTest, MateLinesOnlyAfterAMatingMove) {
  const char* const whiteMates = "6k1/5ppp/8/8/8/8/8/R5K1 w - -";
  const char* const blackMates = "r5k1/8/8/8/8/8/5PPP/6K1 b - -";
  const char* const mateInTwo = "1k6/8/1K6/8/8/8/8/2R5 w - -";
  struct Case {
    const char* what;
    const char* fen;
    const char* move;
    int score;
    Move replySlot;  // stored for the position after the move
    const char* output;
  };
  const Case cases[] = {
      {"mate in one by white", whiteMates, "a1a8", 8099, 0, "move a1a8\n1-0 {Quillo mates 1}\n"},
      {"mate in one by black", blackMates, "a8a1", 8099, 0, "move a8a1\n0-1 {Quillo mates 1}\n"},
      {"a mate-in-one score for a move that does not mate", mateInTwo, "c1c7", 8099, 0, "move c1c7\n"},
      {"a mating move with a longer mate score", whiteMates, "a1a8", 8097, MoveMate,
       "move a1a8\n1-0 {Quillo mates 1#}\n"},
      {"a table mate for a move that does not mate", mateInTwo, "c1c7", 8097, MoveMate, "move c1c7\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watchdog watchdog(10000);
    SetUp();
    ASSERT_TRUE(SetupPosition(c.fen, false));
    ResultMove = ParseCoordinateMove(c.move);
    ResultScore = c.score;
    ReplySlotMove = c.replySlot;
    PonderEnabled = 0;
    EXPECT_EQ(ThinkOutput(), c.output);
    EXPECT_EQ(EngineMode, WaitingForMove);
  }
}

TEST_F(ThinkTest, PredictedMateLeavesTheSnapshotOnTheGameBoard) {
  // The engine plays f2f3 and ponders on the reply that mates it; the prediction comes true.
  Watchdog watchdog(10000);
  const char* const fen = "rnbqkbnr/pppp1ppp/8/4p3/6P1/8/PPPPPP1P/RNBQKBNR w KQkq -";
  ASSERT_TRUE(SetupPosition(fen, false));
  ResultMove = ParseCoordinateMove("f2f3");
  MakeGameMove(ResultMove);
  ReplySlotMove = ParseCoordinateMove("d8h4");
  ASSERT_TRUE(SetupPosition(fen, false));
  PonderResult = MoveMate;
  EXPECT_EQ(ThinkOutput(), "move f2f3\n");
  ASSERT_EQ(EngineMode, Pondering);
  ASSERT_EQ(PonderMove, ReplySlotMove);
  // What the command loop does when the predicted move arrives.
  PonderMove = 0;
  EXPECT_EQ(ThinkOutput(), "0-1 {Quillo mated 0}\n");
  EXPECT_EQ(EngineMode, WaitingForMove);
  EXPECT_EQ(std::memcmp(RootSnapshot.board, Pos.board, sizeof Pos.board), 0);
  EXPECT_EQ(RootSnapshot.castlingRights, Pos.castlingRights);
  EXPECT_EQ(RootSnapshot.epSquare, Pos.epSquare);
}

TEST_F(ThinkTest, MoveTimeIsCappedEvenWhenFailingLow) {
  // 12,050 ms budgeted with 3 s on the clock, and a search that keeps failing low: the wait
  // and the extra time together stay within half the clock.
  Watchdog watchdog(20000);
  SetLevel(0, 2, 12);
  SetClockBudget(300, 300);
  ASSERT_EQ(MoveBudgetMs, 12050u);
  ResultMove = ParseCoordinateMove("d2d4");
  FailLowUntilStopped = true;
  PonderEnabled = 0;
  const int32_t start = ClockMs();
  EXPECT_EQ(ThinkOutput(), "move d2d4\n");
  const int32_t elapsed = ClockMs() - start;
  EXPECT_GE(elapsed, 1400);
  EXPECT_LT(elapsed, 2500);
  SetLevel(40, 5, 0);
}

}  // namespace
