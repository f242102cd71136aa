// quillo-bench search, bench and stop: searches through SetupPosition and the real engine
// thread, reporting depth, score, nodes, speed and the principal variation.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/engine.h"
#include "notation/notation.h"
#include "position/position.h"
#include "search/search.h"
#include "programs/bench/bench.h"
#include "programs/bench/bench_positions.h"

namespace {

struct SearchOutcome {
  unsigned depth;
  int score;
  Move move;
  uint64_t nodes;
  int32_t timeMs;
};

// Searches the current position on the engine thread until it ends by itself (depth reached or
// mate found), or until stopAfterMs when that is not negative.
SearchOutcome SearchOnEngineThread(int depth, int32_t stopAfterMs = -1) {
  LaunchEngineThread();
  NodeCount = 0;
  const int32_t start = ClockMs();
  EngineMode = Thinking;
  StartEngine(depth);
  if (stopAfterMs >= 0 && !EngineStoppedEvent.WaitFor(static_cast<uint32_t>(stopAfterMs))) {
    StopEngine();
  } else {
    EngineStoppedEvent.Wait();
  }
  const int32_t end = ClockMs();
  EngineMode = Idle;
  return SearchOutcome{CompletedDepth, SearchResult.score, SearchResult.move, NodeCount, end - start};
}

uint64_t Nps(uint64_t nodes, int32_t ms) { return ms > 0 ? nodes * 1000 / static_cast<uint64_t>(ms) : nodes * 1000; }

bool ParseDepth(const char* text, int* depth) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != 0 || value < 1 || value > 127) return false;
  *depth = static_cast<int>(value);
  return true;
}

// Default depth of the bench: the whole list in roughly 10 to 30 seconds on one core.
constexpr int DefaultBenchDepth = 9;

}  // namespace

int BenchSearch(int argc, char** argv) {
  int depth = 0;
  if (argc != 2 || !ParseDepth(argv[1], &depth)) {
    std::fprintf(stderr, "usage: quillo-bench search \"<FEN>\" <depth 1..127>\n");
    return 2;
  }
  if (!SetupPosition(argv[0], false)) {
    std::fprintf(stderr, "search: position rejected: %s\n", argv[0]);
    return 2;
  }
  const SearchOutcome r = SearchOnEngineThread(depth);
  char move[8], pv[1024];
  FormatCoordinateMove(move, r.move);
  FormatPrincipalVariation(pv, static_cast<int>(r.depth));
  std::printf("depth %u score %d nodes %" PRIu64 " time_ms %d nps %" PRIu64 " bestmove %s pv %s\n", r.depth, r.score,
              r.nodes, r.timeMs, Nps(r.nodes, r.timeMs), move, pv);
  ShutdownEngine();
  return 0;
}

int BenchBench(int argc, char** argv) {
  int depth = DefaultBenchDepth;
  if (argc > 1 || (argc == 1 && !ParseDepth(argv[0], &depth))) {
    std::fprintf(stderr, "usage: quillo-bench bench [depth 1..127]\n");
    return 2;
  }
  uint64_t totalNodes = 0;
  int32_t totalMs = 0;
  int index = 0;
  for (const char* fen : BenchPositions) {
    ++index;
    if (!SetupPosition(fen, false)) {
      std::fprintf(stderr, "bench: position rejected: %s\n", fen);
      return 2;
    }
    const SearchOutcome r = SearchOnEngineThread(depth);
    char move[8];
    FormatCoordinateMove(move, r.move);
    std::printf("position %d depth %u score %d nodes %" PRIu64 " time_ms %d bestmove %s\n", index, r.depth, r.score,
                r.nodes, r.timeMs, move);
    std::fflush(stdout);
    totalNodes += r.nodes;
    totalMs += r.timeMs;
  }
  std::printf("bench nodes %" PRIu64 " time_ms %d nps %" PRIu64 "\n", totalNodes, totalMs, Nps(totalNodes, totalMs));
  ShutdownEngine();
  return 0;
}

int BenchStop(int argc, char** argv) {
  // Starts an unlimited search on each bench position, raises the stop after a delay and
  // measures how long the engine thread takes to go idle.
  int32_t delayMs = 300;
  if (argc == 1) delayMs = std::atoi(argv[0]);
  if (argc > 1 || delayMs < 0) {
    std::fprintf(stderr, "usage: quillo-bench stop [delay_ms]\n");
    return 2;
  }
  int32_t worst = 0;
  int index = 0;
  for (const char* fen : BenchPositions) {
    ++index;
    if (!SetupPosition(fen, false)) return 2;
    LaunchEngineThread();
    EngineMode = Thinking;
    StartEngine(128);
    if (EngineStoppedEvent.WaitFor(static_cast<uint32_t>(delayMs))) {
      std::printf("position %d ended by itself\n", index);
      continue;
    }
    const int32_t raised = ClockMs();
    StopEngine();
    const int32_t latency = ClockMs() - raised;
    if (latency > worst) worst = latency;
    std::printf("position %d stop_latency_ms %d depth %u\n", index, latency, CompletedDepth);
  }
  std::printf("stop worst_latency_ms %d\n", worst);
  ShutdownEngine();
  return 0;
}
