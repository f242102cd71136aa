#include "frontend/commandloop.h"

#include <poll.h>

#include <cstdlib>
#include <cstring>

#include "frontend/engine.h"
#include "frontend/game.h"
#include "frontend/log.h"
#include "frontend/output.h"
#include "frontend/timecontrol.h"
#include "notation/notation.h"
#include "position/tables.h"
#include "search/search.h"
#include "tools/gamedb.h"

uint8_t PonderEnabled = 1;
bool ExtendedProtocol = false;
std::atomic<bool> PostThinking{false};
uint32_t FixedMoveTimeMs = 0;
int32_t SearchDepthLimit = 128;

namespace {

constexpr const char* StartPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The word just read at the top of the loop; the conversion commands read their first file
// name over it.
char Word[WordBufferSize];

bool ReadIntegerIfPresent(FILE* in, int* value);

// A word read while the engine thought (extended mode), to be run before any further input.
char PendingWord[WordBufferSize];
bool HasPendingWord = false;
// The end of input was met while the engine thought.
bool InputEnded = false;

// Stops the engine: it is idle and EngineMode is Idle when this returns, and a ponder move on
// the board has been taken back, so the board is the game position.
void Stop() {
  StopEngine();
  if (PonderMove != 0) AbandonPonder();
}

// Each command returns false to leave the loop.
bool RunTime(FILE* in) {
  ReadTimeCommand(in);
  return true;
}

// The move the last word denotes, set by IsGameMove for RunGameMove.
Move WordMove = 0;

// A coordinate word is a game move in every mode but Thinking and Quitting, in which the word
// goes on to the commands below it (neither mode is current when the loop reads a word).
bool IsGameMove(const char* word) {
  const int32_t mode = EngineMode.load();
  if (mode == Thinking || mode == Quitting) return false;
  WordMove = ParseCoordinateMove(word);
  return WordMove != 0;
}

// Makes the opponent's move on the game position (the engine stopped, no ponder move on the
// board). A move that is not legal there, or any move while the board is not the interface's,
// is refused with the protocol's reply, which makes the interface take it back.
bool PlayOpponentMove(const char* word, Move move) {
  if (GamePositionValid && IsLegalGameMove(move) && MakeGameMove(move)) return true;
  Reply("Illegal move: %s\n", word);
  DiagnosticLog.Line("-M: Illegal move: ", word);
  return false;
}

bool RunGameMove(FILE* /*in*/) {
  const Move move = WordMove;
  switch (EngineMode.load()) {
    case Pondering:
      if (move == PonderMove) {
        PonderMove = 0;
        DiagnosticLog.Line("-GOOD PONDER");
        Think();
        break;
      }
      DiagnosticLog.Line("-BAD PONDER");
      StopEngine();
      if (PonderMove != 0) AbandonPonder();
      if (!PlayOpponentMove(Word, move)) {
        // The prediction is off the board; the engine still answers the next move.
        EngineMode = WaitingForMove;
        break;
      }
      Think();
      break;
    case WaitingForMove:
      if (!PlayOpponentMove(Word, move)) break;
      if (!TryBookMove()) Think();
      break;
    default: PlayOpponentMove(Word, move); break;
  }
  return true;
}

bool RunGo(FILE* /*in*/) {
  Stop();
  if (!GamePositionValid) {
    Reply("Error (no position): go\n");
    return true;
  }
  if (!TryBookMove()) Think();
  return true;
}

bool RunNew(FILE* /*in*/) {
  Stop();
  SetUpGame(StartPosition, true);
  EngineMode = WaitingForMove;
  return true;
}

bool RunLevel(FILE* in) {
  // A time control replaces a fixed time per move.
  FixedMoveTimeMs = 0;
  ReadLevelCommand(in);
  return true;
}

bool RunForce(FILE* /*in*/) {
  Stop();
  return true;
}

bool RunSetboard(FILE* in) {
  Stop();
  char line[WordBufferSize];
  ReadRestOfLine(in, line);
  DiagnosticLog.Line("setboard ", line);
  if (SetUpGame(line, true)) return true;
  DiagnosticLog.Line("-M: tellusererror Illegal position");
  // The empty line after "accepted setboard" is no position the interface meant to set up.
  if (line[std::strspn(line, " \t\r\n")] == '\0') return true;
  Reply("tellusererror Illegal position\n");
  // The interface now shows another board than the engine's: no move is made from it until
  // the next successful setup.
  GamePositionValid = false;
  return true;
}

bool RunEasy(FILE* /*in*/) {
  PonderEnabled = 0;
  return true;
}

bool RunHard(FILE* /*in*/) {
  PonderEnabled = 1;
  return true;
}

bool RunQuit(FILE* /*in*/) { return false; }

// "white" and "black" hand the move to that side. A switch that would let it take the other
// king is refused (and logged); the rest of the position stays.
// A real switch becomes the start that take-backs stop at.
void SwitchSideToMove(int side) {
  if (side == Pos.sideToMove) return;
  if (!SetSideToMove(side)) {
    DiagnosticLog.Line("-M: side to move unchanged: the other king would be in check");
    return;
  }
  RebaseGameSetup();
}

bool RunWhite(FILE* /*in*/) {
  Stop();
  SwitchSideToMove(White);
  return true;
}

bool RunBlack(FILE* /*in*/) {
  Stop();
  SwitchSideToMove(Black);
  return true;
}

// The four game-file conversions: the first file name is read over the command word, the
// second into a buffer of its own; the conversion leaves the initial position on the board.
template <void (*Convert)(const char*, const char*)>
bool RunConversion(FILE* in) {
  Stop();
  char secondName[WordBufferSize];
  ReadWord(in, Word);
  ReadWord(in, secondName);
  Convert(Word, secondName);
  return true;
}

void PgnToGameFromZero(const char* pgnName, const char* gameName) {
  int converted = 0;
  PgnToGame(pgnName, gameName, converted);
}

bool RunBenchmark(FILE* /*in*/) {
  Stop();
  Reply("Define __STAT\n");
  return true;
}

// A search of the start position without a time limit: it runs until it ends by itself.
bool RunTest(FILE* /*in*/) {
  Stop();
  SetUpGame(StartPosition, true);
  SetTestBudget();
  EngineMode = WaitingForMove;
  StopEngine();
  if (!TryBookMove()) Think();
  return true;
}

// "undo" takes back the last game move and leaves the engine idle; "remove" takes back two
// (the user's move and the engine's reply) and waits for the user's move again.
bool RunUndo(FILE* /*in*/) {
  Stop();
  TakeBackGameMoves(1);
  return true;
}

bool RunRemove(FILE* /*in*/) {
  Stop();
  TakeBackGameMoves(2);
  EngineMode = WaitingForMove;
  return true;
}

// The commands of the extended mode.

bool RunPing(FILE* in) {
  char label[WordBufferSize];
  ReadWord(in, label);
  Reply("pong %s\n", label);
  return true;
}

bool RunPost(FILE* /*in*/) {
  PostThinking = true;
  return true;
}

bool RunNoPost(FILE* /*in*/) {
  PostThinking = false;
  return true;
}

// "?" while the engine thinks is taken by the wait in Think; at any other time there is no
// move to hurry.
bool RunMoveNow(FILE* /*in*/) { return true; }

bool RunFixedTime(FILE* in) {
  int seconds = 0;
  if (!ReadIntegerIfPresent(in, &seconds)) return true;
  FixedMoveTimeMs = seconds > 0 ? static_cast<uint32_t>(std::min(seconds, 1000000)) * 1000u : 0u;
  return true;
}

bool RunFixedDepth(FILE* in) {
  int depth = 0;
  if (!ReadIntegerIfPresent(in, &depth)) return true;
  SearchDepthLimit = depth > 0 && depth < 128 ? depth : 128;
  return true;
}

// The interface's answer to a feature line names the feature: read and ignored.
bool RunFeatureAnswer(FILE* in) {
  char name[WordBufferSize];
  ReadWord(in, name);
  return true;
}

enum class Match {
  Prefix,     // the word begins with the command: "quitting" runs "quit"
  WholeWord,  // the word is the command
  GameMove,   // the word is a coordinate move of the game
};

struct Command {
  const char* name;
  Match match;
  bool (*run)(FILE* in);
  bool extendedOnly = false;  // a command of the extended mode, an ordinary word otherwise
};

// Compared in this order; the first match runs. Matching is case-sensitive.
constexpr Command Commands[] = {
    {"time", Match::Prefix, RunTime},
    {nullptr, Match::GameMove, RunGameMove},
    {"go", Match::Prefix, RunGo},
    {"new", Match::Prefix, RunNew},
    {"result", Match::Prefix, RunNew},
    {"level", Match::Prefix, RunLevel},
    {"force", Match::Prefix, RunForce},
    {"setboard", Match::Prefix, RunSetboard},
    {"easy", Match::WholeWord, RunEasy},
    {"hard", Match::WholeWord, RunHard},
    {"quit", Match::Prefix, RunQuit},
    {"white", Match::Prefix, RunWhite},
    {"black", Match::Prefix, RunBlack},
    {"pgn2game", Match::WholeWord, RunConversion<PgnToGameFromZero>},
    {"pgnlist2game", Match::WholeWord, RunConversion<PgnListToGame>},
    {"game2pgn", Match::WholeWord, RunConversion<GameToPgn>},
    {"game2pos", Match::WholeWord, RunConversion<GameToPositions>},
    {"benchmark", Match::WholeWord, RunBenchmark},
    {"test", Match::WholeWord, RunTest},
    {"undo", Match::WholeWord, RunUndo},
    {"remove", Match::WholeWord, RunRemove},
    {"ping", Match::WholeWord, RunPing, true},
    {"post", Match::WholeWord, RunPost, true},
    {"nopost", Match::WholeWord, RunNoPost, true},
    {"?", Match::WholeWord, RunMoveNow, true},
    {"st", Match::WholeWord, RunFixedTime, true},
    {"sd", Match::WholeWord, RunFixedDepth, true},
    {"accepted", Match::WholeWord, RunFeatureAnswer, true},
    {"rejected", Match::WholeWord, RunFeatureAnswer, true},
};

bool Matches(const Command& command, const char* word) {
  if (command.extendedOnly && !ExtendedProtocol) return false;
  switch (command.match) {
    case Match::Prefix: return std::strncmp(word, command.name, std::strlen(command.name)) == 0;
    case Match::WholeWord: return std::strcmp(word, command.name) == 0;
    case Match::GameMove: return IsGameMove(word);
  }
  return false;
}

// Runs the first command that matches the word; a word that matches none is ignored.
bool Dispatch(const char* word, FILE* in) {
  for (const Command& command : Commands) {
    if (Matches(command, word)) return command.run(in);
  }
  return true;
}

struct Feature {
  const char* name;
  const char* value;
};
constexpr Feature Features[] = {{"done", "0"}, {"setboard", "1"}};
// Sent after those in the extended mode.
constexpr Feature ExtendedFeatures[] = {{"ping", "1"},    {"myname", "\"Quillo\""}, {"sigint", "0"},
                                        {"sigterm", "0"}, {"colors", "0"},          {"analyze", "0"}};

// The next word for the loop: the one read during the engine's thinking, if any, else one from
// in. False at the end of input.
bool NextWord(FILE* in, char* buffer) {
  if (HasPendingWord) {
    HasPendingWord = false;
    std::memcpy(buffer, PendingWord, WordBufferSize);
    return true;
  }
  if (InputEnded) return false;
  return ReadWord(in, buffer);
}

}  // namespace

bool ReadWord(FILE* in, char* buffer) {
  if (std::fscanf(in, "%255s", buffer) == 1) return true;
  buffer[0] = '\0';
  return false;
}

void ReadTimeCommand(FILE* in) {
  int own = 0;
  int opponent = 0;
  char label[WordBufferSize];
  if (std::fscanf(in, "%d %255s %d", &own, label, &opponent) >= 1) SetClockBudget(own, opponent);
}

namespace {

// Reads an integer when the next word begins with one; a word that does not is left unread for
// the command loop.
bool ReadIntegerIfPresent(FILE* in, int* value) {
  int c = std::fgetc(in);
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = std::fgetc(in);
  if (c == EOF) return false;
  std::ungetc(c, in);
  if (!(c >= '0' && c <= '9') && c != '-' && c != '+') return false;
  return std::fscanf(in, "%d", value) == 1;
}

}  // namespace

void ReadLevelCommand(FILE* in) {
  int moves = 0;
  int base = 0;
  int increment = 0;
  if (!ReadIntegerIfPresent(in, &moves)) return;
  // The base is minutes ("5") or minutes:seconds ("0:30", "1:30:00"); the parts after the
  // first are read over, so that the increment after it is read whatever its form.
  if (ReadIntegerIfPresent(in, &base)) {
    int c = std::fgetc(in);
    while (c == ':') {
      int part = 0;
      if (std::fscanf(in, "%d", &part) != 1) break;
      c = std::fgetc(in);
    }
    if (c != EOF && c != ':') std::ungetc(c, in);
    if (!ReadIntegerIfPresent(in, &increment)) increment = 0;
  }
  SetLevel(moves, base, increment);
}

bool PollMoveNow() {
  if (HasPendingWord || InputEnded) return false;
  pollfd input{0, POLLIN, 0};
  if (poll(&input, 1, 0) <= 0) return false;
  const int c = std::fgetc(stdin);
  if (c == EOF) {
    InputEnded = true;
    return false;
  }
  // Blanks are read one at a time, so that a wait never blocks on input without a word.
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return false;
  std::ungetc(c, stdin);
  if (!ReadWord(stdin, PendingWord)) {
    InputEnded = true;
    return false;
  }
  if (std::strcmp(PendingWord, "?") == 0) {
    DiagnosticLog.Line("::cmd:: ", PendingWord);
    return true;
  }
  HasPendingWord = true;
  return false;
}

void ReadRestOfLine(FILE* in, char* buffer) {
  if (std::fgets(buffer, WordBufferSize - 1, in) == nullptr) buffer[0] = '\0';
}

bool ProtocolHandshake() {
  BookExitPending = 0;
  EngineMode = WaitingForMove;
  // Every reply must reach the interface as soon as it is printed.
  std::setbuf(stdout, nullptr);
  std::setbuf(stdin, nullptr);
  std::fflush(nullptr);

  char first[WordBufferSize];
  if (!ReadWord(stdin, first) || std::strncmp(first, "xboard", 6) != 0) {
    std::fputs("Engine works only with xboard protocol ver. 2\n", stdout);
  }
  std::fputs("\n", stdout);
  for (const Feature& feature : Features) std::printf("feature %s=%s\n", feature.name, feature.value);
  if (ExtendedProtocol) {
    for (const Feature& feature : ExtendedFeatures) std::printf("feature %s=%s\n", feature.name, feature.value);
    IterationReport = PrintThinkingLine;
    EngineSearch = SearchWithThinking;
  }

  EngineMode = WaitingForMove;
  Pos.currentFrame = &PlyFrames[0];
  LaunchEngineThread();
  InitTables();
  ClearTranspositionTable();
  // The interface sends "new" or "setboard" before anything else; until then the engine holds
  // the initial position rather than an empty board no search could work on.
  SetUpGame(StartPosition, false);
  std::fputs("feature done=1\n", stdout);
  return true;
}

void CommandLoop() {
  PonderEnabled = 1;
  EngineMode = Idle;
  if (!ProtocolHandshake()) return;
  // The end of input counts as "quit": nothing more can arrive.
  while (NextWord(stdin, Word)) {
    DiagnosticLog.Line("::cmd:: ", Word);
    if (!Dispatch(Word, stdin)) break;
  }
  ShutdownEngine();
}
