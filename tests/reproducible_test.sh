#!/bin/bash
# Two clean builds of the same sources, in different folders, give the same bytes.
# Usage: reproducible_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for copy in one second/copy; do
    mkdir -p "$work/$copy"
    tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$copy" -xf -
    (cd "$work/$copy" && cmake --workflow --preset windows >"$work/build.log" 2>&1) ||
        { cat "$work/build.log" >&2; exit 1; }
done

exe=build/windows/timerhold.exe
cmp "$work/one/$exe" "$work/second/copy/$exe" || { echo "FAIL: builds differ" >&2; exit 1; }
if grep -qaF "$work" "$work/one/$exe"; then echo "FAIL: build path in the executable" >&2; exit 1; fi
