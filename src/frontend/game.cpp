#include "frontend/game.h"

#include <cstdio>
#include <cstring>

#include "frontend/commandloop.h"
#include "frontend/engine.h"
#include "frontend/log.h"
#include "frontend/output.h"
#include "frontend/timecontrol.h"
#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/tables.h"
#include "search/search.h"

Move PonderMove = 0;
bool GamePositionValid = true;

namespace {

// The text of the game's last setup and the ply at which it stood (above 0 only after a change
// of the side to move made the current position the new start).
char SetupText[256] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
bool SetupLoadsBook = false;
int SetupPly = 0;

// Scratch for the legal-move lists of the main thread; the search's own lists are not touched.
ScoredMove LegalScratch[MaxListMoves];
Move LegalMoves[MaxListMoves];
PlyFrame LegalFrame;
// The moves a take-back replays.
Move ReplayMoves[GameHistorySize];

int GamePly() { return static_cast<int>(Pos.historyTop - GameHistory); }

// The legal moves of the current position, into LegalMoves; returns their number. A king move
// next to the other king is left out here, whatever the generators do with it.
int CollectLegalMoves() {
  const int count = GenerateLegalMoves(LegalMoves, LegalScratch, &LegalFrame);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const Move move = LegalMoves[i];
    MakeMove(move, &LegalFrame);
    const Square white = Pos.kingSquare[White], black = Pos.kingSquare[Black];
    const bool kingsTouch = white != NoKing && black != NoKing && (KingAttacks[white] & SquareMask[black]) != 0;
    UnmakeMove(move, &LegalFrame);
    if (!kingsTouch) LegalMoves[kept++] = move;
  }
  return kept;
}

void PrintMove(Move move, char* text) {
  FormatCoordinateMove(text, move);
  Reply("move %s\n", text);
}

// The result line for a search result code, or nullptr for a real move.
const char* ResultLineOfCode(Move code) {
  switch (code) {
    case MoveMate: return Pos.sideToMove == White ? "0-1 {Quillo mated 0}\n" : "1-0 {Quillo mated 0}\n";
    case MoveStalemate: return "1/2-1/2 {Draw by stalemate (1)}\n";
    case MoveRepetition: return "1/2-1/2 {Draw by 3 fold repetition (2)}\n";
    case MoveFiftyRule: return "1/2-1/2 {Draw by 50 moves rule (3)}\n";
    case MoveInsufficientMaterial: return "1/2-1/2 {Draw by insufficient material to mate (4)}\n";
    default: return nullptr;
  }
}

// Whether the side to move has no legal move and is in check.
bool SideToMoveIsMated() {
  if (FirstLegalMove() != 0) return false;
  FindCheckers(&LegalFrame);
  return LegalFrame.checkers != 0;
}

// The result line after the engine's own move with the search's score, or nullptr.
// A mate claim ends the game under the interface, so both mate lines are made only when the
// opponent really is mated: the table keeps mate scores as they were found, and a mate found
// nearer the root of an earlier search (a ponder search, or one before a change of the side to
// move) can come back as a mate in one where the mate is further off.
const char* ResultLineAfterMove(int score) {
  const bool whiteToMove = Pos.sideToMove == White;
  const bool mated = score > MateThreshold && SideToMoveIsMated();
  if (score == MateScore - 1 && mated) return whiteToMove ? "0-1 {Quillo mates 1}\n" : "1-0 {Quillo mates 1}\n";
  if (score <= MateThreshold) {
    switch (CheckDraw(2)) {
      case MoveRepetition: return "1/2-1/2 {Draw by 3 fold repetition (22)}\n";
      case MoveFiftyRule: return "1/2-1/2 {Draw by 50 moves rule (33)}\n";
      case MoveInsufficientMaterial: return "1/2-1/2 {Draw by insufficient material to mate (44)}\n";
      default: return nullptr;
    }
  }
  const TtSlot* slot = ProbeTranspositionTable();
  if (mated && slot != nullptr && SlotMove(*slot) == MoveMate) {
    return whiteToMove ? "0-1 {Quillo mates 1#}\n" : "1-0 {Quillo mates 1#}\n";
  }
  return nullptr;
}

// The move Think plays: the search's move when it is a legal move here; otherwise (no move left
// by a search stopped early, or one that does not fit the position) the first legal move, or
// the result code of a position without one.
Move ChooseMove(Move searched) {
  if (ResultLineOfCode(searched) != nullptr) return searched;
  if (searched != 0 && searched != MoveNull && IsLegalGameMove(searched)) return searched;
  DiagnosticLog.Line("-M: no playable search move, first legal move taken");
  const Move first = FirstLegalMove();
  if (first != 0) return first;
  FindCheckers(&LegalFrame);
  return LegalFrame.checkers != 0 ? MoveMate : MoveStalemate;
}

// Node count at the start of the running search, for the thinking lines.
uint64_t SearchNodeBase = 0;

// The coordinate moves of a variation text, blank-separated; other marks of the log's text
// ("# ", "NOE ") are left out.
void CopyMoves(const char* variation, char* out, size_t size) {
  size_t used = 0;
  out[0] = 0;
  for (const char* c = variation; *c != 0;) {
    while (*c == ' ') ++c;
    const char* start = c;
    while (*c != 0 && *c != ' ') ++c;
    const size_t length = static_cast<size_t>(c - start);
    const bool isMove = (length == 4 || length == 5) && start[0] >= 'a' && start[0] <= 'h' && start[1] >= '1' &&
                        start[1] <= '8' && start[2] >= 'a' && start[2] <= 'h' && start[3] >= '1' && start[3] <= '8';
    if (!isMove || used + length + 2 > size) continue;
    if (used > 0) out[used++] = ' ';
    std::memcpy(out + used, start, length);
    used += length;
    out[used] = 0;
  }
}

// Waits for the engine to end by itself for at most waitMs. In the extended mode it also
// watches the input for "?"; true when the move is asked for now.
bool WaitForTheEngine(uint32_t waitMs) {
  if (!ExtendedProtocol) {
    if (waitMs > 0) EngineStoppedEvent.WaitFor(waitMs);
    return false;
  }
  const int64_t deadline = static_cast<int64_t>(ClockMs()) + waitMs;
  for (;;) {
    const int64_t left = deadline - ClockMs();
    if (left <= 0) return false;
    if (EngineStoppedEvent.WaitFor(static_cast<uint32_t>(left < 5 ? left : 5))) return false;
    if (PollMoveNow()) return true;
  }
}

// Copies the board's squares, en-passant square and castling rights to the RootSnapshot.
void RefreshRootSnapshot() {
  RootSnapshot.epSquare = Pos.epSquare;
  RootSnapshot.castlingRights = Pos.castlingRights;
  std::memcpy(RootSnapshot.board, Pos.board, sizeof RootSnapshot.board);
}

}  // namespace

Move SearchWithThinking() {
  SearchNodeBase = NodeCount;
  return IterativeDeepening();
}

void PrintThinkingLine(unsigned depth, int score, const char* variation) {
  if (!PostThinking.load()) return;
  // Mates as the interface shows them: 100000 + moves to mate, -100000 - moves to be mated.
  int shown = score;
  if (score > MateThreshold) shown = 100000 + (MateScore - score + 1) / 2;
  if (score < -MateThreshold) shown = -100000 - (MateScore + score) / 2;
  const int32_t start = SearchStartClock.load();
  const int32_t centiseconds = start > 0 ? (ClockMs() - start) / 10 : 0;
  char moves[1024];
  CopyMoves(variation, moves, sizeof moves);
  Reply("%u %d %d %llu %s\n", depth, shown, centiseconds < 0 ? 0 : centiseconds,
        static_cast<unsigned long long>(NodeCount - SearchNodeBase), moves);
}

bool MakeGameMove(uint32_t move) {
  const Move m = static_cast<Move>(move & 0xFFFF);
  if (m == 0) return false;
  if (GamePly() >= LongestGamePlies) return false;
  PlyFrame* const frame = Pos.currentFrame;
  SaveForMake(frame);
  MakeMove(m, frame);
  switch (MoveKindOf(m)) {
    case CastleBlackShort:
      Pos.kingSquare[Black] = G8;
      Pos.castlingRights &= static_cast<uint16_t>(~(RightBlackShort | RightBlackLong));
      break;
    case CastleWhiteShort:
      Pos.kingSquare[White] = G1;
      Pos.castlingRights &= static_cast<uint16_t>(~(RightWhiteShort | RightWhiteLong));
      break;
    case CastleBlackLong:
      Pos.kingSquare[Black] = C8;
      Pos.castlingRights &= static_cast<uint16_t>(~(RightBlackShort | RightBlackLong));
      break;
    case CastleWhiteLong:
      Pos.kingSquare[White] = C1;
      Pos.castlingRights &= static_cast<uint16_t>(~(RightWhiteShort | RightWhiteLong));
      break;
    default: break;
  }
  RefreshRootSnapshot();
  ClearHistoryTable();
  DiagnosticLog.Line(LogHex{static_cast<uint32_t>(Pos.hashKey >> 32)}, " ", LogHex{static_cast<uint32_t>(Pos.hashKey)});
  return true;
}

bool IsLegalGameMove(Move move) {
  if (move == 0 || MoveKindOf(move) == NonMove) return false;
  const int count = CollectLegalMoves();
  for (int i = 0; i < count; ++i) {
    if (LegalMoves[i] == move) return true;
  }
  return false;
}

Move FirstLegalMove() { return CollectLegalMoves() > 0 ? LegalMoves[0] : 0; }

bool TryBookMove() {
  const TtSlot* slot = ProbeTranspositionTable();
  // A book move is a generation-0 slot with a move; one that is no legal move here (a slot of
  // another position with the same key) is not played.
  if (slot != nullptr && SlotGeneration(*slot) == 0 && SlotMove(*slot) != 0 && IsLegalGameMove(SlotMove(*slot))) {
    const Move move = SlotMove(*slot);
    char text[8];
    MakeGameMove(move);
    PrintMove(move, text);
    DiagnosticLog.Line("-M: move(book): ", text);
    BookExitPending = 1;
    EngineMode = WaitingForMove;
    return true;
  }
  ApplyBookExitBudget();
  return false;
}

void Think() {
  const bool continuing = EngineMode.load() == Pondering;
  MoveStartClock = ClockMs();
  if (!continuing) {
    EngineMode = Thinking;
    StartEngine(SearchDepthLimit);
  }
  EngineMode = Thinking;
  DiagnosticLog.Line("M-WAIT ", ClockMs());

  // A fixed time per move ("st", extended mode) stands in for the clock's budget.
  const uint32_t budget = FixedMoveTimeMs > 0 ? FixedMoveTimeMs : MoveBudgetMs;
  uint32_t wait = budget;
  if (continuing) {
    // The time already spent pondering counts towards this move.
    const int64_t left = static_cast<int64_t>(budget) + SearchStartClock.load() - ClockMs();
    wait = left > 0 ? static_cast<uint32_t>(left) : 0u;
  }
  wait = CapWaitToClock(wait, ClockMs() - MoveStartClock);
  const bool moveNow = WaitForTheEngine(wait);
  // Asked to move now, or on a fixed time: no extra time for a failing-low search.
  if (moveNow || FixedMoveTimeMs > 0) {
    StopEngine();
  } else {
    StopEngineConditional();
  }
  // A prediction that came true was made on the board without refreshing the snapshot (the
  // search was running); the engine is stopped now, so the snapshot catches up, also when no
  // move of the engine's follows to refresh it (a result line).
  RefreshRootSnapshot();

  const char* result = nullptr;
  // A game that has reached the longest possible length has passed the fifty-move rule.
  const Move move = GamePly() >= LongestGamePlies ? MoveFiftyRule : ChooseMove(SearchResult.move);
  const int score = move == SearchResult.move ? SearchResult.score : 0;
  result = ResultLineOfCode(move);
  if (result == nullptr) {
    char text[8];
    MakeGameMove(move);
    PrintMove(move, text);
    DiagnosticLog.Line("move ", text, "\t", "score: ", score);
    result = ResultLineAfterMove(score);
  }
  EngineMode = WaitingForMove;

  if (result != nullptr) {
    Reply("%s", result);
    DiagnosticLog.Line("- NO ponder move");
    return;
  }
  if (!PonderEnabled) {
    DiagnosticLog.Line("- NO ponder move");
    return;
  }
  // Only a legal reply is predicted: a result code or a slot of another position is not.
  const TtSlot* slot = ProbeTranspositionTable();
  const Move predicted = slot != nullptr ? SlotMove(*slot) : 0;
  if (predicted == 0 || GamePly() >= LongestGamePlies || !IsLegalGameMove(predicted)) {
    DiagnosticLog.Line("- NO ponder move");
    return;
  }
  SaveForMake(&PonderFrame);
  EngineMode = Pondering;
  PonderMove = predicted;
  Pos.currentFrame = &PonderFrame;
  MakeMove(predicted, &PonderFrame);
  Pos.currentFrame = &PlyFrames[0];
  StartEngine(SearchDepthLimit);
  char text[8];
  FormatCoordinateMove(text, predicted);
  DiagnosticLog.Line("-ponder move: ", text);
}

void AbandonPonder() {
  Pos.currentFrame = &PonderFrame;
  UnmakeMove(PonderMove, &PonderFrame);
  PonderMove = 0;
  Pos.currentFrame = &PlyFrames[0];
}

bool SetUpGame(const char* text, bool loadBook) {
  if (!SetupPosition(text, loadBook)) return false;
  std::snprintf(SetupText, sizeof SetupText, "%s", text);
  SetupLoadsBook = loadBook;
  SetupPly = 0;
  GamePositionValid = true;
  return true;
}

void RebaseGameSetup() {
  char fen[96];
  WriteFen(fen);
  std::snprintf(SetupText, sizeof SetupText, "%s", fen);
  SetupLoadsBook = false;
  SetupPly = GamePly();
}

int TakeBackGameMoves(int count) {
  if (!GamePositionValid) return 0;
  const int played = GamePly() - SetupPly;
  const int taken = count < played ? count : played;
  if (taken <= 0) return 0;
  const int kept = played - taken;
  for (int i = 0; i < kept; ++i) ReplayMoves[i] = GameHistory[SetupPly + i].move;
  if (!SetupPosition(SetupText, SetupLoadsBook)) {
    GamePositionValid = false;
    return 0;
  }
  SetupPly = 0;
  for (int i = 0; i < kept; ++i) MakeGameMove(ReplayMoves[i]);
  return taken;
}
