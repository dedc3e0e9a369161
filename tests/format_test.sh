#!/bin/bash
# Every C++ source and header is formatted as .clang-format says, by the one
# clang-format version that setup installs (Debian's clang-format-14).
# Usage: format_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
command -v clang-format-14 >/dev/null || { echo "FAIL: clang-format-14 is not installed" >&2; exit 1; }
mapfile -t sources < <(find src tests -name '*.cpp' -o -name '*.h' | sort)
((${#sources[@]})) || { echo "FAIL: no C++ sources found" >&2; exit 1; }
clang-format-14 --dry-run --Werror "${sources[@]}"
