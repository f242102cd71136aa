// ParseSanMove on arbitrary text in positions of random legal games (the game's length and
// moves chosen by the first input bytes, the rest read as the text). Parsing leaves the
// Position as it was and reads no more than the first 9 characters; legal moves of the
// position, written as standard SAN and as coordinate text, read back as those moves.
#include "fuzz_common.h"
#include "support/san_writer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Bytes in{data, size};
  const fuzz::Saved start;
  PlyFrame* const startFrame = Pos.currentFrame;

  fuzz::Prefix prefix;
  prefix.Play(in, in.Take() % (fuzz::Prefix::MaxPlies + 1));
  const std::string text = in.Text(64);

  const fuzz::Saved before;
  const Move move = ParseSanMove(text.c_str());
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(ParseSanMove(text.substr(0, 9).c_str()) == move);
  FUZZ_CHECK(MoveKindOf(move) != NonMove);

  Move legal[MaxListMoves];
  const int count = fuzz::LegalMoves(legal, Pos.currentFrame);
  // Three of them (chosen by the text's length and first byte): the tests cross-check all of
  // them over random games, and writing every one would slow the fuzzer down fourfold.
  for (int k = 0; k < 3 && count > 0; ++k) {
    const int i = static_cast<int>((text.size() + (text.empty() ? 0 : static_cast<uint8_t>(text[0])) + 7 * k) % count);
    const std::string san = WriteSan(legal[i]);
    FUZZ_CHECK(ParseSanMove(san.c_str()) == legal[i]);
    char coordinate[8];
    FormatCoordinateMove(coordinate, legal[i]);
    FUZZ_CHECK(ParseSanMove(coordinate) == legal[i]);
  }
  FUZZ_CHECK(before.Same());

  prefix.Unwind();
  FUZZ_CHECK(start.Same());
  FUZZ_CHECK(Pos.currentFrame == startFrame);
  fuzz::CheckOnlyFiles({});  // nothing here writes a file
  return 0;
}
