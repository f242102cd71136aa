// SAN move text read on the live position: a table of hand-made cases, texts that must not read
// outside the working copy, and a cross-check against a SAN writer over random games.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/tables.h"
#include "programs/bench/random_games.h"
#include "support/position_compare.h"
#include "support/san_writer.h"

namespace {

std::string Text(Move m) {
  char buffer[8];
  FormatCoordinateMove(buffer, m);
  return std::string(buffer) + " kind " + std::to_string(MoveKindOf(m));
}

struct SanCase {
  const char* fen;
  const char* text;
  Move expected;
};

TEST(ParseSanMove, TableOfCases) {
  const char* const castling = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
  const char* const castlingBlack = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";
  const char* const noRights = "r3k2r/8/8/8/8/8/8/R3K2R w - -";
  const char* const shortOnly = "r3k2r/8/8/8/8/8/8/R3K2R w K -";
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  const char* const startBlack = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -";
  const char* const pawnOnE3 = "rnbqkbnr/pppppppp/8/8/8/4P3/PPPP1PPP/RNBQKBNR w KQkq -";
  const char* const justPassed = "4k3/8/8/3pP3/8/8/8/4K3 w - d6";
  const char* const passedNoSquare = "4k3/8/8/3pP3/8/8/8/4K3 w - -";
  const char* const pieceOnD6 = "4k3/8/3n4/3pP3/8/8/8/4K3 w - -";
  const char* const e8Occupied = "4n3/4P3/8/8/8/8/k7/4K3 w - -";
  const char* const d8Occupied = "3n4/4P3/8/8/8/8/k7/4K3 w - -";
  const char* const blackPromotes = "4k3/8/8/8/8/8/1p6/2N4K b - -";
  const char* const pinnedAlone = "4k3/4r3/8/8/8/8/4N3/4K3 w - -";
  const char* const onePinned = "4k3/8/8/8/8/4b3/3N3N/2K5 w - -";
  const char* const twoFree = "4k3/8/8/8/8/8/3N3N/2K5 w - -";
  const char* const blackKnights = "rn2k3/8/5n2/8/8/8/8/4K3 b - -";
  const char* const knightsOnFile = "4k3/8/8/6N1/8/8/8/4K1N1 w - -";
  const char* const loneKing = "4k3/8/8/8/8/8/8/K7 w - -";
  const char* const kingTakes = "4k3/8/8/8/6n1/8/8/K7 w - -";
  const char* const promotion = "8/4P3/8/8/8/8/k7/4K3 w - -";

  const SanCase cases[] = {
      // Castling spellings, with and without the right.
      {castling, "O-O", MoveCastleWhiteShort},
      {castling, "0-0", MoveCastleWhiteShort},
      {castling, "O-O+", MoveCastleWhiteShort},
      {castling, "OO", MoveCastleWhiteShort},
      {castling, "O-O-O", MoveCastleWhiteLong},
      {castling, "0-0-0", MoveCastleWhiteLong},
      {castling, "O-O-O#", MoveCastleWhiteLong},
      {castling, "o-o", 0},
      {castling, "o-o-o", 0},
      {castlingBlack, "O-O", MoveCastleBlackShort},
      {castlingBlack, "0-0-0", MoveCastleBlackLong},
      {noRights, "O-O", 0},
      {noRights, "0-0", 0},
      {noRights, "O-O-O", 0},
      {noRights, "000", 0},
      {shortOnly, "O-O", MoveCastleWhiteShort},
      {shortOnly, "O-O-O", 0},
      // Pawn pushes: one step or the double step.
      {start, "e4", BuildMove(E2, E4, Quiet)},
      {start, "e3", BuildMove(E2, E3, Quiet)},
      {pawnOnE3, "e4", BuildMove(E3, E4, Quiet)},
      {startBlack, "e5", BuildMove(E7, E5, Quiet)},
      {startBlack, "h6", BuildMove(H7, H6, Quiet)},
      // Pawn captures: en passant whether or not the square was recorded, or a capture.
      {justPassed, "exd6", BuildMove(E5, D6, EnPassant)},
      {passedNoSquare, "exd6", BuildMove(E5, D6, EnPassant)},
      {pieceOnD6, "exd6", BuildMove(E5, D6, Capture)},
      {pieceOnD6, "ed6", BuildMove(E5, D6, Capture)},
      // Promotions by push (whatever stands on the square) and by capture.
      {e8Occupied, "e8=Q", BuildMove(E7, E8, PromoteQueen)},
      {e8Occupied, "e8Q", BuildMove(E7, E8, PromoteQueen)},
      {e8Occupied, "e8=n", BuildMove(E7, E8, PromoteKnight)},
      {d8Occupied, "exd8=N", BuildMove(E7, D8, CapturePromoteKnight)},
      {d8Occupied, "exd8=R+", BuildMove(E7, D8, CapturePromoteRook)},
      {promotion, "exd8=B", BuildMove(E7, D8, PromoteBishop)},  // nothing on d8: no capture kind
      {blackPromotes, "bxc1=Q", BuildMove(B2, C1, CapturePromoteQueen)},
      {blackPromotes, "b1=Q", BuildMove(B2, B1, PromoteQueen)},
      // Knight moves: one candidate is returned even when pinned; two are resolved by legality.
      {start, "Nf3", BuildMove(G1, F3, Quiet)},
      {pinnedAlone, "Nf4", BuildMove(E2, F4, Quiet)},
      {onePinned, "Nf3", BuildMove(H2, F3, Quiet)},
      {onePinned, "Nf1", BuildMove(H2, F1, Quiet)},
      {twoFree, "Nf3", 0},
      {twoFree, "Nf1", 0},
      {twoFree, "Ndf3", BuildMove(D2, F3, Quiet)},
      {twoFree, "Nhf3", BuildMove(H2, F3, Quiet)},
      {twoFree, "N2f3", 0},
      {blackKnights, "Nbd7", BuildMove(B8, D7, Quiet)},
      {blackKnights, "Nfd7", BuildMove(F6, D7, Quiet)},
      {blackKnights, "Nd7", 0},
      {knightsOnFile, "N1f3", BuildMove(G1, F3, Quiet)},
      {knightsOnFile, "N5f3", BuildMove(G5, F3, Quiet)},
      {knightsOnFile, "Nf3", 0},
      {knightsOnFile, "Nxf3", 0},
      // The king moves from its square wherever the destination is.
      {loneKing, "Kg4", BuildMove(A1, G4, Quiet)},
      {loneKing, "Kb2", BuildMove(A1, B2, Quiet)},
      {kingTakes, "Kxg4", BuildMove(A1, G4, Capture)},
      // Coordinate words, with and without a piece letter.
      {start, "Ng1f3", BuildMove(G1, F3, Quiet)},
      {start, "g1f3", BuildMove(G1, F3, Quiet)},
      {start, "Ng1-f3", BuildMove(G1, F3, Quiet)},
      {start, "e2e4", BuildMove(E2, E4, Quiet)},
      {castling, "e1g1", MoveCastleWhiteShort},
      {promotion, "e7e8q", BuildMove(E7, E8, PromoteQueen)},
      {promotion, "e7e8Q", BuildMove(E7, E8, PromoteQueen)},
      {promotion, "e7e8N", BuildMove(E7, E8, PromoteKnight)},
      // Decorations are dropped; only the first nine characters are seen.
      {start, "Nf3!?", BuildMove(G1, F3, Quiet)},
      {start, "Nf3!!!!!!x", BuildMove(G1, F3, Quiet)},
      {start, "Nf3!!!!!!e4", BuildMove(G1, F3, Quiet)},
      {start, "!!!!!!!!!Nf3", 0},
      {start, "Nf3abcdefg", 0},
      // Lower-case piece letters and a pawn letter are not read.
      {start, "nf3", 0},
      {start, "Pe4", 0},
      {start, "pe4", 0},
  };
  for (const SanCase& c : cases) {
    SCOPED_TRACE(std::string(c.fen) + " | " + c.text);
    ASSERT_TRUE(SetupPosition(c.fen, false));
    const Move m = ParseSanMove(c.text);
    EXPECT_EQ(m, c.expected) << Text(m) << " expected " << Text(c.expected);
  }
}

TEST(ParseSanMove, MalformedTextsGiveNoMove) {
  // Texts whose squares are out of range, or that would wrap across the board's edge.
  const SanCase cases[] = {
      {"4k3/8/8/8/8/8/8/K7 w - -", "", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "i9", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "Ki9", 0},  // "i9" would otherwise land on a8
      {"4k3/8/8/8/8/8/8/K7 w - -", "Ka0", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "Kh9", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "i9=Q", 0},  // "i9" would otherwise land on a8 from a7
      {"4k3/8/8/8/8/8/8/K7 w - -", "\xe9\xe4", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "N\xe9\xe4", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "xxxxxxxxxxxxxxxx", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "a1", 0},  // no square behind rank 1
      {"4k3/8/8/8/8/8/8/K7 w - -", "a2", 0},  // no pawn: two steps back leaves the board
      {"4k3/8/8/8/8/8/8/K7 b - -", "h8", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "a1=Q", 0},
      {"4k3/8/8/8/8/8/8/K7 b - -", "h8=Q", 0},
      // A pawn on h5 is no capturer of a5, though a5 + 7 is h5's number.
      {"4k3/8/8/p6P/8/8/8/4K3 w - -", "hxa5", 0},
      {"4k3/8/8/p6P/8/8/8/4K3 w - -", "hxa6", 0},
      // The origin file of a capturing promotion must be next to the destination's.
      {"n6k/7P/8/8/8/8/8/4K3 w - -", "hxa8=Q", 0},
      {"3n3k/4P3/8/8/8/8/8/4K3 w - -", "exe8=Q", 0},
      {"3n3k/4P3/8/8/8/8/8/4K3 w - -", "axd8=Q", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "Nbi7", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "N9f3", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "Zf3", 0},
      {"4k3/8/8/8/8/8/8/K7 w - -", "e9e8q", 0},
  };
  for (const SanCase& c : cases) {
    SCOPED_TRACE(std::string(c.fen) + " | " + c.text);
    ASSERT_TRUE(SetupPosition(c.fen, false));
    EXPECT_EQ(ParseSanMove(c.text), c.expected) << Text(ParseSanMove(c.text));
  }
}

TEST(ParseSanMove, RandomBytesChangeNothing) {
  // Texts of any length and any bytes, drawn mostly from the characters SAN uses; under the
  // sanitizers this shows that nothing is read or written outside the text and the board.
  static const char Alphabet[] = "abcdefghi0123456789NBRQKPOo-x+#!?=";
  std::mt19937 rng(97);
  for (const char* fen : {"4k3/8/8/8/8/4b3/3N3N/2K5 w - -", "r3k2r/8/3Q1Q2/8/3Q1Q2/8/8/R3K2R w KQkq -",
                          "4k3/3p4/8/3pP3/8/8/1p6/2N1K3 b - -"}) {
    ASSERT_TRUE(SetupPosition(fen, false)) << fen;
    const Position before = Pos;
    for (int i = 0; i < 20000; ++i) {
      char text[16];
      const int length = static_cast<int>(rng() % 15);
      for (int k = 0; k < length; ++k) {
        text[k] = rng() % 4 == 0 ? static_cast<char>(1 + rng() % 255) : Alphabet[rng() % (sizeof Alphabet - 1)];
      }
      text[length] = 0;
      ParseSanMove(text);
    }
    EXPECT_TRUE(SamePosition(Pos, before)) << fen;
  }
}

TEST(ParseSanMove, ResolvingSeveralCandidatesLeavesThePositionAsItWas) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/4b3/3N3N/2K5 w - -", false));
  const Position before = Pos;
  const HistoryEntry top = *Pos.historyTop;
  EXPECT_EQ(ParseSanMove("Nf3"), BuildMove(H2, F3, Quiet));
  EXPECT_TRUE(SamePosition(Pos, before));
  EXPECT_TRUE(SameHistoryEntry(*Pos.historyTop, top));
  EXPECT_TRUE(PositionIsConsistent());
}

TEST(ResolveSanMove, LettersOriginsAndKinds) {
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/3N3N/2K5 w - -", false));
  const Bitboard all = ~Bitboard{0};
  EXPECT_EQ(ResolveSanMove('N', F3, all), 0);  // two legal knights
  EXPECT_EQ(ResolveSanMove('N', F3, SquareMask[D2]), BuildMove(D2, F3, Quiet));
  EXPECT_EQ(ResolveSanMove('N', F3, SquareMask[E2]), 0);            // no knight allowed
  EXPECT_EQ(ResolveSanMove('K', H8, 0), BuildMove(C1, H8, Quiet));  // allowed not applied
  EXPECT_EQ(ResolveSanMove('B', F3, all), 0);
  EXPECT_EQ(ResolveSanMove('P', F3, all), 0);
  EXPECT_EQ(ResolveSanMove('N', 64, all), 0);
  EXPECT_EQ(ResolveSanMove('N', -1, all), 0);
  // Sliders see the current occupancy: the rook on a1 is blocked by the pawn on a2.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/P7/R3K2R w - -", false));
  EXPECT_EQ(ResolveSanMove('R', A5, all), 0);
  EXPECT_EQ(ResolveSanMove('R', F1, all), BuildMove(H1, F1, Quiet));
  EXPECT_EQ(ResolveSanMove('R', H8, all), BuildMove(H1, H8, Quiet));
  // Two queens reaching d5, the one on c4 pinned along the rank to its king; staying on the
  // rank (d4) it may still move, so that text is ambiguous.
  ASSERT_TRUE(SetupPosition("4k3/8/8/8/r1Q1K3/8/8/3Q4 w - -", false));
  EXPECT_EQ(ResolveSanMove('Q', D5, all), BuildMove(D1, D5, Quiet));
  EXPECT_EQ(ResolveSanMove('Q', D4, all), 0);
}

// Positions where several men of a kind, promotions, castling and en passant come up often.
const char* const CrossCheckStarts[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/8/8/1N1N1N2/8/1R5R/8/R3K2R w KQkq -",
    "4k3/8/8/3Q1Q2/8/3Q1Q2/8/4K3 b - -",
    "8/PPP4k/8/8/8/8/ppp4K/8 w - -",
    "n1n4k/PPPP4/8/8/8/8/pppp4/N1N4K w - -",
};

TEST(ParseSanMove, ReadsTheSanTextOfEveryLegalMoveOverRandomGames) {
#ifdef NDEBUG
  constexpr int Games = 240;
#else
  constexpr int Games = 24;  // sanitizer builds are far slower
#endif
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static PlyFrame frame;
  std::mt19937 rng(20261211);
  long checked = 0, hinted = 0, promotions = 0, passant = 0, castles = 0;
  for (int game = 0; game < Games; ++game) {
    const char* start = CrossCheckStarts[game % std::size(CrossCheckStarts)];
    ASSERT_TRUE(SetupPosition(start, false)) << start;
    PlayRandomGame(rng, 120, [&] {
      const int count = GenerateLegalMoves(legal, scratch, &frame);
      for (int i = 0; i < count; ++i) {
        const Move move = legal[i];
        const std::string san = WriteSan(move);
        char coordinate[8];
        FormatCoordinateMove(coordinate, move);
        const Move fromSan = ParseSanMove(san.c_str());
        const Move fromCoordinate = ParseSanMove(coordinate);
        if (fromSan != move || fromCoordinate != move) {
          char fen[96];
          WriteFen(fen);
          ADD_FAILURE() << fen << " move " << Text(move) << " SAN " << san << " read " << Text(fromSan)
                        << ", coordinate " << coordinate << " read " << Text(fromCoordinate);
          return;
        }
        ++checked;
        const int kind = MoveKindOf(move);
        std::string core;  // the SAN text without capture and check marks
        for (char ch : san) {
          if (ch != 'x' && ch != '+' && ch != '#') core += ch;
        }
        hinted += std::strchr("NBRQ", core[0]) != nullptr && core.size() > 3;
        promotions += kind >= PromoteQueen && kind <= CapturePromoteBishop;
        passant += kind == EnPassant;
        castles += kind >= CastleBlackShort;
      }
    });
  }
  // The games must have exercised the rarer rules, or the cross-check proves little.
  EXPECT_GT(checked, 10000);
  EXPECT_GT(hinted, 20);
  EXPECT_GT(promotions, 20);
  EXPECT_GT(passant, 0);
  EXPECT_GT(castles, 20);
  std::printf("checked %ld moves: %ld with hints, %ld promotions, %ld en passant, %ld castlings\n", checked, hinted,
              promotions, passant, castles);
}

}  // namespace
