#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Extra package names may be given as arguments (the benchmarks add stockfish, for instance).
set -euo pipefail

needed=(g++ cmake make libgtest-dev "$@")
missing=()
for pkg in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
