// A move word of the game: a random legal game from the initial position (its length and moves
// chosen by the first input bytes), then the rest of the input read as a move word by
// ParseCoordinateMove against the RootSnapshot. Parsing changes nothing; a word that parses to
// a legal move writes back as a word that parses to the same move, and is made and taken back
// with the invariants holding; a move the legal generator does not list is never made. Every
// legal move's own text parses back to it.
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

  if (isLegal) {
    char text[8];
    FormatCoordinateMove(text, move);
    FUZZ_CHECK(ParseCoordinateMove(text) == move);
    SaveForMake(frame);
    MakeMove(move, frame);
    FUZZ_CHECK(PositionIsConsistent());
    FUZZ_CHECK(!KingAttacked(move, Pos.sideToMove ^ 1));
    UnmakeMove(move, frame);
    FUZZ_CHECK(PositionIsConsistent());
    FUZZ_CHECK(before.Same());
  }

  prefix.Unwind();
  RootSnapshot = startRoot;
  FUZZ_CHECK(start.Same());
  FUZZ_CHECK(Pos.currentFrame == startFrame);
  return 0;
}
