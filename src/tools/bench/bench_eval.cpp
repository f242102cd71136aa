// quillo-bench eval "<FEN>" [--terms]: the static evaluation of one position, optionally with the
// contribution of every term from White's view.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "tools/bench/bench.h"

int BenchEval(int argc, char** argv) {
  const char* fen = nullptr;
  bool showTerms = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--terms") == 0) {
      showTerms = true;
    } else if (!fen) {
      fen = argv[i];
    } else {
      std::fprintf(stderr, "eval: unexpected argument %s\n", argv[i]);
      return 2;
    }
  }
  if (!fen) {
    std::fprintf(stderr, "usage: quillo-bench eval \"<FEN>\" [--terms]\n");
    return 2;
  }
  if (!SetupPosition(fen, false)) {
    std::fprintf(stderr, "eval: position rejected: %s\n", fen);
    return 2;
  }
  if (whiteKingSquare == NoKing || blackKingSquare == NoKing) {
    std::fprintf(stderr, "eval: the position needs both kings: %s\n", fen);
    return 2;
  }

  if (!showTerms) {
    std::printf("eval %d\n", Evaluate());
    return 0;
  }
  EvalTerms t;
  const int score = EvaluateTerms(t);
  if (t.insufficientMaterial) std::printf("insufficient material: no pawns, materialTotal %d\n", Pos.materialTotal);
  std::printf("king tables %d\n", t.kingTables);
  std::printf("shelter %d\n", t.shelter);
  std::printf("pawn structure %d\n", t.pawnStructure);
  std::printf("knights %d\n", t.knights);
  std::printf("bishops %d\n", t.bishops);
  std::printf("rooks %d\n", t.rooks);
  std::printf("queens %d\n", t.queens);
  std::printf("imbalance %d\n", t.imbalance);
  std::printf("attack product %d\n", t.attackProduct);
  std::printf("material total %d\n", Pos.materialTotal);
  std::printf("king file counts white %d black %d\n", t.whiteKingFileCount, t.blackKingFileCount);
  std::printf("tropism white %d black %d\n", t.whiteTropism, t.blackTropism);
  std::printf("eval %d\n", score);
  return 0;
}
