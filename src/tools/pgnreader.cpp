// PGN game reader: tags, move text, the check of every move on the live position.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "movegen/movegen.h"
#include "notation/notation.h"
#include "tools/gamedb_internal.h"

PlyFrame ToolFrames[ToolFrameCount];

namespace {

constexpr int TagLineSize = 511;  // 510 characters and the NUL
constexpr int Eof = std::char_traits<char>::eof();

// The reader's move list: every pseudo-legal move of one position.
ScoredMove ReaderMoves[MaxListMoves];

void SkipWhite(std::istream& in) { in >> std::ws; }

bool IsTokenEnd(int c) { return c == Eof || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{'; }

// Reads a token of at most 10 characters into moveText; its end character stays in the input.
void ReadToken(GameRecord& record, std::istream& in) {
  int n = 0;
  while (n < 10) {
    const int c = in.peek();
    if (IsTokenEnd(c)) break;
    record.moveText[n++] = static_cast<char>(in.get());
  }
  record.moveText[n] = '\0';
}

// Skips the rest of a game that is not read: everything up to the next line whose first
// character other than blanks is "[" (left in the input), or the end of input.
void SkipRestOfGame(std::istream& in) {
  bool lineStart = false;
  for (;;) {
    const int c = in.get();
    if (c == Eof) return;
    if (c == '\n') {
      lineStart = true;
    } else if (lineStart && c == '[') {
      in.unget();
      return;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      lineStart = false;
    }
  }
}

// Skips what stands before a game's first tag line: a byte-order mark, then any text that is
// not a tag line (comment lines, stray move text).
void SkipToFirstTag(std::istream& in) {
  SkipWhite(in);
  while (in.peek() == 0xEF || in.peek() == 0xBB || in.peek() == 0xBF) in.get();
  SkipWhite(in);
  const int c = in.peek();
  if (c != Eof && c != '[') SkipRestOfGame(in);
}

// Result bits of a result text, or -1 for none of the four results.
int ResultBitsOf(const char* text) {
  if (std::strcmp(text, "1-0") == 0) return ResultWhiteWins;
  if (std::strcmp(text, "0-1") == 0) return ResultBlackWins;
  if (std::strcmp(text, "1/2-1/2") == 0) return ResultDraw;
  if (std::strcmp(text, "*") == 0) return 0;
  return -1;
}

[[noreturn]] void Fail(const char* message) { throw GameDbError(message); }

}  // namespace

void ReadWholeLine(std::istream& in, char* buffer, int size) {
  int n = 0;
  for (;;) {
    const int c = in.get();
    if (c == Eof || c == '\n') break;
    if (n < size - 1) buffer[n++] = static_cast<char>(c);
  }
  buffer[n] = '\0';
}

bool IsGeneratedMove(Move move, PlyFrame* frame) {
  FindCheckers(frame);
  const int side = Pos.sideToMove;
  ScoredMove* const end =
      frame->checkers != 0 ? GenerateEvasions[side](ReaderMoves, frame) : GenerateMoves[side](ReaderMoves);
  frame->moveListEnd = end;
  for (const ScoredMove* e = ReaderMoves; e < end; ++e) {
    if (e->move == move) return true;
  }
  return false;
}

void TakeBackMoves(const Move* moves, int count) {
  for (int i = count - 1; i >= 0; --i) {
    --Pos.currentFrame;
    UnmakeMove(moves[i], Pos.currentFrame);
  }
}

bool ReadPgnTags(GameRecord& record, std::istream& in) {
  record.resultText[0] = '\0';
  record.resultCode = '?';
  SkipWhite(in);
  int c = in.get();
  while (c == '[') {
    SkipWhite(in);
    char line[TagLineSize];
    ReadWholeLine(in, line, TagLineSize);
    if (std::strncmp(line, "Result", 6) == 0) {
      const char* value = line + 6;
      while (*value == ' ' || *value == '\t') ++value;
      if (*value != '\0') ++value;  // the opening quote
      static constexpr struct {
        const char* text;
        char code;
      } Results[] = {{"1-0", 'W'}, {"0-1", 'B'}, {"1/2-1/2", 'D'}, {"*", '*'}};
      bool known = false;
      for (const auto& result : Results) {
        if (std::strncmp(value, result.text, std::strlen(result.text)) == 0) {
          std::strcpy(record.resultText, result.text);
          record.resultCode = result.code;
          known = true;
          break;
        }
      }
      if (!known) Fail("Result Error 1");
    }
    SkipWhite(in);
    c = in.get();
  }
  if (c != Eof) in.unget();
  if (in.fail()) return false;
  if (record.resultCode == '?') Fail("Result Error 2");
  return true;
}

Move ReadMoveToken(GameRecord& record, std::istream& in) {
  ReadToken(record, in);
  return ParseSanMove(record.moveText);
}

void PrintBoardDiagram(const uint8_t* board) {
  for (int square = 0; square < 64; ++square) {
    if (square % 8 == 0) std::printf("\n%d ", 8 - square / 8);
    std::printf("%c ", PieceLetters[board[square] <= 12 ? board[square] : 0]);
  }
  std::printf("\n\n  A B C D E F G H\n");
}

uint16_t ReadPgnGame(GameRecord& record, std::istream& in) {
  ToolFrameScope frames;
  record.gameHeader = 0;
  record.moveText[0] = '\0';
  SkipToFirstTag(in);
  if (!ReadPgnTags(record, in)) return 0;
  if (!in.good()) {
    SkipWhite(in);
    return 0;
  }

  // Plies made on the board: the longest game, and never more than the history has room for.
  const int historyRoom = GameHistorySize - 1 - static_cast<int>(Pos.historyTop - GameHistory);
  const int maxPlies = std::max(0, std::min(MaxGamePlies, historyRoom));
  int ply = 1;
  int resultRead = 0;  // characters of resultText already taken from the input by the loop
  const auto failAfterTakeBack = [&](const char* message) {
    TakeBackMoves(record.gameMoves, std::min(ply, maxPlies + 1) - 1);
    Fail(message);
  };

  while (in.good()) {
    SkipWhite(in);
    const int c = in.get();
    if (c == Eof) break;
    if (c == '*') {
      if (record.resultCode != '*') failAfterTakeBack("Result * error");
      in.unget();
      break;
    }
    bool tokenRead = false;
    if (c >= '0' && c <= '9') {
      if (c == '0' && in.peek() == '-') {
        // "0-0", "0-0-0" or the result "0-1": only the whole token tells.
        in.unget();
        ReadToken(record, in);
        if (std::strcmp(record.moveText, record.resultText) == 0) {
          resultRead = static_cast<int>(std::strlen(record.resultText));
          break;
        }
        tokenRead = true;
      } else {
        if (c == record.resultText[0]) {
          SkipWhite(in);
          if (in.peek() == record.resultText[1]) {
            resultRead = 1;
            break;
          }
        }
        continue;  // a move number
      }
    } else if (c == '.' || c == '$' || c == '\n' || c == '\t') {
      continue;
    } else if (c == '{') {
      in.ignore(std::numeric_limits<std::streamsize>::max(), '}');
      continue;
    } else if (c == '(') {
      in.ignore(std::numeric_limits<std::streamsize>::max(), ')');
      continue;
    }
    if (!tokenRead) {
      in.unget();
      ReadToken(record, in);
    }
    if (ply > maxPlies) {
      ++ply;  // past the longest game: the token is read over, not parsed
      continue;
    }
    const Move move = ParseSanMove(record.moveText);
    if (move == 0) {
      std::printf("move: %s, plyNo:%d\n", record.moveText, ply);
      TakeBackMoves(record.gameMoves, ply - 1);
      SkipRestOfGame(in);
      return 0;
    }
    PlyFrame* const frame = Pos.currentFrame;
    const int side = Pos.sideToMove;
    if (!IsGeneratedMove(move, frame)) {
      PrintBoardDiagram(Pos.board);
      std::printf("move: %s, plyNo:%d\n", record.moveText, ply);
      failAfterTakeBack("MOVE NOT LEGAL 1");
    }
    SaveForMake(frame);
    MakeMove(move, frame);
    Pos.currentFrame = frame + 1;
    if (KingAttacked(move, side)) {
      PrintBoardDiagram(Pos.board);
      std::printf("move: %s, plyNo:%d\n", record.moveText, ply);
      Pos.currentFrame = frame;
      UnmakeMove(move, frame);
      failAfterTakeBack("MOVE NOT LEGAL 2 - check revealed");
    }
    record.gameMoves[ply - 1] = move;
    ++ply;
  }

  const int stored = std::min(ply - 1, maxPlies);
  if (stored == 0) {
    SkipWhite(in);
    SkipRestOfGame(in);
    return 0;
  }
  for (int i = resultRead; record.resultText[i] != '\0' && in.good(); ++i) {
    SkipWhite(in);
    if (in.get() != record.resultText[i]) {
      TakeBackMoves(record.gameMoves, stored);
      Fail("wrong end result 1");
    }
  }
  const int code = ResultBitsOf(record.resultText);
  if (code < 0) {
    TakeBackMoves(record.gameMoves, stored);
    Fail("wrong end result 2");
  }
  record.gameHeader = static_cast<uint16_t>(code | stored);
  TakeBackMoves(record.gameMoves, stored);
  if (code == 0) SkipRestOfGame(in);
  return static_cast<uint16_t>(code);
}
