// LoadOpeningBook on an arbitrary book file, from the initial position with an empty table.
// After every input the position, the history and currentFrame are as before, the invariants
// hold, no file but the book itself exists, and every book move the table now holds along the
// book's lines is a legal move of its position (followed from the initial position, the stored
// move of each position in turn, made and taken back).
#include "book/book.h"

#include "fuzz_common.h"
#include "search/search.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const BookName = "fuzz.book";
  fuzz::WriteFile(BookName, data, size);
  ClearTranspositionTable();
  const fuzz::Saved before;
  PlyFrame* const frame = Pos.currentFrame;

  LoadOpeningBook(BookName);
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);
  fuzz::CheckOnlyFiles({BookName});

  // Follow the book: each position's generation-0 move must be legal there.
  Move line[PlyFrameCount];
  int plies = 0;
  while (plies < PlyFrameCount - 1) {
    const TtSlot* slot = ProbeTranspositionTable();
    if (slot == nullptr || SlotGeneration(*slot) != 0 || SlotMove(*slot) == 0) break;
    const Move move = SlotMove(*slot);
    PlyFrame* ply = frame + plies;
    FUZZ_CHECK(fuzz::IsLegal(move, ply));
    SaveForMake(ply);
    MakeMove(move, ply);
    FUZZ_CHECK(PositionIsConsistent());
    line[plies++] = move;
    // A line that comes back to a position it passed loops for ever; stop at a repetition.
    if (CheckDraw(1) == MoveRepetition) break;
  }
  while (plies > 0) {
    --plies;
    UnmakeMove(line[plies], frame + plies);
  }
  FUZZ_CHECK(before.Same());
  std::remove(BookName);
  return 0;
}
