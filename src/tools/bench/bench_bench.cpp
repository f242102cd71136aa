#include <cstdio>

#include "tools/bench/bench.h"

int BenchBench(int, char**) {
  std::fprintf(stderr, "bench: not built yet\n");
  return 2;
}
