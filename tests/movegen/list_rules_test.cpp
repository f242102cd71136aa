// The order and the scores of every generated list, checked entry by entry against the
// generators' rules over positions of random games: each list must be strictly increasing in
// an order key derived from the rules (step, piece walked from h1 towards a8, captures before
// quiet moves, destination walked from h1 towards a8), and each score must follow its rule.
#include <array>

#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

using Key = std::array<int, 5>;

bool IsPromotion(int kind) { return kind >= PromoteQueen && kind <= CapturePromoteBishop; }
bool IsCapturePromotion(int kind) { return kind >= CapturePromoteQueen && kind <= CapturePromoteBishop; }
bool IsPawn(int code) { return code == WhitePawn || code == BlackPawn; }
bool IsKing(int code) { return code == WhiteKing || code == BlackKing; }

// Piece kind of a code: 1 knight, 2 bishop, 3 rook, 4 queen.
int KindOfPiece(int code) { return (code - 1) / 2; }

// Whether a pawn capture runs towards the a-file.
bool TowardsAFile(Square from, Square to) { return FileOf(to) < FileOf(from); }

constexpr int PromotionScore[4] = {-9401, -30005, -30025, -30050};

int PieceCaptureScore(int attacker, Square from, Square to) {
  const int victim = CaptureValue[Pos.board[to]];
  if (victim >= CaptureValue[attacker] - 50) return victim - CaptureValue[attacker] - 9500;
  const Bitboard rookSliders = whiteRooks | blackRooks | whiteQueens | blackQueens;
  const Bitboard bishopSliders = whiteBishops | blackBishops | whiteQueens | blackQueens;
  return ExchangeScore(attacker, from, to, rookSliders, bishopSliders);
}

// Common to both non-evasion lists: the pawn-capture steps, a-side then h-side, each with en
// passant first, then the capturing promotions, then the other captures.
Key PawnCaptureKey(Square from, Square to, int kind) {
  const int group = kind == EnPassant ? 0 : IsCapturePromotion(kind) ? 1 : 2;
  return {TowardsAFile(from, to) ? 0 : 1, group, -to, kind, 0};
}

int PawnCaptureScore(Square to, int kind) {
  if (kind == EnPassant) return -9500;
  const int victim = CaptureValue[Pos.board[to]];
  if (IsCapturePromotion(kind)) return victim + PromotionScore[kind - CapturePromoteQueen];
  return victim - 9600;
}

Key MovesKey(const Entry& e, int* score) {
  const Square from = MoveFrom(e.move), to = MoveTo(e.move);
  const int kind = MoveKindOf(e.move), mover = Pos.board[from];
  if (kind >= CastleBlackShort) {
    const bool shortSide = kind == CastleWhiteShort || kind == CastleBlackShort;
    *score = shortSide ? -29000 : -29500;
    return {8, shortSide ? 0 : 1, 0, 0, 0};
  }
  if (IsPawn(mover)) {
    if (kind == Capture || kind == EnPassant || IsCapturePromotion(kind)) {
      *score = PawnCaptureScore(to, kind);
      return PawnCaptureKey(from, to, kind);
    }
    *score = IsPromotion(kind) ? PromotionScore[kind - PromoteQueen] : -30000;
    const int group = IsPromotion(kind) ? 0 : (from - to == 16 || to - from == 16) ? 1 : 2;
    return {6, group, -to, kind, 0};
  }
  if (IsKing(mover)) {
    *score = kind == Capture ? PieceCaptureScore(mover, from, to) : -30000;
    return {7, kind == Capture ? 0 : 1, -to, 0, 0};
  }
  static constexpr int Step[5] = {0, 2, 5, 4, 3};  // knight, queen, rook, bishop
  *score = kind == Capture ? PieceCaptureScore(mover, from, to) : -30000;
  return {Step[KindOfPiece(mover)], -from, kind == Capture ? 0 : 1, -to, 0};
}

Key CapturesKey(const Entry& e, int* score) {
  const Square from = MoveFrom(e.move), to = MoveTo(e.move);
  const int kind = MoveKindOf(e.move), mover = Pos.board[from];
  if (IsPawn(mover) && kind == PromoteQueen) {
    const Bitboard rookSliders = whiteRooks | blackRooks | whiteQueens | blackQueens;
    const Bitboard bishopSliders = whiteBishops | blackBishops | whiteQueens | blackQueens;
    *score = ExchangeScore(mover, from, to, rookSliders, bishopSliders);
    return {2, -to, 0, 0, 0};
  }
  if (IsPawn(mover)) {
    *score = PawnCaptureScore(to, kind);
    return PawnCaptureKey(from, to, kind);
  }
  *score = PieceCaptureScore(mover, from, to);
  static constexpr int Step[6] = {0, 3, 4, 5, 6, 7};  // knight, bishop, rook, queen, king
  return {Step[KindOfPiece(mover)], -from, -to, 0, 0};
}

Key EvasionsKey(const Entry& e, Square checker, int* score) {
  const Square from = MoveFrom(e.move), to = MoveTo(e.move);
  const int kind = MoveKindOf(e.move), mover = Pos.board[from];
  const int checkerValue = checker >= 0 ? CaptureValue[Pos.board[checker]] : 0;
  if (IsKing(mover)) {
    *score = kind == Capture ? PieceCaptureScore(mover, from, to) : -30000;
    return {kind == Capture ? 11 : 12, -to, 0, 0, 0};
  }
  if (IsPawn(mover)) {
    if (kind == EnPassant) {
      *score = -9500;
      return {0, FileOf(from) < FileOf(to) ? 0 : 1, 0, 0, 0};
    }
    if (kind == Capture || IsCapturePromotion(kind)) {
      *score =
          IsCapturePromotion(kind) ? checkerValue + PromotionScore[kind - CapturePromoteQueen] : checkerValue - 9600;
      return {1, FileOf(from) < FileOf(to) ? 0 : 1, kind, 0, 0};
    }
    *score = IsPromotion(kind) ? PromotionScore[kind - PromoteQueen] : -30000;
    const bool doubleStep = from - to == 16 || to - from == 16;
    return {10, doubleStep ? 0 : IsPromotion(kind) ? 1 : 2, -to, kind, 0};
  }
  // Knights 2/3, bishops 4/5, rooks 6/7, queens 8/9: captures of the checker, then blocks.
  const int value = CaptureValue[mover];
  const int base = 2 * KindOfPiece(mover);
  if (kind == Capture) {
    *score = checkerValue - value - 9500;
    return {base, -from, 0, 0, 0};
  }
  *score = -30000 - value;
  return {base + 1, -from, -to, 0, 0};
}

void CheckLists(int* checked) {
  char fen[96];
  WriteFen(fen);
  SCOPED_TRACE(fen);
  PlyFrame frame;
  FindCheckers(&frame);
  const std::vector<Entry> main = SearchList(&frame);
  Square checker = -1;
  if (frame.checkers && !(frame.checkers & (frame.checkers - 1))) checker = BitScan(frame.checkers);
  Key previous{-1, 0, 0, 0, 0};
  bool first = true;
  for (const Entry& e : main) {
    int score = 0;
    const Key key = frame.checkers ? EvasionsKey(e, checker, &score) : MovesKey(e, &score);
    ASSERT_EQ(e.score, score) << MoveText(e.move) << " kind " << MoveKindOf(e.move) << ": " << Describe(main);
    ASSERT_TRUE(first || previous < key) << MoveText(e.move) << " out of order: " << Describe(main);
    previous = key;
    first = false;
  }
  if (!frame.checkers) {
    const std::vector<Entry> captures = CaptureList();
    first = true;
    for (const Entry& e : captures) {
      int score = 0;
      const Key key = CapturesKey(e, &score);
      ASSERT_EQ(e.score, score) << MoveText(e.move) << ": " << Describe(captures);
      if (!IsPawn(Pos.board[MoveFrom(e.move)]) || MoveKindOf(e.move) == PromoteQueen) {
        ASSERT_GE(e.score, -10000) << MoveText(e.move);
      }
      ASSERT_TRUE(first || previous < key) << MoveText(e.move) << " out of order: " << Describe(captures);
      previous = key;
      first = false;
    }
  }
  ++*checked;
}

TEST(ListRules, OrderAndScoresAlongRandomGames) {
  int checked = 0;
#ifdef NDEBUG
  ForEachGamePosition(99, 8, 120, [&] { CheckLists(&checked); });
#else
  ForEachGamePosition(99, 2, 80, [&] { CheckLists(&checked); });
#endif
  EXPECT_GT(checked, 300);
}

}  // namespace
