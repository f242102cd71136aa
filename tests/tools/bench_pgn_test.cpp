// Writes the PGN file for measuring the conversions' speed (not a check, hence disabled):
//   QUILLO_BENCH_PGN=games.pgn QUILLO_BENCH_GAMES=10000 test-tools
//     --gtest_also_run_disabled_tests --gtest_filter='*WriteBenchmarkPgn'
// then time "quillo-games pgn2game games.pgn games.game" and "quillo-games game2pos ...".
// The games are legal random games of 40 to 200 plies in SAN, the same for the same count.
#include <cstdlib>

#include "tools/games_support.h"

namespace {

TEST(BenchmarkInput, DISABLED_WriteBenchmarkPgn) {
  const char* path = std::getenv("QUILLO_BENCH_PGN");
  const char* count = std::getenv("QUILLO_BENCH_GAMES");
  ASSERT_NE(path, nullptr);
  const int games = count != nullptr ? std::atoi(count) : 10000;
  SetUpInitialPosition();
  std::mt19937 rng(12345);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int i = 0; i < games; ++i) {
    out << "[Event \"bench " << i + 1 << "\"]\n";
    out << PgnOf(PlayRandomTextGame(rng, 40 + static_cast<int>(rng() % 161)));
  }
  ASSERT_TRUE(out.good());
}

}  // namespace
