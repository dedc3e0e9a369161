#!/bin/bash
# Installs what building, testing and releasing timerhold need on Debian 12, where it is missing.
set -euo pipefail

packages=(cmake make g++ clang-format-14 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
          wine wine64 zip unzip)
# Node.js runs the workflow lint. Where another build of Node.js is installed, its own npm
# comes with it, and Debian's npm would conflict with it.
command -v npx >/dev/null || packages+=(nodejs npm)
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
