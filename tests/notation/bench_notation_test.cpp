// quillo-bench san and quillo-bench epd, run as the user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct BenchRun {
  int exitCode;
  std::string output;  // standard output and standard error
};

BenchRun RunBench(const std::string& arguments) {
  const std::string command = std::string(QUILLO_BENCH_PATH) + " " + arguments + " 2>&1";
  BenchRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string LastLine(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  return lines.empty() ? "" : lines.back();
}

TEST(BenchSan, LastLineIsTheMoveAndItsKindOrNone) {
  struct Case {
    const char* fen;
    const char* text;
    const char* last;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "Nf3", "g1f3 0"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "exd6", "e5d6 2"},
      {"3n4/4P3/8/8/8/8/k7/4K3 w - -", "exd8=N+", "e7d8n 9"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "O-O-O", "e8c8 14"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", "O-O", "none"},
      {"4k3/8/8/8/8/8/3N3N/2K5 w - -", "Nf3", "none"},
  };
  for (const Case& c : cases) {
    const BenchRun run = RunBench(std::string("san \"") + c.fen + "\" \"" + c.text + "\"");
    EXPECT_EQ(run.exitCode, 0) << c.text;
    EXPECT_EQ(LastLine(run.output), c.last) << c.text << "\n" << run.output;
  }
  // A move that only one piece can make comes back untested: the command says it is not legal.
  const BenchRun pinned = RunBench("san \"4k3/4r3/8/8/8/8/4N3/4K3 w - -\" Nf4");
  EXPECT_EQ(pinned.output, "legal no\ne2f4 0\n");
  EXPECT_EQ(RunBench("san \"not a position\" e4").exitCode, 2);
  EXPECT_EQ(RunBench("san").exitCode, 2);
}

TEST(BenchEpd, RunsASuiteAndCountsWhatItSolves) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("quillo_epd_test_" + std::to_string(getpid()) + ".epd");
  {
    std::ofstream out(path);
    out << "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#; id \"mate in one\";\n"
           "4k3/8/8/3q4/8/8/8/3RK3 w - - bm Kf2 Rxd5; id \"winning capture\";\n"
           "\n"
           "4k3/3r4/8/3p4/8/8/8/3QK3 w - - am Qxd5; id \"poisoned pawn\";\r\n"
           "this is no position bm e4; id \"no position\";\n"
           "4k3/8/8/8/8/8/8/4K3 w - - bm Zz9; id \"unreadable move\";\n"
           "4k3/8/8/8/8/8/8/4K3 w - - bm Ke2 Ke9; id \"unreadable second move\";\n"
           "7k/8/6K1/8/8/8/8/R7 w - - bm Ra8#;\n";
  }
  const BenchRun run = RunBench("epd " + path.string() + " 300");
  std::filesystem::remove(path);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_FALSE(lines.empty());
  const std::string& last = lines.back();
  EXPECT_EQ(last.rfind("epd solved 4 of 7 time_ms ", 0), 0u) << run.output;
  const int totalMs = std::stoi(last.substr(last.rfind(' ') + 1));
  EXPECT_GT(totalMs, 0);
  EXPECT_LT(totalMs, 4 * 300 + 2000) << "four searches of 300 ms";

  auto lineOf = [&](const std::string& id) {
    for (const std::string& line : lines) {
      if (line.rfind(id + " ", 0) == 0) return line;
    }
    return std::string("(no line for " + id + ")");
  };
  EXPECT_EQ(lineOf("mate in one").rfind("mate in one move a1a8 bm Ra8# solved depth ", 0), 0u) << run.output;
  EXPECT_EQ(lineOf("winning capture").rfind("winning capture move d1d5 bm Kf2 Rxd5 solved depth ", 0), 0u)
      << run.output;
  EXPECT_NE(lineOf("poisoned pawn").find(" am Qxd5 solved depth "), std::string::npos) << run.output;
  EXPECT_EQ(lineOf("poisoned pawn").find("move d1d5"), std::string::npos) << run.output;
  EXPECT_EQ(lineOf("no position"), "no position setup failed unsolved");
  EXPECT_EQ(lineOf("unreadable move"), "unreadable move setup failed unsolved");
  EXPECT_EQ(lineOf("unreadable second move"), "unreadable second move cannot read move Ke9 unsolved");
  EXPECT_EQ(lineOf("line 8").rfind("line 8 move a1a8 bm Ra8# solved", 0), 0u) << run.output;  // no id: the line number
  EXPECT_NE(run.output.find("Warning cannot recognize move: Zz9\r\n"), std::string::npos);

  EXPECT_EQ(RunBench("epd " + path.string() + " 300").exitCode, 2);  // the file is gone
  EXPECT_EQ(RunBench("epd /dev/null 0").exitCode, 2);
  EXPECT_EQ(LastLine(RunBench("epd /dev/null 10").output), "epd solved 0 of 0 time_ms 0");
}

}  // namespace
