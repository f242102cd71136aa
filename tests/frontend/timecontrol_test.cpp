// Move budgets from "level", "time", "test" and the book exit, and the reading of their
// arguments.
#include "frontend/timecontrol.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "frontend/commandloop.h"

namespace {

class TimeControl : public testing::Test {
 protected:
  void SetUp() override {
    MovesPerTimeControl = 40;
    IncrementMs = 0;
    MoveBudgetMs = 0;
    BookExitPending = 0;
    MoveTimeCapMs = NoMoveTimeCap;
  }
};

TEST_F(TimeControl, MoveTimeIsCappedAtHalfTheClock) {
  // An increment larger than the clock left: 12,050 ms budgeted with 3 s on the clock.
  SetLevel(0, 2, 12);
  SetClockBudget(300, 300);
  EXPECT_EQ(MoveBudgetMs, 12050u);
  EXPECT_EQ(MoveTimeCapMs, 1500u);
  EXPECT_EQ(CapWaitToClock(MoveBudgetMs, 0), 1500u);
  // The fail-low extension after the wait gets only what is left of the cap.
  EXPECT_EQ(CapWaitToClock(2 * MoveBudgetMs, 1200), 300u);
  EXPECT_EQ(CapWaitToClock(2 * MoveBudgetMs, 1500), 0u);
  EXPECT_EQ(CapWaitToClock(2 * MoveBudgetMs, 99999), 0u);

  // An ample clock: the budget, its book-exit raise and the whole fail-low extension fit.
  SetLevel(40, 5, 0);
  SetClockBudget(30000, 30000);
  EXPECT_EQ(MoveBudgetMs, 7470u);
  BookExitPending = 1;
  ApplyBookExitBudget();
  EXPECT_EQ(MoveBudgetMs, 22410u);
  EXPECT_EQ(CapWaitToClock(MoveBudgetMs, 0), 22410u);
  EXPECT_EQ(CapWaitToClock(2 * MoveBudgetMs, 22410), 2u * 22410u);

  // A clock already negative: nothing may be spent, also after a book exit.
  SetClockBudget(-20, 100);
  EXPECT_EQ(MoveBudgetMs, 0u);
  BookExitPending = 1;
  ApplyBookExitBudget();
  EXPECT_EQ(CapWaitToClock(MoveBudgetMs + 500, 0), 0u);

  // "test" searches without a cap.
  SetTestBudget();
  EXPECT_EQ(CapWaitToClock(MoveBudgetMs, 100000), MoveBudgetMs);
}

TEST_F(TimeControl, LevelThenTimeBudgets) {
  struct Case {
    int moves, base, increment;  // "level"
    int clock;                   // "time", centiseconds
    uint32_t movesPerControl;
    int32_t incrementMs;
    uint32_t budget;
  };
  const Case cases[] = {
      {40, 5, 0, 900, 40, 0, 200},      // (900 - 100) / 40 * 10
      {40, 5, 0, 150, 40, 0, 30},       // below two seconds the whole clock counts
      {40, 5, 0, 199, 40, 0, 40},       //
      {40, 5, 0, 200, 40, 0, 20},       // from two seconds on one second is held back
      {40, 5, 0, 139, 40, 0, 30},       // the division truncates in centiseconds: 3 * 10
      {0, 2, 0, 900, 40, 0, 200},       // sudden death is budgeted as 40 moves
      {40, 5, 3, 900, 40, 3000, 3200},  // the increment is added whole, after the division
      {20, 5, 0, 900, 20, 0, 400},
      {1, 1, 0, 6100, 1, 0, 60000},
      {40, 5, 0, 0, 40, 0, 0},
      // A negative clock counts as empty; a negative increment as none.
      {40, 5, 0, -50, 40, 0, 0},
      {40, 5, 2, -1, 40, 2000, 2000},
      {40, 5, -3, 900, 40, 0, 200},
      {40, 5, 0, -2147483647 - 1, 40, 0, 0},
      // The largest clock stays within 32 bits: (2147483647 - 100) / 40 * 10.
      {40, 5, 0, 2147483647, 40, 0, 536870880},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.moves << " " << c.base << " " << c.increment << ", time "
                                    << c.clock);
    SetLevel(c.moves, c.base, c.increment);
    EXPECT_EQ(MovesPerTimeControl, c.movesPerControl);
    EXPECT_EQ(IncrementMs, c.incrementMs);
    SetClockBudget(c.clock, 12345);
    EXPECT_EQ(MoveBudgetMs, c.budget);
  }
}

TEST_F(TimeControl, TimeWithoutLevelUsesFortyMoves) {
  SetClockBudget(900, 0);
  EXPECT_EQ(MoveBudgetMs, 200u);
}

TEST_F(TimeControl, TestBudgetIsPracticallyUnlimited) {
  SetTestBudget();
  EXPECT_EQ(MoveBudgetMs, 4123456689u / 40 * 10);  // about 11.9 days
  SetLevel(40, 5, 3);
  SetTestBudget();
  EXPECT_EQ(MoveBudgetMs, 3000u + 4123456689u / 40 * 10);
}

TEST_F(TimeControl, BookExitBudget) {
  struct Case {
    int moves;
    uint32_t budget;
    uint32_t raised;
  };
  const Case cases[] = {
      {40, 200, 600},  // three times the budget
      {30, 200, 600},  // min(600, 600)
      {20, 200, 400},  // capped at a tenth of the control's share
      {1, 200, 20},   {40, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.moves << " moves, budget " << c.budget);
    SetLevel(c.moves, 5, 0);
    MoveBudgetMs = c.budget;
    BookExitPending = 1;
    ApplyBookExitBudget();
    EXPECT_EQ(MoveBudgetMs, c.raised);
    EXPECT_EQ(BookExitPending, 0);
    // Applied once only.
    ApplyBookExitBudget();
    EXPECT_EQ(MoveBudgetMs, c.raised);
  }
}

// The arguments of a command, read from text; returns what is left of the text after them.
template <typename Reader>
std::string ReadArguments(const std::string& text, Reader reader) {
  std::string copy = text;
  FILE* in = fmemopen(copy.data(), copy.size(), "r");
  EXPECT_NE(in, nullptr);
  reader(in);
  std::string rest;
  for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) rest.push_back(static_cast<char>(c));
  std::fclose(in);
  return rest;
}

TEST_F(TimeControl, ReadingLevel) {
  struct Case {
    std::string text;
    uint32_t movesPerControl;
    int32_t incrementMs;
    std::string rest;
  };
  const Case cases[] = {
      {" 40 5 0\ngo\n", 40, 0, "\ngo\n"},
      {" 30 5 2\n", 30, 2000, "\n"},
      {" 0 2 12\n", 40, 12000, "\n"},
      // A base of minutes:seconds does not stop the increment from being read.
      {" 40 0:30 5\ngo\n", 40, 5000, "\ngo\n"},
      {" 60 1:30:00 1\n", 60, 1000, "\n"},
      // An increment that is not an integer counts as none and is left to be read.
      {" 40 5\ngo\n", 40, 0, "go\n"},
      // No move count: nothing changes.
      {" go\n", 40, 0, "go\n"},
      // A missing base or increment leaves the next word, a command, unread.
      {" 40\nnew\n", 40, 0, "new\n"},
      {" 30 new\n", 30, 0, "new\n"},
      {" 30 5 new\n", 30, 0, "new\n"},
      {" 20 0:30 new\n", 20, 0, "new\n"},
      {" 40", 40, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("level" + c.text);
    SetUp();
    EXPECT_EQ(ReadArguments(c.text, ReadLevelCommand), c.rest);
    EXPECT_EQ(MovesPerTimeControl, c.movesPerControl);
    EXPECT_EQ(IncrementMs, c.incrementMs);
  }
}

TEST_F(TimeControl, ReadingTime) {
  struct Case {
    std::string text;
    uint32_t budget;
    std::string rest;
  };
  const Case cases[] = {
      {" 900\notim 850\ngo\n", 200, "\ngo\n"},
      {" 150 otim 150\n", 30, "\n"},
      {" -500\notim 850\n", 0, "\n"},
      // No clock: the last budget stays.
      {" go\n", 777, "go\n"},
      // Without "otim" and the other clock the own clock still sets the budget.
      {" 900\n", 200, ""},
      {" 900 otim\n", 200, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("time" + c.text);
    SetUp();
    MoveBudgetMs = 777;
    EXPECT_EQ(ReadArguments(c.text, ReadTimeCommand), c.rest);
    EXPECT_EQ(MoveBudgetMs, c.budget);
  }
}

TEST(ReadingWords, WordsAndLinesAreBounded) {
  std::string text = std::string(300, 'w') + " next\n" + std::string(260, 'L') + "\n";
  FILE* in = fmemopen(text.data(), text.size(), "r");
  ASSERT_NE(in, nullptr);
  char buffer[WordBufferSize];
  ASSERT_TRUE(ReadWord(in, buffer));
  EXPECT_EQ(std::string(buffer), std::string(255, 'w'));
  ASSERT_TRUE(ReadWord(in, buffer));
  EXPECT_EQ(std::string(buffer), std::string(45, 'w'));
  ASSERT_TRUE(ReadWord(in, buffer));
  EXPECT_EQ(std::string(buffer), "next");
  ReadRestOfLine(in, buffer);
  EXPECT_EQ(std::string(buffer), "\n");
  ReadRestOfLine(in, buffer);
  EXPECT_EQ(std::string(buffer), std::string(254, 'L'));
  ReadRestOfLine(in, buffer);
  EXPECT_EQ(std::string(buffer), std::string(6, 'L') + "\n");
  EXPECT_FALSE(ReadWord(in, buffer));
  EXPECT_EQ(buffer[0], '\0');
  ReadRestOfLine(in, buffer);
  EXPECT_EQ(buffer[0], '\0');
  std::fclose(in);
}

}  // namespace
