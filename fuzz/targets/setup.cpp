// SetupPosition on arbitrary text. After every input the Position holds its invariants and
// currentFrame has not moved; a rejected text leaves the game as it was (unless only an EPD move
// went unrecognised, which sets the position up all the same); an accepted one starts a history
// of one entry, matches the RootSnapshot, survives a WriteFen round trip unchanged, and can be
// played on: a perft of depth 1, and a few random legal plies, made and taken back, whose
// positions have the legal moves of an independent mailbox generator.
#include "fuzz_common.h"
#include "mailbox.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Bytes in{data, size};
  const std::string text = in.Text(400);
  const fuzz::Saved before;
  PlyFrame* const frame = Pos.currentFrame;

  const bool accepted = SetupPosition(text.c_str(), false);
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(Pos.currentFrame == frame);
  const bool hasEpd = text.find("am ") != std::string::npos || text.find("bm ") != std::string::npos;
  if (!accepted && !before.Same()) FUZZ_CHECK(hasEpd && Pos.historyTop == &GameHistory[0]);
  if (!accepted) return 0;

  FUZZ_CHECK(Pos.historyTop == &GameHistory[0] && GameHistory[0].key == Pos.hashKey);
  FUZZ_CHECK(std::memcmp(RootSnapshot.board, Pos.board, sizeof Pos.board) == 0);
  FUZZ_CHECK(RootSnapshot.epSquare == Pos.epSquare && RootSnapshot.castlingRights == Pos.castlingRights);

  char fen[96];
  WriteFen(fen);
  FUZZ_CHECK(std::strlen(fen) <= 80);
  Position set = Pos;
  FUZZ_CHECK(SetupPosition(fen, false));
  set.epdBestMove = Pos.epdBestMove;
  set.epdAvoidMove = Pos.epdAvoidMove;
  FUZZ_CHECK(SamePosition(set, Pos));
  char again[96];
  WriteFen(again);
  FUZZ_CHECK(std::strcmp(fen, again) == 0);

  const fuzz::Saved played;
  Perft(1);
  FUZZ_CHECK(played.Same());
  // A few plies chosen by the text's own bytes; at each position the legal moves must be those
  // of the mailbox generator.
  fuzz::Bytes choices{data, size};
  Move line[8];
  int made = 0;
  for (; made < 6; ++made) {
    PlyFrame* ply = frame + made;
    Move legal[MaxListMoves];
    const int count = fuzz::LegalMoves(legal, ply);
    if (fuzz::EnginePlainMoves(legal, count) != fuzz::Mailbox().LegalMoves()) {
      for (const fuzz::PlainMove& m : fuzz::EnginePlainMoves(legal, count))
        std::fprintf(stderr, "engine %d-%d%c\n", m.from, m.to, m.promotion ? m.promotion : ' ');
      for (const fuzz::PlainMove& m : fuzz::Mailbox().LegalMoves())
        std::fprintf(stderr, "mailbox %d-%d%c\n", m.from, m.to, m.promotion ? m.promotion : ' ');
      fuzz::Fail("legal moves differ from the mailbox generator's", __FILE__, __LINE__);
    }
    if (count == 0) break;
    line[made] = legal[choices.Take() % count];
    SaveForMake(ply);
    MakeMove(line[made], ply);
    FUZZ_CHECK(PositionIsConsistent());
  }
  while (made > 0) {
    --made;
    UnmakeMove(line[made], frame + made);
    FUZZ_CHECK(PositionIsConsistent());
  }
  FUZZ_CHECK(played.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);
  fuzz::CheckOnlyFiles({});  // nothing here writes a file
  return 0;
}
