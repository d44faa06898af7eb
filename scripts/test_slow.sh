#!/usr/bin/env bash
# The opt-in long runs (deep perft and the like), on the optimised build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
ctest --test-dir build/release -L slow --output-on-failure
