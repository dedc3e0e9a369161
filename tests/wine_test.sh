#!/bin/bash
# End-to-end tests of the real timerhold.exe and timercheck.exe under Wine, in a
# private Wine prefix.
# Usage: wine_test.sh setup|stop|CASE EXE PREFIX
#   setup creates the prefix, stop ends the prefix's Wine server and all it runs;
#   the cases check_* are timercheck's, the others timerhold's.
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

# timercheck's report with the platform's figures, CR LF line ends, and the verdict
# that Wine's fine timer gives.
figure='[0-9]+\.[0-9]{4}ms'
check_pattern="^timer resolution: $figure now, $figure finest, $figure coarsest"$'\r\n'
check_pattern+="Sleep\\(1\\), 200 times: $figure shortest, $figure median, $figure 99th percentile, "
check_pattern+="$figure longest"$'\r\n'"verdict: fine: every program's sleeps get the fine resolution"$'\r\n$'

# on_console WINE_ARGS...: starts wine WINE_ARGS in the background on a terminal of its
# own, as a console window would be; its screen goes to $work/screen, and what is written
# to file descriptor 4 reaches its keyboard.
on_console() {
    mkfifo "$work/keys"
    script -qec "wine $(printf '%q ' "$@")" /dev/null <"$work/keys" >"$work/screen" \
        2>>"$work/wine.err" &
    started+=($!)
    exec 4>"$work/keys"
}

# ends_within SECONDS: the last program started ends within SECONDS with exit status 0.
ends_within() {
    local pid=${started[-1]} i status=0
    for ((i = 0; i < $1 * 10; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "still running after $1 s"
    wait "$pid" || status=$?
    ((status == 0)) || fail "exit status $status: $(cat "$work/wine.err")"
}

# The screen with the terminal's control sequences taken out (and with them the
# blanks, which Wine's console writes as cursor moves).
screen() { sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' "$work/screen" | tr -d '\r'; }

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
check_file) # the report, redirected to a file; verdict fine and exit status 0
    wine "$exe" --verbose /? >"$work/out" 2>>"$work/wine.err" & started+=($!)
    ends_within 60
    report=$(cat "$work/out"; printf .)
    [[ ${report%.} =~ $check_pattern ]] || fail "report not as expected: $(od -c "$work/out")"
    ;;
check_no_stdout) # with no standard output at all it ends by itself
    wine "$exe" >&- 2>>"$work/wine.err" & started+=($!)
    ends_within 60
    ;;
check_console) # on a console of its own, as from Explorer, it waits for a key
    on_console "$exe"
    for ((i = 0; i < 600; i++)); do
        screen | grep -q close && break
        kill -0 "${started[-1]}" 2>/dev/null || fail "ended without a wait: $(screen)"
        sleep 0.1
    done
    sleep 2
    kill -0 "${started[-1]}" 2>/dev/null || fail "did not wait for a key: $(screen)"
    printf k >&4
    ends_within 10
    ;;
check_command_prompt) # on a Command Prompt's console it ends at once
    on_console cmd /c "$(winepath -w "$exe" 2>/dev/null)"
    ends_within 60
    screen | grep -q 'verdict' || fail "no report on the console: $(screen)"
    ! screen | grep -q close || fail "waited for a key: $(screen)"
    ;;
*) fail "no such case" ;;
esac
