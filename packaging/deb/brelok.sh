#!/bin/sh
# Starts the Brelok chess engine from any directory. The engine works in one directory, where it
# keeps brelok.ini, the opening book, its learning files and log/: the one named by --dir or
# BRELOK_DIR, else the current directory when it holds brelok.ini (people who keep several
# set-ups), else the user's own, ${XDG_DATA_HOME:-$HOME/.local/share}/brelok. A directory
# without brelok.ini gets a copy of the default settings and book first: the engine rewrites both,
# so they must be the user's own files.
set -e

# The installed tree, found from this script's own place: /usr/games/brelok, or the same tree
# unpacked anywhere else.
prefix=$(readlink -f "$(dirname "$(readlink -f "$0")")/..")
engines=$prefix/lib/games/brelok
defaults=$prefix/share/games/brelok

usage() {
    cat <<TEXT
Usage: brelok [--dir DIR] [EPD2DIAG.EPD]
       brelok --help | --version

Starts the Brelok chess engine for xboard, a UCI interface or a console (type "help" there).
The engine works in one directory, where it keeps its settings brelok.ini, the opening book
b_book.bin, its learning files and its logs (log/):
  - DIR, when given with --dir, else \$BRELOK_DIR when set;
  - else the current directory when it holds brelok.ini;
  - else \${XDG_DATA_HOME:-\$HOME/.local/share}/brelok.
A directory without brelok.ini first gets a copy of the default settings and book from
$defaults.
See brelok(6).
TEXT
}

dir=${BRELOK_DIR:-}
case ${1:-} in
--help)
    usage
    exit 0
    ;;
--version) exec "$engines/brelok-generic" --version ;;
--dir)
    if [ $# -lt 2 ] || [ -z "$2" ]; then
        echo "brelok: --dir needs a directory" >&2
        exit 2
    fi
    dir=$2
    shift 2
    ;;
--dir=*)
    dir=${1#--dir=}
    shift
    ;;
esac

if [ -z "$dir" ]; then
    if [ -f brelok.ini ]; then
        dir=.
    else
        # A relative XDG_DATA_HOME is to be ignored, as an empty one.
        case ${XDG_DATA_HOME:-} in
        /*) data_home=$XDG_DATA_HOME ;;
        *)
            [ -n "${HOME:-}" ] || { echo "brelok: HOME is not set: name a directory with --dir DIR or BRELOK_DIR" >&2; exit 2; }
            data_home=$HOME/.local/share
            ;;
        esac
        dir=$data_home/brelok
    fi
fi

# The book first, the settings last and under their own name only once complete: an interrupted
# first start is taken up again by the next one.
if [ ! -f "$dir/brelok.ini" ]; then
    mkdir -p "$dir"
    [ -e "$dir/b_book.bin" ] || cp "$defaults/b_book.bin" "$dir/b_book.bin"
    cp "$defaults/brelok.ini" "$dir/brelok.ini.new"
    mv "$dir/brelok.ini.new" "$dir/brelok.ini"
fi
cd "$dir"

# The x86-64-v2 build refuses to run (exit code 1) on an older CPU: the generic one then plays.
engine=$engines/brelok
"$engine" --version > /dev/null 2>&1 || engine=$engines/brelok-generic
exec "$engine" "$@"
