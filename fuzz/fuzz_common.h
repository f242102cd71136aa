// Shared by the libFuzzer targets: start-up in a private working directory, a reader over the
// input bytes, random legal game prefixes steered by those bytes, and the checks each target
// makes after every input (the Position's invariants, nothing moved that should stay, no file
// written that was not named).
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/position.h"
#include "position/tables.h"
#include "support/position_compare.h"

namespace fuzz {

inline constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// Prints what failed and the position on the board, then aborts so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  char fen[96];
  WriteFen(fen);
  std::fprintf(stderr, "fuzz check failed: %s at %s:%d\nposition: %s\n", what, file, line, fen);
  std::abort();
}

#define FUZZ_CHECK(condition)                                       \
  do {                                                              \
    if (!(condition)) ::fuzz::Fail(#condition, __FILE__, __LINE__); \
  } while (0)

// Builds the tables, sets up the initial position and moves into a fresh directory of its own
// under TMPDIR (scripts/fuzz gives each run one), so that any file a target writes lands there
// and can be listed.
inline void Start() {
  InitTables();
  Pos.currentFrame = &PlyFrames[0];
  if (!SetupPosition(StartFen, false)) Fail("initial setup", __FILE__, __LINE__);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillo-fuzz-XXXXXX";
  std::vector<char> path(pattern.begin(), pattern.end());
  path.push_back('\0');
  if (mkdtemp(path.data()) == nullptr || chdir(path.data()) != 0) {
    std::perror("fuzz: private directory");
    std::abort();
  }
}

// The names in the current directory.
inline std::set<std::string> ListFiles() {
  std::set<std::string> names;
  if (DIR* dir = opendir(".")) {
    while (dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.insert(entry->d_name);
    }
    closedir(dir);
  }
  return names;
}

// Removes every file of the current directory (the target's own).
inline void RemoveFiles() {
  for (const std::string& name : ListFiles()) std::remove(name.c_str());
}

// Aborts unless the current directory holds exactly the files named.
inline void CheckOnlyFiles(const std::set<std::string>& allowed) {
  for (const std::string& name : ListFiles()) {
    if (!allowed.count(name)) {
      std::fprintf(stderr, "unexpected file: %s\n", name.c_str());
      Fail("nothing written outside the files named", __FILE__, __LINE__);
    }
  }
}

// Writes bytes to a file of the current directory.
inline void WriteFile(const char* name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(name, "wb");
  if (!f) Fail("cannot write input file", __FILE__, __LINE__);
  if (size > 0 && std::fwrite(data, 1, size, f) != size) Fail("short write", __FILE__, __LINE__);
  std::fclose(f);
}

// Takes bytes from the front of the input; zeros once it is used up.
struct Bytes {
  const uint8_t* data;
  size_t size;
  uint8_t Take() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  // The rest of the input as a NUL-terminated text of at most limit characters.
  std::string Text(size_t limit) const {
    return std::string(reinterpret_cast<const char*>(data), size < limit ? size : limit).c_str();
  }
};

// Everything a target compares before and after: the Position, the history entries, the
// snapshot.
struct Saved {
  Position pos;
  HistoryEntry top;
  RootSnapshotRecord root;
  Saved() : pos(Pos), top(*Pos.historyTop), root(RootSnapshot) {}
  bool Same() const {
    // The top entry's move is the one last made from it, which a make and unmake leaves behind.
    return SamePosition(pos, Pos) && top.key == Pos.historyTop->key && top.fiftyCount == Pos.historyTop->fiftyCount &&
           std::memcmp(root.board, RootSnapshot.board, sizeof root.board) == 0 &&
           root.epSquare == RootSnapshot.epSquare && root.castlingRights == RootSnapshot.castlingRights;
  }
};

// The legal moves of the position on the board, computed on frame.
inline int LegalMoves(Move* out, PlyFrame* frame) {
  static ScoredMove scratch[MaxListMoves];
  return GenerateLegalMoves(out, scratch, frame);
}

inline bool IsLegal(Move move, PlyFrame* frame) {
  Move legal[MaxListMoves];
  const int count = LegalMoves(legal, frame);
  for (int i = 0; i < count; ++i) {
    if (legal[i] == move) return true;
  }
  return false;
}

// Copies the board into the RootSnapshot, as a game move does.
inline void RefreshSnapshot() {
  std::memcpy(RootSnapshot.board, Pos.board, sizeof RootSnapshot.board);
  RootSnapshot.epSquare = Pos.epSquare;
  RootSnapshot.castlingRights = Pos.castlingRights;
}

// A legal game prefix played from the board, one byte of input per ply choosing the move, on
// the frames from currentFrame on (currentFrame is left at the next free frame). Checks the
// invariants after every move; Unwind takes the moves back and checks them again.
struct Prefix {
  static constexpr int MaxPlies = 48;
  PlyFrame* base = nullptr;
  Move moves[MaxPlies];
  int plies = 0;

  void Play(Bytes& in, int wanted) {
    base = Pos.currentFrame;
    Move legal[MaxListMoves];
    for (plies = 0; plies < wanted && plies < MaxPlies;) {
      PlyFrame* frame = base + plies;
      const int count = LegalMoves(legal, frame);
      if (count == 0) break;
      const Move move = legal[in.Take() % count];
      SaveForMake(frame);
      MakeMove(move, frame);
      FUZZ_CHECK(PositionIsConsistent());
      moves[plies++] = move;
      Pos.currentFrame = base + plies;
    }
  }

  void Unwind() {
    while (plies > 0) {
      --plies;
      Pos.currentFrame = base + plies;
      UnmakeMove(moves[plies], Pos.currentFrame);
      FUZZ_CHECK(PositionIsConsistent());
    }
    if (base) Pos.currentFrame = base;
  }
};

}  // namespace fuzz
