// The PGN reader on small texts: what it stores, what it prints, which errors it raises, and
// that the position is always the one from before the game.
#include <sstream>

#include "tools/games_support.h"

namespace {

constexpr Move E2E4 = BuildMove(E2, E4, Quiet), E7E5 = BuildMove(E7, E5, Quiet), G1F3 = BuildMove(G1, F3, Quiet);

class PgnReader : public testing::Test {
 protected:
  void SetUp() override {
    SetUpInitialPosition();
    before_ = Pos;
  }
  // The Position, history and frame are those from before the game.
  void ExpectPositionUnchanged() const {
    EXPECT_TRUE(SamePosition(Pos, before_));
    EXPECT_EQ(Pos.historyTop, &GameHistory[0]);
    EXPECT_EQ(Pos.currentFrame, &PlyFrames[0]);
    EXPECT_TRUE(PositionIsConsistent());
  }
  Position before_;
  GameRecord record_{};
};

struct ReadCase {
  const char* name;
  const char* text;
  uint16_t code;            // returned result bits
  uint16_t header;          // stored header when code != 0
  std::vector<Move> moves;  // stored moves when code != 0
  const char* printed;      // standard output
};

TEST_F(PgnReader, GamesAndTheirStoredForm) {
  const ReadCase cases[] = {
      {"three plies", "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0", 0x8000, 0x8003, {E2E4, E7E5, G1F3}, ""},
      {"draw told from a move number", "[Result \"1/2-1/2\"]\n1. e4 e5 1/2-1/2\n", 0xC000, 0xC002, {E2E4, E7E5}, ""},
      {"comments, variations, glyphs",
       "[Result \"1-0\"]\n1. e4 {a comment (with parentheses)} e5 (1... c5 2. Nf3) 2. Nf3 $14 1-0",
       0x8000,
       0x8003,
       {E2E4, E7E5, G1F3},
       ""},
      {"two blanks in the Result tag", "[Result  \"0-1\"]\n1. e4 e5 0-1", 0x4000, 0x4002, {E2E4, E7E5}, ""},
      {"other tags, check signs, CR LF",
       "[Event \"x\"]\r\n[Result \"0-1\"]\r\n[White \"y\"]\r\n\r\n1. e4 e5 2. Nf3 0-1\r\n",
       0x4000,
       0x4003,
       {E2E4, E7E5, G1F3},
       ""},
      {"result split by blanks", "[Result \"1/2-1/2\"]\n1. e4 1/2 - 1 / 2", 0xC000, 0xC001, {E2E4}, ""},
      {"coordinate moves", "[Result \"1-0\"]\n1. e2e4 e7e5 2. g1f3 1-0", 0x8000, 0x8003, {E2E4, E7E5, G1F3}, ""},
      {"nested variation ends at its first )",
       "[Result \"1-0\"]\n1. e4 (1. d4 (1. c4) d5) e5 1-0",
       0,
       0,
       {},
       "move: d5), plyNo:2\n"},
      {"unreadable token", "[Result \"1-0\"]\n1. e4 Zz9 1-0", 0, 0, {}, "move: Zz9, plyNo:2\n"},
      {"no moves", "[Result \"1-0\"]\n1-0\n", 0, 0, {}, ""},
      {"result *", "[Result \"*\"]\n1. e4 e5 *\n", 0, 0, {}, ""},
      {"end of input", "", 0, 0, {}, ""},
      {"end of input after the tags", "[Result \"1-0\"]\n", 0, 0, {}, ""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string printed;
    const uint16_t code = ReadGameFromText(c.text, record_, &printed);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(printed, c.printed);
    if (c.code != 0) {
      EXPECT_EQ(record_.gameHeader, c.header);
      EXPECT_EQ(StoredMoves(record_), c.moves);
    }
    ExpectPositionUnchanged();
  }
}

struct ErrorCase {
  const char* name;
  const char* text;
  const char* message;
  const char* printedStart;  // the beginning of what is printed before the error
};

TEST_F(PgnReader, FaultsThatEndTheFile) {
  const ErrorCase cases[] = {
      {"Result value", "[Result \"2-0\"]\n1. e4 1-0", "Result Error 1", ""},
      {"no Result tag", "[Event \"x\"]\n1. e4 1-0", "Result Error 2", ""},
      {"* in a decided game", "[Result \"1-0\"]\n1. e4 e5 * 1-0", "Result * error", ""},
      {"move not generated", "[Result \"1-0\"]\n1. e4 e5 2. Ke3 1-0", "MOVE NOT LEGAL 1", "\n8 r n b q k b n r "},
      {"wrong end result", "[Result \"1/2-1/2\"]\n1. e4 e5 1/2 1/2", "wrong end result 1", ""},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string message, printed;
    printed = CapturedOutput([&] {
      std::istringstream in(c.text);
      try {
        ReadPgnGame(record_, in);
      } catch (const GameDbError& error) {
        message = error.what();
      }
    });
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(printed.rfind(c.printedStart, 0), 0u) << printed;
    ExpectPositionUnchanged();
  }
}

// A pinned knight's move reads as the only knight move onto d4 but leaves the king attacked:
// the diagram shows the board with the move made, and the position is then restored.
TEST_F(PgnReader, PinnedPieceMoveRevealsCheck) {
  const char* text = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 3. Bb5 d6 4. O-O Nd4 5. Nxd4 1-0\n";
  const char* diagram =
      "\n8 r . b q k b n r "
      "\n7 p p p . . p p p "
      "\n6 . . . p . . . . "
      "\n5 . B . . p . . . "
      "\n4 . . . n P . . . "
      "\n3 . . . . . N . . "
      "\n2 P P P P . P P P "
      "\n1 R N B Q . R K . "
      "\n\n  A B C D E F G H\n";
  std::string message;
  const std::string printed = CapturedOutput([&] {
    std::istringstream in(text);
    try {
      ReadPgnGame(record_, in);
    } catch (const GameDbError& error) {
      message = error.what();
    }
  });
  EXPECT_EQ(message, "MOVE NOT LEGAL 2 - check revealed");
  EXPECT_EQ(printed, std::string(diagram) + "move: Nd4, plyNo:8\n");
  ExpectPositionUnchanged();

  // The next game starts from the same position and frame.
  EXPECT_EQ(ReadGameFromText("[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0", record_), 0x8000);
  EXPECT_EQ(StoredMoves(record_), (std::vector<Move>{E2E4, E7E5, G1F3}));
  ExpectPositionUnchanged();
}

TEST_F(PgnReader, CastlingWrittenWithZeros) {
  // White castles queen-side, Black king-side, and "0-1" right after castling is the result.
  const char* text =
      "[Result \"0-1\"]\n1. d4 d5 2. Nc3 Nc6 3. Bf4 Bf5 4. Qd2 Qd7 5. 0-0-0 e6 6. e3 Nf6 7. f3 Be7 8. g4 0-0 0-1";
  ASSERT_EQ(ReadGameFromText(text, record_), 0x4000);
  ASSERT_EQ(GamePlies(record_), 16);
  EXPECT_EQ(record_.gameMoves[8], MoveCastleWhiteLong);
  EXPECT_EQ(record_.gameMoves[15], MoveCastleBlackShort);
  ExpectPositionUnchanged();
  // Letters and zeros read the same game.
  GameRecord letters{};
  std::string withLetters = text;
  withLetters.replace(withLetters.find("0-0-0"), 5, "O-O-O");
  withLetters.replace(withLetters.find("0-0 "), 3, "O-O");
  ASSERT_EQ(ReadGameFromText(withLetters, letters), 0x4000);
  EXPECT_TRUE(SameGame(record_, letters));
}

TEST_F(PgnReader, ASkippedGameLeavesTheNextOnesReadable) {
  // Before the first game: a byte-order mark and a comment line. Then games that are skipped
  // (unreadable token, nested variation, no moves, "*") between games that are read.
  const std::string good = "[Event \"e\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 1-0\n\n";
  const std::string text = "\xEF\xBB\xBF% exported by hand\n" + good + "[Result \"1-0\"]\n1. e4 Zz9 e5 2. Nf3 1-0\n\n" +
                           good + "[Result \"1-0\"]\n1. e4 (1. d4 (1. c4) d5) e5 1-0\n\n" + good +
                           "[Result \"0-1\"]\n0-1\n\n" + good + "[Result \"*\"]\n1. e4 e5 2. Nf3 *\n\n" + good;
  std::istringstream in(text);
  std::vector<uint16_t> codes;
  CapturedOutput([&] {
    while (in.good()) {
      codes.push_back(ReadPgnGame(record_, in));
      in >> std::ws;
      in.peek();
    }
  });
  EXPECT_EQ(codes, (std::vector<uint16_t>{0x8000, 0, 0x8000, 0, 0x8000, 0, 0x8000, 0, 0x8000}));
  ExpectPositionUnchanged();
}

TEST_F(PgnReader, OverlongTagLineIsReadWhole) {
  const std::string text = "[Event \"" + std::string(700, 'x') + "\"]\n[Annotator \"" + std::string(510, 'y') +
                           "\"]\n[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0";
  EXPECT_EQ(ReadGameFromText(text, record_), 0x8000);
  EXPECT_EQ(GamePlies(record_), 3);
}

// A token of ten characters or more ends after ten; the rest is the next token.
TEST_F(PgnReader, MoveTokenIsAtMostTenCharacters) {
  std::istringstream in("Nf3!!!!!!!Zz {x}");
  EXPECT_EQ(ReadMoveToken(record_, in), G1F3);
  EXPECT_STREQ(record_.moveText, "Nf3!!!!!!!");
  EXPECT_EQ(ReadMoveToken(record_, in), 0);
  EXPECT_STREQ(record_.moveText, "Zz");
  in.get();
  EXPECT_EQ(in.peek(), '{');
}

class LongGames : public PgnReader {};

// Games far longer than the search's frame stack: every ply is checked, made and stored.
TEST_F(LongGames, GamesUpToTheLongestAreStoredWhole) {
  std::mt19937 rng(20261211);
  for (const int plies : {137, 600, MaxGamePlies}) {
    SCOPED_TRACE(plies);
    const TextGame game = PlayRandomTextGameOfLength(rng, plies);
    ASSERT_EQ(ReadGameFromText(PgnOf(game), record_), ResultBitsOfText(game.result));
    EXPECT_EQ(GamePlies(record_), plies);
    EXPECT_EQ(StoredMoves(record_), game.moves);
    ExpectPositionUnchanged();
  }
}

// Past the longest game the tokens are read over: the game keeps its first MaxGamePlies plies
// and its result, whatever the later tokens say.
TEST_F(LongGames, LongerGamesKeepTheirFirstPlies) {
  std::mt19937 rng(99);
  const TextGame game = PlayRandomTextGameOfLength(rng, 1100);
  std::string printed;
  ASSERT_EQ(ReadGameFromText(PgnOf(game), record_, &printed), ResultBitsOfText(game.result));
  EXPECT_EQ(printed, "");
  EXPECT_EQ(record_.gameHeader, ResultBitsOfText(game.result) | MaxGamePlies);
  EXPECT_EQ(StoredMoves(record_), std::vector<Move>(game.moves.begin(), game.moves.begin() + MaxGamePlies));
  ExpectPositionUnchanged();

  TextGame garbage = PlayRandomTextGameOfLength(rng, MaxGamePlies);
  garbage.san.push_back("Zz9");
  garbage.san.push_back("Kh9");
  ASSERT_EQ(ReadGameFromText(PgnOf(garbage), record_, &printed), ResultBitsOfText(garbage.result));
  EXPECT_EQ(printed, "");
  EXPECT_EQ(GamePlies(record_), MaxGamePlies);
  ExpectPositionUnchanged();
}

TEST(BoardDiagram, InitialPosition) {
  SetUpInitialPosition();
  const std::string printed = CapturedOutput([] { PrintBoardDiagram(Pos.board); });
  EXPECT_EQ(printed,
            "\n8 r n b q k b n r \n7 p p p p p p p p \n6 . . . . . . . . \n5 . . . . . . . . "
            "\n4 . . . . . . . . \n3 . . . . . . . . \n2 P P P P P P P P \n1 R N B Q K B N R "
            "\n\n  A B C D E F G H\n");
}

}  // namespace
