// The search over a table that holds the book: book slots give their move and nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::filesystem::path LogPath = std::filesystem::absolute("Quillo.log");

constexpr Move Q(Square from, Square to) { return BuildMove(from, to, Quiet); }

// Lines whose positions the search meets at every depth of a short search from the start.
const std::vector<std::vector<Move>> Lines = {
    {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6), Q(F1, B5), Q(A7, A6)},
    {Q(E2, E4), Q(C7, C5), Q(G1, F3), Q(D7, D6), Q(D2, D4)},
    {Q(D2, D4), Q(D7, D5), Q(C2, C4), Q(E7, E6), Q(B1, C3), Q(G8, F6)},
    {Q(D2, D4), Q(G8, F6), Q(C2, C4), Q(E7, E6)},
    {Q(G1, F3), Q(D7, D5), Q(G2, G3)},
    {Q(C2, C4), Q(E7, E5), Q(B1, C3)},
    {Q(E2, E4), Q(E7, E6), Q(D2, D4), Q(D7, D5)},
    {Q(B1, C3), Q(G8, F6)},
};

// Lines of three plies from every first move of White: each ends in a position with White to
// move that holds a book move, so every reply the search tries at depth 2 can meet one.
std::vector<std::vector<Move>> EveryFirstMove() {
  std::vector<std::vector<Move>> lines;
  Move first[MaxListMoves], second[MaxListMoves], third[MaxListMoves];
  ScoredMove scratch[MaxListMoves];
  PlyFrame frames[3]{};
  const int n = GenerateLegalMoves(first, scratch, &frames[0]);
  for (int i = 0; i < n; ++i) {
    MakeMove(first[i], &frames[0]);
    GenerateLegalMoves(second, scratch, &frames[1]);
    MakeMove(second[0], &frames[1]);
    GenerateLegalMoves(third, scratch, &frames[2]);
    lines.push_back({first[i], second[0], third[0]});
    UnmakeMove(second[0], &frames[1]);
    UnmakeMove(first[i], &frames[0]);
  }
  return lines;
}

std::string BookBytes() {
  std::vector<std::vector<Move>> all = EveryFirstMove();
  all.insert(all.end(), Lines.begin(), Lines.end());
  std::string bytes = std::to_string(all.size()) + "\n";
  for (const auto& line : all) {
    bytes.push_back(static_cast<char>(line.size()));
    for (Move m : line) {
      bytes.push_back(static_cast<char>(m & 0xFF));
      bytes.push_back(static_cast<char>(m >> 8));
    }
  }
  return bytes;
}

struct Iteration {
  int depth;
  int score;
};

// Searches the position on the board to depth on this thread; returns the log's iterations.
std::vector<Iteration> SearchLogged(unsigned depth) {
  std::ifstream before(LogPath, std::ios::ate);
  const std::streamoff start = before ? static_cast<std::streamoff>(before.tellg()) : 0;
  MaxSearchDepth = depth;
  StopFlag = 0;
  IterativeDeepening();
  std::ifstream log(LogPath);
  log.seekg(start);
  std::vector<Iteration> iterations;
  for (std::string line; std::getline(log, line);) {
    // "-E: depth:\tscore\tline"
    if (line.rfind("-E: ", 0) != 0 || line.find(":\t") == std::string::npos) continue;
    std::istringstream fields(line.substr(4));
    Iteration it{};
    char colon = 0;
    if (fields >> it.depth >> colon >> it.score && colon == ':') iterations.push_back(it);
  }
  return iterations;
}

TEST(BookSearch, BookSlotsLendTheSearchNoScore) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillo-book-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  const std::string path = (dir / "search.book").string();
  ASSERT_TRUE(SetupPosition(StartFen, false));
  {
    std::ofstream file(path, std::ios::binary);
    const std::string bytes = BookBytes();
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  constexpr unsigned Depth = 5;
  ASSERT_TRUE(SetupPosition(StartFen, false));
  const std::vector<Iteration> plain = SearchLogged(Depth);
  const int plainScore = SearchResult.score;

  ASSERT_TRUE(SetupPosition(StartFen, false));
  ASSERT_TRUE(LoadOpeningBook(path.c_str()));
  const std::vector<Iteration> booked = SearchLogged(Depth);
  const int bookedScore = SearchResult.score;

  ASSERT_EQ(booked.size(), plain.size());
  ASSERT_EQ(booked.back().depth, static_cast<int>(Depth));
  for (size_t i = 0; i < booked.size(); ++i) {
    SCOPED_TRACE(booked[i].depth);
    EXPECT_LT(booked[i].score, MateThreshold);
    EXPECT_GT(booked[i].score, -MateThreshold);
    // Book moves only reorder moves; every iteration keeps the score of the empty table.
    EXPECT_EQ(booked[i].score, plain[i].score);
  }
  EXPECT_EQ(bookedScore, plainScore);

  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

}  // namespace
