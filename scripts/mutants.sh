#!/usr/bin/env bash
# Fault seeding (opt-in, not part of CI): applies each deliberate fault of tests/mutants/faults.txt
# in turn to a scratch copy of the sources, builds, runs the test suite and tells which faults the
# tests catch. The checkout itself is never written to: others may be editing it.
#
#   scripts/mutants.sh [--faults FILE] [--only REGEX] [--exclude REGEX] [--source DIR] [--out FILE]
#                      [--timeout SECONDS]
#
# --only keeps the faults whose line matches REGEX (grep -E); --exclude leaves the tests matching
# REGEX out of every run (ctest -E: for a test known to be flaky on this build); --source takes
# the sources from another tree (say, a copy of an earlier state); --out also writes the table.
# Scratch directory: $MUTANTS_DIR, else ${TMPDIR:-/tmp}/brelok-mutants (kept between runs, so
# only what changed is rebuilt).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
faults="$repo/tests/mutants/faults.txt"
only=""
exclude=""
source=""
out=""
run_timeout=1200
while [ $# -gt 0 ]; do
    case "$1" in
    --faults) faults="$(realpath "$2")"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    --exclude) exclude="$2"; shift 2 ;;
    --source) source="$(realpath "$2")"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --timeout) run_timeout="$2"; shift 2 ;;
    *) echo "usage: $0 [--faults FILE] [--only REGEX] [--exclude REGEX] [--source DIR] [--out FILE] [--timeout SECONDS]" >&2
       exit 2 ;;
    esac
done

source="${source:-$repo}"
scratch="${MUTANTS_DIR:-${TMPDIR:-/tmp}/brelok-mutants}"
src="$scratch/src"
build="$scratch/build"
logs="$scratch/logs"
mkdir -p "$src" "$build" "$logs"
# The tests find their data in ../shared/data beside the source tree.
[ -e "$scratch/shared" ] || ln -s "$(realpath "$source/../shared")" "$scratch/shared"

export CCACHE_DIR="${CCACHE_DIR:-/work/.ccache}"

# --- Scratch copy: tracked files plus uncommitted and untracked (not ignored) ones -------------
# Only files whose content differs are copied, so that make rebuilds only what changed.
sync_sources() {
    local list="$scratch/files.txt"
    if git -C "$source" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
        (cd "$source" && git ls-files -co --exclude-standard)
    else
        (cd "$source" && find . -path ./build -prune -o -type f -print | sed 's|^\./||')
    fi | while IFS= read -r f; do [ -f "$source/$f" ] && printf '%s\n' "$f"; done | sort -u > "$list"
    while IFS= read -r f; do
        if ! cmp -s "$source/$f" "$src/$f"; then
            mkdir -p "$(dirname "$src/$f")"
            cp "$source/$f" "$src/$f"
        fi
    done < "$list"
    # Files gone from the checkout go from the copy too.
    (cd "$src" && find . -type f | sed 's|^\./||' | sort) | comm -23 - "$list" | while IFS= read -r f; do
        rm -f "$src/$f"
    done
}

build_tree() {
    cmake --build "$build" -j2 > "$1" 2>&1
}

# Runs the suite; prints the first failing test (empty when all pass). Returns ctest's status.
run_tests() {
    local log="$1"
    rm -rf "$build/Testing/Temporary" # no cost data, no failed-first order: the same order each run
    local status=0
    timeout "$run_timeout" ctest --test-dir "$build" -LE 'slow|wine' ${exclude:+-E "$exclude"} --stop-on-failure -j2 \
        --timeout 600 > "$log" 2>&1 || status=$?
    return "$status"
}

first_failure() {
    local log="$1" name
    name="$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Failed\|Timeout\|SEGFAULT\|Subprocess aborted\|Exception\|Child aborted\|Not Run\).*/\1/p' "$log" | head -1)"
    [ -n "$name" ] || name="$(grep -m1 -o '[^ ]*\*\*\*\(Failed\|Timeout\|Exception\)' "$log" | sed 's/\.*\*\*\*.*//')"
    printf '%s' "${name:-(run stopped after ${run_timeout}s)}"
}

table=""
row() {
    local line
    line="$(printf '%-4s %-7s %-62s %s' "$1" "$2" "$3" "$4")"
    table+="$line"$'\n'
    printf '%s\n' "$line"
}

echo "Scratch copy in $src"
sync_sources
# ccache, when the machine has it, keeps the rebuild of every fault short.
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 -DBRELOK_SANITIZE=OFF \
    "${launcher[@]}" > "$logs/configure.log" 2>&1

# --- The unmutated tree must build and pass first --------------------------------------------
start=$SECONDS
if ! build_tree "$logs/baseline_build.log"; then
    echo "The unmutated tree does not build: see $logs/baseline_build.log" >&2
    exit 1
fi
if ! run_tests "$logs/baseline_tests.log"; then
    echo "The unmutated tree fails its tests ($(first_failure "$logs/baseline_tests.log")): see $logs/baseline_tests.log" >&2
    exit 1
fi
echo "Baseline builds and passes ($((SECONDS - start)) s)."
echo

row "#" "result" "fault (file: what)" "first failing test"
number=0
caught=0
missed=0
broken=0
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in '' | '#'*) continue ;; esac
    number=$((number + 1))
    [ -z "$only" ] || printf '%s\n' "$line" | grep -Eq -- "$only" || continue
    file="${line%%|*}"
    rest="${line#*|}"
    expr="${rest%|*}"
    what="${rest##*|}"
    label="$file: $what"
    target="$src/$file"
    if [ ! -f "$target" ]; then
        row "$number" "NOFILE" "$label" ""
        broken=$((broken + 1))
        continue
    fi
    cp "$target" "$scratch/original"
    sed -i -e "$expr" "$target"
    if cmp -s "$target" "$scratch/original"; then
        row "$number" "NOMATCH" "$label" "(the expression changed nothing)"
        broken=$((broken + 1))
        continue
    fi
    start=$SECONDS
    if ! build_tree "$logs/fault_$number.build.log"; then
        result="NOBUILD"
        failing="(see $logs/fault_$number.build.log)"
        broken=$((broken + 1))
    elif run_tests "$logs/fault_$number.tests.log"; then
        result="MISSED"
        failing=""
        missed=$((missed + 1))
    else
        result="caught"
        failing="$(first_failure "$logs/fault_$number.tests.log")"
        caught=$((caught + 1))
    fi
    # Back to the original content, with a fresh time so that the next build recompiles it.
    cp "$scratch/original" "$target"
    touch "$target"
    row "$number" "$result" "$label" "$failing [$((SECONDS - start)) s]"
done < "$faults"

summary="caught $caught, missed $missed, not applied or not built $broken"
echo
echo "$summary"
if [ -n "$out" ]; then
    printf '%s\n%s\n' "$table" "$summary" > "$out"
fi
