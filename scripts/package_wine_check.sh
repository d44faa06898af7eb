#!/usr/bin/env bash
# Opt-in: unzips dist/brelok-<version>-win64.zip into a scratch folder and plays a scripted UCI
# session and a scripted xboard (protocol 2) session with its brelok.exe under wine, as a user
# who has just unzipped the package would. Prints both transcripts and checks the answers.
#
#   scripts/package_wine_check.sh [ZIP]       default: the newest dist/*-win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
zip="${1:-$(ls -t dist/*-win64.zip 2>/dev/null | head -1)}"
[ -f "$zip" ] || { echo "package_wine_check: no package (scripts/package.sh builds it)" >&2; exit 1; }
command -v wine >/dev/null || { echo "package_wine_check: wine is not installed" >&2; exit 1; }
export WINEDEBUG=-all

work="$(mktemp -d "${TMPDIR:-/tmp}/brelok_unzipped.XXXXXX")"
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
dir="$(ls -d "$work"/brelok-*-win64)"

session() { # name expected-pattern... ; commands on stdin, timed by the caller
    local name="$1"; shift
    local out="$work/$name.out"
    (cd "$dir" && wine ./brelok.exe) >"$out" 2>&1 || true
    echo "=== $name session ($(basename "$zip"))"
    cat "$out"
    for pattern in "$@"; do
        grep -Eq "$pattern" "$out" || { echo "package_wine_check: $name: no line matching '$pattern'" >&2; exit 1; }
    done
}

{ printf 'uci\nisready\nsetoption name Hash value 16\nucinewgame\n'
  printf 'position startpos moves e2e4 e7e5\ngo movetime 1500\n'; sleep 4
  printf 'position fen 8/8/8/8/8/5k2/8/4K2R w K - 0 1\ngo depth 6\n'; sleep 4
  printf 'quit\n'; } | session uci '^uciok' '^readyok' '^bestmove [a-h][1-8][a-h][1-8]' '^info .*score (cp|mate)'

{ printf 'xboard\nprotover 2\n'; sleep 1
  printf 'new\nsetboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3\n'
  printf 'post\nst 2\nping 7\ngo\n'; sleep 4
  printf 'quit\n'; } | session xboard '^feature .*setboard=1' '^pong 7' '^move [a-h][1-8][a-h][1-8]'
echo "package_wine_check: both sessions answered"
