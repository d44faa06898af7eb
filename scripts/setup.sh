#!/usr/bin/env bash
# Installs what is needed, builds the optimised engine and starts it in run/, a working
# directory that holds the default brelok.ini (the engine refuses to start without one).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target brelok

mkdir -p run
[ -f run/brelok.ini ] || cp brelok.ini run/brelok.ini
cd run
exec ../build/release/brelok "$@"
