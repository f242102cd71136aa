// quillo-bench eval: the score line, the term breakdown and the refusal of a bad position.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct BenchRun {
  int exitCode;
  std::string output;  // standard output and standard error
};

BenchRun RunBenchEval(const std::string& arguments) {
  const std::string command = std::string(QUILLO_BENCH_PATH) + " eval " + arguments + " 2>&1";
  BenchRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(BenchEval, PrintsTheScoreFromTheSideToMove) {
  BenchRun white = RunBenchEval("\"4k3/8/8/8/8/8/8/R3K3 w - -\"");
  EXPECT_EQ(white.exitCode, 0);
  EXPECT_EQ(white.output, "eval 612\n");
  BenchRun black = RunBenchEval("\"4k3/8/8/8/8/8/8/R3K3 b - -\"");
  EXPECT_EQ(black.output, "eval -612\n");
}

TEST(BenchEval, TermsComeFirstFromWhitesView) {
  BenchRun run = RunBenchEval("\"4k3/8/8/2nb4/8/8/4P3/R3K3 b - -\" --terms");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output,
            "king tables 0\n"
            "shelter 0\n"
            "pawn structure 92\n"
            "knights -320\n"
            "bishops -327\n"
            "rooks 512\n"
            "queens 0\n"
            "imbalance -100\n"
            "attack product 0\n"
            "material total 12\n"
            "king file counts white 0 black 0\n"
            "tropism white 0 black 2\n"
            "eval 143\n");
}

TEST(BenchEval, RejectedPositionExitsWith2) {
  for (const char* arguments : {"\"not a position\"", "\"4k3/8/8/8/8/8/8/8 w - -\"", ""}) {
    BenchRun run = RunBenchEval(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_NE(run.output.rfind("eval ", 0), 0u) << run.output;
    EXPECT_EQ(run.output.find("\neval "), run.output.npos) << run.output;
    EXPECT_FALSE(run.output.empty()) << "an error line is expected";
  }
}
}  // namespace
