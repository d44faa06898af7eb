#!/usr/bin/env python3
"""Headless engine-vs-engine match: the shared runner of ../shared/tools (same command line) with
pondering, the engines' lowest clocks, the depth they reach and a machine-readable game record.

  --e1-ponder, --e2-ponder, --ponder   the engine(s) think on the opponent's time
                                       (xboard: `hard`; UCI: `go ponder`, `ponderhit`, `stop`)
  --post                               xboard engines get `post`; the depth of every searched move
                                       is kept and summed up per engine (median, range)
  --results FILE                       one JSON object per game, appended

Each game line ends with the lowest clock of each engine in that game (the time it had left when
one of its moves arrived); the summary gives the lowest over the match.

Games are played by the shared runner's play_game with the engines of match_engine.py. The match
loop and the command line are this file's own: the shared ones print their fixed lines and cannot
be extended (the engine options are the shared ones, added by its add_engine_args)."""
import argparse, json, statistics, sys

from match_engine import PonderingEngine, shared


def engine_settings(arg, proto, name, init, uci, ponder, post):
    settings = shared.make_spec(arg, proto, name, init, uci)
    settings["post"] = post
    settings["ponder"] = ponder
    if ponder and settings["proto"] == "xboard":
        settings["init"] = ["hard"] + list(settings.get("init", []))
    if ponder and settings["proto"] == "uci":
        settings["uci"] = dict(settings.get("uci", {}), Ponder="true")
    return settings


def seconds(x):
    return "-" if x is None else "%.2f s" % x


def lowest(values):
    return min(values) if values else None


class Tally:
    """What the summary says of one engine over the match."""

    def __init__(self, engine):
        self.engine, self.depths, self.low, self.low_game = engine, [], None, 0

    def add_game(self, game_no):
        low = lowest(self.engine.clocks_left)
        if low is not None and (self.low is None or low < self.low):
            self.low, self.low_game = low, game_no
        self.depths += [d for d in self.engine.depths if d is not None]
        return low

    def depth_text(self):
        d = self.depths
        if not d:
            return "%s: no searched move" % self.engine.name
        return "%s: median %g, range %d-%d over %d searched moves" % (
            self.engine.name, statistics.median(d), min(d), max(d), len(d))

    def ponder_text(self):
        e = self.engine
        return "%s: %d hits of %d ponder searches, slowest stop %.2f s" % (
            e.name, e.ponder_hits, e.ponder_searches, e.slowest_stop)


def game_record(res, game_no, white, black, opening_no, tc_str):
    def side(e):
        low = lowest(e.clocks_left)
        return dict(name=e.name, ponder=e.ponders, lowest_clock=None if low is None else round(low, 3),
                    clocks_left=[round(c, 3) for c in e.clocks_left], depths=e.depths)
    return dict(game=game_no, tc=tc_str, opening=opening_no, result=res["result"], reason=res["reason"],
                plies=len(res["san"]), white=side(white), black=side(black))


def run_match(a, b, openings, args, out=print):
    tc = shared.parse_tc(args.tc)
    w = l = d = 0
    tallies = {a: Tally(a), b: Tally(b)}
    pgn = open(args.pgn, "a") if args.pgn else None
    results = open(args.results, "a") if args.results else None
    try:
        for e in (a, b):
            try:
                e.start()
            except shared.EngineFailure as ex:
                out("start-up of %s failed: %s (every game it plays will be counted as a loss)" % (e.name, ex))
        for g in range(args.games):
            opening_no = (g // 2) % len(openings)
            fen, moves = openings[opening_no]
            white, black = (a, b) if g % 2 == 0 else (b, a)
            for e in (a, b):
                e.clear_game()        # an engine that fails to start has nothing of this game
            res = shared.play_game(white, black, fen, moves, tc, args.margin, args.maxplies)
            sc = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}[res["result"]]
            sc_a = sc if white is a else 1 - sc
            w, l, d = w + (sc_a == 1), l + (sc_a == 0), d + (sc_a == 0.5)
            lows = {e: tallies[e].add_game(g + 1) for e in (a, b)}
            if pgn:
                pgn.write(shared.pgn_text(res, white.name, black.name, g + 1, args.tc))
                pgn.flush()
            if results:
                results.write(json.dumps(game_record(res, g + 1, white, black, opening_no, args.tc)) + "\n")
                results.flush()
            out("game %d: %s - %s  %s  {%s}  %d plies   [%s: +%d -%d =%d]  lowest clock %s %s, %s %s" % (
                g + 1, white.name, black.name, res["result"], res["reason"], len(res["san"]), a.name, w, l, d,
                a.name, seconds(lows[a]), b.name, seconds(lows[b])), flush=True)
    finally:
        a.stop()
        b.stop()
        for f in (pgn, results):
            if f:
                f.close()
    return w, l, d, tallies


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    shared.add_engine_args(ap, 1)
    shared.add_engine_args(ap, 2)
    ap.add_argument("--games", type=int, default=2, help="number of games (pairs: each opening with both colours)")
    ap.add_argument("--tc", default="40/60", help="MOVES/SECONDS[+INC] or SECONDS+INC (e.g. 40/60, 1+0.1)")
    ap.add_argument("--openings", help="file: FEN/EPD lines or move lines from the start position")
    ap.add_argument("--pgn", default="match.pgn")
    ap.add_argument("--log", help="engine I/O log file")
    ap.add_argument("--margin", type=float, default=0.25, help="seconds of grace before a time loss")
    ap.add_argument("--maxplies", type=int, default=0, help="adjudicate a draw after this many plies (0=off)")
    ap.add_argument("--e1-ponder", action="store_true", help="engine 1 thinks on its opponent's time")
    ap.add_argument("--e2-ponder", action="store_true", help="engine 2 thinks on its opponent's time")
    ap.add_argument("--ponder", action="store_true", help="both engines think on their opponent's time")
    ap.add_argument("--post", action="store_true", help="ask for thinking lines; sum up the depth per engine")
    ap.add_argument("--results", help="append one JSON line per game to this file")
    args = ap.parse_args(argv)
    try:
        shared.parse_tc(args.tc)
    except ValueError:
        ap.error("bad time control %r" % args.tc)
    log = open(args.log, "a") if args.log else None
    engines = [PonderingEngine(engine_settings(getattr(args, "e%d" % n), getattr(args, "e%d_proto" % n),
                                           getattr(args, "e%d_name" % n), getattr(args, "e%d_init" % n),
                                           getattr(args, "e%d_uci" % n),
                                           args.ponder or getattr(args, "e%d_ponder" % n), args.post), log)
               for n in (1, 2)]
    openings = shared.load_openings(args.openings) if args.openings else [(shared.START_FEN, [])]
    w, l, d, tallies = run_match(engines[0], engines[1], openings, args)
    a, b = engines
    diff, err, s = shared.elo_stats(w, l, d)
    print("Score of %s vs %s: %d - %d - %d  [%.3f] %d" % (a.name, b.name, w, l, d, s, w + l + d))
    if w + d == 0 or l + d == 0:
        print("Elo difference: unbounded (one side scored everything; play more games)")
    else:
        print("Elo difference: %+.1f +/- %.1f (95%%)" % (diff, err))
    print("Lowest clock: " + ", ".join("%s %s (game %d)" % (e.name, seconds(tallies[e].low), tallies[e].low_game)
                                       if tallies[e].low is not None else "%s -" % e.name for e in engines))
    if args.post:
        print("Depth: " + "; ".join(tallies[e].depth_text() for e in engines))
    if any(e.ponders and e.uci for e in engines):
        print("Ponder: " + "; ".join(tallies[e].ponder_text() for e in engines if e.ponders and e.uci))


if __name__ == "__main__":
    main()
