#!/usr/bin/env bash
# Builds the sanitizer configuration and runs the whole test suite (the long runs labelled
# `slow` are left out: run them with scripts/test_slow.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

# The Windows cross-build check runs under wine: bring its compiler and wine too.
scripts/install_deps.sh g++-mingw-w64-x86-64 wine64 clang-format
# One style, checked by the tool rather than by review (skips itself on another clang-format).
scripts/format.sh --check
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev
