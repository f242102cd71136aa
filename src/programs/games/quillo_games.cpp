// Entry point of quillo-games: the engine's four game-database conversions run from a shell,
// with the messages the command loop prints for them.
#include <cstdio>
#include <cstring>

#include "position/tables.h"
#include "tools/gamedb.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: quillo-games <command> <file> <file>\n"
               "  pgn2game <PGN file> <game file>\n"
               "  pgnlist2game <list file> <game file>\n"
               "  game2pgn <game file> <PGN file>\n"
               "  game2pos <game file> <position list file>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const char* command = argv[1];
  const char* first = argv[2];
  const char* second = argv[3];
  InitTables();
  if (std::strcmp(command, "pgn2game") == 0) {
    int converted = 0;
    PgnToGame(first, second, converted);
  } else if (std::strcmp(command, "pgnlist2game") == 0) {
    PgnListToGame(first, second);
  } else if (std::strcmp(command, "game2pgn") == 0) {
    GameToPgn(first, second);
  } else if (std::strcmp(command, "game2pos") == 0) {
    GameToPositions(first, second);
  } else {
    return Usage();
  }
  std::fflush(stdout);
  return 0;
}
