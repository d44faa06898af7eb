#!/usr/bin/env bash
# Perft speed benchmark: installs Debian's stockfish when missing (the reference it is timed
# against), builds the optimised `bench` preset and runs perft_bench. Extra arguments go to
# perft_bench ("quick" for a short smoke run).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v stockfish >/dev/null 2>&1 && [ ! -x /usr/games/stockfish ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq stockfish
fi

cmake --preset bench
cmake --build --preset bench --target perft_bench -j 2
# The engine's start-up writes its settings file and log into the current directory: keep them
# in the build tree.
cd build/bench
./bench/perft_bench "$@"
