// The opening book loader on small book files written by the tests: the header count, the
// preferred record, the failure cases and the legality of stored moves.
#include "book/book.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "search/search.h"
#include "support/position_compare.h"

namespace {

using Line = std::vector<Move>;

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The log this test program writes, named before any test changes the directory.
const std::filesystem::path LogPath = std::filesystem::absolute("Quillo.log");

constexpr Move Q(Square from, Square to) { return BuildMove(from, to, Quiet); }
constexpr Move X(Square from, Square to) { return BuildMove(from, to, Capture); }

const Line OpenE4 = {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6)};
const Line OpenD4 = {Q(D2, D4), Q(D7, D5), Q(C2, C4)};
const Line OpenC4 = {Q(C2, C4)};

// The bytes of a record: its length byte, then each move as two little-endian bytes.
std::string Record(const Line& line) {
  std::string bytes(1, static_cast<char>(line.size()));
  for (Move m : line) {
    bytes.push_back(static_cast<char>(m & 0xFF));
    bytes.push_back(static_cast<char>(m >> 8));
  }
  return bytes;
}

std::string Book(const std::string& header, const std::vector<Line>& lines) {
  std::string bytes = header;
  for (const Line& line : lines) bytes += Record(line);
  return bytes;
}

// The book move of the position on the board (a generation-0 slot with a move), or 0.
Move BookMoveHere() {
  const TtSlot* slot = ProbeTranspositionTable();
  if (slot == nullptr || SlotGeneration(*slot) != 0) return 0;
  return SlotMove(*slot);
}

// The book move of the position reached by playing moves from the board; the board is
// restored afterwards.
Move BookMoveAfter(const Line& moves) {
  PlyFrame* const start = Pos.currentFrame;
  for (Move m : moves) {
    SaveForMake(Pos.currentFrame);
    MakeMove(m, Pos.currentFrame);
    ++Pos.currentFrame;
  }
  const Move book = BookMoveHere();
  for (size_t i = moves.size(); i > 0; --i) {
    --Pos.currentFrame;
    UnmakeMove(moves[i - 1], Pos.currentFrame);
  }
  EXPECT_EQ(Pos.currentFrame, start);
  return book;
}

// Every position along line has the line's next move as its book move.
void ExpectLineStored(const Line& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    EXPECT_EQ(BookMoveAfter(Line(line.begin(), line.begin() + static_cast<long>(i))), line[i]) << "ply " << i + 1;
  }
}

// Number of slots in the whole table that hold a book move.
int BookSlotCount() {
  int count = 0;
  for (const TtBucket& bucket : TranspositionTable) {
    for (const TtSlot& slot : bucket.slot) {
      if (SlotGeneration(slot) == 0 && SlotMove(slot) != 0) ++count;
    }
  }
  return count;
}

class BookTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-book-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ASSERT_TRUE(SetupPosition(StartFen, false));
    before_ = Pos;
  }
  void TearDown() override {
    // The loader leaves the board and the frame pointer as it found them, whatever happened.
    EXPECT_TRUE(SamePosition(Pos, before_));
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& bytes, const char* name = "test.book") {
    const std::string path = (dir_ / name).string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  bool Load(const std::string& bytes) { return LoadOpeningBook(Write(bytes).c_str()); }

  std::filesystem::path dir_;
  Position before_{};
};

// The record of the file that the last load drew (records are numbered N .. 1 from the start).
const Line& Drawn(const std::vector<Line>& lines) {
  const int n = static_cast<int>(lines.size());
  EXPECT_GE(BookPreferredRecord, 1);
  EXPECT_LE(BookPreferredRecord, n);
  return lines[static_cast<size_t>(n - BookPreferredRecord)];
}

TEST_F(BookTest, ThreeRecordsLoadWhicheverIsDrawn) {
  const std::vector<Line> lines = {OpenE4, OpenD4, OpenC4};
  ASSERT_TRUE(Load(Book("3\n", lines)));
  // The drawn record is stored last, so it decides the first move.
  EXPECT_EQ(BookMoveHere(), Drawn(lines)[0]);
  for (const Line& line : lines) {
    // Below the first move every line is the only one through its positions.
    for (size_t i = 1; i < line.size(); ++i) {
      EXPECT_EQ(BookMoveAfter(Line(line.begin(), line.begin() + static_cast<long>(i))), line[i]);
    }
  }
  EXPECT_EQ(BookSlotCount(), 4 + 3 + 1 - 2);  // the start position holds one move for three lines
}

TEST_F(BookTest, ThePreferredRecordWinsWhereLinesMeet) {
  // Both lines pass through the start position and the position after 1.e4 e5.
  const Line spanish = {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6), Q(F1, B5)};
  const Line italian = {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6), Q(F1, C4)};
  const Line queens = {Q(D2, D4), Q(D7, D5)};
  for (const std::vector<Line>& lines :
       {std::vector<Line>{spanish, queens}, std::vector<Line>{queens, spanish}, std::vector<Line>{spanish, italian}}) {
    ASSERT_TRUE(SetupPosition(StartFen, false));
    ASSERT_TRUE(Load(Book("2\n", lines)));
    const Line& drawn = Drawn(lines);
    ExpectLineStored(drawn);
  }
}

TEST_F(BookTest, FewerRecordsThanTheHeaderSaysFailWithAllStored) {
  ASSERT_FALSE(Load(Book("3\n", {OpenD4, OpenE4})));
  // Whichever record was drawn (also the third, which is never reached), both are stored.
  for (size_t i = 1; i < OpenE4.size(); ++i) {
    EXPECT_EQ(BookMoveAfter(Line(OpenE4.begin(), OpenE4.begin() + static_cast<long>(i))), OpenE4[i]);
  }
  for (size_t i = 1; i < OpenD4.size(); ++i) {
    EXPECT_EQ(BookMoveAfter(Line(OpenD4.begin(), OpenD4.begin() + static_cast<long>(i))), OpenD4[i]);
  }
}

TEST_F(BookTest, MoreRecordsThanTheHeaderSaysFail) {
  EXPECT_FALSE(Load(Book("1\n", {OpenE4, OpenD4})));
  EXPECT_EQ(BookMoveAfter({Q(D2, D4)}), Q(D7, D5));
}

TEST_F(BookTest, HeaderIsReadAsACIntegerLiteral) {
  struct Case {
    std::string header;
    int records;  // records of the file
    bool loads;
  };
  const Case cases[] = {
      {"3\n", 3, true},
      {"  +3\n", 3, true},
      {"\t3\n", 3, true},
      {"010\n", 8, true},  // octal
      {"010\n", 10, false},
      {"0x0a\n", 10, true},  // hexadecimal
      {"0XA\n", 10, true},
      {"0x10\n", 16, true},
      {"3 lines of the book\r\n", 3, true},  // a comment and CR LF after the number
      {"3\r\n", 3, true},
      {"3", 0, false},  // the file ends in the header
      {"0\n", 1, false},
      {"-2\n", 2, false},
      {"09\n", 1, false},  // the 0 is octal and the 9 is the comment
      {"books\n", 1, false},
      {"\n", 1, false},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("header \"" + c.header + "\" with " + std::to_string(c.records) + " records");
    ASSERT_TRUE(SetupPosition(StartFen, false));
    const std::vector<Line> lines(static_cast<size_t>(c.records), OpenE4);
    EXPECT_EQ(Load(Book(c.header, lines)), c.loads);
    if (c.loads) ExpectLineStored(OpenE4);
  }
}

TEST_F(BookTest, AHeaderLineOfOneMillionCharactersStillEnds) {
  // At most 999,999 characters after the number are skipped; then the records begin.
  std::string header = "1" + std::string(999999, ' ');
  EXPECT_TRUE(Load(header + Record(OpenC4)));
  EXPECT_EQ(BookMoveHere(), Q(C2, C4));
}

TEST_F(BookTest, MovesMustBeGeneratedExactly) {
  const Line captureKind = {X(E2, E4)};
  const Line castleAsKingStep = {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6), Q(F1, C4), Q(F8, C5), Q(E1, G1)};
  const Line noPiece = {Q(E3, E4)};
  for (const Line& line : {captureKind, castleAsKingStep, noPiece}) {
    ASSERT_TRUE(SetupPosition(StartFen, false));
    EXPECT_FALSE(Load(Book("1\n", {line})));
    EXPECT_EQ(BookSlotCount(), 0);
  }
}

TEST_F(BookTest, MovesMustBeLegal) {
  // Each move is generated in its position but leaves the mover's king attacked.
  struct Case {
    const char* what;
    Line line;
  };
  const Case cases[] = {
      {"pinned knight", {Q(D2, D3), Q(E7, E5), Q(B1, D2), Q(F8, B4), Q(D2, F3)}},
      {"castling out of check",
       {Q(E2, E4), Q(E7, E5), Q(F1, C4), Q(F8, C5), Q(G1, F3), X(C5, F2), MoveCastleWhiteShort}},
      {"castling through check",
       {Q(E2, E4), Q(B7, B6), Q(G1, F3), Q(C8, A6), Q(F1, C4), X(A6, C4), MoveCastleWhiteShort}},
      {"king into check", {Q(E2, E4), Q(E7, E5), Q(E1, E2), Q(F8, C5), Q(E2, E3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(SetupPosition(StartFen, false));
    EXPECT_FALSE(StoreBookLine(c.line.data(), static_cast<int>(c.line.size())));
    EXPECT_EQ(BookSlotCount(), 0);
    EXPECT_FALSE(Load(Book("1\n", {c.line})));
    EXPECT_EQ(BookSlotCount(), 0);
    // Without its last move the line is legal and stored.
    const Line legal(c.line.begin(), c.line.end() - 1);
    EXPECT_TRUE(StoreBookLine(legal.data(), static_cast<int>(legal.size())));
    ExpectLineStored(legal);
  }
  // The same castling is legal where nothing attacks the king's path.
  ASSERT_TRUE(SetupPosition(StartFen, false));
  const Line castles = {Q(E2, E4), Q(E7, E5), Q(G1, F3), Q(B8, C6), Q(F1, C4), Q(F8, C5), MoveCastleWhiteShort};
  EXPECT_TRUE(Load(Book("1\n", {castles})));
  ExpectLineStored(castles);
}

TEST_F(BookTest, EmptyRecords) {
  // A line of no moves stores nothing and succeeds.
  EXPECT_TRUE(StoreBookLine(nullptr, 0));
  EXPECT_EQ(BookSlotCount(), 0);
  // Not drawn, an empty record is skipped; drawn, it leaves no preferred line and the load fails.
  const std::vector<Line> lines = {Line{}, OpenC4};
  const bool loaded = Load(Book("2\n", lines));
  EXPECT_EQ(loaded, BookPreferredRecord == 1);
  EXPECT_EQ(BookMoveHere(), Q(C2, C4));
  // A book of one empty record always fails.
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_FALSE(Load(Book("1\n", {Line{}})));
}

TEST_F(BookTest, RecordsOfMoreThan64MovesAreRefused) {
  // Knights out and back: 64 legal moves fill a record exactly.
  Line shuffle;
  while (shuffle.size() < 64) {
    for (Move m : {Q(G1, F3), Q(G8, F6), Q(F3, G1), Q(F6, G8)}) shuffle.push_back(m);
  }
  EXPECT_TRUE(Load(Book("1\n", {shuffle})));
  // The first occurrence of a position keeps its move: the start position has g1f3.
  EXPECT_EQ(BookMoveHere(), Q(G1, F3));

  Line longer = shuffle;
  longer.push_back(Q(G1, F3));
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_FALSE(Load(Book("1\n", {longer})));
  EXPECT_EQ(BookSlotCount(), 0);
  // A length byte of 255 followed by too few bytes: refused before anything is read.
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_FALSE(Load("2\n" + Record(OpenD4) + std::string(1, '\xff') + Record(OpenC4).substr(1)));
}

TEST_F(BookTest, TruncatedFiles) {
  const std::string whole = Book("2\n", {OpenD4, OpenE4});
  // Cut inside the last record's moves, and right after its length byte.
  for (size_t cut : {whole.size() - 1, whole.size() - 2 * OpenE4.size()}) {
    SCOPED_TRACE(cut);
    ASSERT_TRUE(SetupPosition(StartFen, false));
    EXPECT_FALSE(Load(whole.substr(0, cut)));
    // The first record is stored whatever was drawn; nothing of the cut one is.
    for (size_t i = 1; i < OpenD4.size(); ++i) {
      EXPECT_EQ(BookMoveAfter(Line(OpenD4.begin(), OpenD4.begin() + static_cast<long>(i))), OpenD4[i]);
    }
    EXPECT_EQ(BookMoveAfter({Q(E2, E4)}), 0);
  }
}

TEST_F(BookTest, APreferredRecordCutShortCountsAsEmpty) {
  // One record, so it is the preferred one, and the file ends inside its moves. Its buffer
  // still holds the line of an earlier load, which must not be stored.
  ASSERT_TRUE(Load(Book("1\n", {OpenE4})));
  ASSERT_TRUE(SetupPosition(StartFen, false));
  EXPECT_FALSE(Load("1\n" + Record(OpenE4).substr(0, 4)));
  EXPECT_EQ(BookSlotCount(), 0);
}

TEST_F(BookTest, OnlyTheInitialPlacementHasABook) {
  const std::string path = Write(Book("1\n", {OpenE4}));
  // Another placement: nothing is loaded.
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", false));
  before_ = Pos;
  EXPECT_FALSE(LoadOpeningBook(path.c_str()));
  EXPECT_EQ(BookSlotCount(), 0);
  // The initial placement with Black to move: the key matches, but White's first move is not
  // Black's.
  ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", false));
  before_ = Pos;
  EXPECT_FALSE(LoadOpeningBook(path.c_str()));
  EXPECT_EQ(BookSlotCount(), 0);
  // A missing file.
  ASSERT_TRUE(SetupPosition(StartFen, false));
  before_ = Pos;
  EXPECT_FALSE(LoadOpeningBook((dir_ / "missing.book").c_str()));
}

// Lines the diagnostic log gained while body ran.
template <typename Body>
std::vector<std::string> LogLinesOf(Body body) {
  std::ifstream before(LogPath, std::ios::ate);
  const std::streamoff start = before ? static_cast<std::streamoff>(before.tellg()) : 0;
  body();
  std::ifstream log(LogPath);
  log.seekg(start);
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

// Setup with the book from "Quillo.book" in the current directory: what it printed and logged.
struct SetupOutcome {
  bool result;
  std::string printed;
  std::vector<std::string> logged;
};

SetupOutcome SetupWithBook(const char* fen) {
  SetupOutcome outcome{};
  outcome.logged = LogLinesOf([&] {
    testing::internal::CaptureStdout();
    outcome.result = SetupPosition(fen, true);
    outcome.printed = testing::internal::GetCapturedStdout();
  });
  return outcome;
}

TEST_F(BookTest, SetupReportsABookErrorOncePerRun) {
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  BookErrorReported = false;
  const std::string error = "tellusererror BOOK ERROR!\n";
  const std::vector<std::string> errorLog = {"-\ttellusererror BOOK ERROR!"};
  const std::vector<std::string> noBook = {"-M: no book for this position"};

  // A good book: loaded without a word.
  Write(Book("1\n", {OpenE4}), "Quillo.book");
  SetupOutcome good = SetupWithBook(StartFen);
  EXPECT_TRUE(good.result);
  EXPECT_EQ(good.printed, "");
  EXPECT_TRUE(good.logged.empty());
  EXPECT_EQ(BookMoveHere(), Q(E2, E4));
  EXPECT_EQ(TtGeneration, 1);

  // Another placement is no error: a log line only.
  SetupOutcome other = SetupWithBook("4k3/8/8/8/8/8/8/4K2R w K -");
  EXPECT_TRUE(other.result);
  EXPECT_EQ(other.printed, "");
  EXPECT_EQ(other.logged, noBook);

  // A damaged book: the error is printed the first time only, logged every time.
  Write("1\n" + Record({X(E2, E4)}), "Quillo.book");
  SetupOutcome first = SetupWithBook(StartFen);
  EXPECT_TRUE(first.result);
  EXPECT_EQ(first.printed, error);
  EXPECT_EQ(first.logged, errorLog);
  SetupOutcome second = SetupWithBook(StartFen);
  EXPECT_EQ(second.printed, "");
  EXPECT_EQ(second.logged, errorLog);
  // The initial placement with Black to move is a failure of the book, not another placement.
  SetupOutcome blackToMove = SetupWithBook("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -");
  EXPECT_EQ(blackToMove.logged, errorLog);
  // A missing book, likewise.
  std::filesystem::remove(dir_ / "Quillo.book");
  SetupOutcome missing = SetupWithBook(StartFen);
  EXPECT_TRUE(missing.result);
  EXPECT_EQ(missing.printed, "");
  EXPECT_EQ(missing.logged, errorLog);

  // Setup without the book neither loads nor reports anything.
  Write(Book("1\n", {OpenE4}), "Quillo.book");
  SetupOutcome withoutBook{};
  withoutBook.logged = LogLinesOf([&] { withoutBook.result = SetupPosition(StartFen, false); });
  EXPECT_TRUE(withoutBook.logged.empty());
  EXPECT_EQ(BookMoveHere(), 0);

  std::filesystem::current_path(home);
  ASSERT_TRUE(SetupPosition(StartFen, false));
  before_ = Pos;
}

}  // namespace
