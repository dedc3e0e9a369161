#!/bin/bash
# Writes BUILDINFO: what built the release zip ZIP, so that anyone can rebuild it and
# compare: the Debian release, the exact versions of the Debian packages that shape its
# bytes, and the zip's SHA-256.
# Usage: buildinfo.sh ZIP BUILDINFO
set -euo pipefail
zip=$1 buildinfo=$2
packages=(g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32
          gcc-mingw-w64-x86-64-win32-runtime gcc-mingw-w64-base binutils-mingw-w64-x86-64
          mingw-w64-x86-64-dev mingw-w64-common zip cmake)
{
    echo "Zip: $(basename "$zip")"
    echo "Debian: $(cat /etc/debian_version 2>/dev/null || echo 'none: not built on Debian')"
    echo "Packages:"
    for package in "${packages[@]}"; do
        installed=$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$package" 2>/dev/null) ||
            true
        [[ $installed == "installed "* ]] || { echo " $package (not installed)"; continue; }
        echo " $package (= ${installed#installed })"
    done
    echo "SHA-256: $(sha256sum "$zip" | cut -d' ' -f1)"
} >"$buildinfo"
