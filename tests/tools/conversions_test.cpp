// The GameFile and the four conversions on files: messages, stored bytes, round trips, the
// faults of damaged files, and the stored-game index.
#include <algorithm>
#include <cinttypes>

#include "notation/notation.h"
#include "tools/games_support.h"

namespace {

constexpr Move E2E4 = BuildMove(E2, E4, Quiet), E7E5 = BuildMove(E7, E5, Quiet), G1F3 = BuildMove(G1, F3, Quiet);

class Conversions : public testing::Test {
 protected:
  void SetUp() override {
    SetUpInitialPosition();
    initial_ = Pos;
  }
  void ExpectInitialPosition() const {
    EXPECT_TRUE(SamePosition(Pos, initial_));
    EXPECT_TRUE(PositionIsConsistent());
  }
  std::string PgnToGameOutput(const std::string& pgn, const std::string& game, int* counter = nullptr) {
    int local = 0;
    return CapturedOutput([&] { PgnToGame(pgn.c_str(), game.c_str(), counter ? *counter : local); });
  }
  ScratchDir dir_;
  Position initial_;
};

const char* const ThreeGames =
    "[Event \"a\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 1-0\n\n"
    "[Event \"b\"]\n[Result \"0-1\"]\n\n1. d4 d5 2. c4 e6 0-1\n\n"
    "[Event \"c\"]\n[Result \"1/2-1/2\"]\n\n1. Nf3 1/2-1/2\n";

std::string ThreeGamesBytes() {
  return WordsToBytes(GameWords(ResultWhiteWins, {E2E4, E7E5, G1F3})) +
         WordsToBytes(GameWords(ResultBlackWins, {BuildMove(D2, D4, Quiet), BuildMove(D7, D5, Quiet),
                                                  BuildMove(C2, C4, Quiet), BuildMove(E7, E6, Quiet)})) +
         WordsToBytes(GameWords(ResultDraw, {G1F3}));
}

TEST_F(Conversions, PgnToGameStoresEachGameOnce) {
  WriteFileBytes(dir_ / "in.pgn", ThreeGames);
  int counter = 5;
  EXPECT_EQ(PgnToGameOutput(dir_ / "in.pgn", dir_ / "out.game", &counter),
            "converted: 3 games. (skipped: 0)\nfile: " + (dir_ / "in.pgn") + " \t\tfinished\n");
  EXPECT_EQ(counter, 8);
  EXPECT_EQ(ReadFileBytes(dir_ / "out.game"), ThreeGamesBytes());
  ExpectInitialPosition();

  // The second run finds every game stored.
  const std::string name = dir_ / "in.pgn";
  EXPECT_EQ(PgnToGameOutput(name, dir_ / "out.game"),
            "Warning: game 1 (skipped) file: " + name + "\nWarning: game 2 (skipped) file: " + name +
                "\nWarning: game 3 (skipped) file: " + name + "\nconverted: 0 games. (skipped: 3)\nfile: " + name +
                " \t\tfinished\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "out.game"), ThreeGamesBytes());
}

TEST_F(Conversions, SameMovesWithAnotherResultAreAnotherGame) {
  WriteFileBytes(dir_ / "in.pgn",
                 "[Result \"1-0\"]\n1. e4 e5 1-0\n[Result \"0-1\"]\n1. e4 e5 0-1\n[Result \"1-0\"]\n1. e4 e5 1-0\n");
  const std::string out = PgnToGameOutput(dir_ / "in.pgn", dir_ / "out.game");
  EXPECT_NE(out.find("Warning: game 3 (skipped)"), std::string::npos);
  EXPECT_NE(out.find("converted: 2 games. (skipped: 1)"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir_ / "out.game"), WordsToBytes(GameWords(ResultWhiteWins, {E2E4, E7E5})) +
                                                  WordsToBytes(GameWords(ResultBlackWins, {E2E4, E7E5})));
}

TEST_F(Conversions, ErrorEndsTheFileAndKeepsTheGamesBefore) {
  WriteFileBytes(dir_ / "in.pgn", std::string(ThreeGames) + "[Result \"1-0\"]\n1. e4 e5 2. Ke3 1-0\n" + ThreeGames);
  const std::string out = PgnToGameOutput(dir_ / "in.pgn", dir_ / "out.game");
  EXPECT_NE(out.find("move: Ke3, plyNo:3\nconverted: 3 games. (skipped: 0)\nERROR: MOVE NOT LEGAL 1 file: " +
                     (dir_ / "in.pgn") + "\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(ReadFileBytes(dir_ / "out.game"), ThreeGamesBytes());
  ExpectInitialPosition();
}

TEST_F(Conversions, OpenFailures) {
  const std::string missing = dir_ / "missing";
  const std::string inDir = dir_ / "sub";
  std::filesystem::create_directory(inDir);
  WriteFileBytes(dir_ / "in.pgn", ThreeGames);
  WriteFileBytes(dir_ / "g.game", ThreeGamesBytes());
  int counter = 0;
  EXPECT_EQ(CapturedOutput([&] { PgnToGame(missing.c_str(), "x.game", counter); }),
            "Cannot open PGN input file: '" + missing + "'\n");
  EXPECT_EQ(CapturedOutput([&] { PgnToGame((dir_ / "in.pgn").c_str(), inDir.c_str(), counter); }),
            "Cannot create GAME output file: '" + inDir + "'\n");
  EXPECT_EQ(CapturedOutput([&] { PgnListToGame(missing.c_str(), "x.game"); }),
            "Cannot open PGN input file: '" + missing + "'\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPgn(missing.c_str(), "x.pgn"); }),
            "Cannot open GAME input file: '" + missing + "'\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPgn((dir_ / "g.game").c_str(), inDir.c_str()); }),
            "Cannot create PGN output file: '" + inDir + "'\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPositions(missing.c_str(), "x.pos"); }),
            "Cannot open GAME input file: '" + missing + "'\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPositions((dir_ / "g.game").c_str(), inDir.c_str()); }),
            "Cannot create DB output file: '" + inDir + "'\n");
}

TEST_F(Conversions, GameToPgnWritesCoordinateMovesAndAppends) {
  WriteFileBytes(dir_ / "g.game", ThreeGamesBytes());
  WriteFileBytes(dir_ / "out.pgn", "kept\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPgn((dir_ / "g.game").c_str(), (dir_ / "out.pgn").c_str()); }),
            "OK\nconverted: 3 games.\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "out.pgn"),
            "kept\n[Result \"1-0\"]\n1. e2e4 e7e5 2. g1f3 1-0\n[Result \"0-1\"]\n1. d2d4 d7d5 2. c2c4 e7e6 0-1\n"
            "[Result \"1/2-1/2\"]\n1. g1f3 1/2-1/2\n");
}

TEST_F(Conversions, DamagedGameFiles) {
  const std::string good = ThreeGamesBytes();
  struct Case {
    const char* name;
    std::string bytes;
    const char* output;
  } cases[] = {
      {"cut-short last game", good + WordsToBytes({0x8005, 0x0334}), "OK\nconverted: 3 games.\n"},
      {"odd byte at the end", good + "\x01", "OK\nconverted: 3 games.\n"},
      {"result bits 00", good + WordsToBytes({0x0001, E2E4}) + good, "ERROR: WRONG RESULT\nconverted: 3 games.\n"},
      {"more plies than a game holds", good + WordsToBytes({0xBFFF, E2E4}) + std::string(40000, '\0'),
       "ERROR: GAME TOO LONG\nconverted: 3 games.\n"},
      {"1024 plies", good + WordsToBytes(GameWords(ResultDraw, std::vector<Move>(1024, E2E4))),
       "ERROR: GAME TOO LONG\nconverted: 3 games.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(dir_ / "g.game", c.bytes);
    std::filesystem::remove(dir_ / "out.pgn");
    EXPECT_EQ(CapturedOutput([&] { GameToPgn((dir_ / "g.game").c_str(), (dir_ / "out.pgn").c_str()); }), c.output);
    const std::string pgn = ReadFileBytes(dir_ / "out.pgn");
    EXPECT_EQ(std::count(pgn.begin(), pgn.end(), '\n'), 6);
    EXPECT_EQ(CapturedOutput([&] { GameToPositions((dir_ / "g.game").c_str(), (dir_ / "out.pos").c_str()); }),
              c.output);
    ExpectInitialPosition();
  }
}

// A cut-short GameFile is left alone: games appended after the fragment would read back as
// garbage.
TEST_F(Conversions, CutShortGameFileIsNotAppendedTo) {
  const std::string damaged = ThreeGamesBytes() + WordsToBytes({0x8005, 0x0334});
  WriteFileBytes(dir_ / "g.game", damaged);
  WriteFileBytes(dir_ / "in.pgn", "[Result \"1-0\"]\n1. d4 1-0\n");
  EXPECT_EQ(
      PgnToGameOutput(dir_ / "in.pgn", dir_ / "g.game"),
      "converted: 0 games. (skipped: 0)\nERROR: GAME FILE ENDS IN A CUT-SHORT GAME file: " + (dir_ / "in.pgn") + "\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "g.game"), damaged);
  // A stored game with result bits 00 ends the conversion the same way.
  WriteFileBytes(dir_ / "g.game", WordsToBytes({0x0001, E2E4}));
  EXPECT_EQ(PgnToGameOutput(dir_ / "in.pgn", dir_ / "g.game"),
            "converted: 0 games. (skipped: 0)\nERROR: WRONG RESULT file: " + (dir_ / "in.pgn") + "\n");
}

TEST_F(Conversions, PositionListLines) {
  WriteFileBytes(dir_ / "g.game", ThreeGamesBytes());
  WriteFileBytes(dir_ / "g.pos", "kept\n");
  EXPECT_EQ(CapturedOutput([&] { GameToPositions((dir_ / "g.game").c_str(), (dir_ / "g.pos").c_str()); }),
            "OK\nconverted: 3 games.\n");
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> all;
    std::istringstream in(ReadFileBytes(dir_ / "g.pos"));
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
  }();
  ASSERT_EQ(lines.size(), 1u + 3 + 4 + 1);
  EXPECT_EQ(lines[0], "kept");
  // The initial position's key, computed independently through setup.
  const std::string initialKey = std::to_string(static_cast<int64_t>(initial_.hashKey));
  EXPECT_EQ(lines[1], "1\tW\t" + std::string(InitialFen) + "\te2e4\t" + initialKey);
  EXPECT_EQ(lines[4], "1\tB\t" + std::string(InitialFen) + "\td2d4\t" + initialKey);
  EXPECT_EQ(lines[8], "1\tD\t" + std::string(InitialFen) + "\tg1f3\t" + initialKey);
  // Every line: its FEN set up afresh gives the key written beside it.
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields;
    std::istringstream in(lines[i]);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 5u) << lines[i];
    ASSERT_TRUE(SetupPosition(fields[2].c_str(), false));
    if (Pos.epSquare == 0) {
      EXPECT_EQ(std::to_string(static_cast<int64_t>(Pos.hashKey)), fields[4]) << lines[i];
    }
  }
  EXPECT_EQ(lines[2], "2\tW\trnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3\te7e5\t" +
                          std::to_string(static_cast<int64_t>(initial_.hashKey ^ ZobristKeys[1][E2] ^
                                                              ZobristKeys[1][E4] ^ ZobristKeys[0][E3])));
}

// Stored moves are made only when legal in the position reached: a damaged game ends the
// conversion after the games before it, with none of its own lines written.
TEST_F(Conversions, GameToPositionsRefusesIllegalStoredMoves) {
  const std::vector<Move> pinned = {E2E4,
                                    E7E5,
                                    G1F3,
                                    BuildMove(B8, C6, Quiet),
                                    BuildMove(F1, B5, Quiet),
                                    BuildMove(D7, D6, Quiet),
                                    MoveCastleWhiteShort,
                                    BuildMove(C6, D4, Quiet)};
  const struct Case {
    const char* name;
    std::vector<Move> moves;
  } cases[] = {
      {"no such piece move", {E2E4, BuildMove(E2, E4, Quiet)}},
      {"pawn three squares", {BuildMove(E2, E5, Quiet)}},
      {"pinned knight", pinned},
      {"result code as a move", {E2E4, MoveMate}},
      {"castling through pieces", {MoveCastleWhiteShort}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(dir_ / "g.game", WordsToBytes(GameWords(ResultWhiteWins, {E2E4, E7E5})) +
                                        WordsToBytes(GameWords(ResultWhiteWins, c.moves)) + ThreeGamesBytes());
    std::filesystem::remove(dir_ / "g.pos");
    EXPECT_EQ(CapturedOutput([&] { GameToPositions((dir_ / "g.game").c_str(), (dir_ / "g.pos").c_str()); }),
              "ERROR: MOVE NOT LEGAL\nconverted: 1 games.\n");
    const std::string list = ReadFileBytes(dir_ / "g.pos");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2);
    ExpectInitialPosition();
    EXPECT_EQ(Pos.currentFrame, &PlyFrames[0]);
  }
}

TEST_F(Conversions, GameToPgnThenPgnToGameGivesTheSameGames) {
  std::mt19937 rng(7);
  std::string pgn;
  for (int i = 0; i < 30; ++i) pgn += PgnOf(PlayRandomTextGame(rng, 20 + static_cast<int>(rng() % 300)));
  pgn += PgnOf(PlayRandomTextGameOfLength(rng, MaxGamePlies));
  WriteFileBytes(dir_ / "a.pgn", pgn);
  PgnToGameOutput(dir_ / "a.pgn", dir_ / "a.game");
  CapturedOutput([&] { GameToPgn((dir_ / "a.game").c_str(), (dir_ / "b.pgn").c_str()); });
  const std::string out = PgnToGameOutput(dir_ / "b.pgn", dir_ / "b.game");
  EXPECT_NE(out.find("converted: 31 games. (skipped: 0)"), std::string::npos) << out;
  EXPECT_EQ(ReadFileBytes(dir_ / "a.game"), ReadFileBytes(dir_ / "b.game"));
  ExpectInitialPosition();
}

// Positions of a 1023-ply game are made on the tools' frames: one line per ply.
TEST_F(Conversions, LongestGameGivesALineForEveryPly) {
  std::mt19937 rng(1023);
  const TextGame game = PlayRandomTextGameOfLength(rng, MaxGamePlies);
  WriteFileBytes(dir_ / "g.game", WordsToBytes(GameWords(ResultDraw, game.moves)));
  EXPECT_EQ(CapturedOutput([&] { GameToPositions((dir_ / "g.game").c_str(), (dir_ / "g.pos").c_str()); }),
            "OK\nconverted: 1 games.\n");
  const std::string list = ReadFileBytes(dir_ / "g.pos");
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), MaxGamePlies);
  EXPECT_NE(list.rfind("\n1023\tD\t"), std::string::npos);
  ExpectInitialPosition();
}

TEST_F(Conversions, PgnListGoesOnAfterAFailedFile) {
  WriteFileBytes(dir_ / "a.pgn", "[Result \"1-0\"]\n1. e4 e5 1-0\n");
  WriteFileBytes(dir_ / "bad.pgn",
                 "[Result \"1-0\"]\n1. d4 1-0\n[Result \"2-0\"]\n1. c4 1-0\n[Result \"1-0\"]\n1. b4 1-0\n");
  WriteFileBytes(dir_ / "b.pgn", "[Result \"0-1\"]\n1. Nf3 0-1\n");
  const std::string longName(300, 'n');
  WriteFileBytes(dir_ / "list.txt",
                 (dir_ / "a.pgn") + "\n" + (dir_ / "bad.pgn") + "\n" + longName + "\n" + (dir_ / "b.pgn") + "\r\n");
  const std::string out =
      CapturedOutput([&] { PgnListToGame((dir_ / "list.txt").c_str(), (dir_ / "g.game").c_str()); });
  EXPECT_NE(out.find("ERROR: Result Error 1 file: " + (dir_ / "bad.pgn") + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Cannot open PGN input file: '" + longName.substr(0, 254) + "'\n"), std::string::npos) << out;
  EXPECT_NE(out.find("file: " + (dir_ / "b.pgn") + " \t\tfinished\n"), std::string::npos) << out;
  // The list ends with a line feed: an empty name follows its last one.
  EXPECT_NE(out.find("Cannot open PGN input file: ''\n\nCONVERTED GAMES: 3\n"), std::string::npos) << out;
}

// A PGN input that fails to read (here a directory) is an error, not a finished file.
TEST_F(Conversions, FailedPgnStreamIsAnError) {
  const std::string inDir = dir_ / "sub";
  std::filesystem::create_directory(inDir);
  EXPECT_EQ(PgnToGameOutput(inDir, dir_ / "g.game"),
            "converted: 0 games. (skipped: 0)\nERROR: CANNOT READ PGN INPUT file: " + inDir + "\n");
}

// The plain meaning of "stored": a game is appended when no game read from the file so far,
// nor one appended before it, is the same. A reference written from the definition.
std::string ReferenceConversion(const std::string& stored, const std::vector<std::vector<uint16_t>>& games) {
  std::string out = stored;
  std::vector<std::string> seen;
  for (size_t at = 0; at + 2 <= stored.size();) {
    uint16_t header;
    std::memcpy(&header, stored.data() + at, 2);
    const size_t size = 2 * (1 + (header & PlyCountBits));
    seen.push_back(stored.substr(at, size));
    at += size;
  }
  for (const auto& words : games) {
    const std::string bytes = WordsToBytes(words);
    if (std::find(seen.begin(), seen.end(), bytes) == seen.end()) {
      seen.push_back(bytes);
      out += bytes;
    }
  }
  return out;
}

TEST_F(Conversions, StoredGameIndexReadsEachStoredGameOnce) {
  std::mt19937 rng(42);
  std::vector<TextGame> games;
  for (int i = 0; i < 300; ++i) games.push_back(PlayRandomTextGame(rng, 1 + static_cast<int>(rng() % 12)));
  // The first 150 games go into the file; then all 300 are converted, with short games that
  // repeat each other often and a few duplicates inside the PGN itself.
  std::string first, all;
  std::vector<std::vector<uint16_t>> words;
  for (int i = 0; i < 150; ++i) first += PgnOf(games[i]);
  for (int i = 0; i < 300; ++i) {
    all += PgnOf(games[i]) + (i % 7 == 0 ? PgnOf(games[i]) : "");
    words.push_back(GameWords(ResultBitsOfText(games[i].result), games[i].moves));
    if (i % 7 == 0) words.push_back(words.back());
  }
  WriteFileBytes(dir_ / "first.pgn", first);
  WriteFileBytes(dir_ / "all.pgn", all);
  PgnToGameOutput(dir_ / "first.pgn", dir_ / "g.game");
  const std::string stored = ReadFileBytes(dir_ / "g.game");
  const uint64_t readsBefore = GameRecordsRead;
  PgnToGameOutput(dir_ / "all.pgn", dir_ / "g.game");
  const uint64_t reads = GameRecordsRead - readsBefore;
  EXPECT_EQ(ReadFileBytes(dir_ / "g.game"), ReferenceConversion(stored, words));
  // Opening reads the stored games once; afterwards only hash hits are read back, about one
  // per duplicate game. The plain scan would read tens of thousands.
  EXPECT_LT(reads, 150u + 2 * words.size()) << reads;
}

TEST_F(Conversions, IsGameStoredWithoutAnIndexScansTheFile) {
  WriteFileBytes(dir_ / "g.game", ThreeGamesBytes());
  FILE* file = std::fopen((dir_ / "g.game").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  GameRecord record{};
  record.gameHeader = 0x4004;
  const Move moves[] = {BuildMove(D2, D4, Quiet), BuildMove(D7, D5, Quiet), BuildMove(C2, C4, Quiet),
                        BuildMove(E7, E6, Quiet)};
  std::copy(std::begin(moves), std::end(moves), record.gameMoves);
  std::fseek(file, 2, SEEK_SET);
  EXPECT_TRUE(IsGameStored(record, file));
  EXPECT_EQ(std::ftell(file), 2);
  record.gameHeader = 0x8004;
  EXPECT_FALSE(IsGameStored(record, file));
  EXPECT_EQ(std::ftell(file), 2);
  std::fclose(file);
}

}  // namespace
