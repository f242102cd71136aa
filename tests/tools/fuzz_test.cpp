// Random bytes and random mutations of real PGN and of a real GameFile through the reader and
// every conversion, for a few seconds: no crash, no hang, every stored game legal, and the
// initial position intact afterwards. Run under ASan and UBSan by the test script.
#include <chrono>

#include "tools/games_support.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char PgnAlphabet[] = "{}()[]*$.0123456789-/+#=!?xOKQRBNabcdefgh \n\t\r\"Result";

std::string Mutate(std::mt19937& rng, std::string text) {
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits; ++e) {
    if (text.empty()) text.push_back('[');
    const size_t at = rng() % text.size();
    const size_t length = std::min<size_t>(1 + rng() % 40, text.size() - at);
    switch (rng() % 6) {
      case 0: text[at] = PgnAlphabet[rng() % (sizeof PgnAlphabet - 1)]; break;
      case 1: text[at] = static_cast<char>(rng()); break;
      case 2: text.erase(at, length); break;
      case 3: {
        const size_t to = rng() % (text.size() + 1);
        text = text.substr(0, to) + text.substr(at, length) + text.substr(to);
        break;
      }
      case 4: text.resize(at); break;
      default: {
        const std::string run(1 + rng() % 4, PgnAlphabet[rng() % (sizeof PgnAlphabet - 1)]);
        text = text.substr(0, at) + run + text.substr(at);
        break;
      }
    }
  }
  return text;
}

std::string RandomBytes(std::mt19937& rng, bool pgnLike) {
  std::string text(rng() % 400, '\0');
  for (char& c : text) c = pgnLike ? PgnAlphabet[rng() % (sizeof PgnAlphabet - 1)] : static_cast<char>(rng());
  return text;
}

// Every move of the stored game is legal, replayed from the initial position.
bool StoredGameIsLegal(const GameRecord& record) {
  static PlyFrame frames[MaxGamePlies];
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  int made = 0;
  bool ok = true;
  for (; made < GamePlies(record); ++made) {
    const int count = GenerateLegalMoves(legal, scratch, &frames[made]);
    if (std::find(legal, legal + count, record.gameMoves[made]) == legal + count) {
      ok = false;
      break;
    }
    SaveForMake(&frames[made]);
    MakeMove(record.gameMoves[made], &frames[made]);
  }
  while (made > 0) {
    --made;
    UnmakeMove(record.gameMoves[made], &frames[made]);
  }
  return ok;
}

class Fuzz : public testing::Test {
 protected:
  void SetUp() override {
    SetUpInitialPosition();
    initial_ = Pos;
    realPgn_ = ReadFileBytes(FixtureDir() / "xboard_games.pgn") + ReadFileBytes(FixtureDir() / "match_games.pgn");
  }
  void ExpectInitialPosition(const char* where) {
    ASSERT_TRUE(SamePosition(Pos, initial_)) << where;
    ASSERT_TRUE(PositionIsConsistent()) << where;
  }
  Position initial_;
  std::string realPgn_;
  ScratchDir dir_;
};

TEST_F(Fuzz, ReaderOnRandomAndMutatedText) {
  std::mt19937 rng(1);
  const auto deadline = Clock::now() + std::chrono::milliseconds(1500);
  GameRecord record{};
  int inputs = 0, stored = 0;
  while (Clock::now() < deadline) {
    const int kind = inputs++ % 4;
    const std::string text = kind == 0   ? RandomBytes(rng, false)
                             : kind == 1 ? RandomBytes(rng, true)
                                         : Mutate(rng, realPgn_);
    std::istringstream in(text);
    CapturedOutput([&] {
      try {
        in >> std::ws;
        in.peek();
        for (int games = 0; in.good(); ++games) {
          ASSERT_LT(games, 100000);
          const uint16_t code = ReadPgnGame(record, in);
          ASSERT_TRUE(SamePosition(Pos, initial_));
          if (code != 0) {
            ++stored;
            ASSERT_EQ(record.gameHeader & ResultBits, code);
            ASSERT_TRUE(StoredGameIsLegal(record));
          }
          in >> std::ws;
          in.peek();
        }
      } catch (const GameDbError&) {
      }
    });
    ExpectInitialPosition("after a text");
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(stored, 0);
}

TEST_F(Fuzz, ConversionsOnMutatedFiles) {
  std::mt19937 rng(2);
  // A real GameFile to mutate.
  int counter = 0;
  WriteFileBytes(dir_ / "real.pgn", realPgn_);
  CapturedOutput([&] { PgnToGame((dir_ / "real.pgn").c_str(), (dir_ / "real.game").c_str(), counter); });
  const std::string realGame = ReadFileBytes(dir_ / "real.game");
  ASSERT_GT(realGame.size(), 1000u);

  const auto deadline = Clock::now() + std::chrono::milliseconds(2500);
  for (int round = 0; round < 400 && Clock::now() < deadline; ++round) {
    // Mutated or random PGN: whatever is stored replays legally and round-trips.
    for (const char* name : {"a.game", "a.pos", "a.pgn", "b.game"}) std::filesystem::remove(dir_ / name);
    WriteFileBytes(dir_ / "in.pgn", round % 3 == 0 ? RandomBytes(rng, true) : Mutate(rng, realPgn_));
    CapturedOutput([&] { PgnToGame((dir_ / "in.pgn").c_str(), (dir_ / "a.game").c_str(), counter); });
    ExpectInitialPosition("pgn2game");
    const std::string positions =
        CapturedOutput([&] { GameToPositions((dir_ / "a.game").c_str(), (dir_ / "a.pos").c_str()); });
    EXPECT_EQ(positions.rfind("OK\n", 0), 0u) << positions;
    ExpectInitialPosition("game2pos");
    CapturedOutput([&] { GameToPgn((dir_ / "a.game").c_str(), (dir_ / "a.pgn").c_str()); });
    CapturedOutput([&] { PgnToGame((dir_ / "a.pgn").c_str(), (dir_ / "b.game").c_str(), counter); });
    EXPECT_EQ(ReadFileBytes(dir_ / "a.game"), ReadFileBytes(dir_ / "b.game"));

    // Mutated or random GameFile: every conversion reports and leaves the position alone.
    std::string game = realGame;
    if (round % 4 == 0) {
      game = RandomBytes(rng, false);
    } else {
      const int edits = 1 + static_cast<int>(rng() % 6);
      for (int e = 0; e < edits; ++e) {
        const size_t at = rng() % game.size();
        switch (rng() % 3) {
          case 0: game[at] = static_cast<char>(rng()); break;
          case 1: game[at] ^= static_cast<char>(1 << (rng() % 8)); break;
          default: game.resize(at + 1); break;
        }
      }
    }
    WriteFileBytes(dir_ / "c.game", game);
    CapturedOutput([&] { GameToPgn((dir_ / "c.game").c_str(), (dir_ / "c.pgn").c_str()); });
    CapturedOutput([&] { GameToPositions((dir_ / "c.game").c_str(), (dir_ / "c.pos").c_str()); });
    ExpectInitialPosition("game2pos of a damaged file");
    CapturedOutput([&] { PgnToGame((dir_ / "c.pgn").c_str(), (dir_ / "d.game").c_str(), counter); });
    CapturedOutput([&] { PgnToGame((dir_ / "real.pgn").c_str(), (dir_ / "c.game").c_str(), counter); });
    ExpectInitialPosition("pgn2game into a damaged file");
    for (const char* name : {"c.pgn", "c.pos", "d.game"}) std::filesystem::remove(dir_ / name);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
