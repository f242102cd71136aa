// A move word of the game: a random legal game from the initial position (its length and moves
// chosen by the first input bytes), then the rest of the input read as a move word by
// ParseCoordinateMove against the RootSnapshot, then the game's legality check and MakeGameMove,
// as the command loop does with a move word. Parsing changes nothing; the legality check agrees
// with the legal move generator; a legal move writes back as a word that parses to the same
// move, and MakeGameMove plays it with the invariants holding and the RootSnapshot refreshed
// (it is then taken back). Every legal move's own text parses back to it.
#include "frontend/game.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Bytes in{data, size};
  const fuzz::Saved start;
  PlyFrame* const startFrame = Pos.currentFrame;
  const RootSnapshotRecord startRoot = RootSnapshot;

  fuzz::Prefix prefix;
  prefix.Play(in, in.Take() % (fuzz::Prefix::MaxPlies + 1));
  fuzz::RefreshSnapshot();
  const std::string word = in.Text(300);
  PlyFrame* const frame = Pos.currentFrame;

  const fuzz::Saved before;
  const Move move = ParseCoordinateMove(word.c_str());
  FUZZ_CHECK(before.Same());
  if (move != 0) {
    FUZZ_CHECK(word.size() >= 4 && word[0] >= 'a' && word[0] <= 'h' && word[1] >= '1' && word[1] <= '8' &&
               word[2] >= 'a' && word[2] <= 'h' && word[3] >= '1' && word[3] <= '8');
    FUZZ_CHECK(MoveKindOf(move) != NonMove);
  }

  Move legal[MaxListMoves];
  const int count = fuzz::LegalMoves(legal, frame);
  bool isLegal = false;
  for (int i = 0; i < count; ++i) {
    char text[8];
    FormatCoordinateMove(text, legal[i]);
    FUZZ_CHECK(ParseCoordinateMove(text) == legal[i]);
    if (legal[i] == move) isLegal = true;
  }
  FUZZ_CHECK(before.Same());

  FUZZ_CHECK(IsLegalGameMove(move) == isLegal);
  FUZZ_CHECK(before.Same());
  if (isLegal) {
    char text[8];
    FormatCoordinateMove(text, move);
    FUZZ_CHECK(ParseCoordinateMove(text) == move);
    FUZZ_CHECK(MakeGameMove(move));
    FUZZ_CHECK(PositionIsConsistent());
    FUZZ_CHECK(!KingAttacked(move, Pos.sideToMove ^ 1));
    FUZZ_CHECK(std::memcmp(RootSnapshot.board, Pos.board, sizeof Pos.board) == 0);
    FUZZ_CHECK(RootSnapshot.epSquare == Pos.epSquare && RootSnapshot.castlingRights == Pos.castlingRights);
    FUZZ_CHECK(Pos.currentFrame == frame);
    UnmakeMove(move, frame);
    FUZZ_CHECK(PositionIsConsistent());
    fuzz::RefreshSnapshot();
    FUZZ_CHECK(before.Same());
  }

  prefix.Unwind();
  RootSnapshot = startRoot;
  FUZZ_CHECK(start.Same());
  FUZZ_CHECK(Pos.currentFrame == startFrame);
  fuzz::CheckOnlyFiles({});  // nothing here writes a file
  return 0;
}
