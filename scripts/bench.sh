#!/usr/bin/env bash
# Search speed: builds the optimised `bench` preset, searches the eight benchmark positions to a
# fixed depth (first argument, default 10) and checks the node count against bench/signature.txt;
# then, in the same run, Debian's stockfish and phalanx search the same positions for the same
# time per position, and their speed is printed as they report it. Installs the two engines when
# they are missing.
#
#   scripts/bench.sh [depth]
#   NO_REFERENCE=1 scripts/bench.sh    our bench only
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
DEPTH="${1:-10}"
NPS_BENCH="${NPS_BENCH:-$ROOT/../shared/tools/nps_bench.py}"
export PATH="$PATH:/usr/games"

if [ -z "${NO_REFERENCE:-}" ]; then
    missing=()
    command -v stockfish >/dev/null 2>&1 || missing+=(stockfish)
    command -v phalanx >/dev/null 2>&1 || missing+=(phalanx)
    if [ ${#missing[@]} -gt 0 ]; then
        SUDO=""
        [ "$(id -u)" -ne 0 ] && SUDO="sudo"
        $SUDO apt-get update -qq
        $SUDO apt-get install -y -qq "${missing[@]}"
    fi
fi

cmake --preset bench >/dev/null
cmake --build --preset bench --target bench -j 2

# The engine's start-up writes its settings file and log into the current directory: keep them
# in a scratch directory.
RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/brelok_bench.XXXXXX")"
trap 'rm -rf "$RUN_DIR"' EXIT
cd "$RUN_DIR"

status=0
"$ROOT/build/bench/bench/bench" "$DEPTH" --check "$ROOT/bench/signature.txt" | tee bench.out || status=$?
[ "$status" -eq 2 ] && status=0 # no signature recorded for this depth: nothing to compare

[ -n "${NO_REFERENCE:-}" ] && exit "$status"

# The same time per position as ours took on average, in whole seconds.
SECS=$(awk '/^Time:/ { s = $2 / 8; n = int(s); if (n < s) n++; if (n < 1) n = 1; print n }' bench.out)
"$ROOT/build/bench/bench/bench" --positions >positions.epd

echo
echo "Reference engines, ${SECS} s per position (nps as each engine reports it):"
# nps_bench.py reads sjeng's settings file when it loads; sjeng is not needed here, so an empty
# one stands in for it when that package is not installed.
python3 - "$NPS_BENCH" positions.epd "$SECS" >/dev/null <<'PY'
import builtins, io, os, sys
script, epd, secs = sys.argv[1:4]
sys.path.insert(0, os.path.dirname(os.path.abspath(script)))
real_open = builtins.open
def open_without_sjeng(path, *args, **kwargs):
    if path == "/etc/sjeng.rc" and not os.path.exists(path):
        return io.StringIO("")
    return real_open(path, *args, **kwargs)
builtins.open = open_without_sjeng
import nps_bench
builtins.open = real_open
sys.argv = [script, "--epd", epd, "--secs", secs, "--engines", "stockfish,phalanx", "--out", "nps.json",
            "--log", os.path.abspath("nps_bench.log")]
nps_bench.main()
PY
python3 - nps.json <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))
for name, rows in results.items():
    figures = [r.get("nps") for r in rows]
    shown = " ".join("%9s" % (f if f else "-") for f in figures)
    known = [f for f in figures if f]
    mean = int(sum(known) / len(known)) if known else 0
    print("%-10s %s   mean %d nps" % (name, shown, mean))
EOF
exit "$status"
