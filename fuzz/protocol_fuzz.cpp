// Protocol fuzzer: random xboard sessions piped into a quillo binary (normally the ASan + UBSan
// build). Each session mixes valid commands with odd arguments, malformed and valid FENs, legal
// and illegal move words, junk bytes, very long words, the conversion commands, and ends with
// "quit" (also while the engine thinks or ponders) or with the end of input at any point, even
// inside a line. Every session must end with exit status 0 within a bounded time and without a
// sanitizer report. While the fuzzer knows the game (it mirrors every command it sent with the
// engine's own game functions), each "move X" the engine prints must be one of the legal moves
// of that position, a position without legal moves must be answered by a result line, and an
// illegal move word must get "Illegal move". After junk the fuzzer resynchronises on the output
// of "benchmark" and sets up a position again.
//
//   quillo-protocol-fuzz --engine PATH [--sessions N] [--seed S] [--work DIR] [--max-seconds T]
//                        [--verbose]
// (--max-seconds starts no session after T seconds.)
//
// The input of each session is determined by the seed and the engine's own replies (the moves
// it chooses depend on timing); the input of a failed session is saved with the engine's output
// under DIR/failures, ready to be piped into quillo again.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "frontend/game.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/position.h"
#include "position/tables.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Most time the engine may take to answer one command, and to exit after the last one: the
// largest clock the sessions send caps a move at 1.5 s, the rest is room for a slow sanitizer
// build on a busy machine.
constexpr int ReplyTimeoutMs = 15000;
constexpr int ExitTimeoutMs = 20000;

const char* const ValidFens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "4k3/8/8/3pP3/8/8/8/4K3 w - d6",
    "7k/5Q2/6K1/8/8/8/8/8 w - -",          // mate in one
    "7k/8/6QK/8/8/8/8/8 b - -",            // stalemate, black to move
    "k7/8/1K6/8/8/8/8/1R6 b - -",          // mated? no: black to move, Rb1 does not check
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",   // back-rank mate in one
    "8/8/8/8/8/8/6k1/4K2R w K -",          // castling next to the enemy king
    "4k3/8/8/8/8/8/8/4K2R w K - bm O-O;",  // EPD operation
    "4k3/8/8/8/8/8/8/4K3 w - - am Nf3;",   // EPD move that is no move
    "8/P7/8/8/8/8/8/k1K5 w - -",           // promotion
    "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -",
    "8/8/4k3/8/8/4K3/8/8 w - -",  // bare kings
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6",
};

const char* const CommandWords[] = {"time",     "go",       "new",       "result", "level",  "force",    "setboard",
                                    "easy",     "hard",     "quit",      "white",  "black",  "pgn2game", "pgnlist2game",
                                    "game2pgn", "game2pos", "benchmark", "undo",   "remove", "xboard",   "protover",
                                    "accepted", "post",     "computer",  "name",   "?",      "otim",     "draw",
                                    "ping",     "st",       "sd"};

// ---- the engine process ---------------------------------------------------------------------

struct EngineProcess {
  pid_t pid = -1;
  int in = -1;   // the engine's standard input
  int out = -1;  // its standard output
  std::string partial;
  std::deque<std::string> lines;
  std::string allOutput;
  bool outputEnded = false;

  bool Start(const std::string& path, const std::string& dir) {
    int toEngine[2], fromEngine[2];
    if (pipe(toEngine) != 0 || pipe(fromEngine) != 0) return false;
    pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      dup2(toEngine[0], 0);
      dup2(fromEngine[1], 1);
      const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, 2);
      for (int fd = 3; fd < 256; ++fd) close(fd);
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toEngine[0]);
    close(fromEngine[1]);
    in = toEngine[1];
    out = fromEngine[0];
    fcntl(in, F_SETFL, fcntl(in, F_GETFL) | O_NONBLOCK);
    fcntl(out, F_SETFL, fcntl(out, F_GETFL) | O_NONBLOCK);
    return true;
  }

  // Reads what the engine has printed, waiting at most timeoutMs for something to arrive.
  void Pump(int timeoutMs) {
    if (outputEnded) {
      if (timeoutMs > 0) usleep(static_cast<useconds_t>(std::min(timeoutMs, 50)) * 1000);
      return;
    }
    pollfd p{out, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return;
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(out, buffer, sizeof buffer);
      if (n > 0) {
        allOutput.append(buffer, static_cast<size_t>(n));
        partial.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = partial.find('\n')) != std::string::npos) {
          std::string line = partial.substr(0, end);
          if (!line.empty() && line.back() == '\r') line.pop_back();
          lines.push_back(line);
          partial.erase(0, end + 1);
        }
        continue;
      }
      if (n == 0) outputEnded = true;
      return;
    }
  }

  // Writes all of text, reading output meanwhile; false when the engine stopped reading (its
  // input closed or full for longer than the reply time-out).
  bool Write(const std::string& text) {
    if (in < 0) return false;
    size_t done = 0;
    const auto start = Clock::now();
    while (done < text.size()) {
      const ssize_t n = write(in, text.data() + done, text.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
      if (MsSince(start) > ReplyTimeoutMs) return false;
      Pump(10);
    }
    return true;
  }

  void CloseInput() {
    if (in >= 0) close(in);
    in = -1;
  }

  // Waits for the engine to exit, reading its output; returns the wait status, or -1 after the
  // time-out (the engine is then killed).
  int Wait(int timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) {
        Pump(0);
        pid = -1;
        return status;
      }
      if (MsSince(start) > timeoutMs) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        pid = -1;
        return -1;
      }
      Pump(20);
    }
  }

  ~EngineProcess() {
    CloseInput();
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0) close(out);
  }
};

// ---- one session ------------------------------------------------------------------------------

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsResultLine(const std::string& line) {
  return StartsWith(line, "1-0") || StartsWith(line, "0-1") || StartsWith(line, "1/2-1/2");
}

// The result lines that follow the engine's own move (the game ended with it), as opposed to
// those printed instead of a move (the game was over when the engine was to move).
bool IsTrailingResult(const std::string& line) {
  return IsResultLine(line) && (line.find("mates 1") != std::string::npos || line.find("(22)") != std::string::npos ||
                                line.find("(33)") != std::string::npos || line.find("(44)") != std::string::npos);
}

// A line the engine prints on its own, not as the answer to a move or "go".
bool IsNotice(const std::string& line) {
  return !StartsWith(line, "move ") && !IsResultLine(line) && !StartsWith(line, "Illegal move") &&
         !StartsWith(line, "Error (no position)");
}

std::string Coordinate(Move move) {
  char text[8];
  FormatCoordinateMove(text, move);
  return text;
}

class Session {
 public:
  Session(uint64_t seed, std::string dir, bool verbose) : rng_(seed), dir_(std::move(dir)), verbose_(verbose) {}

  // Runs the session against the engine; returns an empty text on success, else what failed.
  std::string Run(const std::string& enginePath) {
    if (!engine_.Start(enginePath, dir_)) return "cannot start the engine";
    PutFiles();
    std::string failure = Play();
    if (!failure.empty()) return failure;
    const int status = engine_.Wait(ExitTimeoutMs);
    if (status == -1) return "the engine did not exit in time after the end of the session";
    if (!WIFEXITED(status)) return "the engine died by signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0) return "the engine exited with status " + std::to_string(WEXITSTATUS(status));
    std::ifstream err(dir_ + "/stderr.txt");
    std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    if (text.find("Sanitizer") != std::string::npos || text.find("runtime error") != std::string::npos) {
      return "sanitizer report on standard error";
    }
    // Every line after the end of the session was still checked when it arrived.
    return CheckPending();
  }

  const std::string& Input() const { return input_; }
  const std::string& Output() const { return engine_.allOutput; }

 private:
  std::mt19937_64 rng_;
  std::string dir_;
  bool verbose_;
  EngineProcess engine_;
  std::string input_;
  // What the fuzzer knows: tracked_ while its mirror of the game matches the engine's; answers_
  // while the engine answers the next move word (WaitingForMove or Pondering).
  bool tracked_ = false;
  bool answers_ = true;
  bool ponder_ = true;
  bool lastWasMove_ = false;
  std::string trailingFault_;
  int movesAfterEngineMove_ = 0;  // legal replies to the engine's last move

  uint64_t Below(uint64_t n) { return n == 0 ? 0 : rng_() % n; }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }

  void PutFiles() {
    // A book for some sessions, and a PGN file and a game file for the conversion commands.
    if (Chance(30)) {
      std::ofstream book(dir_ + "/Quillo.book", std::ios::binary);
      const unsigned char lines[] = {'2', '\n', 2, 0x24, 0x0D, 0x1C, 0x03, 1, 0xE3, 0x0C};
      book.write(reinterpret_cast<const char*>(lines), Chance(20) ? 5 : sizeof lines);
    }
    std::ofstream pgn(dir_ + "/in.pgn");
    pgn << "[Event \"x\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 {c} 4. Ba4 (4. Bxc6) Nf6 1-0\n\n"
           "[Result \"*\"]\n1. d4 *\n[Result \"0-1\"]\n1. f3 e5 2. g4 Qh4# 0-1\n";
    std::ofstream list(dir_ + "/list.txt");
    list << "in.pgn\nmissing.pgn\n";
  }

  bool Send(const std::string& text) {
    input_ += text;
    if (verbose_) std::fprintf(stderr, ">> %s", text.c_str());
    return engine_.Write(text);
  }

  // The next line that is not a notice, waiting until deadline; false at the deadline.
  bool NextAnswer(std::string& line, int timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
      while (!engine_.lines.empty()) {
        line = engine_.lines.front();
        engine_.lines.pop_front();
        if (verbose_) std::fprintf(stderr, "<< %s\n", line.c_str());
        if (IsTrailingResult(line)) {
          trailingFault_ = CheckTrailing(line);
          continue;
        }
        if (!IsNotice(line)) return true;
      }
      const int64_t left = timeoutMs - MsSince(start);
      if (left <= 0 || (engine_.outputEnded && engine_.lines.empty())) return false;
      engine_.Pump(static_cast<int>(std::min<int64_t>(left, 100)));
    }
  }

  // A result line after the engine's move: it must follow a move, and a mate claimed by it
  // needs a position without legal moves.
  std::string CheckTrailing(const std::string& line) {
    if (!tracked_) return "";
    if (!lastWasMove_) return "result line without a move before it: " + line;
    lastWasMove_ = false;
    if (line.find("mates 1") != std::string::npos && movesAfterEngineMove_ != 0) {
      return "mate claimed with legal moves on the board: " + line;
    }
    return "";
  }

  int LegalCount() {
    Move legal[MaxListMoves];
    static ScoredMove scratch[MaxListMoves];
    PlyFrame frame;
    return GenerateLegalMoves(legal, scratch, &frame);
  }

  // Lines that arrived without being asked for: a move among them is a fault.
  std::string CheckPending() {
    engine_.Pump(0);
    while (!engine_.lines.empty()) {
      const std::string line = engine_.lines.front();
      engine_.lines.pop_front();
      if (verbose_) std::fprintf(stderr, "<< %s\n", line.c_str());
      if (!tracked_) continue;
      if (IsTrailingResult(line)) {
        const std::string fault = CheckTrailing(line);
        if (!fault.empty()) return fault;
        continue;
      }
      if (StartsWith(line, "move ")) return "unexpected engine move: " + line;
      if (!IsNotice(line)) return "unexpected answer: " + line;
    }
    std::string fault;
    fault.swap(trailingFault_);
    return fault;
  }

  // Waits for the engine's answer to a move word or "go" and checks it against the mirror.
  std::string TakeAnswer() {
    std::string line;
    if (!NextAnswer(line, ReplyTimeoutMs)) return "no answer from the engine";
    if (!trailingFault_.empty()) return trailingFault_;
    lastWasMove_ = false;
    Move legal[MaxListMoves];
    static ScoredMove scratch[MaxListMoves];
    PlyFrame frame;
    const int count = GenerateLegalMoves(legal, scratch, &frame);
    if (StartsWith(line, "move ")) {
      const std::string text = line.substr(5);
      for (int i = 0; i < count; ++i) {
        if (Coordinate(legal[i]) == text && IsLegalGameMove(legal[i])) {
          MakeGameMove(legal[i]);
          answers_ = true;
          lastWasMove_ = true;
          // The line that may follow is judged on this position, whatever was sent meanwhile.
          movesAfterEngineMove_ = LegalCount();
          return "";
        }
      }
      char fen[96];
      WriteFen(fen);
      return "illegal engine move " + text + " in " + fen;
    }
    if (IsResultLine(line)) {
      // Mate and stalemate lines need a position without legal moves; such a position needs one.
      const bool noMoves = line.find("mated 0") != std::string::npos || line.find("(1)") != std::string::npos;
      if (noMoves && count != 0) return "result line with legal moves on the board: " + line;
      answers_ = true;
      return "";
    }
    return "unexpected answer: " + line;
  }

  std::string RandomFen() { return ValidFens[Below(std::size(ValidFens))]; }

  std::string Mangle(std::string text) {
    const int edits = 1 + static_cast<int>(Below(4));
    for (int i = 0; i < edits && !text.empty(); ++i) {
      const size_t at = Below(text.size());
      switch (Below(5)) {
        case 0: text.erase(at, 1); break;
        case 1: text.insert(at, 1, "PpNnBbRrQqKk123456789/ -wbKQkq"[Below(30)]); break;
        case 2: text[at] = static_cast<char>(33 + Below(94)); break;
        case 3: text.resize(at); break;
        default: text.insert(at, std::string(Below(40), "8/"[Below(2)])); break;
      }
    }
    return text;
  }

  std::string JunkWord() {
    std::string word;
    switch (Below(6)) {
      case 0: {  // a very long word
        word.assign(200 + Below(1800), static_cast<char>('a' + Below(26)));
        break;
      }
      case 1: {  // a command word with something after it
        word = std::string(CommandWords[Below(std::size(CommandWords))]) + (Chance(50) ? "" : "x9");
        break;
      }
      case 2: {  // a coordinate-looking word
        word = {static_cast<char>('a' + Below(10)), static_cast<char>('0' + Below(10)),
                static_cast<char>('a' + Below(10)), static_cast<char>('0' + Below(10))};
        if (Chance(40)) word += "qnrbQx"[Below(6)];
        break;
      }
      case 3: {  // binary bytes, NUL included
        const size_t n = 1 + Below(30);
        for (size_t i = 0; i < n; ++i) word += static_cast<char>(Below(256));
        break;
      }
      case 4: word = std::to_string(static_cast<int64_t>(rng_())); break;
      default: word = "{" + std::string(Below(20), '-') + "}"; break;
    }
    // No junk may set a clock or start the test search (the engine could then think for ever),
    // nor quit (the session goes on after it).
    for (const char* forbidden : {"time", "leve", "test", "quit"}) {
      for (size_t at; (at = word.find(forbidden)) != std::string::npos;) word[at] = 'X';
    }
    return word;
  }

  // After junk: stop whatever runs and wait for the marker that "benchmark" prints. Three
  // copies, since a conversion command among the junk may read two of the words as file names;
  // the engine is idle after the first, so the others follow at once.
  std::string Resync() {
    if (!Send("\nforce benchmark\nforce benchmark\nforce benchmark\n")) return "the engine stopped reading input";
    const auto start = Clock::now();
    bool seen = false;
    auto quietSince = Clock::now();
    while (MsSince(start) < 2 * ReplyTimeoutMs) {
      if (engine_.lines.empty()) {
        if (seen && MsSince(quietSince) > 300) break;
        if (engine_.outputEnded) return seen ? "" : "the engine ended during a session";
        engine_.Pump(50);
        continue;
      }
      const std::string line = engine_.lines.front();
      engine_.lines.pop_front();
      if (verbose_) std::fprintf(stderr, "<< %s\n", line.c_str());
      if (line == "Define __STAT") seen = true;
      quietSince = Clock::now();
    }
    if (!seen) return "no resynchronisation marker after junk";
    answers_ = false;
    tracked_ = false;
    lastWasMove_ = false;
    trailingFault_.clear();
    return "";
  }

  // Sets up a known position on both sides: "new" or a valid or mangled "setboard".
  std::string Retrack() {
    if (Chance(50)) {
      if (!Send(Chance(80) ? "new\n" : "result 1-0 {White mates}\n")) return "the engine stopped reading input";
      SetUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false);
      answers_ = true;
    } else {
      std::string fen = RandomFen();
      if (Chance(40)) fen = Mangle(fen);
      if (fen.size() > 200) fen.resize(200);
      for (char& c : fen) {
        if (c == '\n' || c == '\0') c = ' ';
      }
      const std::string line = " " + fen + "\n";
      if (!Send("setboard" + line)) return "the engine stopped reading input";
      // The engine's own rule: a rejected line leaves no game to play until the next setup,
      // except a blank one.
      // A rejected line leaves the engine's position as it was: known only if it was before.
      if (SetUpGame(line.c_str(), false)) {
        tracked_ = true;
      } else if (line.find_first_not_of(" \t\r\n") != std::string::npos) {
        GamePositionValid = false;
      }
      answers_ = false;
      return "";
    }
    tracked_ = true;
    // lastWasMove_ stays: the result line of the engine's last move may still be on its way.
    return "";
  }

  std::string MoveWord() {
    Move legal[MaxListMoves];
    static ScoredMove scratch[MaxListMoves];
    PlyFrame frame;
    const int count = GenerateLegalMoves(legal, scratch, &frame);
    std::string word;
    bool legalWord = false;
    if (count > 0 && GamePositionValid && Chance(85)) {
      const Move move = legal[Below(count)];
      if (!IsLegalGameMove(move)) return "";
      word = Coordinate(move);
      legalWord = true;
    } else {
      // A coordinate word the parser accepts but that is no legal move here.
      for (int tries = 0; tries < 20; ++tries) {
        std::string w = {static_cast<char>('a' + Below(8)), static_cast<char>('1' + Below(8)),
                         static_cast<char>('a' + Below(8)), static_cast<char>('1' + Below(8))};
        if (Chance(20)) w += "qnrbx"[Below(5)];
        const Move move = ParseCoordinateMove(w.c_str());
        if (move != 0 && !(GamePositionValid && IsLegalGameMove(move))) {
          word = w;
          break;
        }
      }
      if (word.empty()) return "";
    }
    const std::string pending = CheckPending();
    if (!pending.empty()) return pending;
    if (!Send(word + "\n")) return "the engine stopped reading input";
    if (legalWord) {
      MakeGameMove(ParseCoordinateMove(word.c_str()));
      if (answers_) return TakeAnswer();
      return "";
    }
    std::string line;
    if (!NextAnswer(line, ReplyTimeoutMs)) return "no answer to the illegal move " + word;
    if (line != "Illegal move: " + word) return "illegal move " + word + " answered by: " + line;
    // A refused move while pondering ends the ponder search; the engine still answers.
    return "";
  }

  std::string Go() {
    const std::string pending = CheckPending();
    if (!pending.empty()) return pending;
    if (!Send("go\n")) return "the engine stopped reading input";
    if (!GamePositionValid) {
      std::string line;
      if (!NextAnswer(line, ReplyTimeoutMs)) return "no answer to go";
      lastWasMove_ = false;
      answers_ = false;  // "go" stopped the engine first
      if (!StartsWith(line, "Error (no position)")) return "go without a position answered by: " + line;
      return "";
    }
    return TakeAnswer();
  }

  std::string TimeOrLevel() {
    if (Chance(50)) {
      // Clocks of at most 3 s cap every move at 1.5 s; a negative clock means "move at once".
      const int64_t own = static_cast<int64_t>(Below(300)) - 20;
      const int64_t other = static_cast<int64_t>(rng_() % 2000000000) - 1000;
      return "time " + std::to_string(own) + " otim " + std::to_string(other) + "\n";
    }
    static const char* const Levels[] = {"40 5 0",       "0 2 12", "1 0:30 0",        "-3 1 -1",
                                         "40 1:30:00 2", "0 0 0",  "5 5 99999999999", "2147483647 0 2147483647",
                                         "7 0:x 3"};
    std::string level = std::string("level ") + Levels[Below(std::size(Levels))] + "\n";
    // A level read over the whole line can leave a word ("x") for the loop; harmless.
    return level;
  }

  std::string Junk() {
    std::string text;
    const int words = 1 + static_cast<int>(Below(6));
    for (int i = 0; i < words; ++i) text += JunkWord() + (Chance(70) ? " " : "\n");
    if (Chance(30)) {
      static const char* const Conversions[] = {"pgn2game in.pgn out.game\n",    "pgnlist2game list.txt out.game\n",
                                                "game2pgn out.game back.pgn\n",  "game2pos out.game pos.txt\n",
                                                "game2pgn missing.game x.pgn\n", "pgn2game in.pgn\n"};
      text += Conversions[Below(std::size(Conversions))];
    }
    if (Chance(20)) text += "go\n";
    return text + "\n";
  }

  // The end of the session: "quit" (at once, while thinking or while pondering) or the end of
  // input, possibly inside a line.
  std::string Finish() {
    tracked_ = false;  // what the engine prints from here on is not checked
    switch (Below(5)) {
      case 0: Send("go\nquit\n"); break;
      case 1: {
        static const char* const Cut[] = {"setboard rnbqkbnr/ppp", "time 1", "level 40 5", "e2e",
                                          "pgn2game in.pgn",       "qu",     "new\ngo\n"};
        Send(Cut[Below(std::size(Cut))]);
        break;
      }
      case 2: break;  // the end of input after a whole line
      default: Send(Chance(20) ? "quitting\n" : "quit\n"); break;
    }
    engine_.CloseInput();
    return "";
  }

  std::string Play() {
    const bool handshake = Chance(90);
    Send(handshake ? (Chance(50) ? "xboard\nprotover 2\n" : "xboard\n") : JunkWord() + "\n");
    // "accepted setboard": the blank line read as a position is ignored, but the engine stops.
    const bool accepted = Chance(50);
    if (accepted) Send("accepted setboard\n");
    tracked_ = true;
    GamePositionValid = true;
    SetUpGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", false);
    answers_ = !accepted;
    ponder_ = true;
    if (!handshake) {
      // A junk first word may hold blanks: the rest of it is read as commands.
      const std::string failure = Resync();
      if (!failure.empty()) return failure;
    }
    const int steps = 1 + static_cast<int>(Below(30));
    for (int step = 0; step < steps; ++step) {
      if (Chance(3)) return Finish();  // the end can come at any point
      std::string failure;
      if (!tracked_) {
        failure = Retrack();
      } else {
        const uint64_t pick = Below(100);
        if (pick < 35) {
          failure = MoveWord();
        } else if (pick < 50) {
          failure = Go();
        } else if (pick < 58) {
          failure = Retrack();
        } else if (pick < 63) {
          Send("force\n");
          answers_ = false;
        } else if (pick < 68) {
          const int side = Chance(50) ? White : Black;
          Send(side == White ? "white\n" : "black\n");
          if (side != Pos.sideToMove && SetSideToMove(side)) RebaseGameSetup();
          answers_ = false;
        } else if (pick < 73) {
          const bool remove = Chance(50);
          Send(remove ? "remove\n" : "undo\n");
          TakeBackGameMoves(remove ? 2 : 1);
          answers_ = remove;
        } else if (pick < 78) {
          ponder_ = Chance(50);
          Send(ponder_ ? "hard\n" : "easy\n");
        } else if (pick < 88) {
          Send(TimeOrLevel());
        } else {
          const std::string pending = CheckPending();
          if (!pending.empty()) return pending;
          Send(Junk());
          failure = Resync();
        }
      }
      if (!failure.empty()) return failure;
    }
    const std::string pending = CheckPending();
    if (!pending.empty()) return pending;
    return Finish();
  }
};

struct Options {
  std::string engine;
  std::string work = ".";
  long sessions = 100;
  long maxSeconds = 0;  // 0 = no limit
  uint64_t seed = 1;
  bool verbose = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--engine" && hasValue) {
      options.engine = argv[++i];
    } else if (arg == "--work" && hasValue) {
      options.work = argv[++i];
    } else if (arg == "--sessions" && hasValue) {
      options.sessions = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--seed" && hasValue) {
      options.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--max-seconds" && hasValue) {
      options.maxSeconds = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else {
      std::fprintf(stderr,
                   "usage: quillo-protocol-fuzz --engine PATH [--sessions N] [--seed S] [--work DIR] [--max-seconds T] "
                   "[--verbose]\n");
      return 2;
    }
  }
  if (options.engine.empty()) {
    std::fprintf(stderr, "quillo-protocol-fuzz: --engine is required\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  // The mirror's setups print their warnings on standard output: the report goes to a copy of
  // it, and standard output itself to /dev/null.
  FILE* report = fdopen(dup(1), "w");
  if (report == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  setvbuf(report, nullptr, _IOLBF, 0);
  InitTables();
  Pos.currentFrame = &PlyFrames[0];

  const auto start = Clock::now();
  long failures = 0;
  long run = 0;
  for (long i = 0; i < options.sessions; ++i, ++run) {
    if (options.maxSeconds > 0 && MsSince(start) > options.maxSeconds * 1000) break;
    const std::string dir = options.work + "/session-" + std::to_string(i);
    mkdir(dir.c_str(), 0755);
    Session session(options.seed * 1000003u + static_cast<uint64_t>(i), dir, options.verbose);
    const std::string failure = session.Run(options.engine);
    if (!failure.empty()) {
      ++failures;
      const std::string failDir = options.work + "/failures";
      mkdir(failDir.c_str(), 0755);
      const std::string base = failDir + "/seed" + std::to_string(options.seed) + "-session" + std::to_string(i);
      std::ofstream(base + ".in", std::ios::binary) << session.Input();
      std::ofstream(base + ".out", std::ios::binary) << session.Output();
      std::ifstream err(dir + "/stderr.txt");
      std::ofstream(base + ".err", std::ios::binary) << err.rdbuf();
      std::fprintf(report, "session %ld (seed %llu) FAILED: %s\n  input kept in %s.in\n", i,
                   static_cast<unsigned long long>(options.seed), failure.c_str(), base.c_str());
    }
    std::string remove = "rm -rf '" + dir + "'";
    if (std::system(remove.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", dir.c_str());
  }
  std::fprintf(report, "protocol fuzz: %ld sessions, %ld failed, %.1f s\n", run, failures, MsSince(start) / 1000.0);
  return failures == 0 ? 0 : 1;
}
