// GameFile games: reading, appending, comparing, and the index of the stored games that lets
// a conversion ask "already stored?" without reading the whole file for every game.
#include <bit>
#include <cstring>

#include "tools/gamedb_internal.h"

static_assert(std::endian::native == std::endian::little, "GameFile words are little-endian in memory as on disk");

uint64_t GameRecordsRead = 0;

namespace {

enum class ReadStatus { Game, End, CutShort };

ReadStatus ReadGame(GameRecord& record, FILE* file) {
  uint16_t header = 0;
  const size_t got = std::fread(&header, 1, sizeof header, file);
  if (got == 0) {
    if (std::ferror(file)) throw GameDbError("CANNOT READ GAME FILE");
    return ReadStatus::End;
  }
  if (got < sizeof header) return ReadStatus::CutShort;
  switch (header >> 14) {
    case 1:
      record.resultCode = 'B';
      std::strcpy(record.resultText, "0-1");
      break;
    case 2:
      record.resultCode = 'W';
      std::strcpy(record.resultText, "1-0");
      break;
    case 3:
      record.resultCode = 'D';
      std::strcpy(record.resultText, "1/2-1/2");
      break;
    default: throw GameDbError("WRONG RESULT");
  }
  const size_t plies = header & PlyCountBits;
  if (plies > static_cast<size_t>(MaxGamePlies)) throw GameDbError("GAME TOO LONG");
  record.gameHeader = header;
  if (std::fread(record.gameMoves, sizeof(Move), plies, file) != plies) return ReadStatus::CutShort;
  ++GameRecordsRead;
  return ReadStatus::Game;
}

// Scratch record for the games read back to confirm a match.
GameRecord StoredGame;

// Index of the games of one open GameFile: open addressing on a 64-bit hash of each game's
// words, with the game's file offset + 1 (0 = empty slot). A hit is confirmed by reading the
// stored game back. When the table is three-quarters full it stops growing and a miss falls
// back to reading the file, so answers never depend on the index's size.
constexpr int IndexBits = 20;
constexpr uint32_t IndexSize = 1u << IndexBits;
constexpr uint32_t IndexLimit = IndexSize / 4 * 3;
struct IndexSlot {
  uint64_t hash;
  uint64_t offsetPlusOne;
};
IndexSlot Index[IndexSize];
uint32_t IndexCount = 0;
bool IndexFull = false;
FILE* IndexFile = nullptr;

uint64_t GameHash(const GameRecord& record) {
  uint64_t h = 0xCBF29CE484222325ull ^ record.gameHeader;
  const int plies = GamePlies(record);
  for (int i = 0; i < plies; ++i) h = (h ^ record.gameMoves[i]) * 0x100000001B3ull;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

void IndexInsert(uint64_t hash, long offset) {
  if (IndexCount >= IndexLimit) {
    IndexFull = true;
    return;
  }
  uint32_t slot = static_cast<uint32_t>(hash >> (64 - IndexBits));
  while (Index[slot].offsetPlusOne != 0) slot = (slot + 1) & (IndexSize - 1);
  Index[slot] = {hash, static_cast<uint64_t>(offset) + 1};
  ++IndexCount;
}

// Reads the stored game at offset into StoredGame; the file position is kept.
bool ReadGameAt(FILE* file, long offset) {
  const long saved = std::ftell(file);
  bool ok = std::fseek(file, offset, SEEK_SET) == 0 && ReadGame(StoredGame, file) == ReadStatus::Game;
  std::clearerr(file);
  std::fseek(file, saved, SEEK_SET);
  return ok;
}

// The plain answer: reads the file from its start until a same game or the end.
bool ScanForGame(const GameRecord& record, FILE* file) {
  const long saved = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  bool found = false;
  try {
    while (!found && ReadGame(StoredGame, file) == ReadStatus::Game) found = SameGame(record, StoredGame);
  } catch (...) {
    std::clearerr(file);
    std::fseek(file, saved, SEEK_SET);
    throw;
  }
  std::clearerr(file);
  std::fseek(file, saved, SEEK_SET);
  return found;
}

}  // namespace

bool ReadGameRecord(GameRecord& record, FILE* file) { return ReadGame(record, file) == ReadStatus::Game; }

bool WriteGameRecord(const GameRecord& record, FILE* file) {
  const size_t plies = static_cast<size_t>(GamePlies(record));
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long offset = std::ftell(file);
  const bool ok = std::fwrite(&record.gameHeader, sizeof record.gameHeader, 1, file) == 1 &&
                  std::fwrite(record.gameMoves, sizeof(Move), plies, file) == plies && std::fflush(file) == 0;
  if (ok && file == IndexFile) IndexInsert(GameHash(record), offset);
  return ok;
}

bool SameGame(const GameRecord& a, const GameRecord& b) {
  return a.gameHeader == b.gameHeader &&
         std::memcmp(a.gameMoves, b.gameMoves, sizeof(Move) * static_cast<size_t>(GamePlies(a))) == 0;
}

bool IsGameStored(const GameRecord& record, FILE* file) {
  if (file != IndexFile) return ScanForGame(record, file);
  const uint64_t hash = GameHash(record);
  for (uint32_t slot = static_cast<uint32_t>(hash >> (64 - IndexBits)); Index[slot].offsetPlusOne != 0;
       slot = (slot + 1) & (IndexSize - 1)) {
    if (Index[slot].hash == hash && ReadGameAt(file, static_cast<long>(Index[slot].offsetPlusOne - 1)) &&
        SameGame(record, StoredGame)) {
      return true;
    }
  }
  return IndexFull ? ScanForGame(record, file) : false;
}

GameFileEnd OpenGameIndex(FILE* file) {
  CloseGameIndex();
  std::fseek(file, 0, SEEK_SET);
  GameFileEnd end = GameFileEnd::Clean;
  for (;;) {
    const long offset = std::ftell(file);
    const ReadStatus status = ReadGame(StoredGame, file);  // errors leave the index closed
    if (status == ReadStatus::End) break;
    if (status == ReadStatus::CutShort) {
      end = GameFileEnd::CutShort;
      break;
    }
    IndexInsert(GameHash(StoredGame), offset);
  }
  std::clearerr(file);
  std::fseek(file, 0, SEEK_END);
  IndexFile = file;
  return end;
}

void CloseGameIndex() {
  if (IndexCount != 0) std::memset(Index, 0, sizeof Index);
  IndexCount = 0;
  IndexFull = false;
  IndexFile = nullptr;
}
