#!/usr/bin/env bash
# Formats the C++ sources with clang-format 14 (the version Debian 12 ships), or with --check
# reports the files that are not formatted and fails. Other versions format differently, so
# the check skips itself on them rather than fail on a style it was never pinned to.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
[ "${1:-}" = "--check" ] && check=1

if ! command -v clang-format >/dev/null; then
    echo "format: clang-format is not installed, nothing checked"
    exit 0
fi
version=$(clang-format --version | sed -n 's/.*version \([0-9]*\).*/\1/p')
if [ "$version" != "14" ]; then
    echo "format: clang-format $version is not the pinned version 14, nothing checked"
    exit 0
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | grep -v '^./build')
if [ $check -eq 1 ]; then
    if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/format.$$; then
        grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/format.$$ | cut -d: -f1 | sort -u | sed 's/^/format: not formatted: /'
        rm -f /tmp/format.$$
        echo "format: run scripts/format.sh to fix"
        exit 1
    fi
    rm -f /tmp/format.$$
    echo "format: ${#files[@]} files formatted"
else
    clang-format -i "${files[@]}"
fi
