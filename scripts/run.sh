#!/bin/bash
# Builds timerhold.exe and runs it under Wine, in a Wine prefix of its own under
# build/, showing its report; it holds until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake --workflow --preset windows >/dev/null

export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver --kill' EXIT
trap 'exit 130' INT TERM
[[ -f $WINEPREFIX/system.reg ]] || wineboot --init 2>/dev/null

echo "Running build/windows/timerhold.exe under Wine; Ctrl-C stops it." >&2
wine build/windows/timerhold.exe 2>/dev/null | cat &
wait $!
