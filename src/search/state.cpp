// Search state shared with the front end, and the tables cleared by every position setup.
#include <cstring>

#include "movegen/movegen.h"
#include "search/search.h"

std::atomic<uint8_t> StopFlag{0};
std::atomic<int32_t> AspirationFailFlag{0};
uint32_t MaxSearchDepth = 127;
uint32_t IterationDepth = 2;
ScoredMove& SearchResult = MoveListArena[0];
int32_t CheckCount[2];
uint32_t HistoryTable[2][4096];
uint64_t NodeCount;

void ClearHistoryTable() { std::memset(HistoryTable, 0, sizeof HistoryTable); }

void ClearKillerMoves() {
  for (PlyFrame& frame : PlyFrames) frame.killerMoves[0] = frame.killerMoves[1] = 0;
}
