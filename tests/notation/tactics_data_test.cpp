// The suite tests/data/tactics.epd: every line sets up, and its "bm" text reads as the legal move
// that starts the outside engine's line recorded in its comment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "movegen/movegen.h"
#include "notation/notation.h"

namespace {

TEST(TacticsSuite, EveryBestMoveIsTheLegalMoveTheOracleChose) {
  const std::filesystem::path path = std::filesystem::path(__FILE__).parent_path().parent_path() / "data/tactics.epd";
  std::ifstream file(path);
  ASSERT_TRUE(file) << path;
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static PlyFrame frame;
  int lines = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty()) continue;
    ++lines;
    SCOPED_TRACE(line);
    ASSERT_TRUE(SetupPosition(line.c_str(), false));
    const size_t bm = line.find(" bm "), end = line.find(';', bm);
    const size_t pv = line.find(" pv ");
    ASSERT_TRUE(bm != std::string::npos && end != std::string::npos && pv != std::string::npos);
    const std::string san = line.substr(bm + 4, end - bm - 4);
    const std::string oracle = line.substr(pv + 4, line.find_first_of(" \"", pv + 4) - pv - 4);
    const Move move = ParseSanMove(san.c_str());
    char text[8];
    FormatCoordinateMove(text, move);
    EXPECT_EQ(text, oracle);
    EXPECT_EQ(Pos.epdBestMove, move);
    const int count = GenerateLegalMoves(legal, scratch, &frame);
    EXPECT_NE(std::find(legal, legal + count, move), legal + count) << san;
  }
  EXPECT_GE(lines, 36);
}

}  // namespace
