#include "frontend/commandloop.h"

#include <cstdlib>
#include <cstring>

#include "frontend/engine.h"
#include "frontend/log.h"
#include "frontend/timecontrol.h"
#include "position/tables.h"
#include "search/search.h"

uint8_t PonderEnabled = 1;
Move PonderMove = 0;

namespace {

constexpr const char* StartPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The word just read at the top of the loop; the conversion commands read their first file
// name over it.
char Word[WordBufferSize];

// Stops the engine: it is idle and EngineMode is Idle when this returns. A ponder move on the
// board would be taken back here as well; nothing sets PonderMove yet.
void Stop() { StopEngine(); }

// Each command returns false to leave the loop.
bool RunTime(FILE* in) {
  ReadTimeCommand(in);
  return true;
}

// Coordinate moves of the game are not taken yet: every word falls through to the commands
// below it in the table.
bool IsGameMove(const char* /*word*/) { return false; }
bool RunGameMove(FILE* /*in*/) { return true; }

bool RunGo(FILE* /*in*/) {
  Stop();
  return true;
}

bool RunNew(FILE* /*in*/) {
  Stop();
  SetupPosition(StartPosition, true);
  EngineMode = WaitingForMove;
  return true;
}

bool RunLevel(FILE* in) {
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
  if (!SetupPosition(line, true)) DiagnosticLog.Line("-M: tellusererror Illegal position");
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
bool RunWhite(FILE* /*in*/) {
  Stop();
  if (!SetSideToMove(White)) DiagnosticLog.Line("-M: side to move unchanged: the other king would be in check");
  return true;
}

bool RunBlack(FILE* /*in*/) {
  Stop();
  if (!SetSideToMove(Black)) DiagnosticLog.Line("-M: side to move unchanged: the other king would be in check");
  return true;
}

// The four game-file conversions: both file names are read; the conversions themselves are
// not run yet.
bool RunConversion(FILE* in) {
  Stop();
  char secondName[WordBufferSize];
  ReadWord(in, Word);
  ReadWord(in, secondName);
  return true;
}

bool RunBenchmark(FILE* /*in*/) {
  Stop();
  fputs("Define __STAT\n", stdout);
  return true;
}

bool RunTest(FILE* /*in*/) {
  Stop();
  SetupPosition(StartPosition, true);
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
    {"pgn2game", Match::WholeWord, RunConversion},
    {"pgnlist2game", Match::WholeWord, RunConversion},
    {"game2pgn", Match::WholeWord, RunConversion},
    {"game2pos", Match::WholeWord, RunConversion},
    {"benchmark", Match::WholeWord, RunBenchmark},
    {"test", Match::WholeWord, RunTest},
};

bool Matches(const Command& command, const char* word) {
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

void ReadLevelCommand(FILE* in) {
  int moves = 0;
  int increment = 0;
  char base[WordBufferSize];
  if (std::fscanf(in, "%d", &moves) != 1) return;
  // The base is one word, either minutes ("5") or minutes:seconds ("0:30"), so that the
  // increment after it is read whatever its form.
  if (std::fscanf(in, "%255s", base) != 1) return;
  if (std::fscanf(in, "%d", &increment) != 1) increment = 0;
  SetLevel(moves, static_cast<int32_t>(std::strtol(base, nullptr, 10)), increment);
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

  EngineMode = WaitingForMove;
  Pos.currentFrame = &PlyFrames[0];
  LaunchEngineThread();
  InitTables();
  ClearTranspositionTable();
  // The interface sends "new" or "setboard" before anything else; until then the engine holds
  // the initial position rather than an empty board no search could work on.
  SetupPosition(StartPosition, false);
  std::fputs("feature done=1\n", stdout);
  return true;
}

void CommandLoop() {
  PonderEnabled = 1;
  EngineMode = Idle;
  if (!ProtocolHandshake()) return;
  // The end of input counts as "quit": nothing more can arrive.
  while (ReadWord(stdin, Word)) {
    DiagnosticLog.Line("::cmd:: ", Word);
    if (!Dispatch(Word, stdin)) break;
  }
  ShutdownEngine();
}
