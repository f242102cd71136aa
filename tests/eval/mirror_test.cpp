// Colour mirror: turning the board upside down, exchanging the colours and the side to move
// must give each term the opposite sign, wherever the evaluation is symmetric by design. The
// deliberate asymmetries are: the king tables A and B (both kings read their own square), the
// left-right asymmetric rows of PawnTableA, PawnTableD, BishopTableA and BishopTableB (a black
// piece reads the square turned by half a turn, not mirrored), a black pawn's protectors adding
// to its attack weight, and the rook file term, which looks at the rearmost white pawn but the
// most advanced black pawn of the file. Each term is compared where none of these applies.
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "eval/psqt.h"
#include "eval/random_games.h"
#include "position/tables.h"

namespace {

Bitboard Flip(Bitboard b) { return __builtin_bswap64(b); }  // a8 <-> a1: square s <-> s ^ 56

// Replaces the Position by its colour mirror (no castling rights, no en-passant square).
void MirrorPosition() {
  Position m = Pos;
  for (int code = 1; code <= 10; ++code) m.pieceBoards[code] = Flip(Pos.pieceBoards[(code & 1) ? code + 1 : code - 1]);
  m.pieceBoards[11] = Flip(Pos.pieceBoards[12]);
  m.pieceBoards[12] = Flip(Pos.pieceBoards[11]);
  m.occupied = Flip(Pos.occupied);
  m.occupiedFiles = RotateFiles(m.occupied);
  m.occupiedA1H8 = RotateA1H8(m.occupied);
  m.occupiedA8H1 = RotateA8H1(m.occupied);
  m.hashKey = 0;
  m.pawnKey = 0;
  for (Square s = 0; s < 64; ++s) {
    const uint8_t code = Pos.board[s];
    const uint8_t swapped = code == 0 ? 0 : static_cast<uint8_t>((code & 1) ? code + 1 : code - 1);
    m.board[s ^ 56] = swapped;
    if (swapped != Empty) m.hashKey ^= ZobristKeys[swapped][s ^ 56];
    if (swapped == WhitePawn || swapped == BlackPawn) m.pawnKey ^= static_cast<uint32_t>(ZobristKeys[swapped][s ^ 56]);
  }
  m.kingSquare[White] = static_cast<uint8_t>(Pos.kingSquare[Black] ^ 56);
  m.kingSquare[Black] = static_cast<uint8_t>(Pos.kingSquare[White] ^ 56);
  m.pieceMaterial[White] = Pos.pieceMaterial[Black];
  m.pieceMaterial[Black] = Pos.pieceMaterial[White];
  m.pawnCount[White] = Pos.pawnCount[Black];
  m.pawnCount[Black] = Pos.pawnCount[White];
  m.castlingRights = 0;
  m.epSquare = 0;
  m.sideToMove = Pos.sideToMove ^ 1;
  Pos = m;
}

// Evaluates with the cache entry of this structure emptied first, so the score is fresh.
int16_t FreshTerms(EvalTerms& t) {
  PawnHashTable[Pos.pawnKey & (PawnHashSize - 1)] = 0;
  return EvaluateTerms(t);
}

int Phase() { return Pos.materialTotal > 127 ? 127 : Pos.materialTotal; }

bool KingTermSymmetric() {
  const int16_t* table = PhaseTableSelection[KingKind][Phase()];
  for (Square k : {static_cast<Square>(whiteKingSquare), static_cast<Square>(blackKingSquare)})
    if (table[k] != table[k ^ 56]) return false;
  return true;
}

bool LeftRightSymmetric(const int16_t* table) {
  for (Square s = 0; s < 64; ++s)
    if (table[s] != table[s ^ 7]) return false;
  return true;
}

bool PawnTermSymmetric() {
  if (!LeftRightSymmetric(PhaseTableSelection[PawnKind][Phase()])) return false;
  for (Bitboard b = whitePawns; b; b &= b - 1)
    if (WhitePawnAttacks[BitScan(b)] & blackPawns) return false;  // some pawn is attacked
  return true;
}

bool BishopTermSymmetric() {
  const int16_t* table = PhaseTableSelection[BishopKind][Phase()];
  const Bitboard bishops = whiteBishops | blackBishops;
  for (Bitboard b = bishops; b; b &= b - 1) {
    const Square s = BitScan(b);
    // A white bishop reads entry s, its mirror image entry s ^ 7 of the same table.
    if (table[s] != table[s ^ 7] || table[63 - s] != table[(63 - s) ^ 7]) return false;
  }
  return true;
}

bool RookTermSymmetric() {
  for (int side : {White, Black}) {
    const Bitboard rooks = Pos.pieceBoards[WhiteRook + 1 - side];
    const Bitboard pawns = Pos.pieceBoards[WhitePawn + 1 - side];
    for (Bitboard b = rooks; b; b &= b - 1) {
      const Bitboard own = FileExceptSquare[BitScan(b)] & pawns;
      if (own & (own - 1)) return false;  // two or more own pawns on the rook's file
    }
  }
  return true;
}

TEST(ColourMirror, SymmetricTermsChangeSign) {
  int positions = 0, pawnChecks = 0, bishopChecks = 0, rookChecks = 0, kingChecks = 0, totalChecks = 0;
  int shelterSeen = 0, attackSeen = 0, imbalanceSeen = 0;
  eval_test::PlayRandomGames(eval_test::RandomGameCount / 2, 77, [&] {
    ++positions;
    const Position saved = Pos;
    const bool kingSymmetric = KingTermSymmetric(), pawnSymmetric = PawnTermSymmetric(),
               bishopSymmetric = BishopTermSymmetric(), rookSymmetric = RookTermSymmetric();
    EvalTerms a, b;
    const int16_t scoreA = FreshTerms(a);
    const HashKey savedTopKey = Pos.historyTop->key;
    MirrorPosition();
    Pos.historyTop->key = Pos.hashKey;  // the mirror image as the current history entry
    ASSERT_TRUE(PositionIsConsistent()) << "the mirror image is a well-formed Position";
    const int16_t scoreB = FreshTerms(b);
    Pos = saved;
    Pos.historyTop->key = savedTopKey;

    SCOPED_TRACE(positions);
    EXPECT_EQ(b.shelter, -a.shelter);
    EXPECT_EQ(b.knights, -a.knights);
    EXPECT_EQ(b.queens, -a.queens);
    EXPECT_EQ(b.imbalance, -a.imbalance);
    EXPECT_EQ(b.attackProduct, -a.attackProduct);
    EXPECT_EQ(b.whiteKingFileCount, a.blackKingFileCount);
    EXPECT_EQ(b.blackKingFileCount, a.whiteKingFileCount);
    EXPECT_EQ(b.whiteTropism, a.blackTropism);
    EXPECT_EQ(b.blackTropism, a.whiteTropism);
    shelterSeen += a.shelter != 0;
    attackSeen += a.attackProduct != 0;
    imbalanceSeen += a.imbalance != 0;
    if (kingSymmetric) {
      EXPECT_EQ(b.kingTables, -a.kingTables);
      ++kingChecks;
    }
    if (pawnSymmetric) {
      EXPECT_EQ(b.pawnStructure, -a.pawnStructure);
      ++pawnChecks;
    }
    if (bishopSymmetric) {
      EXPECT_EQ(b.bishops, -a.bishops);
      ++bishopChecks;
    }
    if (rookSymmetric) {
      EXPECT_EQ(b.rooks, -a.rooks);
      ++rookChecks;
    }
    if (kingSymmetric && pawnSymmetric && bishopSymmetric && rookSymmetric) {
      EXPECT_EQ(scoreB, scoreA) << "the side to move's view of the mirror image";
      ++totalChecks;
    }
  });
  // The games must have exercised each comparison often enough to mean something.
  EXPECT_GT(kingChecks, positions / 4);
  EXPECT_GT(pawnChecks, positions / 10);
  EXPECT_GT(bishopChecks, positions / 4);
  EXPECT_GT(rookChecks, positions / 2);
  EXPECT_GT(totalChecks, positions / 20);
  EXPECT_GT(shelterSeen, 0);
  EXPECT_GT(attackSeen, positions / 10);
  EXPECT_GT(imbalanceSeen, positions / 10);
}
}  // namespace
