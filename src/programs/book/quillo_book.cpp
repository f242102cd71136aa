// Entry point of quillo-book: builds the opening book "Quillo.book" from a PGN file of opening
// lines, and lists the lines of a book file in coordinate notation.
#include <cstdio>
#include <cstring>
#include <string>

#include "book/bookbuild.h"
#include "position/tables.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: quillo-book build <PGN file> <book file>   writes the book (and <book file>.games)\n"
               "       quillo-book lines <book file>              prints each line's moves, one line each\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  InitTables();
  if (argc == 4 && std::strcmp(argv[1], "build") == 0) {
    const std::string games = std::string(argv[3]) + ".games";
    const int lines = BuildOpeningBook(argv[2], games.c_str(), argv[3]);
    if (lines < 0) return 1;
    std::printf("quillo-book: %d lines written to %s\n", lines, argv[3]);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "lines") == 0) {
    if (WriteBookLines(argv[2], stdout) < 0) {
      std::fprintf(stderr, "quillo-book: not a book file: %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  return Usage();
}
