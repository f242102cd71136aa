// Iterative deepening: draw check, seeding from the table, aspiration windows around the
// previous score, one log line per iteration, and the final move read back from the table.
#include "frontend/engine.h"
#include "frontend/log.h"
#include "search/search_internal.h"

uint32_t CompletedDepth;
void (*IterationReport)(unsigned depth, int score, const char* variation) = nullptr;

namespace {

constexpr int AspirationWidth = 30;
char PrincipalVariationText[1024];

ScoredMove RootScratch[MaxListMoves];
Move RootLegal[MaxListMoves];

// Whether the table's root move may be played: a real move must be a legal move of the root,
// and a result code must agree with the root having no legal move. A slot of another position
// that happens to match the key is thus never played.
bool PlayableAtRoot(Move move) {
  PlyFrame scratchFrame{};
  const int count = GenerateLegalMoves(RootLegal, RootScratch, &scratchFrame);
  for (int i = 0; i < count; ++i) {
    if (RootLegal[i] == move) return true;
  }
  if (count > 0) return false;
  return move == (scratchFrame.checkers != 0 ? MoveMate : MoveStalemate);
}

}  // namespace

Move IterativeDeepening() {
  const Move draw = CheckDraw(2);
  SearchResult.move = draw;
  if (draw != 0) {
    SearchResult.score = 0;
    return draw;
  }

  CheckCount[0] = CheckCount[1] = 0;
  SearchResult.move = 0;
  PlyFrames[0].moveListEnd = nullptr;
  IterationDepth = 2;
  CompletedDepth = 0;
  int alpha0 = -MateScore, beta0 = MateScore;

  if (TtSlot* slot = ProbeTranspositionTable(); slot != nullptr && IsBookSlot(*slot)) {
    // A book move is only a move: it seeds no window and no score.
    SearchResult.move = SlotMove(*slot);
  } else if (slot != nullptr) {
    const int s = SlotScore(*slot);
    if (SlotDepth(*slot) >= 2) {
      switch (SlotBound(*slot)) {
        case BoundExact:
          alpha0 = s - AspirationWidth;
          beta0 = s + AspirationWidth;
          IterationDepth = SlotDepth(*slot);
          break;
        case BoundLower:
          if (s > -MateScore) alpha0 = s;
          break;
        default:
          if (s < MateScore) beta0 = s;
          break;
      }
    }
    SearchResult.score = static_cast<int16_t>(s);
    SearchResult.move = SlotMove(*slot);
    const bool repeats = PeekRepetition(SlotMove(*slot)) > 0;
    if (repeats) IterationDepth = 2;
    if (alpha0 > MateThreshold) {
      beta0 = MateScore;
      IterationDepth = 2;
    }
    // Restarting below a deeper root slot (left by an earlier search of the game): the slot
    // would refuse this search's root stores and its move would be played unsearched, the
    // repeating move or the stored mate this restart exists to check. The root's entry is
    // rebuilt by this search instead.
    if ((repeats || alpha0 > MateThreshold) && SlotDepth(*slot) > IterationDepth) *slot = TtSlot{};
  }

  char fen[96];
  WriteFen(fen);
  DiagnosticLog.Line("-FEN:\t", fen);
  FindCheckers(&PlyFrames[0]);

  while (IterationDepth <= MaxSearchDepth) {
    int v = SearchRoot(alpha0, beta0);
    if (v <= alpha0 || v >= beta0) {
      int lo, hi;
      if (v <= alpha0) {
        AspirationFailFlag = -1;
        lo = -MateScore;
        hi = v + 1;
      } else {
        AspirationFailFlag = +1;
        lo = v - 1;
        hi = MateScore - 1;
      }
      v = SearchRoot(lo, hi);
      if (v <= lo || v >= hi) v = SearchRoot(-MateScore, MateScore - 1);
      AspirationFailFlag = 0;
    }
    if (StopRequested()) break;
    if (SearchResult.move == MoveStalemate) break;

    if (EngineMode.load() == Pondering) DiagnosticLog.Line("-PONDER:");
    FormatPrincipalVariation(PrincipalVariationText, static_cast<int>(IterationDepth));
    DiagnosticLog.Line("-E: ", IterationDepth, ":\t", v, "\t", PrincipalVariationText);
    if (IterationReport != nullptr) IterationReport(IterationDepth, v, PrincipalVariationText);
    CompletedDepth = IterationDepth;

    const int d = static_cast<int>(IterationDepth);
    if (v <= d - MateScore || v >= MateScore - d) {
      DiagnosticLog.Line("--- MATE: ", v);
      break;
    }
    ++IterationDepth;
    alpha0 = v - AspirationWidth;
    beta0 = v + AspirationWidth;
  }

  const TtSlot* slot = ProbeTranspositionTable();
  if (slot != nullptr && PlayableAtRoot(SlotMove(*slot))) {
    if (SlotMove(*slot) != SearchResult.move) DiagnosticLog.Line("-E: DIFFERENT MOVE");
    if (!IsBookSlot(*slot)) SearchResult.score = static_cast<int16_t>(SlotScore(*slot));
    SearchResult.move = SlotMove(*slot);
    DiagnosticLog.Line("-***HT: ", SearchResult.score);
  } else {
    DiagnosticLog.Line(
        "**************************************************** WARNING "
        "*****************************************************************");
  }
  return SearchResult.move;
}
