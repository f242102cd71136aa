// Entry point of quillo-bench: dispatches to the command named by the first argument.
#include <cstdio>
#include <cstring>

#include "position/tables.h"
#include "programs/bench/bench.h"

namespace {
struct BenchCommand {
  const char* name;
  int (*run)(int, char**);
  const char* usage;
};

constexpr BenchCommand Commands[] = {
    {"perft", BenchPerft, "perft \"<FEN>\" <depth> [--divide]"},
    {"eval", BenchEval, "eval \"<FEN>\" [--terms]"},
    {"search", BenchSearch, "search \"<FEN>\" <depth>"},
    {"bench", BenchBench, "bench [depth]"},
    {"stop", BenchStop, "stop [delay_ms]"},
    {"san", BenchSan, "san \"<FEN>\" <text>"},
    {"epd", BenchEpd, "epd <file> <milliseconds>"},
};

int Usage() {
  std::fprintf(stderr, "usage: quillo-bench <command> [arguments]\n");
  for (const BenchCommand& c : Commands) std::fprintf(stderr, "  %s\n", c.usage);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  InitTables();
  for (const BenchCommand& c : Commands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
  }
  return Usage();
}
