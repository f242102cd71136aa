// Shared helpers of the move-generation tests: move text, list generation with the search's
// calling protocol, and the standard perft positions.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "position/position.h"
#include "position/tables.h"

namespace movegen_test {

inline constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
inline constexpr const char* KiwipeteFen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
inline constexpr const char* Position3Fen = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";
inline constexpr const char* Position4Fen = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
inline constexpr const char* Position4MirrorFen = "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1";
inline constexpr const char* Position5Fen = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
inline constexpr const char* Position6Fen = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

inline constexpr const char* StandardFens[] = {StartFen,           KiwipeteFen,  Position3Fen, Position4Fen,
                                               Position4MirrorFen, Position5Fen, Position6Fen};

// Square number of a name such as "e4".
constexpr Square Sq(const char* name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }

// Coordinate text: from, to and the promotion letter (castling as the king's move).
inline std::string MoveText(Move move) {
  std::string text;
  const Square from = MoveFrom(move), to = MoveTo(move);
  text += static_cast<char>('a' + FileOf(from));
  text += static_cast<char>('8' - RowOf(from));
  text += static_cast<char>('a' + FileOf(to));
  text += static_cast<char>('8' - RowOf(to));
  const int kind = MoveKindOf(move);
  if (kind >= PromoteQueen && kind <= CapturePromoteBishop) text += "qnrb"[(kind - PromoteQueen) & 3];
  return text;
}

// One expected list entry.
struct Entry {
  Move move;
  int score;
};

inline Entry E(const char* from, const char* to, int kind, int score) {
  return {BuildMove(Sq(from), Sq(to), kind), score};
}

inline std::vector<Entry> ToEntries(const ScoredMove* begin, const ScoredMove* end) {
  std::vector<Entry> out;
  for (const ScoredMove* m = begin; m != end; ++m) out.push_back({m->move, m->score});
  return out;
}

// The list the search would generate here: evasions when in check, every move otherwise.
inline std::vector<Entry> SearchList(PlyFrame* frame = &PlyFrames[0]) {
  FindCheckers(frame);
  ScoredMove* end = frame->checkers ? GenerateEvasions[Pos.sideToMove](RootMoveList, frame)
                                    : GenerateMoves[Pos.sideToMove](RootMoveList);
  return ToEntries(RootMoveList, end);
}

inline std::vector<Entry> CaptureList() {
  ScoredMove* end = GenerateCaptures[Pos.sideToMove](RootMoveList);
  return ToEntries(RootMoveList, end);
}

inline std::string Describe(const std::vector<Entry>& list) {
  std::string out;
  for (const Entry& e : list) {
    out += MoveText(e.move) + "/" + std::to_string(MoveKindOf(e.move)) + ":" + std::to_string(e.score) + " ";
  }
  return out;
}

// Whether the Position after MakeMove of move (by the side to move) is legal, then unmade.
inline bool LegalAfterMake(Move move) {
  PlyFrame* frame = &PlyFrames[0];
  SaveForMake(frame);
  const int side = Pos.sideToMove;
  MakeMove(move, frame);
  const bool legal = !KingAttacked(move, side);
  UnmakeMove(move, frame);
  return legal;
}

// The legal moves of the Position as the search finds them (generator plus KingAttacked).
inline std::vector<Move> EngineLegalMoves() {
  std::vector<Move> legal;
  for (const Entry& e : SearchList()) {
    if (LegalAfterMake(e.move)) legal.push_back(e.move);
  }
  return legal;
}

// Plays games of random legal moves (fixed seed) from each standard position and calls visit at
// every position reached, the first one included, until a game ends or has plies moves.
inline void ForEachGamePosition(unsigned seed, int games, int plies, const std::function<void()>& visit) {
  std::mt19937 random(seed);
  static PlyFrame gameFrame;
  for (const char* fen : StandardFens) {
    for (int game = 0; game < games; ++game) {
      ASSERT_TRUE(SetupPosition(fen, false)) << fen;
      for (int ply = 0;; ++ply) {
        visit();
        if (::testing::Test::HasFatalFailure()) return;
        const std::vector<Move> legal = EngineLegalMoves();
        if (legal.empty() || ply == plies) break;
        const Move move = legal[random() % legal.size()];
        SaveForMake(&gameFrame);
        MakeMove(move, &gameFrame);
      }
    }
  }
}

}  // namespace movegen_test
