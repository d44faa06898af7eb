#!/usr/bin/env bash
# Plays one game under a real xboard (in a virtual X display) with Brelok as the first engine,
# saves the PGN, the xboard debug log and a screenshot, and checks that the game ended with a
# result and without an illegal-move or forfeit message. Three ways to drive the engine:
#   plain     the start position against fairymax, whatever protocol xboard agrees on
#   fen       protocol 2 from a FEN start that xboard hands over with "setboard", against phalanx
#             (fairymax takes a FEN start only through edit mode, and died on it under xboard 4.9.1)
#   uci       UCI through Debian's polyglot adapter, against phalanx
#   installed the Debian package installed on this machine, against fairymax: xboard starts
#             "brelok" by name from its own working directory (no engine directory given), with
#             HOME an empty folder; then a second xboard opens Engine > Load New 1st Engine and
#             photographs its engine list (engine_list.png), where the package's plugin file
#             must have put Brelok
#
#   scripts/xboard_game.sh [plain|fen|uci] [ENGINE] [OUTPUT_DIR]
#   scripts/xboard_game.sh installed [OUTPUT_DIR]
#       defaults: plain, build/release/brelok, build/xboard_game-<way>
#
# Opt-in (not part of the test command): it needs xboard, Xvfb, xwd and netpbm (and polyglot,
# xdotool), which it installs when missing, and takes a minute or two.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

way=plain
case "${1:-}" in plain | fen | uci | installed) way=$1; shift ;; esac
fail() { echo "xboard_game ($way): FAILED: $*"; exit 1; }
export PATH="$PATH:/usr/games"
if [ $way = installed ]; then
    engine=brelok
    out=$(realpath -m "${1:-build/xboard_game-$way}")
    command -v brelok > /dev/null || fail "no brelok command: install the package (dpkg -i dist/brelok_*.deb)"
else
    engine=$(realpath "${1:-build/release/brelok}")
    out=$(realpath -m "${2:-build/xboard_game-$way}")
    [ -x "$engine" ] || fail "no engine at $engine (cmake --preset release && cmake --build --preset release)"
fi

opponent=phalanx
case $way in plain | installed) opponent=fairymax ;; esac
extra=()
[ $way = uci ] && extra=(polyglot)
[ $way = installed ] && extra=(xdotool)
scripts/install_deps.sh xboard xvfb x11-apps netpbm $opponent "${extra[@]}"

rm -rf "$out"
mkdir -p "$out/engine"
cp "$root/brelok.ini" "$out/engine/brelok.ini"

first=(-fcp "$engine" -fd "$out/engine")
second=(-scp fairymax -sd "$out")
start=()
gui_dir=$out
if [ $way = installed ]; then
    # A user with no Brelok files anywhere: the launcher must make the working directory itself.
    rm -rf "$out/engine"
    mkdir -p "$out/home" "$out/gui"
    export HOME=$out/home
    unset XDG_DATA_HOME BRELOK_DIR
    gui_dir=$out/gui
    first=(-fcp brelok)
    second=(-scp fairymax)
elif [ $way != plain ]; then
    second=(-scp "phalanx -l-" -sd "$out")
fi
if [ $way = fen ]; then
    # A start after 1. e4 e5 2. Nf3 Nc6 3. Bb5 a6, White to move.
    echo "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4" > "$out/start.fen"
    start=(-loadPositionFile "$out/start.fen" -loadPositionIndex 1)
fi
if [ $way = uci ]; then
    # The adapter's settings: the engine, its directory, a log of the UCI dialogue, and the
    # options it passes on (a table size the engine takes through setoption, leaving brelok.ini
    # alone).
    cat > "$out/brelok.pgi" <<INI
[PolyGlot]
EngineName = Brelok (UCI)
EngineCommand = $engine
EngineDir = $out/engine
Log = true
LogFile = $out/polyglot.log
Resign = false
[Engine]
Hash = 16
OwnBook = true
INI
    first=(-fcp "polyglot $out/brelok.pgi" -fd "$out")
fi

display=:${BRELOK_DISPLAY:-97}
Xvfb "$display" -screen 0 1280x1024x24 > "$out/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2> /dev/null || true' EXIT
sleep 1
export DISPLAY=$display
screenshot() { xwd -root -display "$display" | xwdtopnm 2> /dev/null | pnmtopng > "$1" || echo "xboard_game: no screenshot $1"; }

# 40 moves in 30 seconds each side: a whole game in a minute or two.
cd "$gui_dir"
xboard -matchMode true -matchGames 1 "${first[@]}" "${second[@]}" "${start[@]}" \
    -tc 0:30 -mps 40 -inc 0 -xponder \
    -saveGameFile "$out/game.pgn" \
    -debug -nameOfDebugFile "$out/xboard.debug" > "$out/xboard.out" 2>&1 &
xboard_pid=$!

# xboard keeps its window open once the match is over: wait for the saved game to carry a
# result, photograph the final position, then close xboard.
finished=0
for _ in $(seq 1 300); do
    if [ -s "$out/game.pgn" ] && grep -qE '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$out/game.pgn"; then
        finished=1
        break
    fi
    kill -0 $xboard_pid 2> /dev/null || break
    sleep 1
done
sleep 2
screenshot "$out/screenshot.png"
kill $xboard_pid 2> /dev/null || true
wait $xboard_pid 2> /dev/null || true
cd "$root"
[ $finished -eq 1 ] || fail "no finished game within 5 minutes"

case $way in
fen)
    grep -q 'feature myname=.* setboard=1 ping=1' "$out/xboard.debug" || fail "no protocol-2 features offered"
    grep -q '>first : setboard ' "$out/xboard.debug" || fail "xboard did not use setboard"
    grep -q '<first : move ' "$out/xboard.debug" || fail "no move in the protocol-2 form"
    grep -q '^\[FEN "' "$out/game.pgn" || fail "the PGN does not start from the FEN" ;;
uci)
    grep -q 'uciok' "$out/polyglot.log" || fail "the engine never answered uci"
    grep -q 'bestmove ' "$out/polyglot.log" || fail "no bestmove in the UCI dialogue" ;;
installed)
    user=$HOME/.local/share/brelok
    [ -f "$user/brelok.ini" ] && [ -f "$user/b_book.bin" ] && [ -d "$user/log" ] \
        || fail "the launcher made no working directory in $user"
    [ ! -e "$gui_dir/brelok.ini" ] || fail "the engine wrote brelok.ini in xboard's directory"
    # The engine list: Engine (menu bar), then Load New 1st Engine, at their places in xboard
    # 4.9's window with its default fonts.
    (cd "$gui_dir" && exec xboard -fcp brelok -scp fairymax > "$out/xboard_list.out" 2>&1) &
    xboard_pid=$!
    sleep 4
    xdotool mousemove 273 13 click 1
    sleep 1
    xdotool mousemove 345 67 click 1
    sleep 2
    screenshot "$out/engine_list.png"
    kill $xboard_pid 2> /dev/null || true
    wait $xboard_pid 2> /dev/null || true ;;
esac
result=$(grep -o '^\[Result "[^"]*"\]' "$out/game.pgn" | head -1)
echo "xboard_game ($way): $result"
case "$result" in
    *'"1-0"'* | *'"0-1"'* | *'"1/2-1/2"'*) ;;
    *) fail "the game has no result" ;;
esac
if grep -qiE 'illegal|forfeit|false' "$out/game.pgn"; then
    grep -iE 'illegal|forfeit|false' "$out/game.pgn"
    fail "the PGN reports an illegal move or a forfeit"
fi
echo "xboard_game ($way): passed (PGN, screenshot and debug log in $out)"
