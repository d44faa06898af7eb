#!/usr/bin/env bash
# Builds brelok.exe with mingw-w64 and runs the same scripted sessions through pipes under wine
# and with the Linux engine; standard output, brelok.ini and the log must agree (line ends
# aside: the Windows build writes CRLF text files).
#
#   scripts/wine_check.sh [LINUX_ENGINE]     default: build/dev/brelok
#
# Exit codes: 0 agreed, 1 differed or failed, 77 skipped (no mingw-w64 or no wine).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

linux_engine=${1:-$root/build/dev/brelok}
mingw_dir=${BRELOK_MINGW_BUILD:-$root/build/mingw}

skip() {
    echo "wine_check: SKIPPED: $1"
    exit 77
}

command -v x86_64-w64-mingw32-g++ > /dev/null || skip "no mingw-w64 (apt-get install g++-mingw-w64-x86-64)"
wine=""
for candidate in wine64 wine /usr/lib/wine/wine64; do
    if command -v "$candidate" > /dev/null 2>&1; then
        wine=$(command -v "$candidate")
        break
    fi
done
[ -n "$wine" ] || skip "no wine (apt-get install wine64)"
[ -x "$linux_engine" ] || { echo "wine_check: no Linux engine at $linux_engine"; exit 1; }

start=$(date +%s)
echo "wine_check: building brelok.exe in $mingw_dir"
if ! { cmake --preset mingw -B "$mingw_dir" > /dev/null \
       && cmake --build "$mingw_dir" -j2 --target brelok > "$mingw_dir.log" 2>&1; }; then
    cat "$mingw_dir.log" 2> /dev/null
    echo "wine_check: FAILED: the mingw build did not succeed"
    exit 1
fi
exe=$mingw_dir/brelok.exe
echo "wine_check: built in $(( $(date +%s) - start )) s"

# A prefix of our own, kept between runs: creating one takes several seconds.
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if ! timeout 120 "$wine" cmd /c exit > /dev/null 2>&1; then
    skip "wine cannot start here"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# run NAME INPUT SETTINGS: one session per system, in fresh directories.
run() {
    local name=$1 input=$2 settings=$3
    for system in linux windows; do
        local dir=$work/$name.$system
        mkdir -p "$dir"
        [ "$settings" = none ] || cp "$settings" "$dir/brelok.ini"
        local engine=("$linux_engine")
        [ $system = windows ] && engine=("$wine" "$exe")
        (cd "$dir" && printf '%b' "$input" | timeout 60 "${engine[@]}" > stdout.txt 2> stderr.txt)
        echo $? > "$dir/exit_code"
        # Compared without carriage returns; the log under its fixed name.
        tr -d '\r' < "$dir/stdout.txt" > "$dir/stdout.cmp"
        tr -d '\r' < "$dir/brelok.ini" > "$dir/settings.cmp" 2> /dev/null
        cat "$dir"/log/log* 2> /dev/null | tr -d '\r' > "$dir/log.cmp"
    done
    local same=1
    for part in exit_code stdout.cmp settings.cmp log.cmp; do
        if ! diff -u "$work/$name.linux/$part" "$work/$name.windows/$part" > "$work/$name.$part.diff"; then
            echo "wine_check: $name: $part differs:"
            head -40 "$work/$name.$part.diff"
            same=0
        fi
    done
    if [ $same = 1 ]; then
        echo "wine_check: $name: same output ($(wc -l < "$work/$name.linux/stdout.cmp") lines)"
    else
        failed=1
    fi
}

run first_start '\n' none
run session 'help\nselectivite 30\nnoiseply 2\nbook off\nxyz\nforce\ne2e4\ne2e5\nundo\nhelp\nquit\n' "$root/brelok.ini"
run end_of_input 'max_sd 12' "$root/brelok.ini"

echo "wine_check: took $(( $(date +%s) - start )) s"
if [ $failed = 1 ]; then
    echo "wine_check: FAILED"
    exit 1
fi
echo "wine_check: passed"
