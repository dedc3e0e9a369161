#!/bin/bash
# End-to-end tests of the real timerhold.exe under Wine, in a private Wine prefix.
# Usage: wine_test.sh setup|stop|CASE EXE PREFIX
#   setup creates the prefix, stop ends the prefix's Wine server and all it runs.
set -euo pipefail
case=$1 exe=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL ($case): $*" >&2; exit 1; }

# start OUT [ARGS...]: starts the program in the background with its output going to
# OUT (an open redirection is expected of the caller: see the cases below).
start() { wine "$exe" "$@" 2>>"$work/wine.err" & started+=($!); }

# The report with the platform's figures, each line ending in CR LF.
report_pattern=$'^previous: [0-9]+\\.[0-9]{4}ms\r\nnow its:  [0-9]+\\.[0-9]{4}ms\r\n\r\npress any key to stop\r\n$'

# check_holding FILE: FILE receives the whole report, the program goes on running,
# and it writes nothing more.
check_holding() {
    local file=$1 pid=${started[-1]} i
    for ((i = 0; i < 600; i++)); do
        grep -q 'press any key to stop' "$file" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || fail "ended early: $(cat "$work/wine.err")"
        sleep 0.1
    done
    local report
    report=$(cat "$file"; printf .)
    report=${report%.}
    [[ $report =~ $report_pattern ]] || fail "report not as expected: $(od -c "$file")"
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "stopped holding: $(cat "$work/wine.err")"
    [[ $(cat "$file"; printf .) == "$report." ]] || fail "wrote more after the report"
}

case $case in
setup)
    rm -rf "$WINEPREFIX"
    wineboot --init 2>"$work/wine.err" || fail "wineboot: $(cat "$work/wine.err")"
    ;;
stop)
    wineserver --kill || true
    ;;
file) # redirected to a file
    start >"$work/out"
    check_holding "$work/out"
    ;;
pipe) # through a pipe, with arguments, which change nothing
    start --stop /? extra > >(exec cat >"$work/out")
    check_holding "$work/out"
    ;;
no_stdout) # with no standard output at all it still runs and holds
    start >&-
    sleep 5
    kill -0 "${started[-1]}" 2>/dev/null || fail "ended without an output: $(cat "$work/wine.err")"
    ;;
*) fail "no such case" ;;
esac
