// Coordinate move text in both directions.
#include <gtest/gtest.h>

#include <string>

#include "notation/notation.h"

namespace {

std::string Text(Move m) {
  char buffer[8];
  char* end = FormatCoordinateMove(buffer, m);
  EXPECT_EQ(*end, 0);
  return std::string(buffer, end);
}

TEST(FormatCoordinateMove, KindsAndResultCodes) {
  struct Case {
    Move move;
    const char* text;
  };
  const Case cases[] = {
      {BuildMove(E2, E4, Quiet), "e2e4"},
      {BuildMove(E5, D6, EnPassant), "e5d6"},
      {BuildMove(E7, E8, PromoteQueen), "e7e8q"},
      {BuildMove(D7, C8, CapturePromoteKnight), "d7c8n"},
      {BuildMove(A2, A1, PromoteRook), "a2a1r"},
      {BuildMove(B2, A1, CapturePromoteBishop), "b2a1b"},
      {MoveCastleBlackShort, "e8g8"},
      {MoveCastleWhiteLong, "e1c1"},
      {static_cast<Move>(CastleBlackShort << 12), "e8g8"},  // square bits not looked at
      {MoveMate, "a8a8"},
      {MoveInsufficientMaterial, "h8h8"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.move), c.text);
}

TEST(ParseCoordinateMove, ReadsKindsFromTheRootSnapshot) {
  // White: king e1, rooks a1 h1, pawns e5 b7 e2, black pawn d5 just moved (ep d6), piece on c8.
  ASSERT_TRUE(SetupPosition("r1n1k2r/1P6/8/3pP3/8/8/4P3/R3K2R w KQk d6", false));
  struct Case {
    const char* text;
    Move expected;
  };
  const Case cases[] = {
      {"e1g1", MoveCastleWhiteShort},
      {"e1c1", MoveCastleWhiteLong},
      {"e8g8", MoveCastleBlackShort},
      {"e8c8", BuildMove(E8, C8, Capture)},  // no right q: an ordinary move onto the knight
      {"e5d6", BuildMove(E5, D6, EnPassant)},
      {"b7b8q", BuildMove(B7, B8, PromoteQueen)},
      {"b7c8n", BuildMove(B7, C8, CapturePromoteKnight)},
      {"b7c8N", BuildMove(B7, C8, CapturePromoteKnight)},
      {"e2e4", BuildMove(E2, E4, Quiet)},
      {"e2e4x", BuildMove(E2, E4, Quiet)},
      {"a1a8", BuildMove(A1, A8, Capture)},
      {"a1a8q", BuildMove(A1, A8, Capture)},  // not a pawn: the fifth character is ignored
      {"e4e5", BuildMove(E4, E5, Capture)},   // empty origin, occupied destination
      {"i2i4", 0},
      {"e9e4", 0},
      {"e0e1", 0},
      {"e2", 0},
      {"E2E4", 0},
      {"O-O", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCoordinateMove(c.text), c.expected) << c.text;
  // With no en-passant square the same pawn word is a plain move.
  ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - -", false));
  EXPECT_EQ(ParseCoordinateMove("e5d6"), BuildMove(E5, D6, Quiet));
  EXPECT_EQ(ParseCoordinateMove("e1g1"), BuildMove(E1, G1, Quiet));
}

}  // namespace
