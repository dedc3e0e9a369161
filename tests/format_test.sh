#!/bin/bash
# Every C++ source and header is formatted as .clang-format says, by the Debian release's
# own clang-format (14 in Debian 12, 19 in Debian 13): .clang-format sets only what both
# read alike, and both leave the sources as they are.
# Usage: format_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "FAIL: clang-format is not installed" >&2; exit 1; }
mapfile -t sources < <(find src tests -name '*.cpp' -o -name '*.h' | sort)
((${#sources[@]})) || { echo "FAIL: no C++ sources found" >&2; exit 1; }
clang-format --version
clang-format --dry-run --Werror "${sources[@]}"
