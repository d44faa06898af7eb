#!/usr/bin/env bash
# Builds brelok.exe with mingw-w64 and runs the same scripted sessions under wine and with the
# Linux engine; standard output, brelok.ini, the log and the files a session writes must agree
# (line ends aside: the Windows build writes CRLF text files). Sessions that search compare
# everything but what depends on time: times, node counts and speeds, and, where a clock or a
# command stops the search, the thinking lines (the iteration the stop cuts) and the moves.
#
#   scripts/wine_check.sh [LINUX_ENGINE]     default: build/dev/brelok
#
# Environment: BRELOK_MINGW_BUILD (build dir of the exe, default build/mingw), BRELOK_WINE_EXE
# (an exe to check instead of building one), WINEPREFIX, WINE_CHECK_KEEP (set: the session
# directories are kept).
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
if [ -n "${BRELOK_WINE_EXE:-}" ]; then
    exe=$BRELOK_WINE_EXE
    echo "wine_check: checking $exe"
else
    echo "wine_check: building brelok.exe in $mingw_dir"
    launcher=()
    command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    if ! { cmake --preset mingw -B "$mingw_dir" "${launcher[@]}" > /dev/null \
           && cmake --build "$mingw_dir" -j2 --target brelok > "$mingw_dir.log" 2>&1; }; then
        cat "$mingw_dir.log" 2> /dev/null
        echo "wine_check: FAILED: the mingw build did not succeed"
        exit 1
    fi
    exe=$mingw_dir/brelok.exe
    echo "wine_check: built in $(( $(date +%s) - start )) s"
fi

# A prefix of our own, kept between runs: creating one takes several seconds.
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if ! timeout 120 "$wine" cmd /c exit > /dev/null 2>&1; then
    skip "wine cannot start here"
fi

work=$(mktemp -d)
if [ -n "${WINE_CHECK_KEEP:-}" ]; then
    echo "wine_check: sessions kept in $work"
else
    trap 'rm -rf "$work"' EXIT
fi
trap '' PIPE # an engine that has left must not take the script with it
failed=0

# --- Feeding a session --------------------------------------------------------------------------
#
# A session script is one input line per line, sent in order, except for these steps:
#   @wait N REGEX      wait (30 s at most) until N lines of standard output match REGEX
#   @sleep S           wait S seconds
#   @ponder-hit        send the move of the last "Pondering move" line
#   @ponder-miss A B   send A, or B when the engine ponders on A

# Standard output so far, without carriage returns.
output_of() { tr -d '\r' < "$1/stdout.txt" 2> /dev/null; }

wait_for() {
    local dir=$1 count=$2 pattern=$3 waited=0
    while [ "$(output_of "$dir" | grep -cE -- "$pattern")" -lt "$count" ]; do
        if [ $waited -ge 300 ] || [ -e "$dir/.exit_code" ]; then
            echo "wine_check: $(basename "$dir"): no $count x /$pattern/ in the output"
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

pondered_move() { output_of "$1" | sed -n 's/^Pondering move  : \([a-h1-8nbrq]*\).*/\1/p' | tail -1; }

# feed DIR SCRIPT: the steps of SCRIPT, written to descriptor 3.
feed() {
    local dir=$1 script=$2 line word rest
    while IFS= read -r line; do
        word=${line%% *}
        rest=${line#"$word"}
        rest=${rest# }
        [ "${word:0:1}" = @ ] && rest=${rest%$'\r'}
        case $word in
            @wait) wait_for "$dir" "${rest%% *}" "${rest#* }" || return 1 ;;
            @sleep) sleep "$rest" ;;
            @ponder-hit) printf '%s\n' "$(pondered_move "$dir")" >&3 ;;
            @ponder-miss)
                if [ "$(pondered_move "$dir")" = "${rest%% *}" ]; then
                    printf '%s\n' "${rest#* }" >&3
                else
                    printf '%s\n' "${rest%% *}" >&3
                fi ;;
            *) printf '%s\n' "$line" >&3 ;;
        esac
    done <<< "$script"
    return 0
}

# play DIR INPUT_KIND SCRIPT ENGINE...: one run of the engine in DIR. INPUT_KIND "pipe" feeds
# the script step by step through a pipe; "file" gives it as a regular file.
play() {
    local dir=$1 kind=$2 script=$3
    shift 3
    if [ "$kind" = file ]; then
        printf '%s' "$script" > "$dir/.input"
        (cd "$dir" && timeout 60 "$@" < .input > stdout.txt 2> stderr.txt; echo $? > .exit_code)
    else
        mkfifo "$dir/.input"
        (cd "$dir" && timeout 60 "$@" < .input > stdout.txt 2> stderr.txt; echo $? > .exit_code) &
        local engine_pid=$!
        exec 3> "$dir/.input"
        feed "$dir" "$script" || touch "$dir/input_stopped"
        exec 3>&- # the end of input: an engine still running must leave by itself
        wait $engine_pid
    fi
    mv "$dir/.exit_code" "$dir/exit_code"
    rm -f "$dir/.input"
}

# --- Comparing ----------------------------------------------------------------------------------

# normalize MODE: the text with its time-dependent parts masked.
#   exact: the search is bounded by depth: only times, node counts, speeds and dates differ.
#   timed: a clock or a command ends the searches: thinking lines are left out as well.
#   moves: timed, and the moves the engine chooses (and positions after them) are masked.
normalize() {
    local mode=$1
    # A thinking line: depth, marker, score; then time and nodes. Long ones go on in a line
    # indented by 27 blanks.
    local thinking='^>?[ 0-9][0-9](\. | \?|<=|>=|->|:\)) '
    local script=(-e 's/\r//g'
        -e 's/^( time:| HT Hit:|whisper |stat01:).*/\1 <figures>/'
        -e 's/^("[^"]*", )[^,]*(, .*)$/\1<date>\2/'
        -e 's/ in [0-9. ]+s \([0-9]+ eval in [0-9. ]+s\)$/ in <t> s (<n> eval in <t> s)/')
    if [ "$mode" = exact ]; then
        script+=(-e "s/(${thinking}(.{5})?  ) *[0-9]+  +([0-9]+|KMODE=[0-9]+)  /\\1<t>  <n>  /")
    else
        # The stop rules that look at the clock ("easy" move, single legal move) too.
        script+=(-e "/${thinking}/d" -e '/^ {27}/d' -e '/ has used less time because /d')
    fi
    if [ "$mode" = moves ]; then
        script+=(-e 's/\<[a-h][1-8][a-h][1-8][nbrq]?\>/<move>/g' -e 's/^50Move in [0-9]+/50Move in <n>/'
            -e 's/,Phase:[A-Z]+,/,Phase:<phase>,/'
            -e 's#^[1-8pnbrqkPNBRQK/]+ [wb] [-KQkq]+ [-a-h1-8]+ ?$#<fen>#')
    fi
    sed -E "${script[@]}"
}

# run NAME MODE SETTINGS INPUT_KIND SCRIPT [FILE...]: the session under both systems in fresh
# directories; SETTINGS is the brelok.ini to start with ("none": no file), the FILEs are
# written by the session and compared too. Files given as "<path" are copied in first.
run() {
    local name=$1 mode=$2 settings=$3 kind=$4 script=$5
    shift 5
    local files=() inputs=() file
    for file in "$@"; do
        case $file in
            "<"*) inputs+=("${file#<}") ;;
            *) files+=("$file") ;;
        esac
    done
    local system
    for system in linux windows; do
        local dir=$work/$name.$system
        mkdir -p "$dir"
        [ "$settings" = none ] || cp "$settings" "$dir/brelok.ini"
        for file in "${inputs[@]}"; do cp "$file" "$dir/"; done
        local engine=("$linux_engine")
        [ $system = windows ] && engine=("$wine" "$exe")
        play "$dir" "$kind" "$script" "${engine[@]}"
        normalize "$mode" < "$dir/stdout.txt" > "$dir/stdout.cmp"
        { normalize exact < "$dir/brelok.ini"; } > "$dir/settings.cmp" 2> /dev/null
        cat "$dir"/log/log* 2> /dev/null | normalize "$mode" > "$dir/log.cmp"
        for file in "${files[@]}"; do
            if [ -e "$dir/$file" ]; then
                normalize "$mode" < "$dir/$file" > "$dir/$file.cmp"
            else
                echo "<no file>" > "$dir/$file.cmp"
            fi
        done
    done
    local same=1 part
    local parts=(exit_code stdout.cmp settings.cmp log.cmp)
    for file in "${files[@]}"; do parts+=("$file.cmp"); done
    for part in "${parts[@]}"; do
        if ! diff -u "$work/$name.linux/$part" "$work/$name.windows/$part" > "$work/$name.$part.diff"; then
            echo "wine_check: $name: $part differs:"
            head -40 "$work/$name.$part.diff"
            same=0
        fi
    done
    for system in linux windows; do
        if [ -e "$work/$name.$system/input_stopped" ]; then
            echo "wine_check: $name: the $system engine did not answer as the script expects"
            same=0
        fi
    done
    # Lines may end in CR LF on either system; the CR must never reach a command.
    if cat "$work/$name".*/log/log* 2> /dev/null | grep -q $'\r"'; then
        echo "wine_check: $name: a logged command line ends with a carriage return"
        same=0
    fi
    if [ "$(cat "$work/$name.linux/exit_code")" != 0 ]; then
        echo "wine_check: $name: exit code $(cat "$work/$name.linux/exit_code")"
        same=0
    fi
    if [ $same = 1 ]; then
        echo "wine_check: $name: same output ($(wc -l < "$work/$name.linux/stdout.cmp") lines)"
    else
        failed=1
    fi
}

# --- Sessions -----------------------------------------------------------------------------------

ini=$root/brelok.ini
# Where the clock decides, the scores of the engine's moves vary with the depth reached: no
# blunder notes (and no learning files) then.
quiet_ini=$work/quiet.ini
sed 's/^ENABLE_LEARN_BIN=.*/ENABLE_LEARN_BIN=FALSE/' "$ini" > "$quiet_ini"

run first_start exact none pipe ''
run session exact "$ini" pipe 'help
selectivite 30
noiseply 2
book off
xyz
force
e2e4
e2e5
undo
help
quit'
# A regular file as standard input, its last line without a line end.
run end_of_input exact "$ini" file 'max_sd 12'

# Lines ended by CR LF, as a Windows interface sends them, and a burst of lines too long to be
# commands: more than the Windows input queue holds at once.
long_line=$(printf 'x%.0s' {1..3000})
long_lines=$(for _ in {1..40}; do echo "$long_line"; done)
run crlf exact "$ini" pipe "$(sed 's/$/\r/' << EOF
xboard
new
easy
nopost
$long_lines
max_sd 3
force
e2e4
go
@wait 1 ^1\. \.\.\.
quit
EOF
)"

# A game with a clock, searches bounded by depth: every figure but the times must agree. The
# engine's ponder searches end on their own; the opponent's move then comes as a hit, a miss.
run game exact "$ini" pipe 'xboard
new
hard
max_sd 4
level 40 5 0
time 30000
otim 30000
go
@wait 1 ^Pondering move
@wait 2 ^ time:
@ponder-hit
@wait 2 ^Pondering move
@wait 3 ^ time:
@ponder-miss a7a6 h7h6
@wait 3 ^Pondering move
@wait 5 ^ time:
force
quit'

# The clock ends the searches; the opponent's moves reach the engine while it ponders.
run ponder moves "$quiet_ini" pipe 'xboard
new
hard
level 40 5 0
time 1000
otim 1000
e2e4
@wait 1 ^Pondering move
@sleep 1
time 950
otim 950
@ponder-hit
@wait 1 ^I have correctly predicted
@wait 2 ^Pondering move
@sleep 1
time 900
otim 900
@ponder-miss a2a3 h2h3
@wait 1 ^I have predicted
@wait 3 ^Pondering move
quit'

# "?" and "." during a long search, then analysis left by "exit".
run move_now moves "$quiet_ini" pipe 'xboard
new
easy
time 100000
otim 100000
go
@sleep 2
.
@wait 1 ^stat01:
?
@wait 1 ^1\. \.\.\.
analyze
@wait 1 ^Now In Analyze Mode
@sleep 1
.
@wait 2 ^stat01:
e7e5
@sleep 1
exit
@wait 1 ^Leaving Analyze Mode
quit'

# A test suite with a time limit per position; the moves are clear from the first iteration.
cat > "$work/suite.epd" << 'EOF'
6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8; id "mate";
4k3/pppp4/8/8/3q4/8/PPPR4/4K3 w - - bm Rxd4; id "queen";
r5k1/5ppp/8/8/8/8/5PPP/6K1 b - - bm Ra1; id "black mate";
EOF
run test_suite timed "$ini" pipe 'test suite.epd 0.5
@wait 1 ^The log file
quit' "<$work/suite.epd" suite.001 tests.log

echo "wine_check: took $(( $(date +%s) - start )) s"
if [ $failed = 1 ]; then
    echo "wine_check: FAILED"
    exit 1
fi
echo "wine_check: passed"
