#!/usr/bin/env python3
"""Test engine for scripts/match_test.py: speaks UCI or xboard protocol 2, plays the first (or
last) legal move in coordinate order and predicts the opponent's first one, prints thinking lines
of depth 1..5 for a search and 1..3 while pondering (none after a ponder hit).
  --proto uci|xboard  --pick first|last  --delay S (per search)  --slow-stop S
  --early (moves while pondering: bestmove during `go ponder`, an extra move after `hard`)
  --claim TEXT (xboard: a line printed after each move, say a result)"""
import argparse, os, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "tools"))
from chessrules import Position, START_FEN   # noqa: E402

ap = argparse.ArgumentParser()
ap.add_argument("--proto", default="uci")
ap.add_argument("--pick", default="first")
ap.add_argument("--delay", type=float, default=0.0)
ap.add_argument("--slow-stop", type=float, default=0.0)
ap.add_argument("--early", action="store_true")
ap.add_argument("--claim")
a = ap.parse_args()
uci = a.proto == "uci"


def out(s):
    sys.stdout.write(s + "\n")
    sys.stdout.flush()


def ordered(pos):
    return sorted(m.uci() for m in pos.legal_moves())


def think(pos, depths):
    for d in range(1, depths + 1):
        out(("info depth %d score cp 0 nodes %d pv x" if uci else "%d 0 0 %d x") % (d, d))


def choose(pos):
    time.sleep(a.delay)
    think(pos, 5)
    moves = ordered(pos)
    return moves[0 if a.pick == "first" else -1]


def bestmove(pos, m):
    replies = ordered(pos.push(pos.parse_move(m)))
    out("bestmove %s" % m + (" ponder %s" % replies[0] if replies else ""))


pos, force, mine, hard, pondering = Position(), True, None, False, False
for line in sys.stdin:
    w = line.split()
    if not w:
        continue
    if w[0] == "quit":
        break
    if uci:
        if w[0] == "uci":
            out("id name Fake\noption name Ponder type check default false\nuciok")
        elif w[0] == "isready":
            out("readyok")
        elif w[0] == "position":
            pos = Position(START_FEN if w[1] == "startpos" else " ".join(w[2:8]))
            for m in w[w.index("moves") + 1:] if "moves" in w else []:
                pos = pos.push(pos.parse_move(m))
        elif w[0] == "go" and "ponder" in w:
            pondering = True
            think(pos, 3)
            if a.early:
                bestmove(pos, ordered(pos)[0])
        elif w[0] == "go":
            bestmove(pos, choose(pos))
        elif w[0] in ("ponderhit", "stop") and pondering:
            pondering = False
            time.sleep(a.slow_stop if w[0] == "stop" else 0)
            bestmove(pos, ordered(pos)[0])
        continue
    if w[0] == "protover":
        out('feature myname="Fake" ping=1 setboard=1 usermove=0 done=1')
    elif w[0] == "ping":
        out("pong " + w[1])
    elif w[0] == "new":
        pos, force, mine = Position(), False, False
    elif w[0] == "setboard":
        pos = Position(" ".join(w[1:7]))
    elif w[0] == "force":
        force = True
    elif w[0] in ("hard", "easy"):
        hard = w[0] == "hard"
    elif w[0] == "go" or (len(w) == 1 and pos.parse_move(w[0])):
        if w[0] == "go":
            force, mine = False, pos.white
        else:
            pos = pos.push(pos.parse_move(w[0]))
        if not force and mine == pos.white and pos.legal_moves():
            m = choose(pos)
            pos = pos.push(pos.parse_move(m))
            out("move " + m)
            if a.claim:
                out(a.claim)
            if hard and a.early and pos.legal_moves():
                out("move " + ordered(pos)[0])
