// Make then unmake of every generated move restores the whole Position and the history, along
// random games from the standard positions; every position after a make is consistent.
#include <cstring>

#include "movegen_test_util.h"
#include "support/position_compare.h"

using namespace movegen_test;

namespace {

struct Snapshot {
  Position pos;
  HistoryEntry history[GameHistorySize];
  int top;
};

void Take(Snapshot& s) {
  s.pos = Pos;
  s.top = static_cast<int>(Pos.historyTop - GameHistory);
  std::memcpy(s.history, GameHistory, sizeof GameHistory);
}

// The entries below the top are untouched; make writes the move into the top entry (whose move
// field is undefined), so only its key and count are compared.
void ExpectRestored(const Snapshot& s, Move move) {
  SCOPED_TRACE(MoveText(move));
  ASSERT_TRUE(SamePosition(s.pos, Pos));
  ASSERT_EQ(Pos.historyTop - GameHistory, s.top);
  for (int i = 0; i < s.top; ++i) ASSERT_TRUE(SameHistoryEntry(s.history[i], GameHistory[i])) << "entry " << i;
  ASSERT_EQ(GameHistory[s.top].key, s.history[s.top].key);
  ASSERT_EQ(GameHistory[s.top].fiftyCount, s.history[s.top].fiftyCount);
}

// Every move of the three generators of the current position, made and unmade in turn.
void CheckAllMoves() {
  static Snapshot before;
  Take(before);
  char fen[96];
  WriteFen(fen);
  SCOPED_TRACE(fen);
  std::vector<Entry> moves = SearchList();
  for (const Entry& e : CaptureList()) moves.push_back(e);
  PlyFrame* frame = &PlyFrames[1];
  const int side = Pos.sideToMove;
  for (const Entry& e : moves) {
    SaveForMake(frame);
    MakeMove(e.move, frame);
    ASSERT_TRUE(PositionIsConsistent()) << "after " << MoveText(e.move);
    ASSERT_EQ(Pos.sideToMove, 1 - side);
    ASSERT_EQ(Pos.historyTop - GameHistory, before.top + 1);
    ASSERT_EQ(GameHistory[before.top].move, e.move);
    UnmakeMove(e.move, frame);
    ExpectRestored(before, e.move);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(MakeUnmake, RestoresEverythingAlongRandomGames) {
#ifdef NDEBUG
  ForEachGamePosition(20261211, 6, 120, CheckAllMoves);
#else
  ForEachGamePosition(20261211, 2, 80, CheckAllMoves);
#endif
}

// A nested make/unmake two plies deep also unwinds to the exact start.
TEST(MakeUnmake, TwoPliesDeepUnwindToTheStart) {
  ASSERT_TRUE(SetupPosition(KiwipeteFen, false));
  static Snapshot before;
  Take(before);
  std::vector<Entry> first = SearchList(&PlyFrames[0]);
  for (const Entry& a : first) {
    SaveForMake(&PlyFrames[0]);
    MakeMove(a.move, &PlyFrames[0]);
    FindCheckers(&PlyFrames[1]);
    ScoredMove* end = PlyFrames[1].checkers ? GenerateEvasions[Pos.sideToMove](MoveListArena + 200, &PlyFrames[1])
                                            : GenerateMoves[Pos.sideToMove](MoveListArena + 200);
    SaveForMake(&PlyFrames[1]);
    for (ScoredMove* b = MoveListArena + 200; b != end; ++b) {
      MakeMove(b->move, &PlyFrames[1]);
      ASSERT_TRUE(PositionIsConsistent()) << MoveText(a.move) << " " << MoveText(b->move);
      UnmakeMove(b->move, &PlyFrames[1]);
    }
    UnmakeMove(a.move, &PlyFrames[0]);
    ExpectRestored(before, a.move);
  }
}

}  // namespace
