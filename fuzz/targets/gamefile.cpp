// "game2pgn" and "game2pos" on an arbitrary GameFile. After each input the initial position,
// the history and currentFrame are as before and hold their invariants, and the only files
// are the GameFile and the two outputs. "game2pos" writes one line per ply of each leading game
// whose moves replay legally from the initial position (its own check, repeated here against
// the legal move generator), stopping at the first game that is not; its lines name the ply,
// the result and the move. The PGN that "game2pgn" wrote is then read back by "pgn2game".
#include <algorithm>
#include <fstream>

#include "fuzz_common.h"
#include "tools/gamedb.h"

namespace {

// The moves of a stored game are legal one after another from the board's position.
bool ReplaysLegally(const Move* moves, int count) {
  PlyFrame* const saved = Pos.currentFrame;
  int made = 0;
  bool legal = true;
  for (; made < count; ++made) {
    PlyFrame* frame = ToolFrames + made;
    if (!fuzz::IsLegal(moves[made], frame)) {
      legal = false;
      break;
    }
    SaveForMake(frame);
    MakeMove(moves[made], frame);
  }
  while (made > 0) {
    --made;
    UnmakeMove(moves[made], ToolFrames + made);
  }
  Pos.currentFrame = saved;
  return legal;
}

// The lines "game2pos" must write: the plies of the leading games that can be read and that
// replay legally, up to the first that does not.
long ExpectedPositionLines(const uint8_t* data, size_t size) {
  long lines = 0;
  size_t at = 0;
  static Move moves[1 << 14];
  while (at + 2 <= size) {
    const uint16_t header = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
    const int plies = header & PlyCountBits;
    if ((header & ResultBits) == 0 || plies > MaxGamePlies) break;  // "WRONG RESULT", "GAME TOO LONG"
    if (at + 2 + 2 * static_cast<size_t>(plies) > size) break;      // cut short: the end of the file
    for (int i = 0; i < plies; ++i) {
      moves[i] = static_cast<Move>(data[at + 2 + 2 * i] | (data[at + 3 + 2 * i] << 8));
    }
    if (!ReplaysLegally(moves, plies)) break;  // "MOVE NOT LEGAL"
    lines += plies;
    at += 2 + 2 * static_cast<size_t>(plies);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Saved before;
  PlyFrame* const frame = Pos.currentFrame;
  fuzz::WriteFile("in.game", data, size);

  GameToPgn("in.game", "out.pgn");
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);

  GameToPositions("in.game", "pos.txt");
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);
  fuzz::CheckOnlyFiles({"in.game", "out.pgn", "pos.txt"});

  std::ifstream positions("pos.txt");
  long lines = 0;
  for (std::string line; std::getline(positions, line); ++lines) {
    // ply, result letter, FEN, move, key: four tabs.
    FUZZ_CHECK(std::count(line.begin(), line.end(), '\t') == 4);
    FUZZ_CHECK(line[0] >= '1' && line[0] <= '9');
  }
  FUZZ_CHECK(lines == ExpectedPositionLines(data, size));

  int counter = 0;
  PgnToGame("out.pgn", "back.game", counter);
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);
  fuzz::CheckOnlyFiles({"in.game", "out.pgn", "pos.txt", "back.game"});
  fuzz::RemoveFiles();
  return 0;
}
