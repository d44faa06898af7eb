#!/usr/bin/env python3
"""Seeded stdin fuzzer (opt-in): runs the engine on generated sessions of the console, xboard,
protocol-2 and UCI modes (plausible commands mixed with garbage: bursts of lines during searches,
NUL bytes, very long lines, absurd numbers, malformed FENs) and reports the runs that end badly:
a sanitizer report or failed assertion on stderr, a crash, an exit code other than 0, a "quit" or
end of input not answered within 2 s, input left unread until the run's time limit, an illegal
move.

    scripts/fuzz_stdin.py ENGINE [RUNS] [FIRST_SEED] [SECONDS] [--out DIR] [--without KINDS]

Run k uses seed FIRST_SEED + k and the mode seed % 4; each runs in a fresh temporary directory
holding a copy of brelok.ini (and no book). SECONDS bounds the session (what is left of it is
skipped, straight to its end). A failing run prints one line with its seed and the command that
replays it, and leaves in DIR (default ./fuzz-failures) seed-N.in, the bytes sent, seed-N.steps,
the session with its pauses and waits, and seed-N.out, the problems and what the engine wrote.
The moves are judged by scripts/fuzz_referee.py with the rules core of ../shared/tools: in the
xboard modes against the position the engine printed last (it prints the FEN after every
change), in UCI against the positions the session set up. --without leaves out kinds of input
(see FEATURES) to run around faults known and not yet mended."""
import argparse
import fcntl
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

from fuzz_referee import START, cr, engine_fen, judge_uci, judge_xboard

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

MODES = ("console", "xboard", "protover2", "uci")
QUIT_LIMIT = 2.0  # seconds to answer "quit" or the end of input
SLOW_LIMIT = 4.0  # and the time after that which makes a slow answer a hang
ERROR_MARKS = ("AddressSanitizer", "UndefinedBehaviorSanitizer", "LeakSanitizer", "runtime error",
               "Assertion", "assertion", "Segmentation fault", "terminate called")

# ------------------------------------------------------------------------------------------------
# Session generators. A session is a list of steps: ("send", bytes), ("pause", seconds),
# ("wait", regex, seconds: for output after the last send), and last ("end", "quit" or "eof").

ABSURD = ["-1", "0", "1", "-2147483648", "2147483647", "2147483648", "4294967296", "9223372036854775807",
          "9223372036854775808", "-9223372036854775809", "99999999999999999999999", "1e10", "3.5", "-0.5",
          "0x7fffffff", "0x10", "NaN", "inf", "", "12abc", "+5", "--3", "1,000", "007"]
WORDS = ["foo", "bar", "e2", "xyzzy", "moves", "fen", "startpos", "level", "time", "otim", "post", "nopost",
         "hard", "easy", "random", "beep", "bogus", "flip", "white", "black", "computer", "name", "rating",
         "ics", "accepted", "rejected", "variant", "memory", "cores", "egtpath", "sd", "st", "book", "log",
         "ponder", "hint", "draw", "help", "menu", "O-O", "Nf3", "e4", "1-0", "*", "{", "}", "\t", "\r"]
GOOD_FENS = [
    START, START + " 0 1", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 2", "7k/6pp/8/8/8/8/8/R5K1 w - - 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - -", "R6k/6pp/8/8/8/8/8/6K1 b - -", "8/P6k/8/8/8/8/6p1/K7 w - -",
    "8/8/8/8/k2Pp2Q/8/8/3K4 b - d3", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "r3k3/8/8/8/8/8/8/4K3 b q -",
    "8/8/8/3k4/8/8/8/3K4 w - -", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 50 80",
    "4b2k/8/8/1K1pP3/8/8/8/8 w - d6", "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -",
]
IMPOSSIBLE_FENS = [
    "4k3/8/8/3P4/8/8/8/4K3 w - e6 0 1", "4k3/8/8/8/4p3/8/8/4K3 b - d3 0 1", "6b1/8/8/3pP3/8/1K6/8/7k w - d6",
    "P3k3/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/4K2p b - -", "pppkpppp/8/8/8/8/8/8/PPPPKPPP w - -",
    "4k3/8/8/8/8/8/8/4R1K1 w - -", "4r1k1/8/8/8/1b6/3n4/8/4K3 w - -", "8/8/8/8/8/8/8/K1K4k w - -",
    "8/8/8/8/8/8/8/K7 w - -", "4k3/pppppppp/p7/8/8/8/8/4K3 w - -", "8/8/8/3kK3/8/8/8/8 w - -",
    "k7/QQQQQQQQ/8/8/8/8/8/K7 b - -", "7k/6pp/qqqqqq2/8/8/QQQQQQ2/6PP/7K w - -",
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3", "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1",
    "k7/8/8/8/8/8/8/K6k w - -", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkqKQkq - 0 1",
]


# Kinds of input that --without leaves out (to run around faults known and not yet mended):
# hundreds of lines sent during a search and lines of tens of kilobytes, absurd numbers, the go
# limits nodes, mate and searchmoves, games of hundreds of moves.
FEATURES = ("bursts", "numbers", "go-extras", "long-games")


class Generator:
    def __init__(self, seed, mode, without=()):
        self.rng = random.Random(seed)
        self.mode = mode
        self.without = set(without)
        self.steps = []

    def chance(self, p):
        return self.rng.random() < p

    def pick(self, items):
        return self.rng.choice(items)

    def number(self):
        if "numbers" in self.without:
            return str(self.rng.randint(1, 9))
        return self.pick(ABSURD) if self.chance(0.5) else str(self.rng.randint(-5, 50))

    def send(self, *lines, end=b"\n"):
        for line in lines:
            data = line if isinstance(line, bytes) else line.encode("latin-1")
            self.steps.append(("send", data + end))

    def pause(self, low, high):
        self.steps.append(("pause", round(self.rng.uniform(low, high), 2)))

    def wait(self, pattern, seconds):
        self.steps.append(("wait", pattern, seconds))

    def mutated_fen(self):
        text = list(self.pick(GOOD_FENS + IMPOSSIBLE_FENS))
        for _ in range(self.rng.randint(1, 4)):
            at = self.rng.randrange(len(text) + 1)
            what = self.rng.randrange(5)
            letter = self.pick("pnbrqkPNBRQK/12345678 90-wbKQkqacehx\t\0\xff")
            if what == 0 and at < len(text):
                text[at] = letter
            elif what == 1:
                del text[at:]
            elif what == 2:
                text.insert(at, letter)
            elif what == 3 and at < len(text):
                del text[at]
            else:
                text[at:at] = text[at:at + self.rng.randint(1, 12)]
        return "".join(text)

    def fen(self):
        kind = self.rng.randrange(10)
        if kind < 4:
            return self.pick(GOOD_FENS)
        if kind < 7:
            return self.pick(IMPOSSIBLE_FENS)
        if kind < 9:
            return self.mutated_fen()
        return "".join(self.pick("pnbrqkPNBRQK/12345678 -wb") for _ in range(self.rng.randint(0, 120)))

    def playout(self, fen, length):
        """Coordinate moves of a random game from `fen` (legal ones)."""
        pos = engine_fen(fen) or cr.Position(START + " 0 1")
        moves = []
        for _ in range(length):
            legal = pos.legal_moves()
            if not legal:
                break
            move = self.pick(legal)
            moves.append(move.uci())
            pos = pos.push(move)
        return moves

    def noise_line(self):
        """A line of garbage, a harmless command, or a command with absurd numbers."""
        kind = self.rng.randrange(14)
        if kind == 0:
            return " ".join(self.pick(WORDS) for _ in range(self.rng.randint(1, 6)))
        if kind == 1:
            return bytes(self.rng.randrange(256) for _ in range(self.rng.randint(0, 60))).replace(b"\n", b" ")
        if kind == 2:
            # The engine reads a NUL byte as a blank.
            return self.pick(["", " ", "\t", "\r", "\0", "go\0", "\0qu\0it", "new\0x", ".\0\0"])
        if kind == 3:
            huge = self.chance(0.05) and "bursts" not in self.without
            length = self.rng.randint(5000, 40000) if huge else self.rng.randint(20, 2000)
            return (self.pick(["x", "e2e4 ", "A" * 50]) * length)[:length]
        if kind == 4:
            key = self.pick(["selectivite", "min_sd", "max_sd", "DRAW_SCORE", "noiseply"])
            return "%s %s" % (key, self.number())
        if kind == 5:
            return "%s %s" % (self.pick(["time", "otim", "st", "sd", "ping", "rating", "name"]),
                              self.number())
        if kind == 6:
            moves = self.number()
            base = self.pick([self.number(), "0:" + self.number()])
            return "level %s %s %s" % (moves, base, self.number())
        if kind == 7:
            f, r = self.pick("abcdefghijz"), self.pick("0123456789")
            to = self.pick("abcdefgh") + self.pick("12345678")
            return f + r + to + self.pick(["", "q", "n", "Q", "x", "qq"])
        if kind == 8:
            return self.pick([".", "?", "hint", "draw", "post", "nopost", "bogus", "random", "beep", "white",
                              "black", "computer", "easy", "hard", "book off", "book on", "log off",
                              "ponder off"])
        if kind == 9:
            return "setboard " + self.fen()
        if kind == 10 and self.mode == "uci":
            return self.pick(["isready", "stop", "ponderhit", "debug on", "register later"])
        if kind == 11:
            return "rating %s %s" % (self.number(), self.number())
        return self.pick(["help", "flip", "bookx", "log", "name Someone Else", "ics -", "accepted setboard"])

    def burst(self):
        if "bursts" in self.without:
            return self.send(*[self.noise_line() for _ in range(self.rng.randint(1, 5))])
        for _ in range(self.rng.randint(50, 500)):
            self.send(self.noise_line())

    # -- the xboard modes ---------------------------------------------------------------------
    def limits_xboard(self):
        self.send(self.pick(["st 1", "sd 3", "sd 2", "level 40 0:05 0", "level 0 1 0", "st 1"]))
        if self.chance(0.5):
            self.send("time %d" % self.rng.randint(50, 600), "otim %d" % self.rng.randint(50, 600))

    def xboard_segment(self):
        kind = self.rng.randrange(9)
        if kind == 0:  # a short game against the engine
            self.send("new")
            self.limits_xboard()
            for move in self.playout(START, self.rng.randint(0, 3))[:1]:
                self.send(move)
                self.wait(r"^(move|\d+\. \.\.\.) ", 4)
            if self.chance(0.3):
                self.burst()
        elif kind == 1:  # a set-up position, a few moves in force mode, then the engine's turn
            self.send("force")
            fen = self.fen()
            self.send("setboard " + fen)
            for move in self.playout(fen, self.rng.randint(0, 4)):
                self.send(move)
            self.limits_xboard()
            self.send("go")
            if self.chance(0.4):
                self.burst()
            self.wait(r"^(move|\d+\. \.\.\.) ", 4)
        elif kind == 2:  # analysis with commands and moves sent into it
            self.send("analyze")
            for _ in range(self.rng.randint(1, 6)):
                self.pause(0.05, 0.6)
                self.send(self.pick([".", "?", "undo", "new", "exit", "e2e4", "d7d5", "hint"]
                                    + self.playout(START, 1)))
            if self.chance(0.4):
                self.burst()
            self.send("exit")
        elif kind == 3:  # edit mode, well or badly formed
            self.send("edit")
            lines = ["#", "Ke1", "c", "Ke8", "Pe4", "Pa8", "xe4", "Qd5", "k", "Zz9", "c", "Rh1", "", "pe2"]
            for _ in range(self.rng.randint(0, 12)):
                self.send(self.pick(lines) if self.chance(0.8) else self.noise_line())
            if self.chance(0.9):  # else the session goes on (and may end) in edit mode
                self.send(self.pick([".", "exit"]))
        elif kind == 4:
            self.send(*[self.pick(["undo", "remove", "force", "go", "new", "result 1-0", "result *", "draw",
                                   "hint", "?", "ping 7", "result", "result 1/2-1/2 {x}"])
                        for _ in range(self.rng.randint(1, 5))])
            self.wait(r"^(move|\d+\. \.\.\.) ", 2)
        elif kind == 5:
            for _ in range(self.rng.randint(1, 10)):
                self.send(self.noise_line())
        elif kind == 6:  # a search interrupted by a burst
            self.send("new", "force", "setboard " + self.pick(GOOD_FENS))
            self.limits_xboard()
            self.send("go")
            self.pause(0, 0.3)
            self.burst()
            self.wait(r"^(move|\d+\. \.\.\.) ", 4)
        elif kind == 7:  # pondering and the opponent's replies
            self.send("new", "hard", "st 1")
            self.send(self.pick(["e2e4", "d2d4", "g1f3"]))
            self.wait(r"^(move|\d+\. \.\.\.) ", 4)
            for _ in range(self.rng.randint(1, 3)):
                self.pause(0, 0.5)
                if self.chance(0.3):
                    self.send(self.noise_line())
                else:
                    self.send(self.pick(["e4e5", "d4d5", "b1c3", "f1c4", "a2a3"]))
            self.send("easy")
        else:
            seconds, stable = self.pick(["0.2", "0.1", "0", "-1", "x"]), self.pick(["", "0", "3"])
            self.send("test suite.epd %s %s" % (seconds, stable))
            self.wait(r"solved", 5)

    # -- UCI ------------------------------------------------------------------------------------
    def uci_go(self):
        limits = [["movetime", "100"], ["movetime", "300"], ["depth", "2"], ["depth", "3"],
                  ["wtime", "1000", "btime", "1000"],
                  ["wtime", "300", "btime", "200", "winc", "10", "binc", "10"],
                  ["movestogo", "1", "wtime", "500", "btime", "500"], ["infinite"],
                  ["ponder", "movetime", "200"]]
        extras = "go-extras" not in self.without
        if extras:
            limits += [["nodes", "1000"], ["mate", "2"], ["searchmoves", "e2e4", "d2d4"]]
        words = list(self.pick(limits))
        if self.chance(0.3):
            at = self.rng.randrange(len(words) + 1)
            names = ["depth", "movetime", "wtime", "binc", "movestogo"] + ["nodes", "x"] * extras
            words.insert(at, self.pick(names))
            words.insert(at + 1, self.number())
        self.send("go " + " ".join(words))
        if "infinite" in words or "ponder" in words or self.chance(0.2):
            self.pause(0, 0.5)
            if self.chance(0.5):
                self.burst()
            self.send(self.pick(["stop", "ponderhit", "stop"]))
        elif self.chance(0.2):
            self.burst()
        self.wait(r"^bestmove", 4)

    def uci_segment(self):
        kind = self.rng.randrange(7)
        if kind <= 2:
            fen = self.pick(GOOD_FENS) if kind else self.fen()
            longest = 30 if self.chance(0.8) or "long-games" in self.without else 700
            moves = self.playout(fen, self.rng.randint(0, longest))
            if moves and self.chance(0.2):
                bad = self.pick(["e2e5", "a1a9", "zz", "e7e8Q", "E2E4", "0000"])
                moves[self.rng.randrange(len(moves))] = bad
            head = "position startpos" if fen == START and self.chance(0.5) else "position fen " + fen
            self.send(head + (" moves " + " ".join(moves) if moves or self.chance(0.1) else ""))
            self.uci_go()
        elif kind == 3:
            self.send(*[self.pick(["isready", "ucinewgame", "setoption name Hash value " + self.number(),
                                   "setoption name Clear Hash", "setoption name Ponder value false",
                                   "setoption name OwnBook value " + self.pick(["true", "false", "x"]),
                                   "setoption name TablebasePath value "
                                   + self.pick(["", "/nonexistent", "."]),
                                   "setoption name", "uci", "position", "position fen", "go"])
                        for _ in range(self.rng.randint(1, 5))])
            self.wait(r"^(readyok|bestmove|uciok)", 2)
        elif kind == 4:
            for _ in range(self.rng.randint(1, 10)):
                self.send(self.noise_line())
        elif kind == 5:
            self.send("position startpos moves " + " ".join(self.playout(START, self.rng.randint(1, 8))))
            self.send("go infinite")
            self.pause(0, 0.3)
            self.burst()
            self.send("stop")
            self.wait(r"^bestmove", 4)
        else:
            self.send("position fen " + self.pick(IMPOSSIBLE_FENS))
            self.uci_go()

    def session(self):
        if self.mode == "uci":
            self.send("uci")
            self.wait(r"^uciok", 3)
        elif self.mode != "console":
            self.send("xboard")
            if self.mode == "protover2":
                self.send("protover 2")
                self.wait(r"done=1", 3)
        for _ in range(self.rng.randint(3, 12)):
            (self.uci_segment if self.mode == "uci" else self.xboard_segment)()
        self.steps.append(("end", "eof" if self.chance(0.2) else "quit"))
        return self.steps


SUITE = ("4k3/8/8/3P4/8/8/8/4K3 w - e6\n4k3/8/8/8/8/8/8/4K2p b - - bm Kd7\n"
         "7k/6pp/8/8/8/8/8/R5K1 w - - bm Ra8#;\nrnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4\n")


# ------------------------------------------------------------------------------------------------
# Running one session.

class Engine:
    def __init__(self, path, workdir):
        self.proc = subprocess.Popen([path], cwd=workdir, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, start_new_session=True)
        os.set_blocking(self.proc.stdin.fileno(), False)
        self.out, self.err = [], []
        self.killed = False
        self.lock = threading.Condition()
        self.readers = [threading.Thread(target=self.read, args=(self.proc.stdout, self.out), daemon=True),
                        threading.Thread(target=self.read, args=(self.proc.stderr, self.err), daemon=True)]
        for reader in self.readers:
            reader.start()

    def read(self, stream, into):
        pending = b""
        while True:
            chunk = os.read(stream.fileno(), 65536)
            if not chunk:
                break
            pending += chunk
            *lines, pending = pending.split(b"\n")
            with self.lock:
                into.extend((time.monotonic(), line.decode("latin-1").rstrip("\r")) for line in lines)
                self.lock.notify_all()
        with self.lock:
            if pending:
                into.append((time.monotonic(), pending.decode("latin-1")))
            self.lock.notify_all()

    def write(self, data, deadline):
        """False when the engine has gone or stops reading until the deadline."""
        view = memoryview(data)
        while view:
            try:
                written = os.write(self.proc.stdin.fileno(), view)
                view = view[written:]
            except BlockingIOError:
                if time.monotonic() > deadline or self.proc.poll() is not None:
                    return False
                time.sleep(0.01)
            except (BrokenPipeError, OSError):
                return False
        return True

    def wait_output(self, pattern, since, until):
        regex = re.compile(pattern)
        with self.lock:
            while time.monotonic() < until and self.proc.poll() is None:
                if any(regex.search(line) for _, line in self.out[since:]):
                    return
                self.lock.wait(0.05)

    def bytes_in_pipe(self):
        """The input waiting in the pipe, which the engine has not even taken in."""
        try:
            count = struct.unpack("i", fcntl.ioctl(self.proc.stdin.fileno(), termios.FIONREAD, b"\0" * 4))[0]
        except OSError:
            return ""
        return ", %d bytes still in the pipe" % count if count else ""

    def kill(self):
        self.killed = True
        try:
            os.killpg(self.proc.pid, 9)  # the process group this run started
        except ProcessLookupError:
            pass
        self.proc.wait()


def unread_lines(workdir, sent):
    """How many lines the engine had not read yet, told by its log (every line read is logged,
    unless a line has switched the log off)."""
    if any(b"log" in line and b"off" in line for line in sent.split(b"\n")):
        return ""
    read = 0
    logs = os.path.join(workdir, "log")
    for name in os.listdir(logs) if os.path.isdir(logs) else []:
        with open(os.path.join(logs, name), "rb") as log:
            read += sum(1 for line in log if line.startswith((b'<"', b"Line of ")))
    sent_lines = sent.count(b"\n")
    return ", %d of the %d lines before it unread" % (sent_lines - read, sent_lines) if read else ""


def run_session(engine_path, seed, limit, out_dir, without=()):
    mode = MODES[seed % len(MODES)]
    steps = Generator(seed, mode, without).session()
    problems = []
    sent_bytes, sent_lines = bytearray(), []
    with tempfile.TemporaryDirectory(prefix="brelok-fuzz-") as workdir:
        shutil.copy(os.path.join(REPO, "brelok.ini"), workdir)
        with open(os.path.join(workdir, "suite.epd"), "w") as suite:
            suite.write(SUITE)
        engine = Engine(os.path.abspath(engine_path), workdir)
        begin = time.monotonic()
        deadline = begin + limit
        since = 0
        ending = steps[-1][1]
        for step in steps:
            if engine.proc.poll() is not None:
                problems.append("exited before the end of the session (code %s)" % engine.proc.returncode)
                break
            if time.monotonic() > deadline:
                break  # searches made long by the settings sent: straight to the end
            if step[0] == "send":
                with engine.lock:
                    since = len(engine.out)
                now = time.monotonic()
                if not engine.write(step[1], deadline):
                    if engine.proc.poll() is None:
                        problems.append("hang: input not read within the run's %g s" % limit)
                    break
                sent_bytes += step[1]
                sent_lines.extend((now, line) for line in step[1].decode("latin-1").split("\n")[:-1])
            elif step[0] == "pause":
                time.sleep(step[1])
            elif step[0] == "wait":
                engine.wait_output(step[1], since, min(deadline, time.monotonic() + step[2]))
        if engine.proc.poll() is None:
            # Input is kept open after "quit": the end of input must not be what ends the run.
            # What was still unread when the end came tells a queue of lines from a hang.
            unread = unread_lines(workdir, sent_bytes) + engine.bytes_in_pipe()
            asked = time.monotonic()
            if ending == "quit" and engine.write(b"quit\n", asked + QUIT_LIMIT):
                sent_bytes += b"quit\n"
            else:
                engine.proc.stdin.close()
            what = "quit" if ending == "quit" else "end of input"
            try:
                engine.proc.wait(timeout=max(0.0, asked + QUIT_LIMIT - time.monotonic()))
            except subprocess.TimeoutExpired:
                # A little longer, to tell a slow answer (on a loaded machine, say) from none.
                try:
                    engine.proc.wait(timeout=max(0.0, asked + QUIT_LIMIT + SLOW_LIMIT - time.monotonic()))
                    problems.append("slow: %s answered after %.1f s%s (load average %.1f)"
                                    % (what, time.monotonic() - asked, unread, os.getloadavg()[0]))
                except subprocess.TimeoutExpired:
                    engine.kill()
                    problems.append("hang: %s not answered within %g s%s"
                                    % (what, QUIT_LIMIT + SLOW_LIMIT, unread))
        for reader in engine.readers:
            reader.join(5)
        for stream in (engine.proc.stdin, engine.proc.stdout, engine.proc.stderr):
            try:
                stream.close()
            except OSError:
                pass
        code = engine.proc.returncode
        if engine.killed:
            pass
        elif code is not None and code < 0:
            problems.append("killed by signal %d" % -code)
        elif code not in (0, None):
            problems.append("exit code %d" % code)
        for _, line in engine.err:
            if any(mark in line for mark in ERROR_MARKS):
                problems.insert(0, "stderr: " + line.strip()[:200])
                break
        if mode == "uci":
            problems += judge_uci(sent_lines, engine.out)
        else:
            problems += judge_xboard(engine.out)
    if problems:
        os.makedirs(out_dir, exist_ok=True)
        base = os.path.join(out_dir, "seed-%d" % seed)
        with open(base + ".in", "wb") as raw:
            raw.write(bytes(sent_bytes))
        with open(base + ".steps", "w") as listing:
            for step in steps:
                listing.write("%s %s\n" % (step[0], " ".join(repr(x) for x in step[1:])))
        with open(base + ".out", "w", encoding="latin-1") as out:
            out.writelines("problem: %s\n" % problem for problem in problems)
            for stamp, line in engine.out:
                out.write("%8.3f %s\n" % (stamp - begin, line))
            for stamp, line in engine.err:
                out.write("%8.3f stderr: %s\n" % (stamp - begin, line))
    return mode, problems


def problem_kind(problem):
    """The kind of a problem for the summary: its text up to the first figure or position."""
    if problem.startswith("stderr: "):
        return "stderr: " + re.sub(r"^.*?(runtime error|AddressSanitizer|LeakSanitizer|Assertion)", r"\1",
                                   problem)[:90]
    problem = re.sub(r"\b([a-h][1-8]){2}[qrbn]?\b|\bponder\b|[0-9.]+ s\b", "", problem)
    return re.sub(" +", " ", re.split(r" in |, |\(|: [^ ]*/", problem)[0]).strip(" ,")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("engine")
    parser.add_argument("runs", nargs="?", type=int, default=300)
    parser.add_argument("first_seed", nargs="?", type=int, default=1)
    parser.add_argument("seconds", nargs="?", type=float, default=30, help="time limit per run")
    parser.add_argument("--out", default="fuzz-failures", help="where failing runs leave their input")
    parser.add_argument("--without", default="", help="leave out kinds of input: " + ",".join(FEATURES))
    args = parser.parse_args()
    without = [w for w in args.without.split(",") if w]
    unknown = set(without) - set(FEATURES)
    if unknown:
        parser.error("unknown kinds of input: " + ",".join(sorted(unknown)))
    failed = 0
    kinds = {}
    began = time.monotonic()
    for seed in range(args.first_seed, args.first_seed + args.runs):
        mode, problems = run_session(args.engine, seed, args.seconds, args.out, without)
        if problems:
            failed += 1
            for kind in {problem_kind(problem) for problem in problems}:
                kinds[kind] = kinds.get(kind, 0) + 1
            replay = "%s %s 1 %d %g%s" % (sys.argv[0], args.engine, seed, args.seconds,
                                          " --without " + args.without if without else "")
            more = " (+%d more)" % (len(problems) - 1) if len(problems) > 1 else ""
            print("FAIL seed %d (%s): %s%s -- replay: %s (input in %s/seed-%d.in)"
                  % (seed, mode, problems[0], more, replay, args.out, seed), flush=True)
    print("%d runs (seeds %d-%d) in %.0f s: %d failed%s" % (
        args.runs, args.first_seed, args.first_seed + args.runs - 1, time.monotonic() - began, failed,
        "".join("\n  %4d runs: %s" % (n, kind) for kind, n in sorted(kinds.items(), key=lambda k: -k[1]))))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
