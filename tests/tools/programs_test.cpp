// Real PGN saved by xboard (engine games between two fairymax players), the quillo-games
// program, and the conversion commands of the engine's command loop.
#include <sys/wait.h>

#include <regex>

#include "frontend/engine_process.h"
#include "tools/games_support.h"

namespace {

// The SAN tokens of a PGN text, found independently of the reader: tag lines, comments and
// move numbers are removed with regular expressions, then the result.
std::vector<std::vector<std::string>> SanTokensOf(const std::string& pgn) {
  std::vector<std::vector<std::string>> games;
  std::istringstream lines(pgn);
  std::string moveText;
  const auto flush = [&] {
    std::string text = std::regex_replace(moveText, std::regex(R"(\{[^}]*\})"), " ");
    text = std::regex_replace(text, std::regex(R"(\d+\.+)"), " ");
    std::istringstream words(text);
    std::vector<std::string> tokens;
    for (std::string word; words >> word;) {
      if (word != "1-0" && word != "0-1" && word != "1/2-1/2" && word != "*") tokens.push_back(word);
    }
    if (!tokens.empty()) games.push_back(tokens);
    moveText.clear();
  };
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '[') {
      flush();
    } else {
      moveText += line + "\n";
    }
  }
  flush();
  return games;
}

// Games saved by xboard: fairymax against itself (xboard_games.pgn), and Quillo against
// fairymax from scripts/match (match_games.pgn).
class RealGames : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { SetUpInitialPosition(); }
  ScratchDir dir_;
};

TEST_P(RealGames, ConvertWithoutWarningAndRoundTrip) {
  const std::string fixture = (FixtureDir() / GetParam()).string();
  const std::string text = ReadFileBytes(fixture);
  const auto expected = SanTokensOf(text);
  ASSERT_EQ(expected.size(), 10u);

  int counter = 0;
  EXPECT_EQ(CapturedOutput([&] { PgnToGame(fixture.c_str(), (dir_ / "a.game").c_str(), counter); }),
            "converted: 10 games. (skipped: 0)\nfile: " + fixture + " \t\tfinished\n");
  EXPECT_EQ(counter, 10);

  // Each stored game, replayed and written by the test's SAN writer, gives the file's tokens.
  FILE* file = std::fopen((dir_ / "a.game").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  GameRecord record{};
  static PlyFrame frames[MaxGamePlies];
  for (const auto& tokens : expected) {
    ASSERT_TRUE(ReadGameRecord(record, file));
    ASSERT_EQ(GamePlies(record), static_cast<int>(tokens.size()));
    for (int i = 0; i < GamePlies(record); ++i) {
      EXPECT_EQ(WriteSan(record.gameMoves[i]), tokens[i]) << "ply " << i + 1;
      SaveForMake(&frames[i]);
      MakeMove(record.gameMoves[i], &frames[i]);
    }
    for (int i = GamePlies(record) - 1; i >= 0; --i) UnmakeMove(record.gameMoves[i], &frames[i]);
  }
  EXPECT_FALSE(ReadGameRecord(record, file));
  std::fclose(file);

  EXPECT_EQ(CapturedOutput([&] { GameToPgn((dir_ / "a.game").c_str(), (dir_ / "b.pgn").c_str()); }),
            "OK\nconverted: 10 games.\n");
  counter = 0;
  const std::string out =
      CapturedOutput([&] { PgnToGame((dir_ / "b.pgn").c_str(), (dir_ / "b.game").c_str(), counter); });
  EXPECT_EQ(out, "converted: 10 games. (skipped: 0)\nfile: " + (dir_ / "b.pgn") + " \t\tfinished\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "a.game"), ReadFileBytes(dir_ / "b.game"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealGames, testing::Values("xboard_games.pgn", "match_games.pgn"));

// Runs quillo-games in dir with the arguments; returns its exit status and standard output.
std::pair<int, std::string> RunGames(const ScratchDir& dir, const std::string& arguments) {
  const std::string command =
      "cd '" + dir.Path().string() + "' && " + QUILLO_GAMES_PATH + " " + arguments + " > stdout.txt 2> stderr.txt";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(dir.Path() / "stdout.txt")};
}

TEST(QuilloGames, RunsTheConversionsAndRejectsBadUsage) {
  ScratchDir dir;
  WriteFileBytes(dir / "in.pgn", "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n");
  EXPECT_EQ(RunGames(dir, "pgn2game in.pgn g.game"),
            std::make_pair(0, std::string("converted: 1 games. (skipped: 0)\nfile: in.pgn \t\tfinished\n")));
  EXPECT_EQ(RunGames(dir, "game2pgn g.game out.pgn"), std::make_pair(0, std::string("OK\nconverted: 1 games.\n")));
  EXPECT_EQ(ReadFileBytes(dir.Path() / "out.pgn"), "[Result \"1-0\"]\n1. e2e4 e7e5 2. g1f3 1-0\n");
  EXPECT_EQ(RunGames(dir, "game2pos g.game g.pos"), std::make_pair(0, std::string("OK\nconverted: 1 games.\n")));
  WriteFileBytes(dir / "list.txt", "in.pgn\nout.pgn");
  EXPECT_EQ(RunGames(dir, "pgnlist2game list.txt h.game"),
            std::make_pair(0, std::string("converted: 1 games. (skipped: 0)\nfile: in.pgn \t\tfinished\n"
                                          "Warning: game 1 (skipped) file: out.pgn\n"
                                          "converted: 0 games. (skipped: 1)\nfile: out.pgn \t\tfinished\n"
                                          "\nCONVERTED GAMES: 1\n")));
  // An error is reported by the messages; the command still ran.
  EXPECT_EQ(RunGames(dir, "game2pgn missing.game x.pgn"),
            std::make_pair(0, std::string("Cannot open GAME input file: 'missing.game'\n")));
  EXPECT_EQ(RunGames(dir, "").first, 2);
  EXPECT_EQ(RunGames(dir, "pgn2game in.pgn").first, 2);
  EXPECT_EQ(RunGames(dir, "pgn2pos in.pgn x").first, 2);
  EXPECT_EQ(RunGames(dir, "game2pgn a b c").first, 2);
}

// The command loop runs each conversion with its two file names and goes on reading commands
// after any of them fails.
TEST(ConversionCommands, RunFromTheCommandLoop) {
  EngineSandbox sandbox;
  WriteFileBytes(sandbox.Dir() / "in.pgn",
                 "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n[Result \"1-0\"]\n1. e4 e5 2. Ke3 1-0\n");
  WriteFileBytes(sandbox.Dir() / "list.txt", "in.pgn\nnone.pgn\n");
  const EngineRun run = sandbox.Run(
      "xboard\npgn2game in.pgn g.game\npgnlist2game list.txt g.game\ngame2pgn g.game out.pgn\n"
      "game2pos g.game g.pos\ngame2pos none.game x.pos\nquit\n");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  const std::string& out = run.output;
  EXPECT_NE(out.find("move: Ke3, plyNo:3\nconverted: 1 games. (skipped: 0)\nERROR: MOVE NOT LEGAL 1 file: in.pgn\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Warning: game 1 (skipped) file: in.pgn\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Cannot open PGN input file: 'none.pgn'\nCannot open PGN input file: ''\n\nCONVERTED GAMES: 0\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("OK\nconverted: 1 games.\nOK\nconverted: 1 games.\nCannot open GAME input file: 'none.game'\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(ReadFileBytes(sandbox.Dir() / "out.pgn"), "[Result \"1-0\"]\n1. e2e4 e7e5 2. g1f3 1-0\n");
  const std::string positions = ReadFileBytes(sandbox.Dir() / "g.pos");
  EXPECT_EQ(std::count(positions.begin(), positions.end(), '\n'), 3);
  EXPECT_NE(std::find(run.log.begin(), run.log.end(), "::cmd:: game2pos"), run.log.end());
}

}  // namespace
