// An independent legal-move generator for the fuzz targets: a plain 64-square board walked
// square by square from the rules of chess, no bitboards, no tables of the engine. The targets
// compare its moves with the engine's on every position they set up from arbitrary text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "position/position.h"

namespace fuzz {

// A move as the rules see it: origin, destination, promotion piece letter (0 when none).
struct PlainMove {
  int from, to;
  char promotion;
  bool operator<(const PlainMove& o) const {
    return from != o.from ? from < o.from : to != o.to ? to < o.to : promotion < o.promotion;
  }
  bool operator==(const PlainMove& o) const { return from == o.from && to == o.to && promotion == o.promotion; }
};

// The engine's Move as a PlainMove (castling as the king's step of two squares).
inline PlainMove ToPlain(Move move) {
  switch (MoveKindOf(move)) {
    case CastleBlackShort: return {E8, G8, 0};
    case CastleWhiteShort: return {E1, G1, 0};
    case CastleBlackLong: return {E8, C8, 0};
    case CastleWhiteLong: return {E1, C1, 0};
    default: break;
  }
  const int kind = MoveKindOf(move);
  char promotion = 0;
  if (kind >= PromoteQueen && kind <= CapturePromoteBishop) promotion = "qnrb"[(kind - PromoteQueen) & 3];
  return {MoveFrom(move), MoveTo(move), promotion};
}

class Mailbox {
 public:
  // A copy of the live position's board, side to move, castling rights and en-passant square.
  Mailbox() : side_(Pos.sideToMove), ep_(Pos.epSquare), rights_(Pos.castlingRights) {
    std::copy(Pos.board, Pos.board + 64, sq_);
  }

  // Every legal move of the side to move, sorted.
  std::vector<PlainMove> LegalMoves() const {
    std::vector<PlainMove> pseudo, legal;
    for (int s = 0; s < 64; ++s) {
      if (sq_[s] != Empty && (sq_[s] & 1) == side_) PieceMoves(s, pseudo);
    }
    Castlings(pseudo);
    for (const PlainMove& m : pseudo) {
      Mailbox after = *this;
      after.Play(m);
      if (!after.Attacked(after.KingOf(side_), side_ ^ 1)) legal.push_back(m);
    }
    std::sort(legal.begin(), legal.end());
    return legal;
  }

 private:
  uint8_t sq_[64];
  int side_, ep_, rights_;

  static bool On(int f, int r) { return f >= 0 && f < 8 && r >= 0 && r < 8; }  // r: 0 = rank 8
  int At(int f, int r) const { return sq_[f + 8 * r]; }
  bool Own(int code, int side) const { return code != Empty && (code & 1) == side; }
  // code of the piece kind (a white code) for side.
  static int Code(int whiteCode, int side) { return side == White ? whiteCode : whiteCode + 1; }

  int KingOf(int side) const {
    for (int s = 0; s < 64; ++s) {
      if (sq_[s] == Code(WhiteKing, side)) return s;
    }
    return -1;
  }

  bool Attacked(int s, int by) const {
    if (s < 0) return false;
    const int f = s & 7, r = s >> 3;
    // A white pawn attacks towards rank 8 (r - 1), so it stands on r + 1.
    const int pr = by == White ? r + 1 : r - 1;
    for (int df : {-1, 1}) {
      if (On(f + df, pr) && At(f + df, pr) == Code(WhitePawn, by)) return true;
    }
    static constexpr int Knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    for (const auto& d : Knight) {
      if (On(f + d[0], r + d[1]) && At(f + d[0], r + d[1]) == Code(WhiteKnight, by)) return true;
    }
    static constexpr int Around[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    for (const auto& d : Around) {
      if (On(f + d[0], r + d[1]) && At(f + d[0], r + d[1]) == Code(WhiteKing, by)) return true;
      const bool diagonal = d[0] != 0 && d[1] != 0;
      for (int x = f + d[0], y = r + d[1]; On(x, y); x += d[0], y += d[1]) {
        const int c = At(x, y);
        if (c == Empty) continue;
        if (c == Code(WhiteQueen, by) || c == Code(diagonal ? WhiteBishop : WhiteRook, by)) return true;
        break;
      }
    }
    return false;
  }

  void PieceMoves(int s, std::vector<PlainMove>& out) const {
    const int code = sq_[s], f = s & 7, r = s >> 3;
    const int kind = code - (code & 1 ? 0 : 1);  // the white code of the piece
    auto add = [&](int x, int y) {
      if (!On(x, y) || Own(At(x, y), side_)) return false;
      out.push_back({s, x + 8 * y, 0});
      return At(x, y) == Empty;
    };
    switch (kind) {
      case WhitePawn: {
        const int dir = side_ == White ? -1 : 1;
        const int startRow = side_ == White ? 6 : 1, lastRow = side_ == White ? 0 : 7;
        auto push = [&](int to) {
          if ((to >> 3) == lastRow) {
            for (char p : {'q', 'n', 'r', 'b'}) out.push_back({s, to, p});
          } else {
            out.push_back({s, to, 0});
          }
        };
        if (On(f, r + dir) && At(f, r + dir) == Empty) {
          push(f + 8 * (r + dir));
          if (r == startRow && At(f, r + 2 * dir) == Empty) out.push_back({s, f + 8 * (r + 2 * dir), 0});
        }
        for (int df : {-1, 1}) {
          const int x = f + df, y = r + dir;
          if (!On(x, y)) continue;
          const int to = x + 8 * y;
          if (Own(At(x, y), side_ ^ 1)) push(to);
          // En passant: onto the square passed over, the enemy pawn beside ours.
          if (ep_ != 0 && to == ep_ && At(x, y) == Empty && At(x, r) == Code(WhitePawn, side_ ^ 1)) {
            out.push_back({s, to, 0});
          }
        }
        break;
      }
      case WhiteKnight: {
        static constexpr int Knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
        for (const auto& d : Knight) add(f + d[0], r + d[1]);
        break;
      }
      case WhiteKing: {
        static constexpr int Around[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
        for (const auto& d : Around) add(f + d[0], r + d[1]);
        break;
      }
      default: {
        static constexpr int Dirs[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
        const int first = kind == WhiteBishop ? 4 : 0, last = kind == WhiteRook ? 4 : 8;
        for (int i = first; i < last; ++i) {
          for (int x = f + Dirs[i][0], y = r + Dirs[i][1]; add(x, y); x += Dirs[i][0], y += Dirs[i][1]) {
          }
        }
        break;
      }
    }
  }

  void Castlings(std::vector<PlainMove>& out) const {
    struct Rule {
      int side, right, king, rook, to;
      int empty[3];
      int safe[3];
    };
    static constexpr Rule Rules[4] = {{White, RightWhiteShort, E1, H1, G1, {F1, G1, -1}, {E1, F1, G1}},
                                      {White, RightWhiteLong, E1, A1, C1, {D1, C1, B1}, {E1, D1, C1}},
                                      {Black, RightBlackShort, E8, H8, G8, {F8, G8, -1}, {E8, F8, G8}},
                                      {Black, RightBlackLong, E8, A8, C8, {D8, C8, B8}, {E8, D8, C8}}};
    for (const Rule& rule : Rules) {
      if (rule.side != side_ || !(rights_ & rule.right)) continue;
      if (sq_[rule.king] != Code(WhiteKing, side_) || sq_[rule.rook] != Code(WhiteRook, side_)) continue;
      bool ok = true;
      for (int e : rule.empty) ok = ok && (e < 0 || sq_[e] == Empty);
      for (int s : rule.safe) ok = ok && !Attacked(s, side_ ^ 1);
      if (ok) out.push_back({rule.king, rule.to, 0});
    }
  }

  void Play(const PlainMove& m) {
    const int code = sq_[m.from];
    const bool pawn = code == WhitePawn || code == BlackPawn;
    if (pawn && m.to == ep_ && sq_[m.to] == Empty && (m.from & 7) != (m.to & 7)) {
      sq_[(m.from & ~7) | (m.to & 7)] = Empty;  // the pawn taken en passant
    }
    if ((code == WhiteKing || code == BlackKing) && (m.from == E1 || m.from == E8) &&
        (m.to == m.from + 2 || m.to == m.from - 2)) {
      const int rookFrom = m.to > m.from ? m.from + 3 : m.from - 4, rookTo = m.to > m.from ? m.from + 1 : m.from - 1;
      sq_[rookTo] = sq_[rookFrom];
      sq_[rookFrom] = Empty;
    }
    sq_[m.to] = static_cast<uint8_t>(code);
    if (m.promotion != 0) {
      const int white = m.promotion == 'q'   ? WhiteQueen
                        : m.promotion == 'n' ? WhiteKnight
                        : m.promotion == 'r' ? WhiteRook
                                             : WhiteBishop;
      sq_[m.to] = static_cast<uint8_t>(Code(white, side_));
    }
    sq_[m.from] = Empty;
  }
};

// The engine's legal moves of the live position as sorted PlainMoves.
inline std::vector<PlainMove> EnginePlainMoves(const Move* moves, int count) {
  std::vector<PlainMove> out;
  for (int i = 0; i < count; ++i) out.push_back(ToPlain(moves[i]));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace fuzz
