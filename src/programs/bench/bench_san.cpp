// quillo-bench san "<FEN>" <text>: the move a SAN (or coordinate) text denotes in a position,
// and whether it is one of the position's legal moves.
#include <cstdio>

#include "movegen/movegen.h"
#include "notation/notation.h"
#include "position/position.h"
#include "programs/bench/bench.h"

int BenchSan(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillo-bench san \"<FEN>\" <text>\n");
    return 2;
  }
  if (!SetupPosition(argv[0], false)) {
    std::fprintf(stderr, "san: position rejected: %s\n", argv[0]);
    return 2;
  }
  const Move move = ParseSanMove(argv[1]);
  if (move == 0) {
    std::printf("none\n");
    return 0;
  }
  // The reader returns a move that only one piece can make without testing it: say whether it
  // is legal, since callers must check that before making it.
  static Move legal[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static PlyFrame frame;
  const int count = GenerateLegalMoves(legal, scratch, &frame);
  bool isLegal = false;
  for (int i = 0; i < count; ++i) isLegal |= legal[i] == move;
  char text[8];
  FormatCoordinateMove(text, move);
  std::printf("legal %s\n%s %d\n", isLegal ? "yes" : "no", text, MoveKindOf(move));
  return 0;
}
