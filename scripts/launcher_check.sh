#!/usr/bin/env bash
# One start of the packaged launcher as a new user would make it: ROOT holds the installed tree
# (usr/games/brelok, usr/lib/games/brelok, usr/share/games/brelok), HOME is an empty folder and
# the current directory an empty one. The launcher must make the user's working directory with
# copies of the default settings and book, and the engine must start there, count the book's
# entries in its banner and answer quit; the current directory must be left empty.
#
#   scripts/launcher_check.sh ROOT
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: scripts/launcher_check.sh ROOT" >&2; exit 2; }
root=$(realpath "$1")
fail() { echo "launcher_check: FAILED: $*" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/brelok_launcher.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/home" "$scratch/empty"
defaults=$root/usr/share/games/brelok
entries=$(($(wc -c < "$defaults/b_book.bin") / 24))

status=0
out=$(cd "$scratch/empty" && printf 'quit\n' \
    | env -u XDG_DATA_HOME -u BRELOK_DIR HOME="$scratch/home" "$root/usr/games/brelok" 2>&1) || status=$?
[ $status -eq 0 ] || fail "exit code $status: $out"
grep -qx "$entries entries found in the Opening Book (b_book.bin)" <<<"$out" \
    || fail "no banner with the $entries book entries: $out"
user=$scratch/home/.local/share/brelok
cmp -s "$defaults/b_book.bin" "$user/b_book.bin" || fail "no copy of the book in $user"
cmp -s "$defaults/brelok.ini" "$user/brelok.ini" || fail "no copy of the settings in $user"
[ -d "$user/log" ] || fail "the engine did not run in $user (no log/ there)"
[ -z "$(ls -A "$scratch/empty")" ] || fail "files left in the current directory: $(ls -A "$scratch/empty")"
echo "launcher_check: $root/usr/games/brelok started in an empty HOME with its $entries book entries"
