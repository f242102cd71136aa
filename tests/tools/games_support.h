// Helpers for the game-database tests: random legal games written as SAN, PGN text built from
// them, files in a scratch directory, captured standard output, GameFile bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "support/position_compare.h"
#include "support/san_writer.h"
#include "tools/gamedb.h"

inline constexpr const char* InitialFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

struct TextGame {
  std::vector<Move> moves;
  std::vector<std::string> san;
  std::string result;  // "1-0", "0-1" or "1/2-1/2"
};

// Plays a random legal game of up to plies plies from the live position (fewer when it ends in
// mate or stalemate) and takes it back; the moves and their SAN texts are returned.
inline TextGame PlayRandomTextGame(std::mt19937& rng, int plies) {
  static PlyFrame frames[1400];
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static const char* const Results[3] = {"1-0", "0-1", "1/2-1/2"};
  TextGame game;
  game.result = Results[rng() % 3];
  if (plies > 1400) plies = 1400;
  for (int ply = 0; ply < plies; ++ply) {
    const int count = GenerateLegalMoves(legal, scratch, &frames[ply]);
    if (count == 0) break;
    const Move move = legal[rng() % count];
    game.san.push_back(WriteSan(move));
    game.moves.push_back(move);
    SaveForMake(&frames[ply]);
    MakeMove(move, &frames[ply]);
  }
  for (int ply = static_cast<int>(game.moves.size()) - 1; ply >= 0; --ply) UnmakeMove(game.moves[ply], &frames[ply]);
  return game;
}

// A random game of exactly plies plies (retried until no mate or stalemate cuts it short).
inline TextGame PlayRandomTextGameOfLength(std::mt19937& rng, int plies) {
  for (;;) {
    TextGame game = PlayRandomTextGame(rng, plies);
    if (static_cast<int>(game.moves.size()) == plies) return game;
  }
}

// Move text of a game: move numbers, SAN moves, the result.
inline std::string MoveText(const TextGame& game) {
  std::string text;
  for (size_t i = 0; i < game.san.size(); ++i) {
    if (i % 2 == 0) text += std::to_string(i / 2 + 1) + ". ";
    text += game.san[i] + ((i % 8 == 7) ? "\n" : " ");
  }
  return text + game.result;
}

// A whole PGN game with a few tags and a blank line after it.
inline std::string PgnOf(const TextGame& game) {
  return "[Event \"test\"]\n[Site \"here\"]\n[Result \"" + game.result + "\"]\n\n" + MoveText(game) + "\n\n";
}

// The GameFile words of a game: header, then its moves.
inline std::vector<uint16_t> GameWords(uint16_t resultBits, const std::vector<Move>& moves) {
  std::vector<uint16_t> words{static_cast<uint16_t>(resultBits | moves.size())};
  words.insert(words.end(), moves.begin(), moves.end());
  return words;
}

inline uint16_t ResultBitsOfText(const std::string& result) {
  return result == "1-0" ? ResultWhiteWins : result == "0-1" ? ResultBlackWins : ResultDraw;
}

inline std::string WordsToBytes(const std::vector<uint16_t>& words) {
  return std::string(reinterpret_cast<const char*>(words.data()), words.size() * 2);
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A scratch directory removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-games-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The full name of a file in the directory.
  std::string operator/(const std::string& name) const { return (dir_ / name).string(); }
  const std::filesystem::path& Path() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

// What f printed on standard output.
template <typename F>
std::string CapturedOutput(F&& f) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  try {
    f();
  } catch (...) {
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    throw;
  }
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Sets up the initial position with the tools' frame bookkeeping as a conversion finds it.
inline void SetUpInitialPosition() {
  ASSERT_TRUE(SetupPosition(InitialFen, false));
  Pos.currentFrame = &PlyFrames[0];
}

// Reads one game from text; *printed receives what the reader printed.
inline uint16_t ReadGameFromText(const std::string& text, GameRecord& record, std::string* printed = nullptr) {
  std::istringstream in(text);
  uint16_t code = 0;
  const std::string out = CapturedOutput([&] { code = ReadPgnGame(record, in); });
  if (printed != nullptr) *printed = out;
  return code;
}

inline std::vector<Move> StoredMoves(const GameRecord& record) {
  return std::vector<Move>(record.gameMoves, record.gameMoves + GamePlies(record));
}

// The directory of the committed fixtures.
inline std::filesystem::path FixtureDir() { return std::filesystem::path(__FILE__).parent_path() / "data"; }
