// The static exchange score on worked exchanges; the positional terms are computed here from the
// evaluation's tables, so the expectations do not depend on their values.
#include <cstring>

#include "eval/eval.h"
#include "movegen_test_util.h"

using namespace movegen_test;

namespace {

int Psv(int code, const char* square) { return PieceSquareValue(code, Sq(square)); }

struct ExchangeCase {
  const char* name;
  const char* fen;
  int piece;
  const char* from;
  const char* to;
  int (*expected)();  // evaluated after the position is set up
};

const ExchangeCase Cases[] = {
    {"queen takes an undefended pawn", "4k3/8/8/3p4/8/8/3Q4/4K3 w - -", WhiteQueen, "d2", "d5",
     [] { return 100 - 9500 + Psv(WhiteQueen, "d5") - Psv(WhiteQueen, "d2") + Psv(BlackPawn, "d5"); }},
    {"rook takes a knight defended by a pawn: early stop, opponent ahead", "4k3/8/2p5/3n4/8/8/8/3RK3 w - -", WhiteRook,
     "d1", "d5", [] { return 100 / 2 - 190 - 30000 + Psv(WhiteRook, "d5") - Psv(WhiteRook, "d1"); }},
    {"bishop takes a pawn, knight takes back, knight takes back", "7k/8/5n2/3p4/8/4N3/B7/4K3 w - -", WhiteBishop, "a2",
     "d5", [] { return 95 - 9500 + Psv(WhiteBishop, "d5") - Psv(WhiteBishop, "a2") + Psv(BlackPawn, "d5"); }},
    {"queen takes a pawn defended by a knight", "7k/8/5n2/3p4/4P3/8/3Q4/4K3 w - -", WhiteQueen, "d2", "d5",
     [] { return 310 / 2 - 850 - 30000 + Psv(WhiteQueen, "d5") - Psv(WhiteQueen, "d2"); }},
    {"rook takes a knight, queen takes back, pawn takes the queen: early stop, mover ahead",
     "3q3k/8/8/3n4/4P3/8/8/3RK3 w - -", WhiteRook, "d1", "d5",
     [] { return 310 - 9500 + Psv(WhiteRook, "d5") - Psv(WhiteRook, "d1") + Psv(BlackKnight, "d5"); }},
    {"the rook behind the mover joins at once", "3r3k/8/8/3n4/8/8/3R4/3RK3 w - -", WhiteRook, "d2", "d5",
     [] { return 310 - 9500 + Psv(WhiteRook, "d5") - Psv(WhiteRook, "d2") + Psv(BlackKnight, "d5"); }},
    {"without the second rook the same capture loses", "3r3k/8/8/3n4/8/8/3R4/4K3 w - -", WhiteRook, "d2", "d5",
     [] { return -190 - 30000 + Psv(WhiteRook, "d5") - Psv(WhiteRook, "d2"); }},
    {"a rook uncovered behind a recapturing rook makes the exchange even", "3r3k/3r4/8/3n4/5N2/8/8/3R3K w - -",
     WhiteRook, "d1", "d5", [] { return Psv(WhiteRook, "d5") - Psv(WhiteRook, "d1") - 29985; }},
    {"a queen with a rook behind it: the diagonal test behind the queen is skipped",
     "3r3k/3r4/4p3/5B2/q7/3Q4/7K/3R4 w - -", WhiteQueen, "d3", "d7",
     [] { return -450 - 30000 + Psv(WhiteQueen, "d7") - Psv(WhiteQueen, "d3"); }},
    {"king takes a defended pawn", "4k3/8/8/8/8/2n5/4p3/4K3 w - -", WhiteKing, "e1", "e2", [] { return -32767; }},
    {"king takes an undefended pawn", "4k3/8/8/8/8/8/4p3/4K3 w - -", WhiteKing, "e1", "e2",
     [] { return 100 - 9500 + Psv(WhiteKing, "e2") - Psv(WhiteKing, "e1") + Psv(BlackPawn, "e2"); }},
    {"pawn steps onto an undefended promotion square", "7k/4P3/8/8/8/8/8/4K3 w - -", WhitePawn, "e7", "e8",
     [] { return 800 - 9500 + Psv(WhiteQueen, "e8") - Psv(WhitePawn, "e7"); }},
    {"pawn steps onto a defended promotion square", "3r3k/4P3/8/8/8/8/8/4K3 w - -", WhitePawn, "e7", "e8",
     [] { return (800 - 950) - 30000 + Psv(WhiteQueen, "e8") - Psv(WhitePawn, "e7"); }},
    {"black queen takes a pawn that a pawn defends", "3q3k/8/8/8/3P4/2P5/8/4K3 b - -", BlackQueen, "d8", "d4",
     [] { return 100 / 2 - 850 - 30000 + Psv(BlackQueen, "d4") - Psv(BlackQueen, "d8"); }},
    {"even trade of knights", "4k3/8/5n2/3n4/8/4N3/8/4K3 w - -", WhiteKnight, "e3", "d5",
     [] { return Psv(WhiteKnight, "d5") - Psv(WhiteKnight, "e3") - 29985; }},
};

TEST(ExchangeScore, WorkedExchanges) {
  for (const ExchangeCase& c : Cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetupPosition(c.fen, false)) << c.fen;
    const Bitboard rookSliders = whiteRooks | blackRooks | whiteQueens | blackQueens;
    const Bitboard bishopSliders = whiteBishops | blackBishops | whiteQueens | blackQueens;
    const Position before = Pos;
    EXPECT_EQ(ExchangeScore(c.piece, Sq(c.from), Sq(c.to), rookSliders, bishopSliders), c.expected());
    EXPECT_EQ(std::memcmp(before.board, Pos.board, 64), 0);
  }
}

}  // namespace
