// The PGN reader and "pgn2game" on an arbitrary stream. ReadPgnGame is run game by game over
// the input as text, from the initial position: after each game (or error) the Position, the
// history and currentFrame are as before and hold their invariants, and a game it returns has
// at least one move, its result in the header and moves that are legal one after another from
// the initial position. Then PgnToGame converts the input file into a GameFile: nothing but
// the two files exists afterwards, the initial position and currentFrame are as before, and
// every stored game replays legally; such a GameFile written back as PGN with "game2pgn" and
// read again with "pgn2game" gives the same bytes.
#include <fstream>
#include <sstream>

#include "fuzz_common.h"
#include "tools/gamedb.h"

namespace {

GameRecord Record;

// Whether moves replay legally from the position on the board (taken back afterwards).
bool ReplaysLegally(const Move* moves, int count) {
  PlyFrame* const saved = Pos.currentFrame;
  PlyFrame* const base = ToolFrames;
  FUZZ_CHECK(count < ToolFrameCount);
  int made = 0;
  bool legal = true;
  for (; made < count; ++made) {
    PlyFrame* frame = base + made;
    if (!fuzz::IsLegal(moves[made], frame)) {
      legal = false;
      break;
    }
    SaveForMake(frame);
    MakeMove(moves[made], frame);
    Pos.currentFrame = frame + 1;
  }
  while (made > 0) {
    --made;
    Pos.currentFrame = base + made;
    UnmakeMove(moves[made], Pos.currentFrame);
  }
  Pos.currentFrame = saved;
  return legal;
}

std::string ReadAll(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Checks every game of a GameFile: a valid result and moves legal from the initial position.
// Returns the number of games.
int CheckGameFile(const char* name) {
  FILE* file = std::fopen(name, "rb");
  FUZZ_CHECK(file != nullptr);
  int games = 0;
  try {
    while (ReadGameRecord(Record, file)) {
      FUZZ_CHECK(GamePlies(Record) >= 1);
      FUZZ_CHECK(ReplaysLegally(Record.gameMoves, GamePlies(Record)));
      ++games;
    }
  } catch (const GameDbError&) {
    fuzz::Fail("a stored game cannot be read back", __FILE__, __LINE__);
  }
  std::fclose(file);
  return games;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Saved before;
  PlyFrame* const frame = Pos.currentFrame;

  // The reader on its own, from an in-memory stream.
  {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (int game = 0; game < 200 && in.good(); ++game) {
      uint16_t code = 0;
      bool failed = false;
      try {
        code = ReadPgnGame(Record, in);
      } catch (const GameDbError&) {
        failed = true;
      }
      FUZZ_CHECK(PositionIsConsistent());
      FUZZ_CHECK(before.Same());
      FUZZ_CHECK(Pos.currentFrame == frame);
      if (failed) break;
      if (code != 0) {
        FUZZ_CHECK(code == ResultWhiteWins || code == ResultBlackWins || code == ResultDraw);
        FUZZ_CHECK((Record.gameHeader & ResultBits) == code && GamePlies(Record) >= 1);
        FUZZ_CHECK(ReplaysLegally(Record.gameMoves, GamePlies(Record)));
      }
      in >> std::ws;
    }
  }

  // The conversion command on a file.
  fuzz::WriteFile("in.pgn", data, size);
  int counter = 0;
  PgnToGame("in.pgn", "out.game", counter);
  FUZZ_CHECK(PositionIsConsistent());
  FUZZ_CHECK(before.Same());
  FUZZ_CHECK(Pos.currentFrame == frame);
  fuzz::CheckOnlyFiles({"in.pgn", "out.game"});
  const int games = CheckGameFile("out.game");
  FUZZ_CHECK(games == counter);

  if (games > 0) {
    GameToPgn("out.game", "back.pgn");
    int again = 0;
    PgnToGame("back.pgn", "again.game", again);
    FUZZ_CHECK(before.Same());
    FUZZ_CHECK(Pos.currentFrame == frame);
    fuzz::CheckOnlyFiles({"in.pgn", "out.game", "back.pgn", "again.game"});
    FUZZ_CHECK(again == games);
    FUZZ_CHECK(ReadAll("out.game") == ReadAll("again.game"));
  }
  fuzz::RemoveFiles();
  return 0;
}
