#!/usr/bin/env python3
"""Sums up the game records (--results files) of one or more runs of scripts/match.py, as when a
long match is played in parts or on both cores at once.

  match_results.py NAME FILE[:N] [FILE[:N] ...]

NAME is the engine the score is counted for; FILE:N takes the first N games of a file only. Printed:
W-L-D, the Elo difference with its 95% interval (as match.py computes it, with the bounds), the
depth of every searched move per engine (median, range, quartiles), that depth over each engine's
moves 6 to 40 alone (the middlegame, away from the opening line and the deep endgame searches),
and each engine's lowest clock."""
import json, math, statistics, sys

from match import lowest, seconds
from match_engine import shared

MIDDLEGAME = slice(5, 40)


def elo(score):
    score = min(max(score, 1e-6), 1 - 1e-6)
    return -400 * math.log10(1 / score - 1)


def read_games(specs):
    games = []
    for spec in specs:
        path, colon, first = spec.rpartition(":")
        if not (colon and first.isdigit()):
            path, first = spec, ""
        with open(path) as f:
            records = [json.loads(line) for line in f if line.strip()]
        games += records[:int(first)] if first else records
    return games


def score_of(name, games):
    w = l = d = 0
    for g in games:
        colour = "white" if g["white"]["name"] == name else "black"
        if g[colour]["name"] != name:
            sys.exit("game %d of the records has no engine named %s" % (g["game"], name))
        if g["result"] == "1/2-1/2":
            d += 1
        elif (g["result"] == "1-0") == (colour == "white"):
            w += 1
        else:
            l += 1
    return w, l, d


def depth_text(depths):
    if len(depths) < 2:
        return "%d searched moves" % len(depths)
    q1, _, q3 = statistics.quantiles(depths, n=4)
    return "median %g, range %d-%d, quartiles %g-%g over %d searched moves" % (
        statistics.median(depths), min(depths), max(depths), q1, q3, len(depths))


def summary(name, games):
    w, l, d = score_of(name, games)
    n = w + l + d
    diff, err, s = shared.elo_stats(w, l, d)
    se = math.sqrt((w * (1 - s) ** 2 + d * (0.5 - s) ** 2 + l * s ** 2) / n) / math.sqrt(n)
    lines = ["%s: %d games, %d-%d-%d [%.3f], Elo %+.1f +/- %.1f (95%%: %+.1f to %+.1f)" % (
        name, n, w, l, d, s, diff + 0.0, err, elo(s - 1.96 * se), elo(s + 1.96 * se))]
    engines = {}
    for g in games:
        for colour in ("white", "black"):
            e = g[colour]
            all_, mid, low = engines.setdefault(e["name"], ([], [], []))
            all_ += [x for x in e["depths"] if x is not None]
            mid += [x for x in e["depths"][MIDDLEGAME] if x is not None]
            low += [] if e["lowest_clock"] is None else [e["lowest_clock"]]
    for engine, (all_, mid, low) in engines.items():
        lines.append("  %s depth: %s" % (engine, depth_text(all_)))
        lines.append("  %s depth, moves 6-40: %s" % (engine, depth_text(mid)))
        lines.append("  %s lowest clock: %s" % (engine, seconds(lowest(low))))
    return "\n".join(lines)


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    games = read_games(argv[1:])
    if not games:
        sys.exit("no game in the records")
    print(summary(argv[0], games))


if __name__ == "__main__":
    main(sys.argv[1:])
