#!/bin/bash
# End-to-end tests of the real timerhold.exe and timercheck.exe under Wine, in a
# private Wine prefix.
# Usage: wine_test.sh setup|stop|CASE EXE PREFIX [README]
#   setup creates the prefix, stop ends the prefix's Wine server and all it runs;
#   the cases check_* are timercheck's, the others timerhold's. What a user sees of
#   both programs together is the acceptance test's.
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

# set_build BUILD: the Windows build that the prefix reports from now on.
set_build() {
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentBuildNumber \
        /t REG_SZ /d "$1" /f >/dev/null 2>>"$work/wine.err" || fail "cannot set the build $1"
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
pipe) # through a pipe, with arguments, which change nothing
    start --stop /? extra > >(exec cat >"$work/out")
    check_holding "$work/out"
    ;;
no_stdout) # with no standard output at all it still runs and holds
    start >&-
    sleep 5
    kill -0 "${started[-1]}" 2>/dev/null || fail "ended without an output: $(cat "$work/wine.err")"
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
check_windows) # the Windows line follows the build and GlobalTimerResolutionRequests
    readme=$4
    trap 'set_build 7601; wine reg delete "$kernel_key" /v GlobalTimerResolutionRequests /f \
        >/dev/null 2>&1; cleanup' EXIT
    kernel_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\kernel'
    # windows_line BUILD TEXT: on build BUILD, timercheck's second line ends in TEXT.
    windows_line() {
        set_build "$1"
        wine "$exe" >"$work/out" 2>>"$work/wine.err" || fail "exit status $? on build $1"
        [[ $(sed -n 2p "$work/out") == "Windows build $1: $2"$'\r' ]] ||
            fail "on build $1: $(sed -n 2p "$work/out")"
    }
    asking="a fine timer resolution reaches only the programs that ask for it"
    windows_line 7601 "a fine timer resolution reaches every program"
    windows_line 19045 "$asking; no setting changes that"
    windows_line 22631 "$asking, unless GlobalTimerResolutionRequests is set"
    # The guide's own command sets it, run in a Command Prompt as it stands.
    reg_add="reg add \"$kernel_key\" /v GlobalTimerResolutionRequests /t REG_DWORD /d 1 /f"
    grep -Fxq -- "$reg_add" <(sed 's/^ *//' "$readme") || fail "README.md no longer holds: $reg_add"
    printf '%s\r\n' "$reg_add" >"$work/global.cmd"
    (cd "$work" && wine cmd /c global.cmd >/dev/null 2>>"$work/wine.err") || fail "reg add failed"
    windows_line 22631 "GlobalTimerResolutionRequests is set: a fine timer resolution reaches \
every program once Windows has restarted"
    ;;
check_command_prompt) # on a Command Prompt's console it ends at once
    on_console cmd /c "$(winepath -w "$exe" 2>/dev/null)"
    ends_within 60
    screen | grep -q 'verdict' || fail "no report on the console: $(screen)"
    ! screen | grep -q close || fail "waited for a key: $(screen)"
    ;;
*) fail "no such case" ;;
esac
