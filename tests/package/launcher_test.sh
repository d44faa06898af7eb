#!/usr/bin/env bash
# The Debian package's launcher on a tree laid out as the package installs it, with this build's
# engine standing for both builds and a book of two entries: one start in an empty HOME.
#
#   tests/package/launcher_test.sh ENGINE SOURCE_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: launcher_test.sh ENGINE SOURCE_DIR" >&2; exit 2; }
root=$(mktemp -d "${TMPDIR:-/tmp}/brelok_root.XXXXXX")
trap 'rm -rf "$root"' EXIT
install -D -m 755 "$2/packaging/deb/brelok.sh" "$root/usr/games/brelok"
mkdir -p "$root/usr/lib/games/brelok" "$root/usr/share/games/brelok"
ln -s "$(realpath "$1")" "$root/usr/lib/games/brelok/brelok"
ln -s "$(realpath "$1")" "$root/usr/lib/games/brelok/brelok-generic"
cp "$2/brelok.ini" "$root/usr/share/games/brelok/"
head -c 48 /dev/zero > "$root/usr/share/games/brelok/b_book.bin"
"$2/scripts/launcher_check.sh" "$root"
