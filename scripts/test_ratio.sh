#!/usr/bin/env bash
# Size of the test tree against the code: lines (wc -l) of C++ and of any script under tests/
# against the C++ lines everywhere else. Data files (expected output, EPD, fault lists) and the
# CMakeLists.txt files do not count. Tracked files and new, not ignored ones are counted.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}" # another tree may be named, say a copy of an earlier state

files() {
    if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
        git ls-files -co --exclude-standard
    else
        find . -path ./build -prune -o -type f -print | sed 's|^\./||'
    fi | while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done
}
lines() { xargs -r -d '\n' cat | wc -l; }

code_pattern='\.(cpp|h|hpp)$'
test_pattern='\.(cpp|h|hpp|sh|py)$'

tests=$(files | grep '^tests/' | grep -E "$test_pattern" | lines)
code=$(files | grep -v '^tests/' | grep -E "$code_pattern" | lines)
echo "tests: $tests lines"
for dir in $(files | grep '^tests/' | grep -E "$test_pattern" | cut -d/ -f2 | grep -v '\.' | sort -u); do
    printf '  tests/%-12s %5d\n' "$dir" "$(files | grep "^tests/$dir/" | grep -E "$test_pattern" | lines)"
done
echo "code:  $code lines"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.3f\n", c ? t / c : 0 }'
