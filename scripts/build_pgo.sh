#!/usr/bin/env bash
# The release build with profile-guided optimisation, in build/release-pgo: an instrumented
# build, a training run (the bench at depth 8, then `test` on the same positions through the
# engine's own command loop), and the final build from the profile. The node counts do not
# change: only the code layout and inlining follow the profile.
#
#   scripts/build_pgo.sh            leaves build/release-pgo/brelok (and the bench)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD="$ROOT/build/release-pgo"
PROFILE="$BUILD/profile"
JOBS="$(nproc)"

rm -rf "$PROFILE"
cmake --preset release-pgo -DBRELOK_PGO=generate -DBRELOK_PGO_DIR="$PROFILE" >/dev/null
cmake --build --preset release-pgo -j "$JOBS" --target brelok bench

TRAIN="$(mktemp -d "${TMPDIR:-/tmp}/brelok_pgo.XXXXXX")"
trap 'rm -rf "$TRAIN"' EXIT
(
    cd "$TRAIN"
    cp "$ROOT/brelok.ini" .
    "$BUILD/bench/bench" 8 >/dev/null
    "$BUILD/bench/bench" --positions >positions.epd
    # The game loop's own path: a timed `test`, then a short game with the clock running.
    { printf 'test positions.epd 1\n'; sleep 12
      printf 'new\nlevel 40 1 0\ngo\n'; sleep 6; printf 'quit\n'; } | "$BUILD/brelok" >/dev/null
)

cmake --preset release-pgo -DBRELOK_PGO=use -DBRELOK_PGO_DIR="$PROFILE" >/dev/null
# Every object is rebuilt against the profile.
cmake --build --preset release-pgo -j "$JOBS" --target brelok bench --clean-first
echo "PGO build: $BUILD/brelok"
