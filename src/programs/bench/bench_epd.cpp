// quillo-bench epd <file> <milliseconds>: a test-suite runner. Each line of the file is an EPD
// position with "bm" (best moves) or "am" (moves to avoid) and usually an "id"; the runner sets it
// up, searches it on the engine thread for the given time and prints one line per position, then
// "epd solved <S> of <N> time_ms <T>".
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "frontend/engine.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/position.h"
#include "programs/bench/bench.h"
#include "search/search.h"

namespace {

// Longest accepted search time per position: an hour.
constexpr long MaxSearchMs = 3600000;

// The operations of one EPD line that the runner reads.
struct EpdLine {
  std::string id;
  std::vector<std::string> best;   // "bm" operands, SAN
  std::vector<std::string> avoid;  // "am" operands, SAN
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNumber(const std::string& word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

// Reads the operations after the four position fields: "opcode operand ... ;" each, where an
// operand may be a quoted string. Move counters standing right after the fields are skipped.
EpdLine ReadOperations(const std::string& line) {
  EpdLine result;
  size_t i = 0;
  const size_t n = line.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(line[i])) ++i;
  };
  auto readWord = [&] {
    const size_t begin = i;
    while (i < n && !IsBlank(line[i]) && line[i] != ';') ++i;
    return line.substr(begin, i - begin);
  };
  for (int field = 0; field < 4; ++field) {
    skipBlanks();
    readWord();
  }
  for (int counter = 0; counter < 2; ++counter) {
    skipBlanks();
    const size_t mark = i;
    if (!IsNumber(readWord())) {
      i = mark;
      break;
    }
  }
  while (true) {
    skipBlanks();
    if (i >= n) break;
    if (line[i] == ';') {
      ++i;
      continue;
    }
    const std::string opcode = readWord();
    std::vector<std::string> operands;
    while (true) {
      skipBlanks();
      if (i >= n) break;
      if (line[i] == ';') {
        ++i;
        break;
      }
      if (line[i] == '"') {
        const size_t close = line.find('"', i + 1);
        const size_t end = close == std::string::npos ? n : close;
        operands.push_back(line.substr(i + 1, end - i - 1));
        i = close == std::string::npos ? n : close + 1;
      } else {
        operands.push_back(readWord());
      }
    }
    if (opcode == "id" && !operands.empty() && result.id.empty()) result.id = operands[0];
    if (opcode == "bm") result.best.insert(result.best.end(), operands.begin(), operands.end());
    if (opcode == "am") result.avoid.insert(result.avoid.end(), operands.begin(), operands.end());
  }
  return result;
}

// Reads each SAN text into a legal move of the current position; false at the first text that
// does not denote one, which is then left in *unreadable.
bool ReadMoves(const std::vector<std::string>& texts, std::vector<Move>* moves, std::string* unreadable) {
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static PlyFrame frame;
  const int count = GenerateLegalMoves(legal, scratch, &frame);
  for (const std::string& text : texts) {
    const Move move = ParseSanMove(text.c_str());
    bool isLegal = false;
    for (int i = 0; i < count && move != 0; ++i) isLegal |= legal[i] == move;
    if (!isLegal) {
      *unreadable = text;
      return false;
    }
    moves->push_back(move);
  }
  return true;
}

bool Contains(const std::vector<Move>& moves, Move move) {
  for (Move m : moves) {
    if (m == move) return true;
  }
  return false;
}

std::string Joined(const char* opcode, const std::vector<std::string>& texts) {
  std::string out;
  if (texts.empty()) return out;
  out = std::string(" ") + opcode;
  for (const std::string& text : texts) out += " " + text;
  return out;
}

int Usage() {
  std::fprintf(stderr, "usage: quillo-bench epd <file> <milliseconds 1..%ld>\n", MaxSearchMs);
  return 2;
}

}  // namespace

int BenchEpd(int argc, char** argv) {
  if (argc != 2) return Usage();
  char* end = nullptr;
  errno = 0;
  const long ms = std::strtol(argv[1], &end, 10);
  if (errno != 0 || end == argv[1] || *end != 0 || ms < 1 || ms > MaxSearchMs) return Usage();
  std::ifstream file(argv[0]);
  if (!file) {
    std::fprintf(stderr, "epd: cannot read %s\n", argv[0]);
    return 2;
  }

  LaunchEngineThread();
  int solved = 0, total = 0, lineNumber = 0;
  long long totalMs = 0;
  std::string line;
  while (std::getline(file, line)) {
    ++lineNumber;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    ++total;
    const EpdLine epd = ReadOperations(line);
    const std::string id = epd.id.empty() ? "line " + std::to_string(lineNumber) : epd.id;
    const std::string expected = Joined("bm", epd.best) + Joined("am", epd.avoid);
    std::fflush(stdout);  // the setup may print a warning of its own
    if (!SetupPosition(line.c_str(), false)) {
      std::printf("%s setup failed unsolved\n", id.c_str());
      continue;
    }
    std::vector<Move> best, avoid;
    std::string unreadable;
    if (epd.best.empty() && epd.avoid.empty()) {
      std::printf("%s no bm or am unsolved\n", id.c_str());
      continue;
    }
    if (!ReadMoves(epd.best, &best, &unreadable) || !ReadMoves(epd.avoid, &avoid, &unreadable)) {
      std::printf("%s cannot read move %s unsolved\n", id.c_str(), unreadable.c_str());
      continue;
    }

    NodeCount = 0;
    const int32_t start = ClockMs();
    EngineMode = Thinking;
    StartEngine(127);
    if (!EngineStoppedEvent.WaitFor(static_cast<uint32_t>(ms))) StopEngine();
    const int32_t elapsed = ClockMs() - start;
    EngineMode = Idle;
    totalMs += elapsed;

    const Move played = SearchResult.move;
    const bool isMove = played != 0 && MoveKindOf(played) != NonMove;
    const bool ok = isMove && (best.empty() || Contains(best, played)) && !Contains(avoid, played);
    if (ok) ++solved;
    char text[8];
    FormatCoordinateMove(text, played);
    std::printf("%s move %s%s %s depth %u time_ms %d\n", id.c_str(), text, expected.c_str(), ok ? "solved" : "unsolved",
                CompletedDepth, elapsed);
    std::fflush(stdout);
  }
  std::printf("epd solved %d of %d time_ms %lld\n", solved, total, totalMs);
  ShutdownEngine();
  return 0;
}
