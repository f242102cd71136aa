// quillo-bench perft "<FEN>" <depth> [--divide]: counts the leaves of the legal move tree with
// the engine's own generators, make/unmake and legality test at every node, and reports the
// speed. With --divide it first prints the count below each legal root move.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/platform.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "programs/bench/bench.h"

namespace {

// Deepest accepted depth: far beyond anything that finishes, and well inside the ply frames and
// the game history.
constexpr int MaxPerftDepth = 64;
static_assert(MaxPerftDepth < PlyFrameCount && MaxPerftDepth < GameHistorySize);

int Usage() {
  std::fprintf(stderr, "usage: quillo-bench perft \"<FEN>\" <depth> [--divide]\n");
  return 2;
}

}  // namespace

int BenchPerft(int argc, char** argv) {
  const char* fen = nullptr;
  const char* depthText = nullptr;
  bool divide = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--divide") == 0) {
      divide = true;
    } else if (!fen) {
      fen = argv[i];
    } else if (!depthText) {
      depthText = argv[i];
    } else {
      std::fprintf(stderr, "perft: unexpected argument %s\n", argv[i]);
      return 2;
    }
  }
  if (!fen || !depthText) return Usage();

  char* end = nullptr;
  errno = 0;
  const long depth = std::strtol(depthText, &end, 10);
  if (errno != 0 || end == depthText || *end != '\0' || depth < 0 || depth > MaxPerftDepth) {
    std::fprintf(stderr, "perft: depth must be a number from 0 to %d: %s\n", MaxPerftDepth, depthText);
    return 2;
  }
  if (!SetupPosition(fen, false)) {
    std::fprintf(stderr, "perft: position rejected: %s\n", fen);
    return 2;
  }

  static PerftRootCount rootCounts[MaxListMoves];
  int rootCountSize = 0;
  const int32_t start = ClockMs();
  const uint64_t nodes = Perft(static_cast<int>(depth), divide ? rootCounts : nullptr, &rootCountSize);
  const int32_t elapsed = ClockMs() - start;

  for (int i = 0; i < rootCountSize; ++i) {
    char text[8];
    FormatCoordinateMove(text, rootCounts[i].move);
    std::printf("%s %" PRIu64 "\n", text, rootCounts[i].nodes);
  }
  const uint64_t nps = nodes * 1000 / static_cast<uint64_t>(elapsed > 0 ? elapsed : 1);
  std::printf("perft %ld nodes %" PRIu64 " time_ms %d nps %" PRIu64 "\n", depth, nodes, elapsed, nps);
  return 0;
}
