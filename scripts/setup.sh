#!/bin/bash
# Installs, where it is missing, what building timerhold and running it under Wine need
# (run), or that and all that the tests and the release zip need (test), on Debian 12 or
# 13. Each release's own packages serve: the names below are the same in both.
# Usage: setup.sh run|test
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64)
case ${1:-} in
run) ;;
test)
    packages+=(g++ clang-format zip unzip)
    # Node.js runs the workflow lint. Where another build of Node.js is installed, its own
    # npm comes with it, and Debian's npm would conflict with it.
    command -v npx >/dev/null || packages+=(nodejs npm)
    ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qx 'install ok installed' ||
        missing+=("$package")
done
((${#missing[@]})) || exit 0

sudo=()
((EUID == 0)) || sudo=(sudo)
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
