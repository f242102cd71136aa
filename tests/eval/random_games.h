// Random legal games for the evaluation tests: positions of every phase, reached by real moves
// so that the pawn key, the counters and the boards are those the search would see.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>

#include "movegen/movegen.h"
#include "position/position.h"
#include "programs/bench/random_games.h"

namespace eval_test {

#ifdef NDEBUG
inline constexpr int RandomGameCount = 400;
#else
inline constexpr int RandomGameCount = 40;  // sanitizer builds are far slower
#endif
inline constexpr int RandomGamePlies = 128;  // fewer than the search's ply frames

inline const char* const RandomGameStarts[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "2kr3r/ppp2ppp/2n5/8/8/5N2/PPP2PPP/2KR3R w - -",
};

// Plays games random legal games (cycling through RandomGameStarts, each from a fresh setup)
// of at most RandomGamePlies plies, and calls visit on every position reached. Captures are
// preferred half of the time so that the games run down into endgames.
inline void PlayRandomGames(int games, uint32_t seed, const std::function<void()>& visit) {
  std::mt19937 rng(seed);
  for (int game = 0; game < games; ++game) {
    const char* start = RandomGameStarts[game % std::size(RandomGameStarts)];
    if (!SetupPosition(start, false)) {
      ADD_FAILURE() << "setup rejected " << start;
      return;
    }
    PlayRandomGame(rng, RandomGamePlies, visit);
  }
}
}  // namespace eval_test
