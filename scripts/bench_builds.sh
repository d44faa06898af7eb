#!/usr/bin/env bash
# Search speed of the builds users run, against the build for this machine's own CPU. Builds
# each variant's bench program, then searches the eight benchmark positions with each in turn,
# several rounds interleaved so that whatever else loads the machine hits them all alike, and
# prints each variant's nodes per second as a ratio to the native build. The node counts must
# all be equal: the variants differ in code generation only.
#
# Then, when qemu-user is installed, each Linux build is started on an emulated CPU older than
# x86-64-v2: the generic one must work, the others must refuse with one line and code 1.
#
#   scripts/bench_builds.sh [depth] [rounds]      default depth 9, 3 rounds
#   NO_BUILD=1 scripts/bench_builds.sh            measure the builds already there
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
DEPTH="${1:-9}"
ROUNDS="${2:-3}"
JOBS="$(nproc)"

build() { # preset, extra cmake arguments...
    [ -n "${NO_BUILD:-}" ] && return
    local preset="$1"; shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS" --target bench >/dev/null
}

echo "Building the variants..."
build release-generic
build release
build bench
[ -n "${NO_BUILD:-}" ] || [ -x build/release-pgo/bench/bench ] || scripts/build_pgo.sh >/dev/null
names=(generic x86-64-v2 "x86-64-v2 + PGO" native)
runs=("$ROOT/build/release-generic/bench/bench" "$ROOT/build/release/bench/bench"
      "$ROOT/build/release-pgo/bench/bench" "$ROOT/build/bench/bench/bench")
if command -v x86_64-w64-mingw32-g++ >/dev/null && command -v wine >/dev/null; then
    if [ -z "${NO_BUILD:-}" ]; then
        cmake --preset mingw -B build/mingw-bench -DBRELOK_BENCH=ON >/dev/null
        cmake --build build/mingw-bench -j "$JOBS" --target bench >/dev/null
    fi
    names+=("Windows exe (wine)")
    runs+=("wine $ROOT/build/mingw-bench/bench/bench.exe")
    export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
fi

RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/brelok_builds.XXXXXX")"
trap 'rm -rf "$RUN_DIR"' EXIT
cd "$RUN_DIR"
cp "$ROOT/brelok.ini" .

declare -a nodes seconds
for ((i = 0; i < ${#runs[@]}; ++i)); do nodes[i]=0; seconds[i]=0; done
for ((round = 1; round <= ROUNDS; ++round)); do
    for ((i = 0; i < ${#runs[@]}; ++i)); do
        out=$(${runs[i]} "$DEPTH" </dev/null | tr -d '\r')
        n=$(echo "$out" | awk '/^Nodes searched:/ { print $3 }')
        t=$(echo "$out" | awk '/^Time:/ { print $2 }')
        if [ "${nodes[i]}" != 0 ] && [ "$n" != "$((nodes[i] / (round - 1)))" ]; then
            echo "node count differs for ${names[i]}: $n" >&2; exit 1
        fi
        nodes[i]=$((nodes[i] + n))
        seconds[i]=$(awk -v a="${seconds[i]}" -v b="$t" 'BEGIN { print a + b }')
        printf 'round %d  %-20s %12s nodes %7.2f s\n' "$round" "${names[i]}" "$n" "$t"
    done
done

echo
native_nps=$(awk -v n="${nodes[3]}" -v s="${seconds[3]}" 'BEGIN { print n / s }')
release_nps=$(awk -v n="${nodes[1]}" -v s="${seconds[1]}" 'BEGIN { print n / s }')
printf '%-20s %12s %8s %10s\n' variant nps "/native" "/x86-64-v2"
for ((i = 0; i < ${#runs[@]}; ++i)); do
    [ "${nodes[i]}" = "${nodes[0]}" ] || { echo "node counts differ between variants" >&2; exit 1; }
    awk -v name="${names[i]}" -v n="${nodes[i]}" -v s="${seconds[i]}" -v native="$native_nps" -v rel="$release_nps" \
        'BEGIN { nps = n / s; printf "%-20s %12.0f %8.3f %10.3f\n", name, nps, nps / native, nps / rel }'
done
echo "(equal node counts: $((nodes[0] / ROUNDS)) per round)"

if command -v qemu-x86_64 >/dev/null; then
    echo
    echo "On a CPU without POPCNT (qemu, Core 2):"
    for ((i = 0; i < 4; ++i)); do
        status=0
        line=$(qemu-x86_64 -cpu core2duo ${runs[i]} 1 </dev/null 2>&1 | tail -1) || status=$?
        printf '%-20s exit %d: %s\n' "${names[i]}" "$status" "$line"
    done
fi
