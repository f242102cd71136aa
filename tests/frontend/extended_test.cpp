// The extended protocol mode ("quillo --extended"): its feature lines, ping, thinking lines,
// move now, fixed time and depth; and the default mode left exactly as it is.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "frontend/engine_process.h"

namespace {

using Lines = std::vector<std::string>;

const char* const Extended = "--extended";

void ExpectCleanExit(const EngineRun& run) {
  EXPECT_TRUE(run.finished) << "the engine did not end";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
}

const std::regex ThinkingLine("^[0-9]+ -?[0-9]+ [0-9]+ [0-9]+( [a-h][1-8][a-h][1-8][qnrb]?)*$");
const Lines ExtraFeatures = {"feature ping=1",    "feature myname=\"Quillo\"", "feature sigint=0",
                             "feature sigterm=0", "feature colors=0",          "feature analyze=0"};

bool IsExtraFeature(const std::string& line) {
  for (const std::string& feature : ExtraFeatures) {
    if (line == feature) return true;
  }
  return false;
}

// Index of the first line at or after from that starts with text, or -1.
int Find(const Lines& lines, const std::string& text, int from = 0) { return FindLine(lines, text, from); }

TEST(ExtendedMode, RecordedSessionInBothModes) {
  const std::string session =
      "xboard\nprotover 2\naccepted ping\naccepted myname\nnew\nforce\ne2e4\ne7e5\npost\nping 7\n"
      "setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - -\ngo\n?\nping 8\nnopost\n"
      "setboard r5k1/8/8/8/8/8/5PPP/6K1 b - -\ngo\nst 1\nsd 3\nquit\n";
  EngineSandbox sandbox;
  EngineRun plain = sandbox.Run(session);
  ExpectCleanExit(plain);
  EngineRun extended = sandbox.Run(session, 30000, Extended);
  ExpectCleanExit(extended);

  // Without the option the extended words are ordinary words, logged and ignored.
  std::string expected = std::string(HandshakeOutput) + "tellusererror BOOK ERROR!\n";
  EXPECT_EQ(plain.output.substr(0, expected.size()), expected);
  Lines plainLines = SplitLines(plain.output);
  Lines played;
  for (const std::string& line : plainLines) {
    if (line.rfind("move ", 0) == 0 || line.find('{') != std::string::npos) played.push_back(line);
  }
  EXPECT_EQ(played, (Lines{"move a1a8", "1-0 {Quillo mates 1}", "move a8a1", "0-1 {Quillo mates 1}"}));
  for (const std::string& line : plainLines) {
    EXPECT_EQ(line.rfind("pong", 0), std::string::npos) << line;
    EXPECT_FALSE(std::regex_match(line, ThinkingLine)) << line;
  }
  EXPECT_EQ(CommandWords(plain.log),
            (Lines{"protover", "2",        "accepted", "ping", "accepted", "myname", "new", "force", "e2e4",
                   "e7e5",     "post",     "ping",     "7",    "setboard", "go",     "?",   "ping",  "8",
                   "nopost",   "setboard", "go",       "st",   "1",        "sd",     "3",   "quit"}));

  // With it: the same output once the mode's own lines are taken out.
  const Lines lines = SplitLines(extended.output);
  Lines rest;
  for (const std::string& line : lines) {
    if (IsExtraFeature(line) || line.rfind("pong ", 0) == 0 || std::regex_match(line, ThinkingLine)) continue;
    rest.push_back(line);
  }
  EXPECT_EQ(rest, plainLines);

  // The feature lines come before "feature done=1", in order.
  const int done = Find(lines, "feature done=1");
  ASSERT_GT(done, 0);
  EXPECT_EQ(Lines(lines.begin() + done - 6, lines.begin() + done), ExtraFeatures);
  // "pong" answers when every command before it has taken effect.
  const int pong7 = Find(lines, "pong 7");
  const int move1 = Find(lines, "move a1a8");
  const int result1 = Find(lines, "1-0 {Quillo mates 1}");
  const int pong8 = Find(lines, "pong 8");
  ASSERT_GE(pong7, 0);
  EXPECT_LT(pong7, move1);
  EXPECT_GT(pong8, result1);
  // Thinking lines while "post" is on: the mate in one shown as 100001, its move first.
  int thinking = 0;
  for (int i = pong7; i < move1; ++i) {
    if (!std::regex_match(lines[i], ThinkingLine)) continue;
    ++thinking;
    EXPECT_EQ(lines[i].substr(0, 9), "2 100001 ") << lines[i];
    EXPECT_EQ(lines[i].substr(lines[i].size() - 5), " a1a8") << lines[i];
  }
  EXPECT_GE(thinking, 1);
  // None after "nopost".
  for (int i = pong8; i < static_cast<int>(lines.size()); ++i) {
    EXPECT_FALSE(std::regex_match(lines[i], ThinkingLine)) << lines[i];
  }
  // "accepted" and its feature name are read together; "?" with nothing to hurry is ignored.
  EXPECT_EQ(Find(extended.log, "-M: tellusererror Illegal position"), -1);
}

TEST(ExtendedMode, MoveNowWhileThinking) {
  EngineSandbox sandbox;
  EngineSession session(sandbox, Extended);
  // About 25 seconds for the move, unless hurried.
  session.Send("xboard\nnew\nlevel 40 5 0\ntime 100000\notim 100000\ne2e4\n");
  ASSERT_GE(session.WaitForLog("M-WAIT "), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto asked = std::chrono::steady_clock::now();
  session.Send("?\n");
  const std::string move = session.NextOutputLine("move ", 5000);
  const auto answered = std::chrono::steady_clock::now();
  ASSERT_NE(move, "");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(answered - asked).count(), 1000);
  // A word that arrives while the engine thinks is run after the move.
  session.Send("force\nquit\n");
  EngineRun run = session.Finish();
  ExpectCleanExit(run);
  EXPECT_LT(FindLine(run.log, "::cmd:: ?"), FindLine(run.log, "move " + move.substr(5) + "\t"));
}

TEST(ExtendedMode, FixedTimeAndDepth) {
  EngineSandbox sandbox;
  {
    EngineSession session(sandbox, Extended);
    session.Send("xboard\nnew\nst 1\ne2e4\nping 3\n");
    const auto start = std::chrono::steady_clock::now();
    const std::string move = session.NextOutputLine("move ", 10000);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(move, "");
    EXPECT_GE(elapsed, 900);
    EXPECT_LT(elapsed, 3000);
    // The ping read while the engine thought is answered after its move.
    EXPECT_EQ(session.NextOutputLine("pong", 5000), "pong 3");
    session.Send("quit\n");
    ExpectCleanExit(session.Finish());
  }
  {
    // A 25-second budget, but the depth limit ends the search first.
    EngineRun run = sandbox.Run("xboard\nnew\npost\nsd 4\nlevel 40 5 0\ntime 100000\notim 100000\neasy\ne2e4\nquit\n",
                                20000, Extended);
    ExpectCleanExit(run);
    Lines depths;
    for (const std::string& line : SplitLines(run.output)) {
      if (std::regex_match(line, ThinkingLine)) depths.push_back(line.substr(0, line.find(' ')));
    }
    ASSERT_FALSE(depths.empty());
    EXPECT_EQ(depths.back(), "4");
    EXPECT_EQ(FindLine(run.log, "-E: 5:"), -1);
    EXPECT_EQ(SplitLines(run.output).back().rfind("move ", 0), 0u);
  }
}

}  // namespace
