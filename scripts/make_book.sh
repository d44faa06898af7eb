#!/usr/bin/env bash
# Builds the default opening book b_book.bin from data/gm_games.pgn.gz with the engine's own
# makebook command, in a scratch directory, and moves it to OUTPUT_DIR only once complete.
#
#   scripts/make_book.sh ENGINE OUTPUT_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -eq 2 ] || { echo "usage: scripts/make_book.sh ENGINE OUTPUT_DIR" >&2; exit 2; }
engine="$(realpath "$1")"
out="$(realpath -m "$2")"
[ -x "$engine" ] || { echo "make_book: no engine at $engine" >&2; exit 1; }
mkdir -p "$out"

echo "Building the opening book $out/b_book.bin from data/gm_games.pgn.gz ..."
work="$(mktemp -d "${TMPDIR:-/tmp}/brelok_book.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$root/brelok.ini" "$work/"
gzip -dc "$root/data/gm_games.pgn.gz" >"$work/gm_games.pgn"
(cd "$work" && printf 'makebook gm_games.pgn b_book.bin\nquit\n' | "$engine" >makebook.log 2>&1) || true
if [ ! -s "$work/b_book.bin" ]; then
    cp "$work/makebook.log" "$out/makebook.log"
    echo "make_book: the opening book could not be built: see $out/makebook.log" >&2
    exit 1
fi
mv "$work/b_book.bin" "$out/b_book.bin"
echo "$(( $(wc -c <"$out/b_book.bin") / 24 )) book positions in $out/b_book.bin"
