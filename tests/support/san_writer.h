// A small SAN writer for tests: the standard text of a legal move in the live position, with
// the disambiguation of standard SAN (file, else rank, else both), "x" for captures, "=" before
// a promotion letter and "+" or "#" after a check or mate.
#pragma once

#include <string>

#include "movegen/movegen.h"
#include "position/position.h"

// The SAN text of move, which must be legal in the live position. One more history entry must
// fit, since the move is made to see whether it checks; the Position is left as it was.
inline std::string WriteSan(Move move) {
  static Move legal[MaxListMoves];
  static Move replies[MaxListMoves];
  static ScoredMove scratch[MaxListMoves];
  static PlyFrame listFrame, moveFrame, replyFrame;

  const int kind = MoveKindOf(move);
  const Square from = MoveFrom(move), to = MoveTo(move);
  const auto squareText = [](Square s) {
    return std::string{static_cast<char>('a' + FileOf(s)), static_cast<char>('8' - RowOf(s))};
  };
  std::string text;
  if (kind >= CastleBlackShort) {
    text = kind <= CastleWhiteShort ? "O-O" : "O-O-O";
  } else {
    const int piece = Pos.board[from];
    const bool captures =
        kind == Capture || kind == EnPassant || (kind >= CapturePromoteQueen && kind <= CapturePromoteBishop);
    if (piece <= BlackPawn) {
      if (captures) text = std::string{static_cast<char>('a' + FileOf(from)), 'x'};
      text += squareText(to);
      if (kind >= PromoteQueen) text += std::string{'=', "QNRB"[kind & 3]};
    } else {
      text = std::string{"NBRQK"[(piece - WhiteKnight) / 2]};
      // Other legal moves of the same kind of piece onto the same square decide the hint.
      const int count = GenerateLegalMoves(legal, scratch, &listFrame);
      bool others = false, sameFile = false, sameRank = false;
      for (int i = 0; i < count; ++i) {
        const Square other = MoveFrom(legal[i]);
        if (legal[i] == move || MoveTo(legal[i]) != to || other == from || Pos.board[other] != piece) continue;
        if (MoveKindOf(legal[i]) >= CastleBlackShort) continue;
        others = true;
        sameFile |= FileOf(other) == FileOf(from);
        sameRank |= RowOf(other) == RowOf(from);
      }
      if (others) {
        if (!sameFile) {
          text += static_cast<char>('a' + FileOf(from));
        } else if (!sameRank) {
          text += static_cast<char>('8' - RowOf(from));
        } else {
          text += squareText(from);
        }
      }
      if (captures) text += 'x';
      text += squareText(to);
    }
  }

  const Move topMove = Pos.historyTop->move;
  SaveForMake(&moveFrame);
  MakeMove(move, &moveFrame);
  FindCheckers(&replyFrame);
  if (replyFrame.checkers != 0) text += GenerateLegalMoves(replies, scratch, &replyFrame) == 0 ? '#' : '+';
  UnmakeMove(move, &moveFrame);
  Pos.historyTop->move = topMove;
  return text;
}
