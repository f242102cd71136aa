#!/usr/bin/env python3
"""Builds tactics.epd: positions from random games in which one move wins material by force.

A random game is played from the initial position with legal moves only; some of its positions
(material level within a pawn, more than one legal move) are analysed by an oracle engine that
speaks UCI (default /usr/games/stockfish). A position is kept when
  - the best move scores at least +2.5 pawns (or mates) at the final depth,
  - the second best move scores at least 2.5 pawns less and at most +0.8,
  - the best line really wins material: at least 2 pawns' worth once the line is played out, and
    not already after the first two plies (so a piece simply left hanging does not count).
Each line carries the best move in SAN as "bm", an "id" and a "c0" comment with the oracle's
score and line. Usage: make_tactics.py [count] [seed] [engine] > tactics.epd
"""
import random
import subprocess
import sys

VALUES = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9, "k": 0}
QUICK_DEPTH = 10
FINAL_DEPTH = 18


class Engine:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.read_until("uciok")
        self.send("setoption name Threads value 1")
        self.send("setoption name Hash value 64")
        self.sync()

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def read_until(self, prefix):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("engine ended")
            line = line.rstrip("\n")
            lines.append(line)
            if line.startswith(prefix):
                return lines

    def sync(self):
        self.send("isready")
        self.read_until("readyok")

    def position(self, fen, moves=()):
        self.send("position fen " + fen + (" moves " + " ".join(moves) if moves else ""))

    def board(self, fen, moves=()):
        """FEN after the moves, and whether the side to move is in check."""
        self.position(fen, moves)
        self.send("d")
        new_fen, check = None, False
        for line in self.read_until("Checkers:"):
            if line.startswith("Fen: "):
                new_fen = line[5:]
            if line.startswith("Checkers:"):
                check = line.strip() != "Checkers:"
        return new_fen, check

    def legal(self, fen, moves=()):
        self.position(fen, moves)
        self.send("go perft 1")
        out = []
        for line in self.read_until("Nodes searched"):
            if ": " in line and not line.startswith("Nodes"):
                out.append(line.split(":")[0])
        return out

    def analyse(self, fen, depth, multipv):
        """[(score in centipawns, mate flag, pv)] by rank, from the side to move's view."""
        self.send("setoption name MultiPV value %d" % multipv)
        self.position(fen)
        self.send("go depth %d" % depth)
        lines = {}
        for line in self.read_until("bestmove"):
            words = line.split()
            if not words or words[0] != "info" or "pv" not in words or "multipv" not in words:
                continue
            if int(words[words.index("depth") + 1]) != depth:
                continue
            rank = int(words[words.index("multipv") + 1])
            kind, value = words[words.index("score") + 1], int(words[words.index("score") + 2])
            pv = words[words.index("pv") + 1 :]
            cp = value if kind == "cp" else (100000 - abs(value)) * (1 if value > 0 else -1)
            lines[rank] = (cp, kind == "mate", pv)
        return [lines[r] for r in sorted(lines)]


def squares(fen):
    board = {}
    for row, rank in enumerate(fen.split()[0].split("/")):
        col = 0
        for ch in rank:
            if ch.isdigit():
                col += int(ch)
            else:
                board["abcdefgh"[col] + str(8 - row)] = ch
                col += 1
    return board


def material(fen, white):
    total = 0
    for piece in squares(fen).values():
        value = VALUES[piece.lower()]
        total += value if piece.isupper() == white else -value
    return total


def san(engine, fen, move):
    board = squares(fen)
    piece = board[move[:2]]
    frm, to = move[:2], move[2:4]
    if piece.lower() == "k" and abs(ord(frm[0]) - ord(to[0])) == 2:
        text = "O-O" if to[0] == "g" else "O-O-O"
    elif piece.lower() == "p":
        text = (frm[0] + "x" + to) if frm[0] != to[0] else to
        if len(move) == 5:
            text += "=" + move[4].upper()
    else:
        others = [m for m in engine.legal(fen) if m[2:4] == to and m[:2] != frm and board.get(m[:2]) == piece]
        hint = ""
        if others:
            if all(m[0] != frm[0] for m in others):
                hint = frm[0]
            elif all(m[1] != frm[1] for m in others):
                hint = frm[1]
            else:
                hint = frm
        text = piece.upper() + hint + ("x" if to in board else "") + to
    _, check = engine.board(fen, [move])
    if check:
        text += "#" if not engine.legal(fen, [move]) else "+"
    return text


def keep(engine, fen):
    white = fen.split()[1] == "w"
    quick = engine.analyse(fen, QUICK_DEPTH, 2)
    if len(quick) < 2 or quick[0][0] < 200 or quick[1][0] > quick[0][0] - 200:
        return None
    final = engine.analyse(fen, FINAL_DEPTH, 2)
    if len(final) < 2:
        return None
    (best, best_mate, pv), (second, _, _) = final[0], final[1]
    if best < 250 or second > 80 or best - second < 250:
        return None
    start = material(fen, white)
    gains = []
    for ply in range(1, min(len(pv), 12) + 1):
        after, _ = engine.board(fen, pv[:ply])
        gains.append(material(after, white) - start)
    settled = gains[1::2]  # after each of the opponent's replies
    if not best_mate and (not settled or settled[-1] < 2):
        return None
    if settled and settled[0] >= 2:
        return None
    return best, best_mate, pv


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 48
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 2026)
    engine = Engine(sys.argv[3] if len(sys.argv) > 3 else "/usr/games/stockfish")
    start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    found, seen = 0, set()
    while found < count:
        moves = []
        for ply in range(rng.randint(14, 70)):
            legal = engine.legal(start, moves)
            if not legal:
                break
            moves.append(rng.choice(legal))
        fen, check = engine.board(start, moves)
        if fen is None or check or len(engine.legal(fen)) < 2:
            continue
        key = " ".join(fen.split()[:4])
        white = fen.split()[1] == "w"
        if key in seen or abs(material(fen, white)) > 1:
            continue
        seen.add(key)
        result = keep(engine, fen)
        if result is None:
            continue
        best, mate, pv = result
        found += 1
        score = ("mate" if mate else "%+.2f" % (best / 100.0))
        print('%s bm %s; id "QT.%02d"; c0 "oracle depth %d %s pv %s";' %
              (key, san(engine, fen, pv[0]), found, FINAL_DEPTH, score, " ".join(pv[:8])), flush=True)
    engine.send("quit")


if __name__ == "__main__":
    main()
