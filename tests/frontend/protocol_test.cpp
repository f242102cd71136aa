// The command loop and handshake, driven through the real engine binary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/engine_process.h"

namespace {

using Lines = std::vector<std::string>;

const std::string WrongProtocolText = "Engine works only with xboard protocol ver. 2\n";
const std::string BookErrorText = "tellusererror BOOK ERROR!\n";

// Checks that the engine ended by itself with status 0 and wrote nothing to standard error.
void ExpectCleanExit(const EngineRun& run) {
  EXPECT_TRUE(run.finished) << "the engine did not end";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
}

// The output after the handshake may hold only the book error notices that setting up a
// position prints when no opening book can be loaded.
void ExpectOnlyBookErrorsAfterHandshake(const std::string& output) {
  ASSERT_EQ(output.compare(0, std::string(HandshakeOutput).size(), HandshakeOutput), 0) << output;
  std::string rest = output.substr(std::string(HandshakeOutput).size());
  while (rest.compare(0, BookErrorText.size(), BookErrorText) == 0) rest.erase(0, BookErrorText.size());
  EXPECT_EQ(rest, "");
}

// The log lines from the "::cmd:: " line of word up to, not including, the next "::cmd:: " line.
Lines LinesOfCommand(const Lines& log, const std::string& word) {
  int start = FindLine(log, "::cmd:: " + word);
  if (start < 0) return {};
  Lines lines;
  for (int i = start + 1; i < static_cast<int>(log.size()) && log[i].rfind("::cmd:: ", 0) != 0; ++i) {
    // The engine thread writes its idle line at a moment of its own choosing.
    if (log[i].rfind("-------------- STOPPED", 0) == 0) continue;
    lines.push_back(log[i]);
  }
  return lines;
}

TEST(Handshake, FeatureLinesAndShutdownLog) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nprotover 2\nquit\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, HandshakeOutput);

  // Apart from the engine thread's first idle line, the log is fully ordered. Clock values
  // are checked, then dropped.
  Lines rest;
  int stopped = -1;
  for (int i = 0; i < static_cast<int>(run.log.size()); ++i) {
    const std::string& line = run.log[i];
    if (stopped < 0 && line.rfind("-------------- STOPPED", 0) == 0) {
      stopped = i;
      EXPECT_TRUE(IsDecimal(line.substr(22))) << line;
    } else if (line.rfind("-------------- ELSE  ", 0) == 0) {
      EXPECT_TRUE(IsDecimal(line.substr(21))) << line;
      rest.push_back("-------------- ELSE  ");
    } else {
      rest.push_back(line);
    }
  }
  ASSERT_GE(stopped, 0) << "no idle line from the engine thread";
  EXPECT_LT(stopped, FindLine(run.log, "-M: exited StopEngine"));
  EXPECT_EQ(rest, (Lines{"::cmd:: protover", "::cmd:: 2", "::cmd:: quit", "-M: entered StopEngine",
                         "-M: exited StopEngine", "-M: entered StartEngine", "-------------- ELSE  ",
                         "-------------- STARTED", "-M: exited StartEngine"}));
}

TEST(Handshake, FirstWordOtherThanXboard) {
  struct Case {
    std::string first;
    bool accepted;
  };
  const Case cases[] = {{"xboard", true}, {"xboardx", true}, {"xboar", false}, {"XBOARD", false}, {"uci", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run(c.first + "\nprotover 2\nquit\n");
    ExpectCleanExit(run);
    EXPECT_EQ(run.output, (c.accepted ? "" : WrongProtocolText) + HandshakeOutput);
    // The first word belongs to the handshake and is never logged as a command.
    EXPECT_EQ(CommandWords(run.log), (Lines{"protover", "2", "quit"}));
  }
}

TEST(Log, SecondRunKeepsOnlyItsOwnLines) {
  EngineSandbox sandbox;
  EngineRun first = sandbox.Run("xboard\nfirstrun one two three\nquit\n");
  ExpectCleanExit(first);
  EngineRun second = sandbox.Run("xboard\nsecondrun\nquit\n");
  ExpectCleanExit(second);
  EXPECT_EQ(CommandWords(second.log), (Lines{"secondrun", "quit"}));
  EXPECT_EQ(FindLine(second.log, "::cmd:: firstrun"), -1);
  EXPECT_EQ(second.log.size(), first.log.size() - 3);
}

TEST(Input, EndOfInputActsAsQuit) {
  struct Case {
    std::string input;
    std::string output;
    Lines words;
  };
  const Case cases[] = {
      {"xboard\nprotover 2\n", HandshakeOutput, {"protover", "2"}},
      {"xboard\nprotover 2", HandshakeOutput, {"protover", "2"}},
      {"xboard\n", HandshakeOutput, {}},
      {"", WrongProtocolText + HandshakeOutput, {}},
      // Input that ends inside a command's arguments.
      {"xboard\ntime", HandshakeOutput, {"time"}},
      {"xboard\nlevel 40", HandshakeOutput, {"level"}},
      {"xboard\nsetboard", HandshakeOutput, {"setboard"}},
      {"xboard\npgn2game one.pgn",
       HandshakeOutput + std::string("Cannot open PGN input file: 'one.pgn'\n"),
       {"pgn2game"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run(c.input);
    ExpectCleanExit(run);
    EXPECT_EQ(run.output, c.output);
    // Each word once: the last word is never run again.
    EXPECT_EQ(CommandWords(run.log), c.words);
    // The engine thread was shut down as by "quit".
    ASSERT_FALSE(run.log.empty());
    EXPECT_EQ(run.log.back(), "-M: exited StartEngine");
    EXPECT_GE(FindLine(run.log, "-------------- STARTED"), 0);
  }
}

TEST(Input, LongWordIsCutInto255CharacterWords) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\n" + std::string(10000, 'x') + "\nquit\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, HandshakeOutput);
  Lines expected(39, std::string(255, 'x'));
  expected.push_back(std::string(10000 - 39 * 255, 'x'));
  expected.push_back("quit");
  EXPECT_EQ(CommandWords(run.log), expected);

  // The piece after the cut is a word like any other.
  EngineRun cut = sandbox.Run("xboard\n" + std::string(255, 'a') + "quit\nbenchmark\n");
  ExpectCleanExit(cut);
  EXPECT_EQ(cut.output, HandshakeOutput);
  EXPECT_EQ(CommandWords(cut.log), (Lines{std::string(255, 'a'), "quit"}));
}

TEST(Setboard, EmptyLineIsRejected) {
  // "accepted setboard" is the interface's answer to the feature: "setboard" reads the rest of
  // that line, only its line feed.
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nprotover 2\naccepted setboard\nquit\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, HandshakeOutput);
  EXPECT_EQ(LinesOfCommand(run.log, "setboard"), (Lines{"-M: entered StopEngine", "-M: exited StopEngine", "setboard ",
                                                        "", "-M: tellusererror Illegal position"}));
}

TEST(Setboard, LongLineIsCutAt254Characters) {
  // The blank after the word and 253 more characters fill the line buffer; the rest of the
  // line is read as the next word.
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nsetboard " + std::string(253, 'Z') + "quit\nbenchmark\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, std::string(HandshakeOutput) + "tellusererror Illegal position\n");
  EXPECT_EQ(LinesOfCommand(run.log, "setboard"),
            (Lines{"-M: entered StopEngine", "-M: exited StopEngine", "setboard  " + std::string(253, 'Z'),
                   "-M: tellusererror Illegal position"}));
  EXPECT_EQ(CommandWords(run.log), (Lines{"setboard", "quit"}));
}

TEST(Setboard, AcceptedPositionLogsTheLine) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nsetboard 8/8/8/8/8/8/8/K6k w - -\nquit\n");
  ExpectCleanExit(run);
  ExpectOnlyBookErrorsAfterHandshake(run.output);
  Lines lines = LinesOfCommand(run.log, "setboard");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "setboard  8/8/8/8/8/8/8/K6k w - -");
  EXPECT_EQ(lines[3], "");  // the line keeps its line feed
  EXPECT_EQ(FindLine(run.log, "-M: tellusererror Illegal position"), -1);
}

// Bytes of every value except lower-case letters, so that no command word can arise; with
// long runs free of blanks and embedded NULs.
std::string Garbage(size_t size, uint32_t seed) {
  std::string bytes;
  uint32_t state = seed;
  while (bytes.size() < size) {
    state = state * 1664525u + 1013904223u;
    char c = static_cast<char>(state >> 24);
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    bytes.push_back(c);
  }
  return bytes;
}

TEST(Input, BinaryGarbageIsSurvived) {
  EngineSandbox sandbox;
  std::string noise = Garbage(1 << 16, 12345);
  EngineRun run = sandbox.Run("xboard\n" + noise);
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, HandshakeOutput);
  EXPECT_GT(CommandWords(run.log).size(), 100u);

  // The same bytes as a position text, line feeds removed.
  std::string line = Garbage(200, 777);
  for (char& c : line) {
    if (c == '\n') c = 'N';
  }
  EngineRun board = sandbox.Run("xboard\nsetboard " + line + "\nquit\n");
  ExpectCleanExit(board);
  EXPECT_EQ(board.output, std::string(HandshakeOutput) + "tellusererror Illegal position\n");
  EXPECT_GE(FindLine(board.log, "-M: tellusererror Illegal position"), 0);
  EXPECT_EQ(CommandWords(board.log).back(), "quit");
}

TEST(Commands, MatchingAndArguments) {
  struct Case {
    std::string input;  // after "xboard"
    std::string printed;
    Lines words;
  };
  const std::string stat = "Define __STAT\n";
  const Case cases[] = {
      {"benchmark\nquit\n", stat, {"benchmark", "quit"}},
      // Whole-word and case-sensitive matches.
      {"benchmarks\nBenchmark\nquit\n", "", {"benchmarks", "Benchmark", "quit"}},
      // Prefix matches.
      {"quitting\nbenchmark\n", "", {"quitting"}},
      {"quit2\nbenchmark\n", "", {"quit2"}},
      {"Quit\nbenchmark\nquit\n", stat, {"Quit", "benchmark", "quit"}},
      // "time" consumes its two clocks and the label between them, across lines.
      {"time 900\notim 850\nbenchmark\nquit\n", stat, {"time", "benchmark", "quit"}},
      {"level 40 5 0\nbenchmark\nquit\n", stat, {"level", "benchmark", "quit"}},
      {"level 40 0:30 0\nbenchmark\nquit\n", stat, {"level", "benchmark", "quit"}},
      // The conversions read their two file names.
      // (The missing input files are reported.)
      {"pgn2game in.pgn out.gam\nbenchmark\nquit\n",
       "Cannot open PGN input file: 'in.pgn'\n" + stat,
       {"pgn2game", "benchmark", "quit"}},
      {"pgnlist2game list.txt out.gam\nquit\n", "Cannot open PGN input file: 'list.txt'\n", {"pgnlist2game", "quit"}},
      {"game2pgn in.gam out.pgn\nquit\n", "Cannot open GAME input file: 'in.gam'\n", {"game2pgn", "quit"}},
      {"game2pos in.gam out.txt\nquit\n", "Cannot open GAME input file: 'in.gam'\n", {"game2pos", "quit"}},
      // Unsupported commands and their arguments are read as words and ignored.
      {"post\ncomputer\n?\naccepted done\nquit\n", "", {"post", "computer", "?", "accepted", "done", "quit"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run("xboard\n" + c.input);
    ExpectCleanExit(run);
    EXPECT_EQ(run.output, HandshakeOutput + c.printed);
    EXPECT_EQ(CommandWords(run.log), c.words);
  }
}

TEST(Commands, WhichCommandsStopTheEngine) {
  struct Case {
    std::string word;
    std::string arguments;
    bool stops;
  };
  const Case cases[] = {
      {"go", "", true},
      {"force", "", true},
      {"white", "", true},
      {"black", "", true},
      {"benchmark", "", true},
      {"new", "", true},
      {"result", " 1-0", true},
      {"setboard", "", true},
      {"undo", "", true},
      {"remove", "", true},
      {"pgn2game", " a b", true},
      {"time", " 500 otim 500", false},
      {"level", " 40 5 0", false},
      {"easy", "", false},
      {"hard", "", false},
      {"protover", " 2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run("xboard\n" + c.word + c.arguments + "\nquit\n");
    ExpectCleanExit(run);
    // "go" plays a move from the start position; "benchmark" prints its notice.
    std::string output = run.output.substr(0, run.output.find("Define __STAT\n"));
    if (c.word == "go") output = output.substr(0, output.rfind("move "));
    if (c.word == "pgn2game") output = output.substr(0, output.rfind("Cannot open PGN input file"));
    ExpectOnlyBookErrorsAfterHandshake(output);
    Lines lines = LinesOfCommand(run.log, c.word);
    bool stopped = lines.size() >= 2 && lines[0] == "-M: entered StopEngine" && lines[1] == "-M: exited StopEngine";
    EXPECT_EQ(stopped, c.stops);
  }
}

TEST(Commands, NewAndResultSetUpAndCarryOn) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nnew\nresult 1-0 {White mates}\nbenchmark\nquit\n");
  ExpectCleanExit(run);
  std::string output = run.output;
  const std::string stat = "Define __STAT\n";
  ASSERT_GE(output.size(), stat.size());
  EXPECT_EQ(output.substr(output.size() - stat.size()), stat);
  ExpectOnlyBookErrorsAfterHandshake(output.substr(0, output.size() - stat.size()));
  // The words after "result" are ordinary words.
  EXPECT_EQ(CommandWords(run.log), (Lines{"new", "result", "1-0", "{White", "mates}", "benchmark", "quit"}));
}

}  // namespace

namespace {

TEST(Commands, SideSwitchThatWouldExposeAKingIsRefused) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nsetboard 4k3/8/8/8/8/8/4R3/4K3 b - -\nwhite\nblack\nquit\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, HandshakeOutput);
  const int refused = FindLine(run.log, "-M: side to move unchanged");
  EXPECT_GT(refused, FindLine(run.log, "::cmd:: white"));
  EXPECT_EQ(FindLine(run.log, "-M: side to move unchanged", refused + 1), -1);  // "black" is no change
}

}  // namespace
