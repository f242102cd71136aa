// Playing games through the real engine binary: moves in and out, result lines, pondering,
// illegal move words, take-backs and setup rejection. The positions the engine reaches are
// checked against the same moves made in this process.
#include "frontend/game.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "frontend/engine.h"
#include "frontend/engine_process.h"
#include "frontend/timecontrol.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "search/search.h"

namespace {

using Lines = std::vector<std::string>;

const std::string StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

void ExpectCleanExit(const EngineRun& run) {
  EXPECT_TRUE(run.finished) << "the engine did not end";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors, "");
}

// The output after the handshake, without the notices of a missing opening book.
std::string Replies(const std::string& output) {
  std::string rest = output;
  if (rest.compare(0, std::string(HandshakeOutput).size(), HandshakeOutput) == 0) {
    rest.erase(0, std::string(HandshakeOutput).size());
  }
  const std::string book = "tellusererror BOOK ERROR!\n";
  for (size_t at; (at = rest.find(book)) != std::string::npos;) rest.erase(at, book.size());
  return rest;
}

// The "move ..." words of an output, in order.
Lines MovesPlayed(const std::string& output) {
  Lines moves;
  for (const std::string& line : SplitLines(output)) {
    if (line.rfind("move ", 0) == 0) moves.push_back(line.substr(5));
  }
  return moves;
}

// In this process: sets up text and plays the coordinate moves as game moves.
void PlayHere(const std::string& setup, const Lines& moves) {
  Pos.currentFrame = &PlyFrames[0];
  ASSERT_TRUE(SetupPosition(setup.c_str(), false)) << setup;
  for (const std::string& word : moves) {
    const Move move = ParseCoordinateMove(word.c_str());
    ASSERT_TRUE(IsLegalGameMove(move)) << word;
    ASSERT_TRUE(MakeGameMove(move)) << word;
  }
}

std::string FenHere() {
  char fen[96];
  WriteFen(fen);
  return fen;
}

std::string FenAfter(const std::string& setup, const Lines& moves) {
  PlayHere(setup, moves);
  return FenHere();
}

// The key line MakeGameMove logs for the current position of this process.
std::string KeyLineHere() {
  char text[40];
  std::snprintf(text, sizeof text, "%x %x", static_cast<unsigned>(Pos.hashKey >> 32),
                static_cast<unsigned>(Pos.hashKey));
  return text;
}

bool LegalAfter(const std::string& setup, const Lines& moves, const std::string& word) {
  PlayHere(setup, moves);
  return IsLegalGameMove(ParseCoordinateMove(word.c_str()));
}

// Index of the last log line that starts with text, or -1.
int LastLine(const Lines& log, const std::string& text) {
  for (int i = static_cast<int>(log.size()) - 1; i >= 0; --i) {
    if (log[i].compare(0, text.size(), text) == 0) return i;
  }
  return -1;
}

// The FEN of the first search started after the last "::cmd:: " line of word: the board the
// engine searched when that command ran.
std::string SearchFenAfter(const Lines& log, const std::string& word) {
  const int at = FindLine(log, "-FEN:\t", LastLine(log, "::cmd:: " + word));
  return at < 0 ? "" : log[at].substr(6);
}

// The last line of the form "<hex> <hex>" before the last "::cmd:: " line of word: the key
// after the last game move made before that command.
std::string KeyBefore(const Lines& log, const std::string& word) {
  std::string key;
  const int end = LastLine(log, "::cmd:: " + word);
  for (int i = 0; i < end; ++i) {
    const std::string& line = log[i];
    const size_t blank = line.find(' ');
    if (blank == std::string::npos || blank == 0 || blank + 1 == line.size()) continue;
    if (line.find_first_not_of("0123456789abcdef ") != std::string::npos) continue;
    if (line.find(' ', blank + 1) != std::string::npos) continue;
    key = line;
  }
  return key;
}

// Reversible plies from setup (no capture, pawn move or castling), each reaching a new position
// in which the side to move has no capture and is not in check, so that the fifty-move count
// grows by one per ply and no repetition or forced capture comes up.
Lines QuietWalk(const std::string& setup, int plies) {
  PlayHere(setup, {});
  std::set<HashKey> seen{Pos.hashKey};
  Lines words;
  static ScoredMove scratch[MaxListMoves];
  static Move legal[MaxListMoves];
  static Move replies[MaxListMoves];
  PlyFrame frame{}, replyFrame{};
  while (static_cast<int>(words.size()) < plies) {
    const int count = GenerateLegalMoves(legal, scratch, &frame);
    Move chosen = 0;
    for (int i = 0; i < count && chosen == 0; ++i) {
      const Move move = legal[i];
      if (MoveKindOf(move) != Quiet || Pos.board[MoveFrom(move)] <= BlackPawn) continue;
      MakeMove(move, &frame);
      bool fits = seen.count(Pos.hashKey) == 0;
      if (fits) {
        const int replyCount = GenerateLegalMoves(replies, scratch + 0, &replyFrame);
        fits = replyCount > 0 && replyFrame.checkers == 0;
        for (int r = 0; r < replyCount && fits; ++r) fits = MoveKindOf(replies[r]) == Quiet;
      }
      UnmakeMove(move, &frame);
      if (fits) chosen = move;
      // GenerateLegalMoves above wrote the save fields of frame for this position again.
      SaveForMake(&frame);
    }
    if (chosen == 0) break;
    char text[8];
    FormatCoordinateMove(text, chosen);
    words.push_back(text);
    MakeGameMove(chosen);
    seen.insert(Pos.hashKey);
  }
  return words;
}

std::string Joined(const Lines& words) {
  std::string text;
  for (const std::string& word : words) text += word + "\n";
  return text;
}

TEST(Game, EngineAnswersMovesAndGo) {
  struct Case {
    const char* what;
    std::string input;  // after "xboard"
    std::string setup;  // the position the engine's move is made from
    Lines before;       // and the moves before it
  };
  const Case cases[] = {
      {"new, a move", "new\ne2e4\n", StartFen, {"e2e4"}},
      {"force, moves, go", "new\nforce\ne2e4\ne7e5\ng1f3\ngo\n", StartFen, {"e2e4", "e7e5", "g1f3"}},
      {"setboard, go",
       "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -\ngo\n",
       "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -",
       {}},
      {"black, go", "new\nblack\ngo\n", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", {}},
      {"white, go", "setboard 4k3/8/8/3p4/8/8/3P4/4K3 b - -\nwhite\ngo\n", "4k3/8/8/3p4/8/8/3P4/4K3 w - -", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run("xboard\n" + c.input + "quit\n");
    ExpectCleanExit(run);
    const Lines moves = MovesPlayed(run.output);
    ASSERT_EQ(moves.size(), 1u) << run.output;
    EXPECT_EQ(Replies(run.output), "move " + moves[0] + "\n");
    EXPECT_TRUE(LegalAfter(c.setup, c.before, moves[0])) << moves[0];
    EXPECT_EQ(
        SearchFenAfter(run.log, c.before.empty() || c.input.find("go\n") != std::string::npos ? "go" : c.before.back()),
        FenAfter(c.setup, c.before));

    // The log of the move: the wait, the move with its score, then the key of the position
    // after it and the pondering decision.
    const int wait = FindLine(run.log, "M-WAIT ");
    ASSERT_GE(wait, 0);
    EXPECT_TRUE(IsDecimal(run.log[wait].substr(7))) << run.log[wait];
    const int played = FindLine(run.log, "move " + moves[0] + "\tscore: ", wait);
    ASSERT_GT(played, wait);
    PlayHere(c.setup, c.before);
    MakeGameMove(ParseCoordinateMove(moves[0].c_str()));
    EXPECT_EQ(run.log[played - 1], KeyLineHere());
    const int ponder = FindLine(run.log, "-ponder move: ", played);
    const int noPonder = FindLine(run.log, "- NO ponder move", played);
    EXPECT_TRUE(ponder > played || noPonder > played);
    // The prediction is a legal reply.
    if (ponder > played) {
      EXPECT_TRUE(IsLegalGameMove(ParseCoordinateMove(run.log[ponder].substr(14).c_str())));
    }
  }
}

TEST(Game, OpponentMoveIsLoggedWithItsKey) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nnew\nforce\ne2e4\nquit\n");
  ExpectCleanExit(run);
  const int word = FindLine(run.log, "::cmd:: e2e4");
  ASSERT_GE(word, 0);
  PlayHere(StartFen, {"e2e4"});
  EXPECT_EQ(run.log[word + 1], KeyLineHere());
  EXPECT_EQ(Replies(run.output), "");
}

TEST(Game, ResultLines) {
  struct Case {
    const char* what;
    std::string input;  // after "xboard", before "go"
    std::string replies;
  };
  const Lines fiftyWalk = QuietWalk("1n2k1n1/8/8/8/8/8/8/1N2K1N1 w - -", 100);
  ASSERT_EQ(fiftyWalk.size(), 100u);
  const Lines walk99(fiftyWalk.begin(), fiftyWalk.end() - 1);
  const std::string fiftySetup = "setboard 1n2k1n1/8/8/8/8/8/8/1N2K1N1 w - -\n";
  const Case cases[] = {
      {"white mated", "setboard rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -\n", "0-1 {Quillo mated 0}\n"},
      {"black mated", "setboard rnbqkbnr/ppppp2p/5p2/6pQ/4P3/8/PPPP1PPP/RNB1KBNR b KQkq -\n", "1-0 {Quillo mated 0}\n"},
      {"stalemate", "setboard 7k/5Q2/6K1/8/8/8/8/8 b - -\n", "1/2-1/2 {Draw by stalemate (1)}\n"},
      {"repetition", "new\nforce\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\n",
       "1/2-1/2 {Draw by 3 fold repetition (2)}\n"},
      {"fifty moves", fiftySetup + "force\n" + Joined(fiftyWalk), "1/2-1/2 {Draw by 50 moves rule (3)}\n"},
      {"insufficient material", "setboard 8/8/8/4k3/8/8/8/4K3 w - -\n",
       "1/2-1/2 {Draw by insufficient material to mate (4)}\n"},
      {"white mates", "setboard 6k1/5ppp/8/8/8/8/8/R5K1 w - -\n", "move a1a8\n1-0 {Quillo mates 1}\n"},
      {"black mates", "setboard r5k1/8/8/8/8/8/5PPP/6K1 b - -\n", "move a8a1\n0-1 {Quillo mates 1}\n"},
      // Only h2g1 draws for the lone king: its position after the move is there for the third time.
      {"repetition by the engine's move",
       "setboard r6k/8/8/8/8/8/8/7K w - -\nforce\nh1g1\na8b8\ng1h1\nb8a8\nh1g1\na8b8\ng1h2\nb8a8\n",
       "move h2g1\n1/2-1/2 {Draw by 3 fold repetition (22)}\n"},
      {"insufficient material by the engine's move", "setboard 7k/8/8/8/8/8/6r1/6K1 w - -\n",
       "move g1g2\n1/2-1/2 {Draw by insufficient material to mate (44)}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run("xboard\n" + c.input + "go\nquit\n");
    ExpectCleanExit(run);
    EXPECT_EQ(Replies(run.output), c.replies);
    // No pondering after a result.
    const int result = FindLine(run.log, "M-WAIT ");
    ASSERT_GE(result, 0);
    EXPECT_GT(FindLine(run.log, "- NO ponder move", result), result);
    EXPECT_EQ(FindLine(run.log, "-ponder move: "), -1);
  }

  // A fifty-move count of 99 is no draw yet: the engine moves, and its move makes the draw.
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\n" + fiftySetup + "force\n" + Joined(walk99) + "go\nquit\n");
  ExpectCleanExit(run);
  const Lines moves = MovesPlayed(run.output);
  ASSERT_EQ(moves.size(), 1u) << run.output;
  EXPECT_EQ(Replies(run.output), "move " + moves[0] + "\n1/2-1/2 {Draw by 50 moves rule (33)}\n");
  EXPECT_TRUE(LegalAfter("1n2k1n1/8/8/8/8/8/8/1N2K1N1 w - -", walk99, moves[0]));
}

// Found by the protocol fuzzer: the ponder search after b1c1 finds the mate c1c8 one ply from
// its root; "white" then gives White the move again in the position before, and the search
// from there met that mate three plies deep with its one-ply score, so c1c7 came with a claim
// of mate in one. Only the real mate after b8a8 may be claimed.
TEST(Game, NoMateClaimFromAMateFoundNearerTheRoot) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run(
      "xboard\nsetboard 1k6/8/1K6/8/8/8/8/1R6 w - -\nlevel 0 2 12\ntime 1000 otim 1000\ngo\nwhite\ngo\nb8a8\n");
  ExpectCleanExit(run);
  EXPECT_EQ(Replies(run.output), "move b1c1\nmove c1c7\nmove c7c8\n1-0 {Quillo mates 1}\n");
}

TEST(Game, EndOfInputWhileThinking) {
  EngineSandbox sandbox;
  // About half a second for the move; the input ends while the engine thinks.
  EngineRun run = sandbox.Run("xboard\nnew\ntime 2000\notim 2000\ne2e4");
  ExpectCleanExit(run);
  const Lines moves = MovesPlayed(run.output);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(Replies(run.output), "move " + moves[0] + "\n");
  EXPECT_TRUE(LegalAfter(StartFen, {"e2e4"}, moves[0]));
  ASSERT_FALSE(run.log.empty());
  EXPECT_EQ(run.log.back(), "-M: exited StartEngine");
}

TEST(Game, IllegalMoveWords) {
  struct Case {
    const char* what;
    std::string input;  // after "xboard"; ends with the illegal word
    std::string word;
  };
  const Case cases[] = {
      {"force mode", "new\nforce\ne2e5\n", "e2e5"},
      {"wrong side", "new\nforce\ne7e5\n", "e7e5"},
      {"waiting for the move", "new\ne2e5\n", "e2e5"},
      {"onto an own piece", "new\ng1e2\n", "g1e2"},
      {"king next to king", "setboard 8/8/8/8/8/3k4/8/3K4 w - -\nd1d2\n", "d1d2"},
      {"castling without the right", "setboard r3k2r/8/8/8/8/8/8/R3K2R w - -\ne1g1\n", "e1g1"},
      {"promotion without its letter", "setboard 8/P6k/8/8/8/8/8/K7 w - -\na7a8\n", "a7a8"},
      {"into check", "setboard 4k3/8/8/8/8/8/4r3/3K4 w - -\nd1e1\n", "d1e1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineSandbox sandbox;
    // "force" and "go" then show the board the engine kept.
    EngineRun run = sandbox.Run("xboard\n" + c.input + "force\ngo\nquit\n");
    ExpectCleanExit(run);
    const std::string replies = Replies(run.output);
    EXPECT_EQ(replies.rfind("Illegal move: " + c.word + "\n", 0), 0u) << replies;
    EXPECT_GT(FindLine(run.log, "-M: Illegal move: " + c.word), FindLine(run.log, "::cmd:: " + c.word));
    // The key line of a made move never follows the word.
    const int word = FindLine(run.log, "::cmd:: " + c.word);
    EXPECT_EQ(run.log[word + 1], "-M: Illegal move: " + c.word);
  }

  // While pondering: the prediction is taken back, the board is the game's, and the engine
  // still answers the next move.
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nnew\ne2e4\ne2e4\nd2d4\nquit\n");
  ExpectCleanExit(run);
  const Lines moves = MovesPlayed(run.output);
  ASSERT_EQ(moves.size(), 2u) << run.output;
  const int ponder = FindLine(run.log, "-ponder move: ");
  ASSERT_GE(ponder, 0) << "no pondering after the first move";
  EXPECT_LT(ponder, FindLine(run.log, "-BAD PONDER"));
  EXPECT_EQ(Replies(run.output), "move " + moves[0] + "\nIllegal move: e2e4\nmove " + moves[1] + "\n");
  EXPECT_EQ(SearchFenAfter(run.log, "d2d4"), FenAfter(StartFen, {"e2e4", moves[0], "d2d4"}));
  EXPECT_TRUE(LegalAfter(StartFen, {"e2e4", moves[0], "d2d4"}, moves[1]));
}

TEST(Game, RejectedSetboardRefusesMovesUntilTheNextSetup) {
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\nnew\nforce\ne2e4\nsetboard 8/8/8/8 w - -\ne7e5\ngo\nnew\ne2e4\nquit\n");
  ExpectCleanExit(run);
  const Lines moves = MovesPlayed(run.output);
  ASSERT_EQ(moves.size(), 1u) << run.output;
  EXPECT_EQ(Replies(run.output),
            "tellusererror Illegal position\nIllegal move: e7e5\nError (no position): go\nmove " + moves[0] + "\n");
  EXPECT_TRUE(LegalAfter(StartFen, {"e2e4"}, moves[0]));
  EXPECT_GE(FindLine(run.log, "-M: tellusererror Illegal position"), 0);

  // The empty line after "accepted setboard" is no rejected position.
  EngineRun accepted = sandbox.Run("xboard\nnew\naccepted setboard\ne2e4\ngo\nquit\n");
  ExpectCleanExit(accepted);
  const Lines reply = MovesPlayed(accepted.output);
  ASSERT_EQ(reply.size(), 1u) << accepted.output;
  EXPECT_EQ(Replies(accepted.output), "move " + reply[0] + "\n");
  EXPECT_TRUE(LegalAfter(StartFen, {"e2e4"}, reply[0]));
}

TEST(Game, UndoAndRemove) {
  EngineSandbox sandbox;
  // "undo": one move back, engine idle.
  EngineRun undo = sandbox.Run("xboard\nnew\nforce\ne2e4\ne7e5\ng1f3\nundo\nd2d4\nundo\nundo\nundo\nundo\ngo\nquit\n");
  ExpectCleanExit(undo);
  EXPECT_EQ(MovesPlayed(undo.output).size(), 1u);
  EXPECT_EQ(SearchFenAfter(undo.log, "go"), StartFen);
  EngineRun one = sandbox.Run("xboard\nnew\nforce\ne2e4\ne7e5\ng1f3\nundo\ngo\nquit\n");
  ExpectCleanExit(one);
  EXPECT_EQ(SearchFenAfter(one.log, "go"), FenAfter(StartFen, {"e2e4", "e7e5"}));
  EXPECT_EQ(KeyBefore(one.log, "go"), KeyLineHere());

  // "remove": the user's move and the engine's reply go; the engine answers the next move.
  EngineRun remove = sandbox.Run("xboard\nnew\ne2e4\nremove\nd2d4\nquit\n");
  ExpectCleanExit(remove);
  const Lines moves = MovesPlayed(remove.output);
  ASSERT_EQ(moves.size(), 2u) << remove.output;
  EXPECT_EQ(SearchFenAfter(remove.log, "d2d4"), FenAfter(StartFen, {"d2d4"}));
  EXPECT_TRUE(LegalAfter(StartFen, {"d2d4"}, moves[1]));

  // A take-back from a set-up position, across a change of the side to move.
  EngineRun setup = sandbox.Run(
      "xboard\nsetboard 4k3/8/8/8/8/8/8/R3K3 w - -\nforce\na1a2\nwhite\na2a3\ne8d8\nundo\nundo\nundo\ngo\nquit\n");
  ExpectCleanExit(setup);
  EXPECT_EQ(SearchFenAfter(setup.log, "go"), FenAfter("4k3/8/8/8/8/8/R7/4K3 w - -", {}));
}

TEST(Game, GameLongerThanAnyRealOneIsBounded) {
  // Knight moves back and forth, far beyond 1024 plies and up to the longest game.
  const Lines cycle = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::string input = "xboard\nnew\nforce\n";
  const int plies = LongestGamePlies + 4;
  for (int i = 0; i < plies; ++i) input += cycle[i % 4] + "\n";
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run(input + "go\nquit\n", 60000);
  ExpectCleanExit(run);
  std::string refused;
  for (int i = LongestGamePlies; i < plies; ++i) refused += "Illegal move: " + cycle[i % 4] + "\n";
  EXPECT_EQ(Replies(run.output), refused + "1/2-1/2 {Draw by 50 moves rule (3)}\n");
}

TEST(Pondering, RightAndWrongPredictionKeepTheGameBoard) {
  for (const bool right : {true, false}) {
    SCOPED_TRACE(right ? "right prediction" : "wrong prediction");
    EngineSandbox sandbox;
    EngineSession session(sandbox);
    session.Send("xboard\nnew\ne2e4\n");
    const std::string first = session.NextOutputLine("move ");
    ASSERT_NE(first, "");
    const std::string m1 = first.substr(5);
    const int ponderLine = session.WaitForLog("-ponder move: ");
    ASSERT_GE(ponderLine, 0);
    const std::string predicted = session.Log()[ponderLine].substr(14);
    std::string reply = predicted;
    if (!right) {
      PlayHere(StartFen, {"e2e4", m1});
      char text[8];
      const Move other = FirstLegalMove();
      FormatCoordinateMove(text, other);
      reply = text;
      if (reply == predicted) {
        static Move legal[MaxListMoves];
        static ScoredMove scratch[MaxListMoves];
        PlyFrame frame{};
        ASSERT_GE(GenerateLegalMoves(legal, scratch, &frame), 2);
        FormatCoordinateMove(text, legal[1]);
        reply = text;
      }
    }
    // With a budget of 0 the answer to a right prediction comes at once.
    session.Send(reply + "\n");
    const std::string second = session.NextOutputLine("move ");
    ASSERT_NE(second, "");
    const std::string m2 = second.substr(5);
    session.Send("force\ngo\nquit\n");
    EngineRun run = session.Finish();
    ExpectCleanExit(run);

    const Lines game = {"e2e4", m1, reply, m2};
    EXPECT_TRUE(LegalAfter(StartFen, {"e2e4", m1, reply}, m2));
    // The search of "go" starts from the game's board, and the last key logged is the game's.
    EXPECT_EQ(SearchFenAfter(run.log, "go"), FenAfter(StartFen, game));
    EXPECT_EQ(KeyBefore(run.log, "force"), KeyLineHere());
    const int verdict = FindLine(run.log, right ? "-GOOD PONDER" : "-BAD PONDER");
    ASSERT_GT(verdict, ponderLine);
    const int answer = FindLine(run.log, "move " + m2 + "\t", verdict);
    ASSERT_GT(answer, verdict);
    // A right prediction lets the running search go on: no second start before the answer.
    const int restart = FindLine(run.log, "-M: entered StartEngine", verdict);
    EXPECT_EQ(restart > verdict && restart < answer, !right);

    // The same game played without pondering reaches the same board.
    EngineRun plain = sandbox.Run("xboard\nnew\nforce\n" + Joined(game) + "go\nquit\n");
    ExpectCleanExit(plain);
    EXPECT_EQ(SearchFenAfter(plain.log, "go"), SearchFenAfter(run.log, "go"));
    EXPECT_EQ(KeyBefore(plain.log, "go"), KeyBefore(run.log, "force"));
  }
}

TEST(Pondering, TimePonderedCountsTowardsTheMove) {
  // A budget of one second; the prediction comes true after more than that was pondered, so
  // the answer comes at once.
  EngineSandbox sandbox;
  EngineSession session(sandbox);
  session.Send("xboard\nnew\ntime 4100\notim 4100\ne2e4\n");
  ASSERT_NE(session.NextOutputLine("move "), "");
  const int ponderLine = session.WaitForLog("-ponder move: ");
  ASSERT_GE(ponderLine, 0);
  const std::string predicted = session.Log()[ponderLine].substr(14);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const auto sent = std::chrono::steady_clock::now();
  session.Send(predicted + "\n");
  ASSERT_NE(session.NextOutputLine("move "), "");
  const auto answered = std::chrono::steady_clock::now();
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(answered - sent).count(), 600);
  session.Send("quit\n");
  EngineRun run = session.Finish();
  ExpectCleanExit(run);
  EXPECT_GT(FindLine(run.log, "-GOOD PONDER"), ponderLine);
}

TEST(Pondering, StoppingCommandsTakeThePredictionBack) {
  // The words after the engine's move are read while it ponders.
  EngineSandbox sandbox;
  EngineRun force = sandbox.Run("xboard\nnew\ne2e4\nforce\ngo\nquit\n");
  ExpectCleanExit(force);
  const Lines moves = MovesPlayed(force.output);
  ASSERT_EQ(moves.size(), 2u);
  ASSERT_LT(FindLine(force.log, "-ponder move: "), FindLine(force.log, "::cmd:: force"));
  EXPECT_EQ(SearchFenAfter(force.log, "go"), FenAfter(StartFen, {"e2e4", moves[0]}));

  EngineRun quit = sandbox.Run("xboard\nnew\ne2e4\nquit\n");
  ExpectCleanExit(quit);
  const int ponder = FindLine(quit.log, "-ponder move: ");
  ASSERT_GE(ponder, 0);
  EXPECT_GT(FindLine(quit.log, "-M: exited StopEngine", ponder), ponder);
  EXPECT_EQ(quit.log.back(), "-M: exited StartEngine");

  // "easy" turns pondering off for the next move.
  EngineRun easy = sandbox.Run("xboard\nnew\neasy\ne2e4\nquit\n");
  ExpectCleanExit(easy);
  EXPECT_EQ(FindLine(easy.log, "-ponder move: "), -1);
  EXPECT_GE(FindLine(easy.log, "- NO ponder move"), 0);
}

TEST(Game, TestCommandSearchesWithoutALimit) {
  // "test" searches the start position until the search ends by itself, reading no input
  // meanwhile: the engine is still thinking when it is killed.
  EngineSandbox sandbox;
  EngineRun run = sandbox.Run("xboard\ntest\nquit\n", 2000);
  EXPECT_FALSE(run.finished);
  EXPECT_EQ(FindLine(run.log, "::cmd:: quit"), -1);
  EXPECT_GE(FindLine(run.log, "M-WAIT "), 0);
  EXPECT_GE(FindLine(run.log, "-E: 3:"), 0);
  EXPECT_EQ(SearchFenAfter(run.log, "test"), StartFen);
  EXPECT_EQ(MovesPlayed(run.output).size(), 0u);
}

TEST(Commands, EveryPrefixCommandMatchesItsPrefix) {
  struct Case {
    std::string input;    // after "xboard"
    std::string logLine;  // a line the command writes
    Lines words;
  };
  const Case cases[] = {
      {"timex 900 otim 850\nquit\n", "", {"timex", "quit"}},
      {"golf\nquit\n", "M-WAIT ", {"golf", "quit"}},
      {"newgame\nquit\n", "-M: entered StopEngine", {"newgame", "quit"}},
      {"results\nquit\n", "-M: entered StopEngine", {"results", "quit"}},
      {"levels 40 5 0\nquit\n", "", {"levels", "quit"}},
      {"forced\nquit\n", "-M: entered StopEngine", {"forced", "quit"}},
      {"setboardx 8/8/8/4k3/8/8/8/4K3 w - -\nquit\n", "setboard  8/8/8/4k3/8/8/8/4K3 w - -", {"setboardx", "quit"}},
      {"whites\nquit\n", "-M: entered StopEngine", {"whites", "quit"}},
      {"blacks\nquit\n", "-M: entered StopEngine", {"blacks", "quit"}},
      {"quitting\nbenchmark\n", "", {"quitting"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run("xboard\n" + c.input);
    ExpectCleanExit(run);
    EXPECT_EQ(CommandWords(run.log), c.words);
    if (!c.logLine.empty()) {
      EXPECT_GT(FindLine(run.log, c.logLine), 0);
    }
  }
}

// The book move and the book-exit budget, in this process with a stand-in book entry.
TEST(Book, BookMoveThenTheBookExitBudgetOnce) {
  PlayHere(StartFen, {});
  StoreBookMove(ParseCoordinateMove("e2e4"));
  MovesPerTimeControl = 40;
  MoveBudgetMs = 200;
  BookExitPending = 0;
  EngineMode = Idle;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(TryBookMove());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "move e2e4\n");
  EXPECT_EQ(BookExitPending, 1);
  EXPECT_EQ(EngineMode, WaitingForMove);
  const std::string afterBook = FenHere();
  EXPECT_EQ(afterBook, FenAfter(StartFen, {"e2e4"}));
  EXPECT_EQ(MoveBudgetMs, 200u);

  // No book move for the reply: the budget is raised once.
  PlayHere(StartFen, {"e2e4"});
  BookExitPending = 1;
  EXPECT_FALSE(TryBookMove());
  EXPECT_EQ(MoveBudgetMs, 600u);
  EXPECT_EQ(BookExitPending, 0);
  EXPECT_FALSE(TryBookMove());
  EXPECT_EQ(MoveBudgetMs, 600u);

  // A generation-0 slot whose move is no legal move here is not played.
  PlayHere(StartFen, {});
  StoreBookMove(ParseCoordinateMove("e2e5"));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(TryBookMove());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(FenHere(), StartFen);
  EngineMode = Idle;
}

}  // namespace
