#!/usr/bin/env bash
# Plays one game under a real xboard (in a virtual X display) with Brelok as the first engine
# against Debian's fairymax, saves the PGN, the xboard debug log and a screenshot, and checks
# that the game ended with a result and without an illegal-move or forfeit message.
#
#   scripts/xboard_game.sh [ENGINE] [OUTPUT_DIR]   defaults: build/release/brelok, build/xboard_game
#
# Opt-in (not part of the test command): it needs xboard, Xvfb, xwd and ImageMagick, which it
# installs when missing, and takes a minute or two.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

engine=$(realpath "${1:-build/release/brelok}")
out=$(realpath -m "${2:-build/xboard_game}")
[ -x "$engine" ] || { echo "xboard_game: no engine at $engine (cmake --preset release && cmake --build --preset release)"; exit 1; }

scripts/install_deps.sh xboard xvfb x11-apps imagemagick fairymax
export PATH="$PATH:/usr/games"

rm -rf "$out"
mkdir -p "$out/engine"
cp "$root/brelok.ini" "$out/engine/brelok.ini"

display=:${BRELOK_DISPLAY:-97}
Xvfb "$display" -screen 0 1280x1024x24 > "$out/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2> /dev/null || true' EXIT
sleep 1
export DISPLAY=$display

# 40 moves in 30 seconds each side: a whole game in a minute or two.
xboard -matchMode true -matchGames 1 \
    -fcp "$engine" -fd "$out/engine" \
    -scp fairymax -sd "$out" \
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
xwd -root -display "$display" | convert xwd:- "$out/screenshot.png" || echo "xboard_game: no screenshot"
kill $xboard_pid 2> /dev/null || true
wait $xboard_pid 2> /dev/null || true
[ $finished -eq 1 ] || { echo "xboard_game: FAILED: no finished game within 5 minutes"; exit 1; }

grep -v "^ALSA\|^aplay" "$out/xboard.out" || true
[ -s "$out/game.pgn" ] || { echo "xboard_game: FAILED: no PGN saved"; exit 1; }
result=$(grep -o '^\[Result "[^"]*"\]' "$out/game.pgn" | head -1)
echo "xboard_game: $result"
case "$result" in
    *'"1-0"'* | *'"0-1"'* | *'"1/2-1/2"'*) ;;
    *) echo "xboard_game: FAILED: the game has no result"; exit 1 ;;
esac
if grep -qiE 'illegal|forfeit|time forfeit|false' "$out/game.pgn"; then
    grep -iE 'illegal|forfeit|false' "$out/game.pgn"
    echo "xboard_game: FAILED: the PGN reports an illegal move or a forfeit"
    exit 1
fi
echo "xboard_game: passed (PGN, screenshot and debug log in $out)"
