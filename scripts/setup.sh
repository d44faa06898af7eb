#!/usr/bin/env bash
# Installs what is needed, builds the optimised engine (profile-guided) and starts it in run/, a
# working directory that holds the default brelok.ini (the engine refuses to start without one)
# and the default opening book b_book.bin, built once from data/gm_games.pgn.gz by the engine's
# own makebook command.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
# The release build, profile-guided: trained on the bench and a short game, it adds about a
# minute to a plain release build. Built again only when a source is newer than the engine.
ENGINE=build/release-pgo/brelok
if [ ! -x "$ENGINE" ] || [ -n "$(find CMakeLists.txt CMakePresets.json base board eval search tablebases book tools \
        interface platform main.cpp -newer "$ENGINE" -print -quit)" ]; then
    scripts/build_pgo.sh
fi

mkdir -p run
[ -f run/brelok.ini ] || cp brelok.ini run/brelok.ini
[ -f run/b_book.bin ] || scripts/make_book.sh "$ENGINE" run || true
cd run
exec "../$ENGINE" "$@"
