// Static evaluation: material and piece-square tables by phase, piece terms, material
// imbalance, the pawn structure with its cache, and king safety.
#pragma once

#include "position/position.h"

// One piece-square table: 64 entries from White's point of view, a8 first.
using PieceSquareTable = int16_t[64];

// Piece kinds of the phase selection lists.
enum PhaseKind : int { KingKind = 0, PawnKind, KnightKind, BishopKind, RookKind, QueenKind };

// For each piece kind, the table in force at each materialTotal 0..127.
extern const int16_t* PhaseTableSelection[6][128];
// Fills PhaseTableSelection (called by InitTables).
void InitPhaseTables();

// Phase kind of a piece code (1..12).
inline constexpr int PhaseKindOfCode[13] = {0,          PawnKind,   PawnKind, KnightKind, KnightKind,
                                            BishopKind, BishopKind, RookKind, RookKind,   QueenKind,
                                            QueenKind,  KingKind,   KingKind};

// Piece-square bonus of a piece with this code on s from its owner's view, read as the
// evaluation reads it: entry s for white pieces and both kings, 63 - s for other black pieces.
inline int PieceSquareValue(int code, Square s) {
  int phase = Pos.materialTotal > 127 ? 127 : Pos.materialTotal;
  const int16_t* table = PhaseTableSelection[PhaseKindOfCode[code]][phase];
  bool turned = (code & 1) == 0 && code < WhiteKing;
  return table[turned ? 63 - s : s];
}

// Static score of the Position from the side to move's view (a pawn is 100), within +-8000.
// Both kings must be on the board.
int16_t Evaluate();

// The contribution of each evaluation term from White's view, and the king-safety counters.
struct EvalTerms {
  int16_t kingTables;
  int16_t shelter;
  int16_t pawnStructure;
  int16_t knights;
  int16_t bishops;
  int16_t rooks;
  int16_t queens;
  int16_t imbalance;
  int16_t attackProduct;
  uint8_t whiteKingFileCount;  // openness of the files around the white king, 0..15
  uint8_t blackKingFileCount;
  uint8_t whiteTropism;       // White's pieces near the black king
  uint8_t blackTropism;       // Black's pieces near the white king
  bool insufficientMaterial;  // no pawns and materialTotal below 4: the score is 0
};
// Evaluate with every term recorded into terms (through the same code); returns what Evaluate
// returns. The terms add up, modulo 2^16, to the score from White's view.
int16_t EvaluateTerms(EvalTerms& terms);

// Pawn-structure cache: 2^19 entries keyed by pawnKey.
inline constexpr int PawnHashSize = 1 << 19;
extern uint32_t PawnHashTable[PawnHashSize];
// Empties the pawn-structure cache.
void ClearPawnHashTable();
// Pawn-structure score from White's view, read from the cache or computed and stored.
int16_t PawnStructureScore();
// Pawn-structure score from White's view computed afresh; the cache is not touched.
int16_t ComputePawnStructure();
