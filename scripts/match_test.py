#!/usr/bin/env python3
"""Tests of the match runner (scripts/match.py): thinking lines of the real engines, and short
matches of match_fake_engine.py through the runner's command line. Run: python3 scripts/match_test.py"""
import json, os, subprocess, sys, tempfile, unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from match_engine import thinking_depth  # noqa: E402

FAKE = "%s %s/match_fake_engine.py" % (sys.executable, HERE)

# (line, UCI?, depth): as the engines print them
THINKING = [
    (" 7.     35    0    86238  Ng5 d5 exd5 Na5 d3 Nxd5 O-O Nxc4", False, 7),   # Brelok
    (" 7->    42    0   364063  d3 Bb4 c3 Be7 Bg5 d6 O-O Bg4", False, 7),
    ("12<=   -15    3   912345  e4", False, 12),
    (" 4 ?    12    0     2162  d3", False, 4),
    (" 4:)   +++    0     2162  d3!?", False, None),                          # fail high
    ("6 +0 8 51190 Nc3 Bc5 O-O O-O d3 d6", False, 6),                           # gnuchess
    ("1 +59 0 2 (Bc5) O-O", False, 1),
    ("  5      4     1     5059  Nb1-c3  Nc6-a5  Bc4-b5", False, 5),            # phalanx
    ("  0      0     0        0  (d2-d4  Nf3-g5  d2-d3  , book1)", False, None),
    (" 4      0        0       1171 d2d4 d7d5 b1c3 b8c6", False, 4),            # fairymax
    ("1. ... e7e5", False, None),
    ("242386 entries found in the Opening Book (b_book.bin)", False, None),
    ("8 r n b q k b n r ", False, None),
    ("info depth 9 score cp 19 nodes 911229 nps 720339 time 1265 pv c2c3 b4e7", True, 9),
    ("info depth 4 score cp -7 lowerbound nodes 2162 nps 2162156 time 1 pv d2d3", True, 4),
    ("info depth 6 seldepth 11 score mate 1 time 0 nodes 104 nps 0 pv a3h3", True, 6),
    ("info depth 12 currmove e2e4 currmovenumber 1", True, None),
    ("info nodes 123 nps 0 time 0 hashfull 0", True, None),
]


class ThinkingLines(unittest.TestCase):
    def test_depths(self):
        for line, uci, depth in THINKING:
            self.assertEqual(thinking_depth(line, uci), depth, line)


class Matches(unittest.TestCase):
    def match(self, *args, tc="2+0.1", plies=10):
        """Runs one game of A (white) against B; returns (stdout, game record, lines sent to A)."""
        with tempfile.TemporaryDirectory() as tmp:
            res, log = os.path.join(tmp, "r.jsonl"), os.path.join(tmp, "io.log")
            out = subprocess.run([sys.executable, os.path.join(HERE, "match.py"), "--e1-name", "A", "--e2-name", "B",
                                  "--games", "1", "--tc", tc, "--maxplies", str(plies), "--results", res,
                                  "--log", log, "--pgn", os.path.join(tmp, "g.pgn"), "--post"] + list(args),
                                 capture_output=True, text=True, timeout=60, check=True).stdout
            with open(res) as r, open(log) as lines:
                game = json.loads(r.read())
                sent = [l.split(" A < ", 1)[1].rstrip("\n") for l in lines if " A < " in l]
            return out, game, sent

    def test_uci_ponder_hits_are_not_charged(self):
        # B thinks 0.3 s a move and plays what A predicts: A's clock only gains its increments.
        out, game, sent = self.match("--e1", FAKE, "--e1-proto", "uci", "--e1-ponder",
                                     "--e2", FAKE + " --delay 0.3", "--e2-proto", "uci", tc="10/2+0.1")
        a = game["white"]
        self.assertGreater(a["lowest_clock"], 1.9)
        self.assertGreater(min(a["clocks_left"][1:]), 2.0)
        self.assertEqual(a["depths"], [5, 3, 3, 3, 3])   # after a hit, the pondering lines count
        self.assertIn("Ponder: A: 4 hits of 5 ponder searches", out)
        self.assertIn("Depth: A: median 3, range 3-5 over 5 searched moves; B: median 5,", out)
        self.assertEqual(sent[1], "setoption name Ponder value true")
        i = sent.index("position startpos moves a2a3 a7a5")
        self.assertRegex(sent[i + 1], r"^go ponder wtime 2\d{3} btime [12]\d{3} winc 100 binc 100 movestogo 9$")
        self.assertEqual(sent[i + 2:i + 4], ["ponderhit", "position startpos moves a2a3 a7a5 a1a2 a5a4"])

    def test_uci_ponder_miss_stops_then_searches(self):
        # B plays its last move, never the predicted one; A takes 0.4 s to stop, which is not charged.
        out, game, sent = self.match("--e1", FAKE + " --slow-stop 0.4", "--e1-proto", "uci", "--e1-ponder",
                                     "--e2", FAKE + " --pick last", "--e2-proto", "uci", plies=6)
        a = game["white"]
        self.assertGreater(a["lowest_clock"], 1.9)
        self.assertEqual(a["depths"], [5, 5, 5])
        self.assertRegex(out, r"Ponder: A: 0 hits of 3 ponder searches, slowest stop 0\.[4-9]\d s")
        self.assertEqual([s.split()[0] + (" ponder" if " ponder " in s else "") for s in sent[6:13]],
                         ["go", "position", "go ponder", "stop", "position", "go", "position"])
        self.assertEqual(sent[7], "position startpos moves a2a3 a7a5")
        self.assertEqual(sent[10], "position startpos moves a2a3 h7h6")

    def test_moves_out_of_turn_lose(self):
        for proto in ("xboard", "uci"):
            out, game, sent = self.match("--e1", FAKE + " --early --proto " + proto, "--e1-proto", proto,
                                         "--e1-ponder", "--e2", FAKE + " --proto xboard --delay 0.2")
            self.assertEqual(game["result"], "0-1", proto)
            self.assertRegex(game["reason"], r"^A: illegal move \w+ sent out of turn$")
            self.assertEqual(game["plies"], 2)
            self.assertIn("hard" if proto == "xboard" else "go ponder wtime 20",
                          " ".join(sent))

    def test_claims_while_pondering_are_judged(self):
        out, game, sent = self.match("--e1", FAKE + " --proto xboard --claim '1/2-1/2 {Draw}'", "--e1-ponder",
                                     "--e2", FAKE + " --proto xboard")
        self.assertEqual((game["result"], game["reason"], game["plies"]),
                         ("0-1", "A made a false claim: 1/2-1/2 {Draw}", 2))

    def test_xboard_depth_and_fine_increment(self):
        out, game, sent = self.match("--e1", FAKE + " --proto xboard", "--e2", FAKE + " --proto xboard",
                                     "--e2-ponder", tc="1+0.1", plies=6)
        self.assertEqual(game["result"], "1/2-1/2")
        self.assertEqual(sent[sent.index("new"):sent.index("new") + 5], ["new", "force", "easy", "level 0 0:01 0.1",
                                                                          "post"])
        self.assertEqual(game["white"]["depths"], [5, 5, 5])
        self.assertEqual(game["black"]["depths"], [5, 5, 5])
        self.assertTrue(all(0.9 < c <= 1.2 for c in game["white"]["clocks_left"]), game)
        self.assertRegex(out, r"lowest clock A [01]\.\d\d s, B [01]\.\d\d s\n")


class Results(unittest.TestCase):
    def test_parts_of_a_match_are_summed_up(self):
        def game(no, white, black, result, depths):
            side = lambda name, low: dict(name=name, lowest_clock=low, depths=depths)
            return dict(game=no, result=result, white=side(white, 9.5), black=side(black, None))
        parts = [[game(1, "A", "B", "1-0", [None] * 5 + [7, 8]), game(2, "B", "A", "1-0", [9])],
                 [game(1, "A", "B", "1/2-1/2", [10]), game(2, "B", "A", "0-1", [11])]]
        with tempfile.TemporaryDirectory() as tmp:
            files = []
            for n, records in enumerate(parts):
                files.append(os.path.join(tmp, "part%d.jsonl" % n))
                with open(files[-1], "w") as f:
                    f.write("".join(json.dumps(r) + "\n" for r in records))
            out = subprocess.run([sys.executable, os.path.join(HERE, "match_results.py"), "A", files[0],
                                  files[1] + ":1"], capture_output=True, text=True, timeout=60, check=True).stdout
        self.assertRegex(out.splitlines()[0], r"^A: 3 games, 1-1-1 \[0\.500\], Elo \+0\.0 \+/- [\d.]+ "
                                              r"\(95%: -[\d.]+ to \+[\d.]+\)$")
        self.assertIn("  A depth: median 8.5, range 7-10, quartiles 7.25-9.75 over 4 searched moves", out)
        self.assertIn("  A depth, moves 6-40: median 7.5, range 7-8, quartiles", out)
        self.assertIn("  A lowest clock: 9.50 s", out)


if __name__ == "__main__":
    unittest.main()
