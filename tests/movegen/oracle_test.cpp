// Cross-checks against a mailbox move generator written here from the rules of chess, without
// bitboards: the legal moves found by the generators plus KingAttacked, the validity test over
// every origin, destination and kind, and the quiescence list against the full list.
#include <algorithm>
#include <map>
#include <set>

#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

// The position as a plain board, copied from the Position.
struct Mailbox {
  uint8_t sq[64];
  int side;
  int ep;
  int rights;
};

Mailbox FromPosition() {
  Mailbox b;
  std::copy(Pos.board, Pos.board + 64, b.sq);
  b.side = Pos.sideToMove;
  b.ep = Pos.epSquare;
  b.rights = Pos.castlingRights;
  return b;
}

bool OnBoard(int f, int r) { return f >= 0 && f < 8 && r >= 1 && r <= 8; }
int At(int f, int r) { return f + 8 * (8 - r); }
int Colour(int code) { return code & 1; }

constexpr int KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int KingSteps[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int StraightDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int DiagonalDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

// Whether side by attacks square s, the king included, by walking the board.
bool Attacked(const Mailbox& b, int s, int by) {
  const int f = FileOf(s), r = 8 - RowOf(s);
  const int pawnRank = by == White ? r - 1 : r + 1;
  for (int df : {-1, 1}) {
    if (OnBoard(f + df, pawnRank) && b.sq[At(f + df, pawnRank)] == (by == White ? WhitePawn : BlackPawn)) return true;
  }
  for (const auto& d : KnightSteps) {
    if (OnBoard(f + d[0], r + d[1]) && b.sq[At(f + d[0], r + d[1])] == (by == White ? WhiteKnight : BlackKnight)) {
      return true;
    }
  }
  for (const auto& d : KingSteps) {
    if (OnBoard(f + d[0], r + d[1]) && b.sq[At(f + d[0], r + d[1])] == (by == White ? WhiteKing : BlackKing)) {
      return true;
    }
  }
  // Sliders of side by: rook 8 - by, bishop 6 - by, and the queen 10 - by on either kind of line.
  auto slides = [&](const int(*dirs)[2], int piece) {
    for (int i = 0; i < 4; ++i) {
      for (int ff = f + dirs[i][0], rr = r + dirs[i][1]; OnBoard(ff, rr); ff += dirs[i][0], rr += dirs[i][1]) {
        const int c = b.sq[At(ff, rr)];
        if (c == 0) continue;
        if (c == piece - by || c == WhiteQueen + 1 - by) return true;
        break;
      }
    }
    return false;
  };
  return slides(StraightDirs, 8) || slides(DiagonalDirs, 6);
}

Mailbox Play(const Mailbox& b, Move m) {
  Mailbox n = b;
  const int from = MoveFrom(m), to = MoveTo(m), kind = MoveKindOf(m);
  const int us = b.side;
  auto place = [&](int s, int code) { n.sq[s] = static_cast<uint8_t>(code); };
  switch (kind) {
    case CastleWhiteShort: place(E1, 0), place(H1, 0), place(G1, WhiteKing), place(F1, WhiteRook); break;
    case CastleWhiteLong: place(E1, 0), place(A1, 0), place(C1, WhiteKing), place(D1, WhiteRook); break;
    case CastleBlackShort: place(E8, 0), place(H8, 0), place(G8, BlackKing), place(F8, BlackRook); break;
    case CastleBlackLong: place(E8, 0), place(A8, 0), place(C8, BlackKing), place(D8, BlackRook); break;
    default: {
      int code = b.sq[from];
      if (kind >= PromoteQueen && kind <= CapturePromoteBishop) {
        static constexpr int White[4] = {WhiteQueen, WhiteKnight, WhiteRook, WhiteBishop};
        code = White[(kind - PromoteQueen) & 3] + (us == Black ? 1 : 0);
      }
      if (kind == EnPassant) place(us == White ? to + 8 : to - 8, 0);
      place(from, 0);
      place(to, code);
    }
  }
  n.side = 1 - us;
  return n;
}

int KingOf(const Mailbox& b, int side) {
  for (int s = 0; s < 64; ++s) {
    if (b.sq[s] == (side == White ? WhiteKing : BlackKing)) return s;
  }
  return -1;
}

// Every pseudo-legal move of the side to move by the rules, castling included.
std::vector<Move> PseudoMoves(const Mailbox& b) {
  std::vector<Move> out;
  const int us = b.side, them = 1 - us;
  auto enemy = [&](int s) { return b.sq[s] != 0 && Colour(b.sq[s]) == them; };
  for (int from = 0; from < 64; ++from) {
    const int code = b.sq[from];
    if (code == 0 || Colour(code) != us) continue;
    const int f = FileOf(from), r = 8 - RowOf(from);
    if (code <= BlackPawn) {
      const int dir = us == White ? 1 : -1;
      const int lastRank = us == White ? 8 : 1;
      const int startRank = us == White ? 2 : 7;
      auto add = [&](int to, bool capture) {
        if (8 - RowOf(to) == lastRank) {
          for (int k = 0; k < 4; ++k)
            out.push_back(BuildMove(from, to, (capture ? CapturePromoteQueen : PromoteQueen) + k));
        } else {
          out.push_back(BuildMove(from, to, capture ? Capture : Quiet));
        }
      };
      if (OnBoard(f, r + dir) && b.sq[At(f, r + dir)] == 0) {
        add(At(f, r + dir), false);
        if (r == startRank && b.sq[At(f, r + 2 * dir)] == 0) out.push_back(BuildMove(from, At(f, r + 2 * dir), Quiet));
      }
      for (int df : {-1, 1}) {
        if (!OnBoard(f + df, r + dir)) continue;
        const int to = At(f + df, r + dir);
        if (enemy(to)) add(to, true);
        if (b.ep != 0 && to == b.ep) out.push_back(BuildMove(from, to, EnPassant));
      }
      continue;
    }
    auto step = [&](int ff, int rr) {
      if (!OnBoard(ff, rr)) return false;
      const int to = At(ff, rr);
      if (b.sq[to] == 0) {
        out.push_back(BuildMove(from, to, Quiet));
        return true;
      }
      if (enemy(to)) out.push_back(BuildMove(from, to, Capture));
      return false;
    };
    const int kind = (code - 1) / 2;  // 1 knight, 2 bishop, 3 rook, 4 queen, 5 king
    if (kind == 1) {
      for (const auto& d : KnightSteps) step(f + d[0], r + d[1]);
    } else if (kind == 5) {
      for (const auto& d : KingSteps) step(f + d[0], r + d[1]);
    } else {
      auto slide = [&](const int(*dirs)[2]) {
        for (int i = 0; i < 4; ++i) {
          for (int k = 1; step(f + k * dirs[i][0], r + k * dirs[i][1]); ++k) {
          }
        }
      };
      if (kind != 2) slide(StraightDirs);
      if (kind != 3) slide(DiagonalDirs);
    }
  }
  // Castling: the right, king and rook at home, empty squares between, and the king's origin,
  // crossed square and destination not attacked.
  struct Rule {
    int right, king, rook, kingCode, rookCode;
    std::vector<int> empty, safe;
    Move move;
  };
  const Rule rules[] = {
      {RightWhiteShort, E1, H1, WhiteKing, WhiteRook, {F1, G1}, {E1, F1, G1}, MoveCastleWhiteShort},
      {RightWhiteLong, E1, A1, WhiteKing, WhiteRook, {B1, C1, D1}, {E1, D1, C1}, MoveCastleWhiteLong},
      {RightBlackShort, E8, H8, BlackKing, BlackRook, {F8, G8}, {E8, F8, G8}, MoveCastleBlackShort},
      {RightBlackLong, E8, A8, BlackKing, BlackRook, {B8, C8, D8}, {E8, D8, C8}, MoveCastleBlackLong},
  };
  for (const Rule& rule : rules) {
    if (Colour(rule.kingCode) != us || !(b.rights & rule.right)) continue;
    if (b.sq[rule.king] != rule.kingCode || b.sq[rule.rook] != rule.rookCode) continue;
    bool ok = true;
    for (int s : rule.empty) ok = ok && b.sq[s] == 0;
    for (int s : rule.safe) ok = ok && !Attacked(b, s, them);
    if (ok) out.push_back(rule.move);
  }
  return out;
}

std::vector<Move> OracleLegalMoves(const Mailbox& b) {
  std::vector<Move> legal;
  for (Move m : PseudoMoves(b)) {
    const Mailbox after = Play(b, m);
    if (!Attacked(after, KingOf(after, b.side), 1 - b.side)) legal.push_back(m);
  }
  std::sort(legal.begin(), legal.end());
  return legal;
}

std::string Texts(const std::vector<Move>& moves) {
  std::string out;
  for (Move m : moves) out += MoveText(m) + "/" + std::to_string(MoveKindOf(m)) + " ";
  return out;
}

struct Tally {
  int positions = 0;
  int inCheck = 0;
  int withEnPassant = 0;
  int withPromotion = 0;
  int withCastling = 0;
};

void CheckPosition(Tally& tally) {
  char fen[96];
  WriteFen(fen);
  SCOPED_TRACE(fen);
  const Mailbox b = FromPosition();

  // 1. Generators plus KingAttacked find exactly the legal moves, each once.
  std::vector<Move> engine = EngineLegalMoves();
  std::sort(engine.begin(), engine.end());
  ASSERT_TRUE(std::adjacent_find(engine.begin(), engine.end()) == engine.end()) << Texts(engine);
  const std::vector<Move> oracle = OracleLegalMoves(b);
  ASSERT_EQ(engine, oracle) << "engine: " << Texts(engine) << "\noracle: " << Texts(oracle);

  ++tally.positions;
  PlyFrame frame;
  FindCheckers(&frame);
  const bool inCheck = frame.checkers != 0;
  ASSERT_EQ(inCheck, Attacked(b, KingOf(b, b.side), 1 - b.side));
  tally.inCheck += inCheck;
  for (Move m : oracle) {
    const int kind = MoveKindOf(m);
    tally.withEnPassant += kind == EnPassant;
    tally.withPromotion += kind >= PromoteQueen && kind <= CapturePromoteBishop;
    tally.withCastling += kind >= CastleBlackShort;
  }

  // 2. The validity test accepts exactly the rules' moves of each piece of the side to move, with
  // two documented extras: a pawn's step or capture onto the last rank given as a plain Quiet or
  // Capture move.
  std::vector<Move> pseudo = PseudoMoves(b);
  std::set<Move> expected;
  for (Move m : pseudo) {
    if (MoveKindOf(m) < CastleBlackShort) expected.insert(m);
  }
  for (Move m : pseudo) {
    if (MoveKindOf(m) == PromoteQueen) expected.insert(BuildMove(MoveFrom(m), MoveTo(m), Quiet));
    if (MoveKindOf(m) == CapturePromoteQueen) expected.insert(BuildMove(MoveFrom(m), MoveTo(m), Capture));
  }
  for (int from = 0; from < 64; ++from) {
    if (b.sq[from] == 0 || Colour(b.sq[from]) != b.side) continue;
    for (int to = 0; to < 64; ++to) {
      for (int kind : {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11}) {
        const Move m = BuildMove(from, to, kind);
        ASSERT_EQ(IsPseudoLegal(m), expected.count(m) == 1) << MoveText(m) << " kind " << kind;
      }
    }
  }

  // 3. Out of check, the quiescence list holds the full list's captures with the same scores
  // (piece captures only from -10000 up) and the queen step-promotions the exchange keeps.
  if (!inCheck) {
    std::multimap<Move, int> want;
    const Bitboard rookSliders = whiteRooks | blackRooks | whiteQueens | blackQueens;
    const Bitboard bishopSliders = whiteBishops | blackBishops | whiteQueens | blackQueens;
    for (const Entry& e : SearchList()) {
      const int kind = MoveKindOf(e.move);
      const int mover = Pos.board[MoveFrom(e.move)];
      if (kind == Capture || kind == EnPassant || (kind >= CapturePromoteQueen && kind <= CapturePromoteBishop)) {
        if (mover <= BlackPawn || e.score >= -10000) want.insert({e.move, e.score});
      } else if (kind == PromoteQueen) {
        const int score = ExchangeScore(mover, MoveFrom(e.move), MoveTo(e.move), rookSliders, bishopSliders);
        if (score >= -10000) want.insert({e.move, score});
      }
    }
    std::multimap<Move, int> got;
    for (const Entry& e : CaptureList()) got.insert({e.move, e.score});
    ASSERT_EQ(got, want);
  }
}

// Positions the random games reach seldom: checks of every kind, en passant, promotions.
const char* const ExtraFens[] = {
    "k3r3/8/8/8/8/3n4/8/1B2K3 w - -",
    "4k3/8/8/8/8/2N5/8/r3K3 w - -",
    "4k3/8/5B2/b7/7R/3Q4/1PP5/1N2K3 w - -",
    "4k3/8/8/3PpP2/5K2/8/8/8 w - e6",
    "8/8/8/5k2/3pPp2/8/8/4K3 b - e3",
    "r3K2k/1P6/8/8/8/8/8/8 w - -",
    "7k/8/8/8/8/8/6p1/K6R b - -",
    "8/8/8/8/k2Pp2Q/8/8/3K4 b - d3",   // en passant would expose the king along the rank
    "8/8/8/2k5/3Pp3/8/8/4K2B b - d3",  // the pawn that checks can be taken en passant
    "4k3/8/8/8/8/8/8/R3K2R w KQ -",
    "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -",
    "r3k2r/8/8/8/8/8/5n2/R3K2R w KQkq -",
    "4q1k1/8/8/8/7b/4R3/8/4K3 w - -",
    "1n6/P3P3/7k/2p1n3/1Q1B3N/8/2p5/R3K3 w - -",
    "3r2k1/1P2P3/8/8/8/8/8/4K2R w K -",
};

TEST(Oracle, GeneratorsAgreeWithTheRules) {
  Tally tally;
  for (const char* fen : ExtraFens) {
    ASSERT_TRUE(SetupPosition(fen, false)) << fen;
    CheckPosition(tally);
    if (HasFatalFailure()) return;
  }
#ifdef NDEBUG
  ForEachGamePosition(7, 8, 100, [&] { CheckPosition(tally); });
#else
  ForEachGamePosition(7, 2, 60, [&] { CheckPosition(tally); });
#endif
  // The games must have reached every kind of position the generators treat apart.
  EXPECT_GT(tally.positions, 300);
  EXPECT_GT(tally.inCheck, 20);
  EXPECT_GT(tally.withEnPassant, 5);
  EXPECT_GT(tally.withPromotion, 20);
  EXPECT_GT(tally.withCastling, 20);
}

}  // namespace
