#!/usr/bin/env bash
# Builds dist/brelok_<version>-1_amd64.deb with Debian's own tools (dpkg-shlibdeps for the
# Depends line, dpkg-gencontrol, dpkg-deb; no network) from engines already built, and checks it:
# lintian must find no error, and the package unpacked into a scratch root with dpkg -x must start
# through its launcher in an empty HOME (scripts/launcher_check.sh). What goes where:
#   /usr/games/brelok                      the launcher (packaging/deb/brelok.sh)
#   /usr/lib/games/brelok/brelok           the x86-64-v2 engine, and brelok-generic beside it
#   /usr/share/games/brelok/               the default brelok.ini and b_book.bin
#   /usr/share/games/plugins/xboard/brelok.eng, /usr/share/man/man6/brelok.6.gz,
#   /usr/share/doc/brelok/copyright and changelog.Debian.gz
#
#   scripts/package_deb.sh ENGINE GENERIC_ENGINE BOOK OUTPUT_DIR
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: scripts/package_deb.sh ENGINE GENERIC_ENGINE BOOK OUTPUT_DIR" >&2; exit 2; }
engine=$(realpath "$1")
generic=$(realpath "$2")
book=$(realpath "$3")
out=$(realpath -m "$4")
cd "$(dirname "$0")/.."
src=$(pwd)/packaging/deb
fail() { echo "package_deb: $*" >&2; exit 1; }

version="$(sed -n 's/^project(brelok VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb_version=$(dpkg-parsechangelog -l "$src/changelog" -S Version)
[ "$deb_version" = "$version-1" ] \
    || fail "packaging/deb/changelog is at $deb_version, the project at $version: add an entry for $version-1"
# File dates and the manual's date are those of the changelog entry, not of the build.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)

work=$(mktemp -d "${TMPDIR:-/tmp}/brelok_deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
umask 022
mkdir -p "$work/debian"
cp "$src/control" "$src/changelog" "$work/debian/"
tree=$work/debian/brelok

install -D -m 755 "$src/brelok.sh" "$tree/usr/games/brelok"
install -D -m 755 "$engine" "$tree/usr/lib/games/brelok/brelok"
install -D -m 755 "$generic" "$tree/usr/lib/games/brelok/brelok-generic"
strip --remove-section=.comment --remove-section=.note --strip-unneeded \
    "$tree/usr/lib/games/brelok/brelok" "$tree/usr/lib/games/brelok/brelok-generic"
install -D -m 644 brelok.ini "$tree/usr/share/games/brelok/brelok.ini"
install -D -m 644 "$book" "$tree/usr/share/games/brelok/b_book.bin"
install -D -m 644 "$src/brelok.eng" "$tree/usr/share/games/plugins/xboard/brelok.eng"
mkdir -p "$tree/usr/share/man/man6" "$tree/usr/share/doc/brelok"
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" "$src/brelok.6" | gzip -9n > "$tree/usr/share/man/man6/brelok.6.gz"
install -m 644 "$src/copyright" "$tree/usr/share/doc/brelok/copyright"
gzip -9n < "$src/changelog" > "$tree/usr/share/doc/brelok/changelog.Debian.gz"
chmod 644 "$tree/usr/share/man/man6/brelok.6.gz" "$tree/usr/share/doc/brelok/changelog.Debian.gz"

find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$tree/DEBIAN"
(cd "$tree" && find usr -type f | LC_ALL=C sort | xargs md5sum) > "$tree/DEBIAN/md5sums"
chmod 644 "$tree/DEBIAN/md5sums"
(
    cd "$work"
    dpkg-shlibdeps -Tdebian/brelok.substvars debian/brelok/usr/lib/games/brelok/brelok \
        debian/brelok/usr/lib/games/brelok/brelok-generic
    dpkg-gencontrol -pbrelok -Tdebian/brelok.substvars -Pdebian/brelok
)
mkdir -p "$out"
deb=$out/brelok_${version}-1_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" > /dev/null

if command -v lintian > /dev/null; then
    lintian --fail-on error "$deb" || fail "lintian finds errors in $deb"
else
    echo "package_deb: lintian is not installed, the package was not checked by it"
fi
dpkg -x "$deb" "$work/root"
scripts/launcher_check.sh "$work/root"
ls -l "$deb"
