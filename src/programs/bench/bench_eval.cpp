// quillo-bench eval "<FEN>" [--terms]: the static evaluation of one position, optionally with the
// contribution of every term from White's view.
// quillo-bench eval --speed [games]: evaluations per second over the positions of random games,
// with the pawn cache warm (every structure already stored) and cold (every lookup misses).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "eval/eval.h"
#include "frontend/platform.h"
#include "movegen/movegen.h"
#include "programs/bench/bench.h"
#include "programs/bench/random_games.h"

namespace {

// Collects the positions of random legal games from the start position, captures preferred
// half of the time so that every phase is represented.
std::vector<Position> RandomGamePositions(int games) {
  std::vector<Position> positions;
  std::mt19937 rng(12345);
  for (int game = 0; game < games; ++game) {
    SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false);
    PlayRandomGame(rng, 120, [&] { positions.push_back(Pos); });
  }
  return positions;
}

// Milliseconds for rounds passes over the positions; with cold, each position's cache entry is
// emptied just before it is evaluated; with evaluate false only the copying is timed.
int32_t TimePasses(const std::vector<Position>& positions, int rounds, bool cold, bool evaluate, long& sink) {
  const int32_t start = ClockMs();
  for (int round = 0; round < rounds; ++round) {
    for (const Position& p : positions) {
      Pos = p;
      if (cold) PawnHashTable[Pos.pawnKey & (PawnHashSize - 1)] = 0;
      sink += evaluate ? Evaluate() : Pos.materialTotal;
    }
  }
  return ClockMs() - start;
}

int SpeedTest(int games) {
  const std::vector<Position> positions = RandomGamePositions(games);
  const int count = static_cast<int>(positions.size());
  long sink = 0;
  ClearPawnHashTable();
  TimePasses(positions, 1, false, true, sink);  // fills the cache
  int rounds = 1;
  while (TimePasses(positions, rounds, false, true, sink) < 300) rounds *= 2;
  const int32_t copyMs = TimePasses(positions, rounds, false, false, sink);
  const int32_t warmMs = TimePasses(positions, rounds, false, true, sink);
  const int32_t coldMs = TimePasses(positions, rounds, true, true, sink);
  const double evaluations = static_cast<double>(count) * rounds;
  auto rate = [&](int32_t ms) { return ms - copyMs > 0 ? evaluations * 1000.0 / (ms - copyMs) : 0.0; };
  std::printf("positions %d rounds %d (copying a position: %d ms in all, subtracted)\n", count, rounds, copyMs);
  std::printf("warm cache: %d ms, %.0f evaluations per second\n", warmMs, rate(warmMs));
  std::printf("cold cache: %d ms, %.0f evaluations per second\n", coldMs, rate(coldMs));
  std::printf("checksum %ld\n", sink);
  return 0;
}
}  // namespace

int BenchEval(int argc, char** argv) {
  if (argc >= 1 && std::strcmp(argv[0], "--speed") == 0) {
    const int games = argc >= 2 ? std::atoi(argv[1]) : 50;
    if (games <= 0 || games > 100000) {
      std::fprintf(stderr, "eval: --speed takes a number of games from 1 to 100000\n");
      return 2;
    }
    return SpeedTest(games);
  }
  const char* fen = nullptr;
  bool showTerms = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--terms") == 0) {
      showTerms = true;
    } else if (!fen) {
      fen = argv[i];
    } else {
      std::fprintf(stderr, "eval: unexpected argument %s\n", argv[i]);
      return 2;
    }
  }
  if (!fen) {
    std::fprintf(stderr, "usage: quillo-bench eval \"<FEN>\" [--terms]\n");
    return 2;
  }
  if (!SetupPosition(fen, false)) {
    std::fprintf(stderr, "eval: position rejected: %s\n", fen);
    return 2;
  }
  if (whiteKingSquare == NoKing || blackKingSquare == NoKing) {
    std::fprintf(stderr, "eval: the position needs both kings: %s\n", fen);
    return 2;
  }

  if (!showTerms) {
    std::printf("eval %d\n", Evaluate());
    return 0;
  }
  EvalTerms t;
  const int score = EvaluateTerms(t);
  if (t.insufficientMaterial) std::printf("insufficient material: no pawns, materialTotal %d\n", Pos.materialTotal);
  std::printf("king tables %d\n", t.kingTables);
  std::printf("shelter %d\n", t.shelter);
  std::printf("pawn structure %d\n", t.pawnStructure);
  std::printf("knights %d\n", t.knights);
  std::printf("bishops %d\n", t.bishops);
  std::printf("rooks %d\n", t.rooks);
  std::printf("queens %d\n", t.queens);
  std::printf("imbalance %d\n", t.imbalance);
  std::printf("attack product %d\n", t.attackProduct);
  std::printf("material total %d\n", Pos.materialTotal);
  std::printf("king file counts white %d black %d\n", t.whiteKingFileCount, t.blackKingFileCount);
  std::printf("tropism white %d black %d\n", t.whiteTropism, t.blackTropism);
  std::printf("eval %d\n", score);
  return 0;
}
