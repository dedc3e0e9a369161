#!/bin/bash
# Host tests of timerhold: the real main, linked with the recording platform double
# (platform_double.h), runs as a child process; its report and its calls are checked.
# Usage: host_test.sh CASE PROGRAM
set -euo pipefail
case=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL ($case): $*" >&2; exit 1; }

export DOUBLE_LAST_SLEEP=3 # the third sleep of the hold ends the run

# run QUERIES [ARGS...]: runs the program with the double answering QUERIES; its
# output lands in $work/out, the double's record in $work/log.
run() {
    DOUBLE_QUERIES=$1 "$program" "${@:2}" >"$work/out" 2>"$work/err" 3>"$work/log" ||
        fail "exit status $?: $(cat "$work/err")"
    [[ ! -s $work/err ]] || fail "wrote to stderr: $(cat "$work/err")"
}

# expect FILE LINES: FILE holds exactly LINES, each ending in a newline.
expect() { diff -u <(printf '%s\n' "$2") "$work/$1" >&2 || fail "$1 is not as expected"; }

# The report of a run whose queries answered FIRST and SECOND.
report() { printf 'previous: %s\nnow its:  %s\n\npress any key to stop' "$1" "$2"; }

# The calls of a whole run: the lookup of SetProcessInformation, the opt-out (when
# OPT_OUT is given), the request between two queries, then the hold, each sleep
# recorded with what had reached standard output by then (HELD).
calls() {
    local opt_out=$1 held=$2
    echo "GetModuleHandleW(kernel32.dll)"
    echo "GetProcAddress(kernel32, SetProcessInformation)"
    [[ -z $opt_out ]] || echo "$opt_out"
    echo "NtQueryTimerResolution(&1, &2, &3) found 0 0 0"
    echo "NtSetTimerResolution(10000, 1, &3)"
    echo "NtQueryTimerResolution(&1, &2, &3) found 156250 5000 10000"
    printf 'Sleep(100000) with %s\n' "$held" "$held" "$held"
}
opt_out="SetProcessInformation(current process, 4, {1, 0x4, 0x0}, 12)"

case $case in
sequence) # the calls, their order and arguments, the report, and a hold that writes nothing
    run "156250 10000" --stop /? extra
    expect out "$(report 15.6250ms 1.0000ms)"
    expect log "$(calls "$opt_out" "62 bytes out")"
    ;;
windows7) # without SetProcessInformation, everything else happens as before
    DOUBLE_WINDOWS_7=1 run "156250 10000"
    expect out "$(report 15.6250ms 1.0000ms)"
    expect log "$(calls "" "62 bytes out")"
    ;;
formatter) # whole milliseconds and a zero-padded fraction, over the whole 32-bit range
    run "0 1"
    expect out "$(report 0.0000ms 0.0001ms)"
    run "999 10000"
    expect out "$(report 0.0999ms 1.0000ms)"
    run "4294967295 10001"
    expect out "$(report 429496.7295ms 1.0001ms)"
    ;;
failures) # a failed query is reported on its own line; nothing stops the request or the hold
    DOUBLE_SET_STATUS=C000000D run "!C0000002 10000"
    expect out "$(report 'unavailable (status 0xC0000002)' 1.0000ms)"
    [[ $(grep -c '^Sleep(100000)' "$work/log") == 3 ]] || fail "no hold after a failed query"
    DOUBLE_SET_STATUS=C0000001 run "156250 !80000005"
    expect out "$(report 15.6250ms 'unavailable (status 0x80000005)')"
    [[ $(grep -c '^Sleep(100000)' "$work/log") == 3 ]] || fail "no hold after a failed query"
    ;;
no_stdout) # without any standard output the request is still made and held
    DOUBLE_QUERIES="156250 10000" "$program" >&- 2>"$work/err" 3>"$work/log" ||
        fail "exit status $?: $(cat "$work/err")"
    expect log "$(calls "$opt_out" "no output")"
    ;;
*) fail "no such case" ;;
esac
