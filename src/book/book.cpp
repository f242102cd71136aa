// Loading the opening book into the transposition table: the header count, the random
// preferred record kept back and stored last, and the replay of every record with real make
// and unmake on the global position.
#include "book/book.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "frontend/log.h"
#include "movegen/movegen.h"
#include "search/search.h"

int BookPreferredRecord = 0;
bool BookErrorReported = false;

namespace {

// Key of the initial placement: the XOR of the Zobrist terms of its 32 men, as setup computes
// it (castling rights and the side to move do not enter the key). The text runs from a8 to h1.
constexpr HashKey InitialPlacementKey = [] {
  constexpr const char* squares = "rnbqkbnrpppppppp................................PPPPPPPPRNBQKBNR";
  HashKey key = 0;
  for (int s = 0; s < 64; ++s) {
    for (int code = 1; code <= 12; ++code) {
      if (PieceLetters[code] == squares[s]) key ^= ZobristKeys[code][s];
    }
  }
  return key;
}();

// The header count, read like a C integer literal (blanks, a sign, 0 for octal, 0x for
// hexadecimal) from at most 15 characters; the rest of the line up to and including its line
// feed is skipped (at most 999,999 characters). Returns false when no integer is there.
bool ReadHeaderCount(FILE* file, long& count) {
  int c = std::fgetc(file);
  while (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') c = std::fgetc(file);
  char text[16];
  int length = 0;
  auto literalChar = [](int ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F') || ch == 'x' || ch == 'X' ||
           ch == '+' || ch == '-';
  };
  while (length < 15 && c != EOF && literalChar(c)) {
    text[length++] = static_cast<char>(c);
    c = std::fgetc(file);
  }
  text[length] = 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 0);
  if (end == text) return false;
  count = (errno == ERANGE || value > INT_MAX) ? INT_MAX : value;
  // c, the first character after the gathered text, is the first one skipped.
  for (long skipped = 1; c != '\n' && c != EOF && skipped < 999999; ++skipped) c = std::fgetc(file);
  return true;
}

// Reads one record into moves (room for MaxBookLineMoves). Returns 1 for a record read whole,
// 0 when the file ended before or inside it, -1 for a record longer than the buffer.
int ReadRecord(FILE* file, Move* moves, int& count) {
  const int length = std::fgetc(file);
  if (length == EOF) return 0;
  if (length > MaxBookLineMoves) return -1;
  unsigned char bytes[2 * MaxBookLineMoves];
  if (std::fread(bytes, 1, 2 * static_cast<size_t>(length), file) != 2 * static_cast<size_t>(length)) return 0;
  for (int i = 0; i < length; ++i) moves[i] = static_cast<Move>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  count = length;
  return 1;
}

// Whether move is a legal move of the position on the board (generated, and not leaving the
// mover's king attacked, nor castling out of or through check).
bool IsLegalBookMove(Move move, PlyFrame* frame) {
  Move legal[MaxListMoves];
  ScoredMove scratch[MaxListMoves];
  const int n = GenerateLegalMoves(legal, scratch, frame);
  for (int i = 0; i < n; ++i) {
    if (legal[i] == move) return true;
  }
  return false;
}

}  // namespace

bool IsInitialPlacement() { return Pos.hashKey == InitialPlacementKey; }

bool StoreBookLine(const Move* moves, int count) {
  PlyFrame* const first = Pos.currentFrame;
  // Every move is made on a frame of its own; a line that would run off the stack is refused.
  if (count < 0 || count > PlyFrames + PlyFrameCount - first) return false;
  int made = 0;
  for (; made < count; ++made) {
    PlyFrame* const frame = Pos.currentFrame;
    if (!IsLegalBookMove(moves[made], frame)) break;
    SaveForMake(frame);
    MakeMove(moves[made], frame);
    Pos.currentFrame = frame + 1;
  }
  const bool complete = made == count;
  // Walk back to the start; on the way each position gets the move played from it.
  while (made > 0) {
    --made;
    --Pos.currentFrame;
    UnmakeMove(moves[made], Pos.currentFrame);
    if (complete) StoreBookMove(moves[made]);
  }
  return complete;
}

bool LoadOpeningBook(const char* fileName) {
  if (!IsInitialPlacement()) return false;
  FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return false;
  long n = 0;
  if (!ReadHeaderCount(file, n) || n < 1) {
    std::fclose(file);
    return false;
  }

  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const long preferred = 1 + std::rand() % n;
  BookPreferredRecord = static_cast<int>(preferred);

  Move line[MaxBookLineMoves];
  Move preferredLine[MaxBookLineMoves];
  int preferredLength = 0;
  long counter = n;
  for (;;) {
    const bool isPreferred = counter == preferred;
    int length = 0;
    const int read = ReadRecord(file, isPreferred ? preferredLine : line, length);
    if (read == 0) break;
    if (read < 0) {
      std::fclose(file);
      return false;
    }
    if (isPreferred) {
      preferredLength = length;
    } else if (!StoreBookLine(line, length)) {
      std::fclose(file);
      return false;
    }
    --counter;
  }
  std::fclose(file);
  if (preferredLength == 0) return false;
  if (!StoreBookLine(preferredLine, preferredLength)) return false;
  return counter == 0;
}

void LoadBookForSetup() {
  if (!IsInitialPlacement()) {
    DiagnosticLog.Line("-M: no book for this position");
    return;
  }
  if (LoadOpeningBook(BookFileName)) return;
  if (!BookErrorReported) {
    BookErrorReported = true;
    std::fputs("tellusererror BOOK ERROR!\n", stdout);
    std::fflush(stdout);
  }
  DiagnosticLog.Line("-\ttellusererror BOOK ERROR!");
}
