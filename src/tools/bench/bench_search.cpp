#include <cstdio>

#include "tools/bench/bench.h"

int BenchSearch(int, char**) {
  std::fprintf(stderr, "search: not built yet\n");
  return 2;
}
