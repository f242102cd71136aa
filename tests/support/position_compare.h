// Field-by-field comparison of two Position records (the struct has padding, so no memcmp).
#pragma once

#include <cstring>

#include "position/position.h"

inline bool SamePosition(const Position& a, const Position& b) {
  return std::memcmp(a.pieceBoards, b.pieceBoards, sizeof a.pieceBoards) == 0 && a.occupied == b.occupied &&
         a.occupiedFiles == b.occupiedFiles && a.occupiedA1H8 == b.occupiedA1H8 && a.occupiedA8H1 == b.occupiedA8H1 &&
         a.hashKey == b.hashKey && a.pawnKey == b.pawnKey && std::memcmp(a.board, b.board, sizeof a.board) == 0 &&
         a.kingSquare[0] == b.kingSquare[0] && a.kingSquare[1] == b.kingSquare[1] &&
         a.castlingRights == b.castlingRights && a.epSquare == b.epSquare && a.materialTotal == b.materialTotal &&
         a.pieceMaterial[0] == b.pieceMaterial[0] && a.pieceMaterial[1] == b.pieceMaterial[1] &&
         a.pawnCount[0] == b.pawnCount[0] && a.pawnCount[1] == b.pawnCount[1] && a.sideToMove == b.sideToMove &&
         a.epdBestMove == b.epdBestMove && a.epdAvoidMove == b.epdAvoidMove && a.historyTop == b.historyTop &&
         a.currentFrame == b.currentFrame;
}

inline bool SameHistoryEntry(const HistoryEntry& a, const HistoryEntry& b) {
  return a.key == b.key && a.move == b.move && a.fiftyCount == b.fiftyCount;
}
