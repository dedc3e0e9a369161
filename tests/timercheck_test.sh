#!/bin/bash
# Host tests of timercheck: the real main, linked with the recording platform double
# (platform_double.h), runs as a child process; its report, its exit status and its
# calls are checked. Sleeps are given in counter ticks, at 10 MHz unless a case says.
# Usage: timercheck_test.sh CASE PROGRAM
set -euo pipefail
case=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL ($case): $*" >&2; exit 1; }

# run STATUS: runs the program, which must exit with STATUS; its output lands in
# $work/out, the double's record in $work/log.
run() {
    local status=0
    "$program" >"$work/out" 2>"$work/err" 3>"$work/log" || status=$?
    [[ ! -s $work/err ]] || fail "wrote to stderr: $(cat "$work/err")"
    ((status == $1)) || fail "exit status $status, not $1: $(cat "$work/out")"
}

# expect LINES: the output is exactly LINES, each ending in a newline.
expect() { diff -u <(printf '%s\n' "$@") "$work/out" >&2 || fail "output is not as expected"; }

fine="verdict: fine: every program's sleeps get the fine resolution"
confined="verdict: confined: the timer runs fine, but Windows gives it only to the programs \
that ask for it, and this Windows has no setting that changes that"
coarse="verdict: coarse: no program holds a fine timer resolution; start timerhold"

# The lines of a run whose timer query reported CURRENT, on Windows 7 (the double's
# default), and whose sleeps all took SLEEP.
resolution() { echo "timer resolution: $1 now, 0.5000ms finest, 15.6250ms coarsest"; }
windows7="Windows build 7601: a fine timer resolution reaches every program"
sleeps() { echo "Sleep(1), 200 times: $1 shortest, $1 median, $1 99th percentile, $1 longest"; }

case $case in
verdicts) # each verdict, its exit status, and the 4 ms limit between fine and coarse
    DOUBLE_QUERIES=10000 DOUBLE_SLEEPS="19000 20000 21000" run 0
    expect "$(resolution 1.0000ms)" "$windows7" \
        "Sleep(1), 200 times: 1.9000ms shortest, 2.0000ms median, 2.1000ms 99th percentile, 2.1000ms longest" \
        "$fine"
    DOUBLE_QUERIES=10000 DOUBLE_SLEEPS=156250 run 1
    expect "$(resolution 1.0000ms)" "$windows7" "$(sleeps 15.6250ms)" "$confined"
    DOUBLE_QUERIES=156250 DOUBLE_SLEEPS=156250 run 2
    expect "$(resolution 15.6250ms)" "$windows7" "$(sleeps 15.6250ms)" "$coarse"
    DOUBLE_QUERIES=10000 DOUBLE_SLEEPS=39999 run 0
    DOUBLE_QUERIES=39999 DOUBLE_SLEEPS=40000 run 1
    DOUBLE_QUERIES=40000 DOUBLE_SLEEPS=40000 run 2
    ;;
windows) # how this Windows treats timer requests, by build and GlobalTimerResolutionRequests
    export DOUBLE_QUERIES=10000 DOUBLE_SLEEPS=156250
    asking="a fine timer resolution reaches only the programs that ask for it"
    confined=${confined%%, and this*}
    # windows BUILD VALUE LINE ADVICE: the Windows line and the confined verdict's advice
    # for BUILD with GlobalTimerResolutionRequests VALUE (- for absent).
    windows() {
        [[ $2 == - ]] && unset DOUBLE_GLOBAL_REQUESTS || export DOUBLE_GLOBAL_REQUESTS=$2
        DOUBLE_BUILD=$1 run 1
        expect "$(resolution 1.0000ms)" "Windows build $1: $3" "$(sleeps 15.6250ms)" \
            "$confined$4"
    }
    no_setting=", and this Windows has no setting that changes that"
    set_it="; set GlobalTimerResolutionRequests (see the README) and restart Windows to give it \
to every program"
    restart="; GlobalTimerResolutionRequests is set: restart Windows for it to take effect"
    windows 7601 1 "a fine timer resolution reaches every program" "$no_setting"
    windows 19040 - "a fine timer resolution reaches every program" "$no_setting"
    windows 19041 - "$asking; no setting changes that" "$no_setting"
    windows 20347 1 "$asking; GlobalTimerResolutionRequests is set but needs build 20348 or \
later" "$no_setting"
    windows 20347 0 "$asking; no setting changes that" "$no_setting"
    windows 20348 - "$asking, unless GlobalTimerResolutionRequests is set" "$set_it"
    windows 22631 1 "GlobalTimerResolutionRequests is set: a fine timer resolution reaches every \
program once Windows has restarted" "$restart"
    # Only the value 1 counts as set; a value that cannot be read counts as absent.
    windows 22631 2 "$asking, unless GlobalTimerResolutionRequests is set" "$set_it"
    windows 22631 '!5' "$asking, unless GlobalTimerResolutionRequests is set" "$set_it"
    ;;
figures) # nearest ranks 1, 100, 198 and 200 of durations given out of order
    # 200 durations 3000, 3007, ... 4393 ticks of a 3.579545 MHz counter, in the order of
    # a permutation; the untimed first sleep takes the first, the last timed one again.
    durations=$(for ((i = 0; i < 200; i++)); do echo $((3000 + 7 * ((i * 73 + 11) % 200))); done)
    DOUBLE_QUERIES=10000 DOUBLE_COUNTER_RATE=3579545 DOUBLE_SLEEPS=$(echo $durations) run 0
    expect "$(resolution 1.0000ms)" "$windows7" \
        "Sleep(1), 200 times: 0.8380ms shortest, 1.0316ms median, 1.2233ms 99th percentile, 1.2272ms longest" \
        "$fine"
    # At 3 GHz, 400 s overflow 64 bits if multiplied out; longer than a figure holds is
    # shown as the largest figure.
    durations="$(printf '3000000 %.0s' {1..197}) 1200000000000 1200000000000 10000000000000"
    DOUBLE_QUERIES=10000 DOUBLE_COUNTER_RATE=3000000000 DOUBLE_SLEEPS=$durations run 0
    expect "$(resolution 1.0000ms)" "$windows7" \
        "Sleep(1), 200 times: 1.0000ms shortest, 1.0000ms median, 400000.0000ms 99th percentile, 429496.7295ms longest" \
        "$fine"
    ;;
failed_query) # the status in place of the resolution; the sleeps alone decide the verdict
    DOUBLE_QUERIES='!C0000002' DOUBLE_SLEEPS=156250 run 2
    expect "timer resolution: unavailable (status 0xC0000002)" "$windows7" \
        "$(sleeps 15.6250ms)" "$coarse"
    DOUBLE_QUERIES='!C0000002' DOUBLE_SLEEPS=10000 run 0
    expect "timer resolution: unavailable (status 0xC0000002)" "$windows7" \
        "$(sleeps 1.0000ms)" "$fine"
    ;;
calls) # one query, one untimed sleep, then 200 timed ones; never a timer request
    DOUBLE_QUERIES=10000 DOUBLE_SLEEPS=20000 run 0
    {
        echo "NtQueryTimerResolution(&1, &2, &3) found 0 0 0"
        echo "RtlGetVersion(size right)"
        echo "RegGetValueW(HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\kernel, \
GlobalTimerResolutionRequests, 0x10, null, 4 bytes)"
        echo "QueryPerformanceFrequency()"
        echo "Sleep(1) with 0 bytes out"
        for ((i = 0; i < 200; i++)); do
            printf '%s\n' "QueryPerformanceCounter()" "Sleep(1) with 0 bytes out" "QueryPerformanceCounter()"
        done
        echo "GetConsoleProcessList(1) gives 0"
    } >"$work/calls"
    diff -u "$work/calls" "$work/log" >&2 || fail "calls are not as expected"
    ;;
console) # a wait for a key only on a console of its own, after the whole report
    export DOUBLE_QUERIES=10000 DOUBLE_SLEEPS=20000
    DOUBLE_CONSOLE=1 DOUBLE_CONSOLE_OUTPUT=1 run 0
    expect "$(resolution 1.0000ms)" "$windows7" "$(sleeps 2.0000ms)" "$fine" "" \
        "press any key to close"
    [[ $(tail -n 1 "$work/log") == "_getch() with $(stat -c %s "$work/out") bytes out" ]] ||
        fail "no wait for a key after the whole output: $(tail -n 3 "$work/log")"
    # no_wait WHERE: the last run ended at once, with the report alone.
    no_wait() {
        expect "$(resolution 1.0000ms)" "$windows7" "$(sleeps 2.0000ms)" "$fine"
        ! grep -q '^_getch' "$work/log" || fail "waited for a key $1"
    }
    DOUBLE_CONSOLE=1 run 0
    no_wait "with its output redirected"
    DOUBLE_CONSOLE=2 DOUBLE_CONSOLE_OUTPUT=1 run 0
    no_wait "on a Command Prompt's console"
    run 0
    no_wait "without a console"
    ;;
*) fail "no such case" ;;
esac
