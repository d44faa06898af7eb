#!/usr/bin/env bash
# Builds the packages of Brelok, in dist/:
#   brelok-<version>-win64.zip           brelok.exe (x86-64-v2, LTO) and brelok-generic.exe
#   brelok-<version>-linux-x86_64.tar.gz brelok (x86-64-v2, LTO, profile-guided) and brelok-generic
# each with brelok.ini, the default opening book b_book.bin and README.txt, in one folder, and
#   brelok_<version>-1_amd64.deb         the same Linux engines, settings and book for dpkg, with a
#                                        launcher in /usr/games (scripts/package_deb.sh)
# Every engine is started once from its unpacked folder (the Windows ones under wine, when
# installed) and must find its settings and its book; the Debian package is unpacked into a
# scratch root and started once through its launcher in an empty HOME.
#
#   scripts/package.sh            NO_BUILD=1 packages the builds already there
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
version="$(sed -n 's/^project(brelok VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
jobs="$(nproc)"

scripts/install_deps.sh g++-mingw-w64-x86-64 zip dpkg-dev lintian
if [ -z "${NO_BUILD:-}" ]; then
    scripts/build_pgo.sh
    for preset in release-generic mingw mingw-generic; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j "$jobs" --target brelok
    done
fi

dist="$root/dist"
stage="$(mktemp -d "${TMPDIR:-/tmp}/brelok_package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$dist"
scripts/make_book.sh build/release-pgo/brelok "$stage/book" >/dev/null

# One folder: the two engines, the settings, the book, the README (with CR LF for Windows).
fill() { # folder engine generic-engine suffix strip line-end
    local dir="$1"
    mkdir -p "$dir"
    cp "$2" "$dir/brelok$4"
    cp "$3" "$dir/brelok-generic$4"
    "$5" "$dir/brelok$4" "$dir/brelok-generic$4"
    cp brelok.ini "$stage/book/b_book.bin" "$dir/"
    if [ "$6" = crlf ]; then sed 's/$/\r/' data/package_readme.txt >"$dir/README.txt"
    else cp data/package_readme.txt "$dir/README.txt"; fi
}

# The engine started in a copy of its folder (it completes brelok.ini and writes log/ there) must
# read the settings and the book and quit cleanly.
check() { # folder command...
    local dir="$stage/check"
    rm -rf "$dir" && cp -r "$1" "$dir"
    shift
    local out
    out="$(cd "$dir" && printf 'quit\n' | "$@" 2>&1)" || true
    if ! grep -q 'entries found in the Opening Book (b_book.bin)' <<<"$out"; then
        echo "package: $* did not start with its book:" >&2
        echo "$out" >&2
        exit 1
    fi
}

linux="brelok-$version-linux-x86_64"
fill "$stage/$linux" build/release-pgo/brelok build/release-generic/brelok "" strip lf
check "$stage/$linux" ./brelok
check "$stage/$linux" ./brelok-generic
tar -C "$stage" -czf "$dist/$linux.tar.gz" "$linux"

windows="brelok-$version-win64"
fill "$stage/$windows" build/mingw/brelok.exe build/mingw-generic/brelok.exe .exe x86_64-w64-mingw32-strip crlf
if command -v wine >/dev/null; then
    export WINEDEBUG=-all
    check "$stage/$windows" wine ./brelok.exe
    check "$stage/$windows" wine ./brelok-generic.exe
else
    echo "package: wine is not installed, the Windows engines were not started"
fi
rm -f "$dist/$windows.zip"
(cd "$stage" && zip -qr "$dist/$windows.zip" "$windows")

scripts/package_deb.sh build/release-pgo/brelok build/release-generic/brelok "$stage/book/b_book.bin" "$dist"

ls -l "$dist/$linux.tar.gz" "$dist/$windows.zip"
