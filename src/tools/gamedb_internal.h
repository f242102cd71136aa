// Helpers shared by the reader, the GameFile code and the conversions.
#pragma once

#include <istream>

#include "tools/gamedb.h"

// The position every game of the database starts from.
inline constexpr const char* GameStartPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// Reads the rest of the line through its line feed (consumed, not kept); keeps its first
// size - 1 characters and drops the rest, so an over-long line never leaves a failed stream
// or a tail to be read as the next line. At the end of input the stream has failed and eof set.
void ReadWholeLine(std::istream& in, char* buffer, int size);

// Whether move is in the move list of the position (FindCheckers on frame, then the evasions
// or every pseudo-legal move); the list end is recorded in frame->moveListEnd.
bool IsGeneratedMove(Move move, PlyFrame* frame);

// Takes back moves[count - 1] .. moves[0], stepping currentFrame back one frame before each.
void TakeBackMoves(const Move* moves, int count);

// Switches currentFrame to the first frame of the tools' own stack for its lifetime and puts
// the caller's frame back at the end.
class ToolFrameScope {
 public:
  ToolFrameScope() : saved_(Pos.currentFrame) { Pos.currentFrame = &ToolFrames[0]; }
  ~ToolFrameScope() { Pos.currentFrame = saved_; }
  ToolFrameScope(const ToolFrameScope&) = delete;
  ToolFrameScope& operator=(const ToolFrameScope&) = delete;

 private:
  PlyFrame* saved_;
};
